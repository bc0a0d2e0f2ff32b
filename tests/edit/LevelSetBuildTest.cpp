// The level set build: the set it writes, the checks of every level, the
// music, the level list and the real tool runs.
#include <gtest/gtest.h>

#include "BuildFixture.h"

namespace {

using gdltest::BuildTest;
using gdltest::Lines;
using gdltest::MakeBin;
namespace fs = std::filesystem;

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
