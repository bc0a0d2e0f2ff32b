// Playtest and level test: the window's project goes to the player through a
// temporary project file that lives only while the player runs. Also the
// window's close request and the limits of its fields.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "FakeTools.h"
#include "LevelTexts.h"
#include "ProjectFixtures.h"

namespace gdl {
namespace {

using gdltest::ListingOf;

// What the player saw of its project file while it ran.
struct PlayerRun {
    ToolCall call;
    std::optional<ProjectModel> project;
};

class PlaytestTest : public gdltest::ProjectWindowFixture {
protected:
    void SetUp() override {
        ProjectWindowFixture::SetUp();
        runner.onRun = [this](const ToolCall& call) {
            if (FileNameOf(call.file) != kPlayerProgram) return fake.Run(call);
            PlayerRun run{call, std::nullopt};
            ProjectModel seen;
            if (!call.arguments.empty() && LoadProject(seen, call.arguments.front()))
                run.project = seen;
            players.push_back(run);
            return 0;
        };
    }

    // A project of entries A to D of source S, with the given hidden levels.
    ProjectWindow& StartWithLevels(int offset, const std::string& folder = {}) {
        fake.listings["S"] = ListingOf({"A", "B", "C", "D"});
        std::string path = WriteProject("set.gdp", {"S"}, {"S:A", "S:B", "S:C", "S:D"}, offset);
        if (!folder.empty()) {
            ProjectModel m;
            EXPECT_TRUE(LoadProject(m, path));
            path = folder + "set.gdp";
            EXPECT_TRUE(SaveProjectAs(m, path));
        }
        return Start({path});
    }

