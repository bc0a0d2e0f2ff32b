#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>

#include "EditorFakes.h"
#include "FakeTools.h"
#include "FileLock.h"
#include "FileUtil.h"
#include "LevelReference.h"
#include "LevelSetBuild.h"
#include "LevelSetFile.h"
#include "LevelTexts.h"
#include "LevelTool.h"
#include "Passwords.h"
#include "ProjectFixtures.h"
#include "Prompts.h"
#include "ReadOnlyFolder.h"
#include "TextUtil.h"
#include "ToolRunner.h"

namespace {

using gdl::LevelEntry;
using Lines = std::vector<std::string>;
namespace fs = std::filesystem;

std::string MakeBin(std::size_t size, std::string_view name) {
    return gdltest::CompiledLevelBytes(size, name);
}

class RecordingView : public gdl::BuildView {
public:
    std::vector<std::string> lines;
    std::vector<std::string> statusBar;
    std::vector<bool> enabled;
    int progressMax = -1;
    int progress = -1;
    void SetStatusBar(const std::string& text) override { statusBar.push_back(text); }
    void ClearStatusLines() override { lines.clear(); }
    void AddStatusLine(const std::string& line) override { lines.push_back(line); }
    void SetProgressMax(int maximum) override { progressMax = maximum; }
    void SetProgress(int position) override { progress = position; }
    void SetBuildControlsEnabled(bool on) override { enabled.push_back(on); }
};

// A project folder, a tool folder with the tool's files present, and a level
// tool whose runs are played by the test: a compile writes the source's levels.
class BuildTest : public ::testing::Test {
protected:
    BuildTest() {
        gdltest::WriteMarkers(toolDir,
                              {"ld.exe", "ld.pif", "ldinfo.pif", "gdlstat.exe", "ldstat.pif"});
        fake.Attach(runner);
        model.name = "Gem Set";
        model.copyrightYear = 2024;
        model.notice = "A. Designer";
        model.wizard = "WZRD";
        model.musicMode = gdl::MusicMode::Manual;
        model.folder = projectDir;
        model.fileName = "gems.gdp";
        model.open = true;
        settings.outputPath = root.Folder() + "out.gdl";
    }

    static void WriteFile(const std::string& path, std::string_view bytes) {
        ASSERT_TRUE(gdl::WriteFileAtomic(path, bytes)) << path;
    }

    void AddLevel(std::string reference, std::string designer = "Ann", std::string password = "") {
        if (password.empty()) password = "P" + std::to_string(model.levels.size() + 100);
        LevelEntry e;
        e.reference = std::move(reference);
        e.designer = std::move(designer);
        e.password = std::move(password);
        e.hint = "hint " + e.reference;
        model.levels.push_back(e);
    }
    // Levels of one source, compiled from it.
    void AddSourceLevels(const std::string& source, const Lines& levels, std::size_t size = 40) {
        for (const auto& level : levels) {
            fake.sources[source][level] = MakeBin(size, level);
            AddLevel(source + ":" + level);
        }
    }

