// The Source page's road through the editor's core: new, added, removed and
// merged sources, include and exclude, the level tool's messages, GDLMap.
#include <gtest/gtest.h>

#include <algorithm>

#include "LevelTexts.h"
#include "ProjectFixtures.h"

namespace gdl {
namespace {

using gdltest::ListingOf;
using ProjectWindowTest = gdltest::ProjectWindowFixture;

TEST_F(ProjectWindowTest, NewSourceNamesLeaveRoomForTheNumber) {
    auto& w = Start();
    prompts.paths.push_back(projects + "p.gdp");
    w.Files().bNewClick();
    w.Props().eNameChange("Level Pack");
    WriteFileAtomic(projects + "LevelPa2.lvs", "taken");
    w.Source().bNewSClick();
    w.Source().bNewSClick();
    EXPECT_EQ(w.Model().sources, (std::vector<std::string>{"LevelPa1", "LevelPa3"}));
    EXPECT_EQ(ReadFileBytes(projects + "LevelPa2.lvs"), "taken");
    for (int n = 4; n <= 9; ++n) w.Source().bNewSClick();
    w.Source().bNewSClick();
    EXPECT_EQ(w.Model().sources.back(), "LevelP10");
    EXPECT_TRUE(FileExists(projects + "LevelP10.lvs"));
    auto edit = std::find_if(runner.calls.begin(), runner.calls.end(), [](const ToolCall& c) {
        return FileNameOf(c.file) == "ldedit.bat" && c.argument == "LevelP10";
    });
    ASSERT_NE(edit, runner.calls.end());
    EXPECT_TRUE(edit->wait);
    EXPECT_TRUE(edit->shown);
}

TEST_F(ProjectWindowTest, NewSourceNameFromAHostileProjectNameStaysInTheFolder) {
    auto& w = Start();
    prompts.paths.push_back(projects + "p.gdp");
    w.Files().bNewClick();
    w.Props().eNameChange("../a:b/\x01\xE9.c");
    w.Source().bNewSClick();
    ASSERT_EQ(w.Model().sources.size(), 1u);
    EXPECT_EQ(w.Model().sources[0], "abc1");
    EXPECT_TRUE(FileExists(projects + "abc1.lvs"));
}

TEST_F(ProjectWindowTest, IncludeExcludeAndAutomation) {
    fake.listings["Src"] = ListingOf({"ONE", "TWO", "THREE"});
    auto& w = Start({WriteProject("p.gdp", {"Src"}, {}, 0, MusicMode::Automatic)});
    w.Options().PopulateDesigner1Click();
    w.Options().GeneratePassword1Click();
    EXPECT_EQ(registry.ReadValue(RegRoot::LocalMachine, kRegKeyAutomation, "GeneratePassword"),
              "1");
    w.Source().cSourceClick(0);
    EXPECT_EQ(w.View().source.contents, (std::vector<std::string>{"ONE", "TWO", "THREE"}));
    w.Source().cContentsClick(1);
    EXPECT_EQ(w.View().source.levelLabel, "unused");
    EXPECT_EQ(w.View().source.usage, UsageIcon::NotIncluded);
    EXPECT_EQ(w.View().source.eNameI, "LONG TWO");
    EXPECT_EQ(w.View().source.eTimeI, "3:05");

    random.draws = {0, 1, 2, 3};
    w.Source().bIncludeClick();
    ASSERT_EQ(References(), (std::vector<std::string>{"Src:TWO"}));
    EXPECT_EQ(w.Model().levels[0].designer, "Src");
    EXPECT_EQ(w.Model().levels[0].password, "ABCD");
    EXPECT_EQ(w.View().source.levelLabel, "1");
    EXPECT_EQ(w.View().source.usageHint, "This level is included in the Level Set");
    EXPECT_TRUE(w.Model().modified);

    w.Options().GeneratePassword1Click();
    w.Source().bIncludeAllClick();
    EXPECT_EQ(References(), (std::vector<std::string>{"Src:TWO", "Src:ONE", "Src:THREE"}));
    EXPECT_EQ(w.Model().levels[2].music, "2");

    w.Source().cContentsClick(0);
    w.Source().cContentsDblClick();
    EXPECT_EQ(References(), (std::vector<std::string>{"Src:TWO", "Src:THREE"}));
    w.Source().cContentsDblClick();
    EXPECT_EQ(w.Model().levels.back().designer, "");  // a double-click skips the automation
}

TEST_F(ProjectWindowTest, ExcludeAllWithNothingIncludedLeavesTheProjectUnmodified) {
    fake.listings["Src"] = ListingOf({"ONE", "TWO"});
    auto& w = Start({WriteProject("p.gdp", {"Src"}, {})});
    w.Source().cSourceClick(0);
    prompts.answers.push_back(Answer::Yes);
    w.Source().bExcludeAllClick();
    EXPECT_EQ(prompts.shown.back().text, "Exclude all levels for \"Src\" from the level set?");
    EXPECT_FALSE(w.Model().modified);
    EXPECT_FALSE(w.View().saveEnabled);
}

TEST_F(ProjectWindowTest, RemovingASourceDropsItsLevelsAndKeepsItsFile) {
    fake.listings["Src"] = ListingOf({"ONE"});
    fake.listings["Other"] = ListingOf({"X"});
    WriteFileAtomic(projects + "Src.lvs", "levels");
    auto& w = Start({WriteProject("p.gdp", {"Src", "Other"}, {"Src:ONE", "Other:X", "Src:GONE"})});
    w.Source().cSourceClick(0);
    EXPECT_TRUE(FileExists(projects + "Src.te1"));
    prompts.answers.push_back(Answer::Yes);
    w.Source().bRemoveSClick();
    EXPECT_EQ(w.Model().sources, (std::vector<std::string>{"Other"}));
    EXPECT_EQ(References(), (std::vector<std::string>{"Other:X"}));
    EXPECT_TRUE(FileExists(projects + "Src.lvs"));
    EXPECT_FALSE(FileExists(projects + "Src.te1"));
    EXPECT_FALSE(FileExists(projects + "Src.te2"));
}

TEST_F(ProjectWindowTest, AddSourceFromElsewhereCopiesOrMoves) {
    gdltest::TempDir elsewhere;
    elsewhere.Write("Far.lvs", "far");
    elsewhere.Write("Moved.lvs", "moved");
    fake.listings["Far"] = ListingOf({"F1"});
    auto& w = Start({WriteProject("p.gdp", {}, {})});
    w.Options().IncludeLevels1Click();

    prompts.paths.push_back(elsewhere.Path("Far.lvs"));
    dialogs.addSourceAnswers.push_back(AddSourceAnswer::Copy);
    prompts.answers.push_back(Answer::Yes);
    w.Source().bAddSClick();
    EXPECT_EQ(dialogs.addSourceShown.back().line1,
              "The source file Far.lvs is not located in this project's folder.");
    EXPECT_EQ(prompts.shown.back().text,
              "Copy \"" + elsewhere.Path("Far.lvs") + "\" to \"" + projects + "\"?");
    EXPECT_TRUE(elsewhere.Exists("Far.lvs"));
    EXPECT_EQ(w.Model().sources, (std::vector<std::string>{"Far"}));
    EXPECT_EQ(References(), (std::vector<std::string>{"Far:F1"}));

    prompts.paths.push_back(elsewhere.Path("Moved.lvs"));
    dialogs.addSourceAnswers.push_back(AddSourceAnswer::Move);
    prompts.answers.push_back(Answer::Yes);
    w.Source().bAddSClick();
    EXPECT_FALSE(elsewhere.Exists("Moved.lvs"));
    EXPECT_EQ(ReadFileBytes(projects + "Moved.lvs"), "moved");

    // The same name again cannot be copied over the project's file.
    elsewhere.Write("Far.lvs", "other");
    prompts.paths.push_back(elsewhere.Path("Far.lvs"));
    dialogs.addSourceAnswers.push_back(AddSourceAnswer::Copy);
    prompts.answers.push_back(Answer::Yes);
    w.Source().bAddSClick();
    EXPECT_EQ(prompts.shown.back().text, "Unable to copy file.");
    EXPECT_EQ(ReadFileBytes(projects + "Far.lvs"), "far");
    EXPECT_EQ(w.Model().sources.size(), 2u);
}

TEST_F(ProjectWindowTest, MergeOverwritesLevelDataInPlace) {
    fake.listings["S"] = ListingOf({"A", "B"});
    std::string main = WriteProject("main.gdp", {"S"}, {"S:A", "S:B"});
    ProjectModel other;
    other.name = "Other";
    other.sources = {"S", "T"};
    other.levels = {{"S:B", "Bea", "BBBB", "2", "Look up"}, {"T:C", "Cy", "CCCC", "1", ""}};
    ASSERT_TRUE(SaveProjectAs(other, projects + "other.gdp"));

    auto& w = Start({main});
    prompts.paths.push_back(projects + "other.gdp");
    w.Files().bMergeClick();
    EXPECT_TRUE(dialogs.addSourceShown.empty());  // same folder: no questions
    EXPECT_EQ(w.Model().sources, (std::vector<std::string>{"S", "T"}));
    ASSERT_EQ(References(), (std::vector<std::string>{"S:A", "S:B", "T:C"}));
    const LevelEntry& b = w.Model().levels[1];
    EXPECT_EQ(b.designer, "Bea");
    EXPECT_EQ(b.password, "BBBB");
    EXPECT_EQ(b.music, "2");
    EXPECT_EQ(b.hint, "Look up");
    EXPECT_EQ(w.Model().designers, (std::vector<std::string>{"Bea", "Cy"}));
    EXPECT_EQ(w.Model().name, "Test Set");
    EXPECT_TRUE(w.Model().modified);
    EXPECT_EQ(w.View().statusText, " " + main);
    EXPECT_TRUE(w.View().toolbarEnabled);
}

TEST_F(ProjectWindowTest, TheLevelToolsMessagesReachTheSourcePageAndTheBuild) {
    const std::string said = "Caverns.lvs:26: the map has no player start";
    fake.listings["Caverns"] = ListingOf({"C1", "C2"});
    fake.sources["Caverns"]["C1"] = gdltest::CompiledLevelBytes(40, "C1");
    auto& w = Start({WriteProject("p.gdp", {"Caverns"}, {"Caverns:C1", "Caverns:C2"})});
    w.Source().cSourceClick(0);
    // The listing is gone and the next one fails with the tool's message.
    DeleteLevelInfoFiles(projects, "Caverns");
    fake.listings.erase("Caverns");
    runner.errorOutput = said + "\n";
    w.Source().cContentsClick(1);
    EXPECT_EQ(w.View().source.usage, UsageIcon::Error);
    EXPECT_EQ(w.View().source.usageHint, std::string(kUsageErrorHint) + "\n" + said);

    w.Pages().bBuildClick();
    w.Build().bDoBuildClick();
    const auto& status = w.View().build.cStatus;
    auto error = std::find(status.begin(), status.end(), "ERROR: Level 2 could not be compiled!");
    ASSERT_NE(error, status.end());
    ASSERT_NE(error + 1, status.end());
    EXPECT_EQ(*(error + 1), "   " + said);
}

// While the editor waits for GDLMap its Source page says so; afterwards the
// line is gone and the source's levels are listed again as before.
TEST_F(ProjectWindowTest, TheSourcePageSaysWhileGdlMapHasTheSource) {
    fake.listings["Src"] = ListingOf({"ONE", "TWO"});
    auto& w = Start({WriteProject("p.gdp", {"Src"}, {})});
    w.Source().cSourceClick(0);
    std::string duringEdit;
    runner.onRun = [&](const ToolCall& call) {
        if (FileNameOf(call.file) == "ldedit.bat") duringEdit = w.View().source.editing;
        return fake.Run(call);
    };
    w.Source().bEditSClick();
    EXPECT_EQ(duringEdit, "Editing Src.lvs in GDLMap\x85");
    EXPECT_EQ(w.View().source.editing, "");
    EXPECT_EQ(w.View().source.contents, (std::vector<std::string>{"ONE", "TWO"}));
}

}  // namespace
}  // namespace gdl