    std::vector<PlayerRun> players;
};

TEST_F(PlaytestTest, ThePlayerGetsTheUnsavedStateAndTheSavedFileStaysAsItWas) {
    auto& w = StartWithLevels(0);
    const std::string saved = ReadFileBytes(projects + "set.gdp").value_or("");
    w.Props().eNameChange("Unsaved Name");
    w.Levels().cLevelsClick(0);
    w.Levels().ePasswordChange("ZZZZ");
    w.Levels().bDownClick();

    w.Tests().bPlaytestClick();
    ASSERT_EQ(players.size(), 1u);
    const ToolCall& call = players[0].call;
    EXPECT_EQ(call.file, bin + "gdlplay.exe");
    EXPECT_EQ(call.arguments, std::vector<std::string>{projects + "$gdltmp$.gdp"});
    EXPECT_EQ(call.folder, projects);
    EXPECT_TRUE(call.shown);
    EXPECT_TRUE(call.wait);
    ASSERT_TRUE(players[0].project);
    const ProjectModel& played = *players[0].project;
    EXPECT_EQ(played.name, "Unsaved Name");
    ASSERT_EQ(played.levels.size(), 4u);
    EXPECT_EQ(played.levels[0].reference, "S:B");
    EXPECT_EQ(played.levels[1].reference, "S:A");
    EXPECT_EQ(played.levels[1].password, "ZZZZ");

    EXPECT_FALSE(FileExists(projects + "$gdltmp$.gdp"));
    EXPECT_EQ(ReadFileBytes(projects + "set.gdp").value_or(""), saved);
    EXPECT_TRUE(w.Model().modified);
    EXPECT_EQ(w.Model().FullPath(), projects + "set.gdp");
    EXPECT_EQ(w.Recent().Paths()[0], "");
    EXPECT_TRUE(prompts.shown.empty());
}

struct LevelIndexCase {
    int offset;
    int selected;  // -1: nothing selected
    std::string index;
};

TEST_F(PlaytestTest, TheLevelTestStartsAtTheSelectedLevelCountedFromTheHiddenOnes) {
    const LevelIndexCase cases[] = {
        {2, 0, "-1"}, {2, 1, "0"}, {2, 2, "1"}, {2, -1, "-2"}, {0, -1, "0"}, {0, 3, "4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("offset " + std::to_string(c.offset) + ", item " + std::to_string(c.selected));
        players.clear();
        auto& w = StartWithLevels(c.offset);
        w.Levels().cLevelsClick(c.selected);
        w.Tests().bTestLClick();
        ASSERT_EQ(players.size(), 1u);
        EXPECT_EQ(players[0].call.arguments,
                  (std::vector<std::string>{projects + "$gdltmp$.gdp", c.index}));
        EXPECT_TRUE(players[0].project.has_value());
        EXPECT_FALSE(FileExists(projects + "$gdltmp$.gdp"));
    }
}

TEST_F(PlaytestTest, ADoubleClickOnTheListTestsTheLevel) {
    auto& w = StartWithLevels(1);
    w.Levels().cLevelsClick(3);
    w.Tests().bTestLClick();
    ASSERT_EQ(players.size(), 1u);
    EXPECT_EQ(players[0].call.arguments.back(), "3");
}

TEST_F(PlaytestTest, AFolderWithBlanksStaysOneArgument) {
    const std::string folder = install.MakeFolder("my level sets");
    auto& w = StartWithLevels(0, folder);
    w.Levels().cLevelsClick(1);
    w.Tests().bTestLClick();
    w.Tests().bPlaytestClick();
    ASSERT_EQ(players.size(), 2u);
    EXPECT_EQ(players[0].call.arguments, (std::vector<std::string>{folder + "$gdltmp$.gdp", "2"}));
    EXPECT_EQ(players[1].call.arguments, std::vector<std::string>{folder + "$gdltmp$.gdp"});
    EXPECT_EQ(players[1].call.folder, folder);
}

TEST_F(PlaytestTest, NothingIsPlayedWithoutAProjectOrWithoutNumberedLevels) {
    auto& w = Start();
    w.Tests().bPlaytestClick();
    w.Tests().bTestLClick();
    EXPECT_TRUE(players.empty());

    // Two hidden levels and nothing else: the set has nothing to play from its start.
    fake.listings["S"] = ListingOf({"A", "B"});
    prompts.paths = {WriteProject("hidden.gdp", {"S"}, {"S:A", "S:B"}, 2)};
    w.Files().bOpenClick();
    ASSERT_TRUE(w.Model().open);
    EXPECT_FALSE(w.View().playtestEnabled);
    w.Tests().bPlaytestClick();
    EXPECT_TRUE(players.empty());
    w.Levels().cLevelsClick(0);
    w.Tests().bTestLClick();
    EXPECT_EQ(players.size(), 1u);
}

TEST_F(PlaytestTest, AnUnwritableTemporaryFileIsReportedAndNothingIsStarted) {
    auto& w = StartWithLevels(0);
    // A folder in the way that cannot be deleted or replaced.
    install.MakeFolder("source/$gdltmp$.gdp");
    install.Write("source/$gdltmp$.gdp/keep", "x");
    w.Tests().bPlaytestClick();
    EXPECT_TRUE(players.empty());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].caption, "File Error");
    EXPECT_EQ(prompts.shown[0].text,
              "Unable to save project file \"" + projects + "$gdltmp$.gdp\".");
}

TEST_F(PlaytestTest, AnOldTemporaryFileIsNeverPlayed) {
    install.Write("source/$gdltmp$.gdp", "[^GDP]\r\nName=Stale\r\n");
    auto& w = StartWithLevels(0);
    w.Tests().bPlaytestClick();
    ASSERT_EQ(players.size(), 1u);
    ASSERT_TRUE(players[0].project);
    EXPECT_EQ(players[0].project->name, "Test Set");
}

// The real runner and a stand-in player: the arguments arrive as separate
// words, the player runs in the project folder, and a missing player starts
// nothing and says nothing.
TEST(PlaytestProcess, TheRealPlayerGetsItsWordsAndTheFileIsGoneAfterwards) {
    gdltest::TempDir kit;
    const std::string bin = kit.MakeFolder("bin");
    gdltest::WriteMarkers(bin, {"ld.exe", "ld.pif", "ldinfo.pif"});
    const std::string folder = kit.MakeFolder("my sets");
    ProjectModel m;
    m.name = "Real";
    m.offset = 1;
    m.levels = {{"S:A", "", "", "0", ""}, {"S:B", "", "", "0", ""}};
    ASSERT_TRUE(SaveProjectAs(m, folder + "real.gdp"));

    gdltest::RealProcessWindow real(kit.Folder());
    auto& w = real.Open(folder + "real.gdp");
    ASSERT_TRUE(w.Model().open);
    auto& prompts = real.prompts;

    w.Levels().cLevelsClick(1);
    w.Tests().bTestLClick();  // no player installed yet
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_FALSE(FileExists(folder + "$gdltmp$.gdp"));

    gdltest::WriteScript(bin + "gdlplay.exe",
                         "printf '%s\\n' \"$@\" > words.txt\n"
                         "pwd > folder.txt\n"
                         "cp \"$1\" seen.gdp\n");
    w.Tests().bTestLClick();
    EXPECT_EQ(ReadFileBytes(folder + "words.txt").value_or(""), folder + "$gdltmp$.gdp\n" + "1\n");
    EXPECT_EQ(ReadFileBytes(folder + "folder.txt").value_or(""), kit.Path("my sets") + "\n");
    EXPECT_TRUE(FileExists(folder + "seen.gdp"));
    EXPECT_FALSE(FileExists(folder + "$gdltmp$.gdp"));
}

}  // namespace
}  // namespace gdl
