// Where the build writes: an old set replaced only when asked and kept
// after a failure, an output that cannot be written, a folder being built,
// an output naming an input.
#include <gtest/gtest.h>

#include "BuildFixture.h"

namespace {

using gdltest::BuildTest;
using gdltest::Lines;
using gdltest::MakeBin;
namespace fs = std::filesystem;

TEST_F(BuildTest, AnExistingSetIsReplacedOnlyWhenTheUserAgrees) {
    AddSourceLevels("S", {"A"});
    settings.levelList = true;
    WriteFile(settings.outputPath, "old set");
    WriteFile(projectDir + "A.bin", "kept");
    WriteFile(projectDir + "gdl.hsf", "kept");
    prompts.answers = {gdl::Answer::No, gdl::Answer::Yes};

    EXPECT_EQ(Build().outcome, gdl::BuildOutcome::Cancelled);
    EXPECT_EQ(view.lines, Lines{"Build Cancelled."});
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].caption, "Confirm");
    EXPECT_EQ(prompts.shown[0].text,
              "File \"" + settings.outputPath + "\" already exists. Overwrite?");
    EXPECT_EQ(prompts.shown[0].buttons, gdl::MsgButtons::YesNo);
    EXPECT_EQ(prompts.shown[0].icon, gdl::MsgIcon::Question);
    // Declined: nothing is touched.
    EXPECT_EQ(gdl::ReadFileBytes(settings.outputPath), "old set");
    EXPECT_EQ(gdl::ReadFileBytes(projectDir + "A.bin"), "kept");
    EXPECT_TRUE(fs::exists(projectDir + "gdl.hsf"));
    EXPECT_FALSE(fs::exists(projectDir + "gems.txt"));
    EXPECT_TRUE(runner.calls.empty());
    EXPECT_EQ(view.enabled, (std::vector<bool>{false, true}));
    EXPECT_EQ(view.statusBar.back(), " " + model.FullPath());

    EXPECT_EQ(Build().outcome, gdl::BuildOutcome::Done);
    EXPECT_EQ(gdl::FileSize(settings.outputPath).value_or(0), 23938u + 454 + 40);
}

TEST_F(BuildTest, OutputThatCannotBeCreatedIsAnError) {
    AddSourceLevels("A", {"A1"});
    model.levels[0].designer.clear();
    for (std::string path : {root.Folder() + "no/such/folder/out.gdl", root.Folder() + "adir"}) {
        SCOPED_TRACE(path);
        fs::create_directory(root.Folder() + "adir");
        settings.outputPath = path;
        fake.compiled.clear();

        auto result = Build();

        ExpectErrors(result, {"ERROR: Unable to write \"" + path + "\"!",
                              "ERROR: Level 1 has no Designer!"});
        // Under the design's line, the system's reason.
        auto line = std::find(view.lines.begin(), view.lines.end(),
                              "ERROR: Unable to write \"" + path + "\"!");
        ASSERT_NE(line + 1, view.lines.end());
        EXPECT_EQ(*(line + 1), path.ends_with("adir")
                                   ? "   it is not a file, and only a file is replaced."
                                   : "   No such file or directory.");
        EXPECT_TRUE(prompts.shown.empty());
        EXPECT_EQ(fake.compiled, Lines{"A"});
        EXPECT_FALSE(fs::exists(projectDir + "A1.bin"));
    }
    EXPECT_TRUE(fs::is_directory(root.Folder() + "adir"));
}

TEST_F(BuildTest, OutputThatCannotBeWrittenIsAnErrorAndRemoved) {
    AddSourceLevels("A", {"A1"}, 4000);
    gdl::BuildResult result;
    {
        gdltest::FileSizeLimit limit(24000);  // the header and table fit; the level does not
        result = Build();
    }
    ExpectErrors(result, {"ERROR: Unable to write \"" + settings.outputPath + "\"!"});
    EXPECT_NE(std::find(view.lines.begin(), view.lines.end(), "   File too large."),
              view.lines.end());
}

// The installed kit's build folder, read-only to the user: the line says why.
TEST_F(BuildTest, AReadOnlyOutputFolderGivesTheSystemsReason) {
    AddSourceLevels("A", {"A1"});
    const std::string folder = root.MakeFolder("levels");
    settings.outputPath = folder + "set.gdl";
    gdltest::ReadOnlyFolder readOnly(folder);
    if (readOnly.Writable()) GTEST_SKIP() << "no way to make a folder read-only here";
    auto result = Build();
    ExpectErrors(result, {"ERROR: Unable to write \"" + settings.outputPath + "\"!"});
    auto line = std::find(view.lines.begin(), view.lines.end(),
                          "ERROR: Unable to write \"" + settings.outputPath + "\"!");
    ASSERT_NE(line + 1, view.lines.end());
    EXPECT_TRUE(*(line + 1) == "   Permission denied." ||
                *(line + 1) == "   Operation not permitted.")
        << *(line + 1);
}