    gdl::BuildResult Build() {
        return gdl::RunLevelSetBuild(model, settings, tool, prompts, random, view);
    }
    std::optional<gdl::LevelSetContents> Output() const {
        auto bytes = gdl::ReadFileBytes(settings.outputPath);
        if (!bytes) return std::nullopt;
        return gdl::ParseLevelSet(*bytes);
    }
    // The files in the output's folder, folders left out.
    Lines FilesBesideOutput() const {
        Lines names;
        for (const auto& f : fs::directory_iterator(root.Folder()))
            if (!f.is_directory()) names.push_back(f.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // The build failed with exactly these error lines and left no level set.
    void ExpectErrors(const gdl::BuildResult& result, const Lines& errors) const {
        ExpectErrorsKeepingOutput(result, errors);
        EXPECT_FALSE(fs::is_regular_file(settings.outputPath));
    }
    // As ExpectErrors, with an old set at the output path that stays.
    void ExpectErrorsKeepingOutput(const gdl::BuildResult& result, const Lines& errors) const {
        Lines found;
        for (const auto& l : view.lines)
            if (l.rfind("ERROR:", 0) == 0) found.push_back(l);
        EXPECT_EQ(found, errors);
        EXPECT_EQ(result.outcome, gdl::BuildOutcome::Errors);
        EXPECT_EQ(result.errors, static_cast<int>(errors.size()));
        EXPECT_EQ(view.lines.back(), gdl::FinalBuildLine(static_cast<int>(errors.size())));
    }

    gdltest::TempDir root;
    std::string projectDir = root.MakeFolder("project"), toolDir = root.MakeFolder("bin");
    gdltest::FakeLevelTool fake;
    gdl::RecordingToolRunner runner;
    gdl::ScriptedPrompts prompts;
    gdl::LevelTool tool{toolDir, runner, prompts};
    gdl::ScriptedRandom random;
    RecordingView view;
    gdl::ProjectModel model;
    gdl::BuildSettings settings;
};

TEST_F(BuildTest, OneLevelOf500BytesMakesA24892ByteSet) {
    fake.sources["Gems"]["PIT"] = MakeBin(500, "THE PIT");
    AddLevel("Gems:PIT", "Ann", "ABCD");
    WriteFile(projectDir + "gdl.hsf", "left by the tool");

    EXPECT_EQ(Build().outcome, gdl::BuildOutcome::Done);
    EXPECT_EQ(view.lines, (Lines{"Building Level Set...", "Compiling Level 1...",
                                 "Indexing Level 1...", "Cleaning up...", "Done."}));
    EXPECT_EQ(gdl::FileSize(settings.outputPath).value_or(0), 24892u);
    auto set = Output();
    ASSERT_TRUE(set);
    const auto& header = set->index.header;
    EXPECT_EQ(header.name, "Gem Set");
    EXPECT_EQ(header.year, "2024");
    EXPECT_EQ(header.wizard, "WZRD");
    EXPECT_EQ(header.visibleCount, 1);
    EXPECT_EQ(header.hiddenCount, 0);
    const auto& entry = set->index.table[0];
    EXPECT_TRUE(entry.present);
    EXPECT_EQ(entry.position, 1);
    EXPECT_EQ(entry.password, "ABCD");
    EXPECT_EQ(entry.designer, "Ann");
    EXPECT_EQ(entry.size, 500u);
    EXPECT_FALSE(set->index.table[1].present);
    ASSERT_EQ(set->levels.size(), 1u);
    EXPECT_EQ(set->levels[0].first.hint, "hint Gems:PIT");
    EXPECT_EQ(set->levels[0].second, MakeBin(500, "THE PIT"));
    EXPECT_TRUE(set->hasEndRecord);
    // Intermediate files are gone; the project's own files are not touched.
    EXPECT_FALSE(fs::exists(projectDir + "PIT.bin"));
    EXPECT_FALSE(fs::exists(projectDir + "gdl.hsf"));
    EXPECT_FALSE(fs::exists(projectDir + "gems.txt"));
    EXPECT_EQ(view.statusBar, (Lines{" Building...", " " + model.FullPath()}));
    EXPECT_EQ(view.enabled, (std::vector<bool>{false, true}));
    EXPECT_EQ(view.progressMax, 4);
    EXPECT_EQ(view.progress, 4);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(BuildTest, HiddenLevelsAreLabelledFromTheOffset) {
    AddSourceLevels("S", {"A", "B", "C"});
    model.offset = 2;

    ASSERT_EQ(Build().outcome, gdl::BuildOutcome::Done);
    EXPECT_EQ(view.lines,
              (Lines{"Building Level Set...", "Compiling Level H1...", "Compiling Level 0...",
                     "Compiling Level 1...", "Indexing Level H1...", "Indexing Level 0...",
                     "Indexing Level 1...", "Cleaning up...", "Done."}));
    auto set = Output();
    ASSERT_TRUE(set);
    EXPECT_EQ(set->index.header.hiddenCount, 2);
    EXPECT_EQ(set->index.header.visibleCount, 1);
    ASSERT_EQ(set->levels.size(), 3u);
    for (std::uint8_t n = 1; n <= 3; ++n) EXPECT_EQ(set->levels[n - 1].first.position, n);
    EXPECT_EQ(view.progressMax, 8);
}

struct ValidationCase {
    const char* title;
    std::vector<std::pair<std::string, std::string>> levels;  // designer, password
    Lines errors;
};

class ValidationTest : public BuildTest, public ::testing::WithParamInterface<ValidationCase> {};

TEST_P(ValidationTest, ListsEveryErrorAndLeavesNoSet) {
    const auto& c = GetParam();
    for (std::size_t i = 0; i < c.levels.size(); ++i) {
        AddSourceLevels("S", {"L" + std::to_string(i + 1)}, 60);
        model.levels.back().designer = c.levels[i].first;
        model.levels.back().password = c.levels[i].second;
    }
    settings.levelList = true;

    ExpectErrors(Build(), c.errors);
    for (const auto& line : view.lines) EXPECT_EQ(line.find("Indexing"), std::string::npos);
    // Compiled only in the first pass, removed again; the level list is still written.
    EXPECT_EQ(fake.compiled, Lines{"S"});
    for (std::size_t i = 1; i <= c.levels.size(); ++i)
        EXPECT_FALSE(fs::exists(projectDir + "L" + std::to_string(i) + ".bin"));
    EXPECT_TRUE(fs::exists(projectDir + "gems.txt"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ValidationTest,
    ::testing::Values(
        ValidationCase{"NeitherDesignerNorPassword",
                       {{"", ""}},
                       {"ERROR: Level 1 has no Designer!", "ERROR: Level 1 has no Password!"}},
        ValidationCase{"TwoEmptyPasswordsAreNoDuplicate",
                       {{"Ann", ""}, {"Ann", ""}},
                       {"ERROR: Level 1 has no Password!", "ERROR: Level 2 has no Password!"}},
        ValidationCase{"SharedPasswordNamesTheEarlierLevel",
                       {{"Ann", "ABCD"}, {"Ann", "EFGH"}, {"Ann", "abcd"}},
                       {"ERROR: Level 3 has the same Password as Level 1!"}},
        ValidationCase{"WizardCodeClash",
                       {{"Ann", "ABCD"}, {"Ann", "WZRD"}},
                       {"ERROR: Level 2 has the same Password as the Wizard Mode!"}},
        ValidationCase{"ThreeErrors",
                       {{"", "ABCD"}, {"Ann", "WZRD"}, {"Bob", "ABCD"}},
                       {"ERROR: Level 1 has no Designer!",
                        "ERROR: Level 2 has the same Password as the Wizard Mode!",
                        "ERROR: Level 3 has the same Password as Level 1!"}}),
    [](const auto& info) { return std::string(info.param.title); });

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

TEST_F(BuildTest, RandomMusicIsDrawnAnewAndManualIsKept) {
    AddSourceLevels("S", {"A", "B", "C"});
    auto musicOf = [this] {
        auto set = Output();
        std::vector<int> r;
        if (set)
            for (int i = 0; i < 3; ++i) r.push_back(set->index.table[i].music);
        return r;
    };
    model.musicMode = gdl::MusicMode::Random;
    prompts.answers = {gdl::Answer::Yes, gdl::Answer::Yes};
    random.draws = {0, 0, 0};  // up, up, up: 0, 1, 2
    ASSERT_EQ(Build().outcome, gdl::BuildOutcome::Done);
    EXPECT_EQ(musicOf(), (std::vector<int>{0, 1, 2}));
    random.draws = {1, 1, 0};  // down, down, up: 1, 0, 1
    ASSERT_EQ(Build().outcome, gdl::BuildOutcome::Done);
    EXPECT_EQ(musicOf(), (std::vector<int>{1, 0, 1}));
    EXPECT_EQ(model.levels[1].music, "0");

    model.musicMode = gdl::MusicMode::Manual;
    model.levels[0].music = "2";
    model.levels[1].music = "2";
    model.levels[2].music = "0";
    random.draws = {0, 0, 0};
    ASSERT_EQ(Build().outcome, gdl::BuildOutcome::Done);
    EXPECT_EQ(musicOf(), (std::vector<int>{2, 2, 0}));
    EXPECT_EQ(random.draws.size(), 3u);
}

TEST_F(BuildTest, LevelListHasItsOpeningLinesLevelLinesAndSummary) {
    // Levels named without a source: their information comes from their own header.
    for (int i = 1; i <= 13; ++i) {
        std::string name = "LV" + std::to_string(i);
        WriteFile(projectDir + name + ".bin", MakeBin(64, "THE PIT"));
        AddLevel(name, "Ann");
    }
    model.offset = 13;
    model.levels[0].password = "QRST";
    settings.levelList = true;

    ASSERT_EQ(Build().outcome, gdl::BuildOutcome::Done);

    auto text = gdl::ReadFileBytes(projectDir + "gems.txt");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->substr(text->size() - 2), "\r\n");
    auto lines = gdl::SplitLines(*text);
    ASSERT_EQ(lines.size(), 9u + 13 + 2 + 1);
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + 9), gdl::LevelListOpeningLines());
    EXPECT_EQ(lines[1], gdl::kLevelToolBanner1);
    EXPECT_EQ(lines[2], gdl::kLevelToolBanner2);
    EXPECT_EQ(lines[5], std::string(106, '-'));
    // H12 stands right-aligned in columns 4 to 11.
    const std::string& first = lines[9];
    ASSERT_EQ(first.size(), 103u);
    EXPECT_EQ(first.substr(0, 11), "        H12");
    EXPECT_EQ(first.substr(13, 17), "THE PIT          ");
    EXPECT_EQ(first.substr(32, 5), "16x9 ");
    EXPECT_EQ(first.substr(39, 5), "  120");
    EXPECT_EQ(first.substr(46, 5), " 3:05");
    EXPECT_EQ(first.substr(53, 8), "QRST    ");
    EXPECT_EQ(gdl::TrimBlanks(first.substr(63)), "Ann");
    EXPECT_EQ(lines[21].substr(0, 11), "          0");
    EXPECT_EQ(lines[22], "");
    EXPECT_EQ(lines[23], std::string(106, '-'));
    EXPECT_EQ(lines[24], "Levels listed: 13");
    EXPECT_FALSE(fs::exists(projectDir + "gems.te3"));
    EXPECT_FALSE(fs::exists(projectDir + "gems.te4"));
    // Levels named without a source stay, and were never compiled.
    EXPECT_TRUE(fs::exists(projectDir + "LV1.bin"));
    EXPECT_TRUE(fake.compiled.empty());
}

TEST_F(BuildTest, LevelListOfASourceComesFromItsListing) {
    AddSourceLevels("S", {"PIT"});
    fake.listings["S"] =
        gdltest::Listing({gdltest::ListingRow("PIT", "DEEP PIT", "20x10", "300", "12:00")});
    settings.levelList = true;
    fs::remove(toolDir + "gdlstat.exe");  // no summary, and no message for it

    ASSERT_EQ(Build().outcome, gdl::BuildOutcome::Done);

    auto lines = gdl::SplitLines(gdl::ReadFileBytes(projectDir + "gems.txt").value_or(""));
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[9].substr(0, 51), "          1  DEEP PIT           20x10    300  12:00");
    EXPECT_EQ(lines[11], std::string(106, '-'));
    EXPECT_EQ(fake.listed, Lines{"S"});
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(BuildTest, CompilesEachSourceOncePerBuild) {
    AddSourceLevels("A", {"A1", "A2"});
    AddSourceLevels("B", {"B1"});
    AddSourceLevels("A", {"A3"});
    AddSourceLevels("B", {"B2"});
    WriteFile(projectDir + "FREE.bin", MakeBin(40, "FREE"));
    AddLevel("FREE");

    ASSERT_EQ(Build().outcome, gdl::BuildOutcome::Done);
    EXPECT_EQ(fake.compiled, (Lines{"A", "B"}));
    auto set = Output();
    ASSERT_TRUE(set);
    ASSERT_EQ(set->levels.size(), 6u);
    for (std::size_t i = 0; i < 5; ++i) {
        const std::string level = gdl::SplitReference(model.levels[i].reference).level;
        EXPECT_EQ(set->levels[i].second, MakeBin(40, level)) << level;
    }
    for (const auto& call : runner.calls) {
        EXPECT_EQ(call.folder, projectDir);
        EXPECT_TRUE(call.wait);
    }
}

TEST_F(BuildTest, CompilesAgainForAMissingLevelFile) {
    AddSourceLevels("A", {"A1"});
    AddLevel("A:A2");
    // The first compile leaves A2 out; later ones make it.
    fake.onCompile = [this](const std::string&, std::size_t n) {
        if (n == 2) fake.sources["A"]["A2"] = MakeBin(44, "A2");
    };

    ASSERT_EQ(Build().outcome, gdl::BuildOutcome::Done);
    EXPECT_EQ(fake.compiled, (Lines{"A", "A"}));
    auto set = Output();
    ASSERT_TRUE(set);
    EXPECT_EQ(set->index.table[1].size, 44u);
}

TEST_F(BuildTest, LevelThatIsNeverMadeIsAnError) {
    AddSourceLevels("A", {"A1"});
    AddLevel("A:MISSING");
    AddLevel("A:ADIR");
    fs::create_directory(projectDir + "ADIR.bin");

    ExpectErrors(Build(), {"ERROR: Level 2 could not be compiled!",
                           "ERROR: Level 3 could not be compiled!"});
}

TEST_F(BuildTest, UnreadableLevelIsAnError) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    WriteFile(projectDir + "LOCKED.bin", MakeBin(40, "LOCKED"));
    ::chmod((projectDir + "LOCKED.bin").c_str(), 0);
    AddLevel("LOCKED");

    ExpectErrors(Build(), {"ERROR: Level 1 could not be compiled!"});
}

TEST_F(BuildTest, LevelChangingBetweenThePassesIsAnError) {
    AddSourceLevels("A", {"A1"});
    WriteFile(projectDir + "FREE.bin", MakeBin(40, "FREE"));
    AddLevel("FREE");
    AddSourceLevels("B", {"B1"});
    // B's compile also writes a level named A1 and removes FREE, and A's
    // source grows its A1 meanwhile: the second pass compiles A again.
    fake.sources["B"]["A1"] = MakeBin(39, "B's A1");
    fake.onCompile = [this](const std::string& source, std::size_t) {
        if (source != "B") return;
        fake.sources["A"]["A1"] = MakeBin(41, "A1");
        fs::remove(projectDir + "FREE.bin");
    };

    ExpectErrors(Build(), {"ERROR: Level 1 changed size during the build!",
                           "ERROR: Level 2 could not be compiled!"});
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

TEST_F(BuildTest, NamesWithASlashStayInsideTheProjectFolder) {
    const std::string outside = root.Folder() + "outside.bin";
    WriteFile(outside, MakeBin(40, "OUTSIDE"));
    WriteFile(root.Folder() + "evil.te2", "[x]\r\nName=EVIL\r\n");
    fake.sources["A"]["A1"] = MakeBin(40, "A1");
    AddLevel("A:../outside");
    AddLevel("../outside");
    AddLevel("../evil:A1");
    settings.levelList = true;

    ExpectErrors(Build(), {"ERROR: Level 1 has an invalid Level Reference!",
                           "ERROR: Level 2 has an invalid Level Reference!",
                           "ERROR: Level 3 has an invalid Level Reference!"});
    EXPECT_EQ(gdl::ReadFileBytes(outside), MakeBin(40, "OUTSIDE"));
    EXPECT_EQ(fake.compiled, Lines{"A"});
    EXPECT_TRUE(fake.listed.empty());
    auto list = gdl::ReadFileBytes(projectDir + "gems.txt").value_or("");
    EXPECT_EQ(list.find("OUTSIDE"), std::string::npos);
    EXPECT_NE(list.find("*level error*"), std::string::npos);
}

TEST_F(BuildTest, ALevelNameTwoSourcesShareIsCompiledFromEach) {
    fake.sources["A"]["X"] = MakeBin(40, "A's X");
    fake.sources["B"]["X"] = MakeBin(50, "B's X");
    AddLevel("A:X");
    AddLevel("B:X");

    ASSERT_EQ(Build().outcome, gdl::BuildOutcome::Done);
    // B's compile replaced A's X, so A is compiled again for its record.
    EXPECT_EQ(fake.compiled, (Lines{"A", "B", "A", "B"}));
    auto set = Output();
    ASSERT_TRUE(set);
    ASSERT_EQ(set->levels.size(), 2u);
    EXPECT_EQ(set->levels[0].second, MakeBin(40, "A's X"));
    EXPECT_EQ(set->levels[1].second, MakeBin(50, "B's X"));
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

TEST_F(BuildTest, RemovesEveryCompiledLevelItsCompilesMade) {
    AddSourceLevels("A", {"A1"});
    fake.sources["A"]["UNUSED"] = MakeBin(40, "UNUSED");
    fake.sources["B"]["SPARE"] = MakeBin(40, "SPARE");
    AddSourceLevels("B", {"B1"});
    WriteFile(projectDir + "FREE.bin", MakeBin(40, "FREE"));
    AddLevel("FREE");
    WriteFile(projectDir + "OTHER.bin", "not made by this build");
    // Left by an earlier run of the tool and written again by this build's.
    WriteFile(projectDir + "SPARE.bin", MakeBin(40, "SPARE"));

    ASSERT_EQ(Build().outcome, gdl::BuildOutcome::Done);
    for (const char* name : {"A1", "UNUSED", "B1", "SPARE"})
        EXPECT_FALSE(fs::exists(projectDir + name + ".bin")) << name;
    EXPECT_EQ(gdl::ReadFileBytes(projectDir + "FREE.bin"), MakeBin(40, "FREE"));
    EXPECT_EQ(gdl::ReadFileBytes(projectDir + "OTHER.bin"), "not made by this build");
}

TEST_F(BuildTest, TheLevelToolsOwnMessagesFollowTheErrorLine) {
    settings.toolOutput = &runner;
    AddSourceLevels("Caverns", {"C1"});
    AddLevel("Caverns:C2");
    fake.onCompile = [this](const std::string&, std::size_t) {
        runner.errorOutput = "Caverns.lvs:26: the map has no player start\n\n  second line  \n";
    };

    auto result = Build();
    ExpectErrors(result, {"ERROR: Level 2 could not be compiled!"});
    auto error =
        std::find(view.lines.begin(), view.lines.end(), "ERROR: Level 2 could not be compiled!");
    ASSERT_GE(std::distance(error, view.lines.end()), 3);
    EXPECT_EQ(*(error + 1), "   Caverns.lvs:26: the map has no player start");
    EXPECT_EQ(*(error + 2), "   second line");
}

TEST(BuildTexts, ToolOutputIsCutToAFewIndentedLines) {
    EXPECT_TRUE(gdl::ToolOutputLines("").empty());
    EXPECT_TRUE(gdl::ToolOutputLines(" \r\n\n").empty());
    std::string many;
    for (int i = 1; i <= 9; ++i) many += "line " + std::to_string(i) + "\r\n";
    EXPECT_EQ(gdl::ToolOutputLines(many),
              (Lines{"   line 1", "   line 2", "   line 3", "   line 4", "   line 5"}));
}

TEST_F(BuildTest, ALevelWithoutASourceFileIsNamed) {
    AddSourceLevels("A", {"A1", "SHARED"});
    // Each of these would take SHARED.bin, which A's compile made.
    AddLevel(".:SHARED");
    AddLevel("..:SHARED");
    AddLevel("Gone:SHARED");

    ExpectErrors(Build(), {"ERROR: Level 3 has no Source File \"..lvs\"!",
                           "ERROR: Level 4 has no Source File \"...lvs\"!",
                           "ERROR: Level 5 has no Source File \"Gone.lvs\"!"});
    EXPECT_EQ(fake.compiled, (Lines{"A", "Gone"}));
}

// The real runner and batch files, with shell scripts standing in for the tools.
TEST_F(BuildTest, RunsTheToolsAsProcesses) {
    gdl::PosixToolRunner posix;
    gdl::LevelTool realTool(toolDir, posix, prompts);
    gdltest::WriteScript(
        toolDir + "ld.exe",
        "case \"$1\" in -m*) cp \"$(dirname \"$0\")/made/${1#-m}/\"*.bin . ;; esac");
    gdltest::WriteScript(toolDir + "gdlstat.exe", "printf '1\\n2\\n3\\n4\\n5\\n6\\n7\\n'\nwc -l");
    const std::string made = root.MakeFolder("bin/made/Src");
    WriteFile(made + "ONE.bin", MakeBin(300, "ONE"));
    WriteFile(made + "TWO.bin", MakeBin(200, "TWO"));
    AddLevel("Src:ONE");
    AddLevel("Src:TWO");
    settings.levelList = true;

    auto result = gdl::RunLevelSetBuild(model, settings, realTool, prompts, random, view);

    EXPECT_EQ(result.outcome, gdl::BuildOutcome::Done) << ::testing::PrintToString(view.lines);
    auto set = Output();
    ASSERT_TRUE(set);
    ASSERT_EQ(set->levels.size(), 2u);
    EXPECT_EQ(set->levels[0].second, MakeBin(300, "ONE"));
    EXPECT_EQ(set->levels[1].second, MakeBin(200, "TWO"));
    EXPECT_FALSE(fs::exists(projectDir + "ONE.bin"));
    auto lines = gdl::SplitLines(gdl::ReadFileBytes(projectDir + "gems.txt").value_or(""));
    ASSERT_EQ(lines.size(), 9u + 2 + 2 + 1);
    EXPECT_EQ(gdl::TrimBlanks(lines.back()), "13");
    EXPECT_FALSE(fs::exists(projectDir + "gems.te3"));
    EXPECT_FALSE(fs::exists(projectDir + "gems.te4"));
}

TEST(BuildTexts, FinalLineAndOutputPath) {
    EXPECT_EQ(gdl::FinalBuildLine(0), "Done.");
    EXPECT_EQ(gdl::FinalBuildLine(1), "There is 1 error.");
    EXPECT_EQ(gdl::FinalBuildLine(12), "There are 12 errors.");
    EXPECT_EQ(gdl::ComposeOutputPath("/kit/levels/", "/p/", "a.gdl", false), "/kit/levels/a.gdl");
    EXPECT_EQ(gdl::ComposeOutputPath("/kit/levels/", "/p/", "a.gdl", true), "/p/a.gdl");
    EXPECT_EQ(gdl::ComposeOutputPath("", "/p/", "a.gdl", false), "/p/a.gdl");
}

TEST(BuildTexts, LevelListColumns) {
    const std::string heading = gdl::kLevelListHeading;
    EXPECT_EQ(heading.find("Name"), 3u);
    EXPECT_EQ(heading.find("Long Name"), 13u);
    EXPECT_EQ(heading.find("Size"), 32u);
    EXPECT_EQ(heading.find("Quota"), 39u);
    EXPECT_EQ(heading.find("Time"), 46u);
    EXPECT_EQ(heading.find("Compression"), 53u);
    EXPECT_EQ(std::string(gdl::kLevelListDashes).substr(0, 11), "   --------");
    std::string line = gdl::FormatLevelListLine("H1", "info", "ABCDEFGHIJ", std::string(50, 'd'));
    EXPECT_EQ(line.size(), 103u);
    EXPECT_EQ(line.substr(53, 10), "ABCDEFGH  ");
    EXPECT_EQ(line.substr(63), std::string(40, 'd'));
}

}  // namespace

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

// A source that has no file, or names a folder, leaves no listing behind:
// no "Nosrc.te1", no "..te1".
TEST_F(BuildTest, NoListingIsLeftForASourceThatIsNoFile) {
    AddSourceLevels("S", {"A"});
    WriteFile(projectDir + "S.lvs", "source text");
    fake.listings["S"] = "";
    fake.listings["Nosrc"] = "ld: cannot open Nosrc.lvs\r\n";
    fake.listings["."] = "ld: cannot open ..lvs\r\n";
    fake.listings[".."] = "ld: cannot open ...lvs\r\n";
    AddLevel("Nosrc:LEV");
    AddLevel(".:X");
    AddLevel("..:Y");
    settings.levelList = true;
    (void)Build();
    for (const auto& f : fs::directory_iterator(projectDir)) {
        const std::string name = f.path().filename().string();
        const std::string ext = f.path().extension().string();
        if (ext == ".te1" || ext == ".te2") {
            EXPECT_EQ(name.substr(0, 2), "S.") << name;
        }
    }
}
