// The build's compiled levels: one compile a source, a level that is never
// made or changes, the tool's own messages, and what is cleaned up after.
#include <gtest/gtest.h>

#include "BuildFixture.h"

namespace {

using gdltest::BuildTest;
using gdltest::Lines;
using gdltest::MakeBin;
namespace fs = std::filesystem;

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

}  // namespace