TEST_F(BuildTest, AFailedRebuildKeepsTheOldSetByteForByte) {
    AddSourceLevels("S", {"A", "B"});
    ASSERT_EQ(Build().outcome, gdl::BuildOutcome::Done);
    const auto good = gdl::ReadFileBytes(settings.outputPath);
    ASSERT_TRUE(good);

    model.levels[1].password = model.levels[0].password;
    prompts.answers = {gdl::Answer::Yes};
    ExpectErrorsKeepingOutput(Build(), {"ERROR: Level 2 has the same Password as Level 1!"});
    EXPECT_EQ(gdl::ReadFileBytes(settings.outputPath), good);
    EXPECT_EQ(FilesBesideOutput(), Lines{"out.gdl"});

    // Fixed, the next build replaces it; no partial file is left beside it.
    model.levels[1].password = "NEWP";
    prompts.answers = {gdl::Answer::Yes};
    ASSERT_EQ(Build().outcome, gdl::BuildOutcome::Done);
    auto set = Output();
    ASSERT_TRUE(set);
    EXPECT_EQ(set->index.table[1].password, "NEWP");
    EXPECT_EQ(FilesBesideOutput(), Lines{"out.gdl"});
}

// A build of a folder another build holds waits, then stops before writing
// anything, saying why; the old set stays.
TEST_F(BuildTest, AFolderBeingBuiltStopsTheBuildBeforeItWrites) {
    AddSourceLevels("S", {"A"});
    WriteFile(settings.outputPath, "old set");
    auto other = gdl::FileLock::Acquire(projectDir, std::chrono::milliseconds(0));
    ASSERT_TRUE(other) << other.Err().Message();
    const gdl::BuildResult result = Build();
    EXPECT_EQ(result.outcome, gdl::BuildOutcome::Errors);
    ASSERT_TRUE(result.stopped);
    EXPECT_EQ(result.stopped->Errno(), EWOULDBLOCK);
    EXPECT_EQ(view.lines, (Lines{gdl::BeingBuiltLine("gems.gdp"), "There is 1 error."}));
    EXPECT_TRUE(fake.compiled.empty());
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(gdl::ReadFileBytes(settings.outputPath), "old set");
    EXPECT_EQ(view.enabled, (std::vector<bool>{false, true}));

    // Let go, the next build goes ahead.
    other = gdl::FileLock();
    prompts.answers = {gdl::Answer::Yes};
    EXPECT_EQ(Build().outcome, gdl::BuildOutcome::Done);
}

// An output that names the project, a source or a kept compiled level is
// refused before anything is asked or written, whatever the answer would be.
TEST_F(BuildTest, AnOutputNamingAnInputIsRefused) {
    AddSourceLevels("S", {"A"});
    WriteFile(projectDir + "S.lvs", "source text");
    WriteFile(projectDir + "FREE.bin", MakeBin(40, "FREE"));
    AddLevel("FREE");
    model.sources = {"S"};
    WriteFile(projectDir + "gems.gdp", "[^GDP]\r\nName=Gem Set\r\n");
    fs::create_symlink(projectDir + "gems.gdp", root.Folder() + "link.gdl");
    struct Case {
        std::string output, input;
    };
    const Case cases[] = {
        {projectDir + "gems.gdp", projectDir + "gems.gdp"},
        {projectDir + "../project/gems.gdp", projectDir + "gems.gdp"},
        {root.Folder() + "link.gdl", projectDir + "gems.gdp"},
        {projectDir + "S.lvs", projectDir + "S.lvs"},
        {projectDir + "FREE.bin", projectDir + "FREE.bin"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output);
        const auto before = gdl::ReadFileBytes(c.input);
        settings.outputPath = c.output;
        prompts.answers = {gdl::Answer::Yes};
        view.lines.clear();
        const gdl::BuildResult result = Build();
        EXPECT_EQ(result.outcome, gdl::BuildOutcome::Errors);
        ASSERT_TRUE(result.stopped);
        EXPECT_EQ(result.stopped->Kind(), gdl::ErrorKind::Caller);
        EXPECT_EQ(view.lines,
                  (Lines{gdl::OutputIsInputLine(c.output, c.input), "There is 1 error."}));
        EXPECT_EQ(gdl::ReadFileBytes(c.input), before);
        EXPECT_TRUE(fake.compiled.empty());
    }
}

}  // namespace
