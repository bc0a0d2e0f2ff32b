// GDLEdit's window through its core: the start-up, the recent list, captions
// and counters, save and close, the build and the real tools.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "CommonFakes.h"
#include "LevelTexts.h"
#include "ProjectFixtures.h"

namespace gdl {
namespace {

namespace fs = std::filesystem;
using gdltest::ListingOf;
using ProjectWindowTest = gdltest::ProjectWindowFixture;

TEST_F(ProjectWindowTest, EmptyMachineRegistryIsNotInstalled) {
    MemoryRegistry empty;
    ProjectWindow w(EditorPorts{empty, runner, prompts, dialogs, sound, random, bin});
    w.FormActivate({});
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].caption, "File Error");
    EXPECT_EQ(prompts.shown[0].text,
              "The software has not been properly installed.\r\n\r\nPlease re-install the "
              "software from your Trovemark CD.");
    EXPECT_TRUE(w.View().closeRequested);
}

TEST_F(ProjectWindowTest, StartUpReadsFoldersAndShowsNoProject) {
    auto& w = Start();
    EXPECT_EQ(w.ToolFolder(), bin);
    EXPECT_EQ(w.BuildFolder(), install.Path("levels/"));
    EXPECT_EQ(w.View().page, Page::Default);
    EXPECT_EQ(w.View().caption, "Glimmerdeep Level Set Editor");
    EXPECT_FALSE(w.View().mergeEnabled);
    EXPECT_FALSE(w.View().closeRequested);
    EXPECT_TRUE(FileExists(bin + "ldedit.bat"));

    w.Options().bHelpClick();
    EXPECT_EQ(runner.calls.back().file, "docs.htm");
    EXPECT_EQ(runner.calls.back().folder, install.Path("docs/"));
    w.Options().About1Click();
    EXPECT_EQ(runner.calls.back().file, "GDLTools.exe");
    EXPECT_EQ(runner.calls.back().folder, bin);
    EXPECT_TRUE(runner.calls.back().shown);
    EXPECT_FALSE(runner.calls.back().wait);
}

struct PortCase {
    std::optional<std::string> stored;
    int checked;                       // 1-4
    std::optional<std::string> after;  // "Port" after start-up
};

TEST_F(ProjectWindowTest, PortValueChoosesTheComPort) {
    const PortCase cases[] = {
        {"7", 1, "0"}, {"-1", 1, "-1"}, {"x", 1, "0"}, {std::nullopt, 1, "0"}, {"2", 3, "2"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored.value_or("(missing)"));
        registry.DeleteValue(RegRoot::LocalMachine, kRegKeyGlobal, "Port");
        if (c.stored) registry.WriteValue(RegRoot::LocalMachine, kRegKeyGlobal, "Port", *c.stored);
        auto& w = Start();
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(w.View().comChecked[static_cast<std::size_t>(i)], i + 1 == c.checked);
        EXPECT_EQ(registry.ReadValue(RegRoot::LocalMachine, kRegKeyGlobal, "Port"), c.after);
        std::string batch = ReadFileBytes(bin + "ldedit.bat").value_or("");
        EXPECT_EQ(batch.substr(0, 14), "@set LD_COM=" + std::to_string(c.checked) + "\r");
    }
}

TEST_F(ProjectWindowTest, LvsArgumentRunsTheDesignerAndEnds) {
    WriteFileAtomic(projects + "MyLevs.LVS", "x");
    auto& w = Start({projects + "MyLevs.LVS"});
    ASSERT_FALSE(runner.calls.empty());
    const ToolCall& call = runner.calls.back();
    EXPECT_EQ(FileNameOf(call.file), "ldedit.bat");
    EXPECT_EQ(call.argument, "MyLevs");
    EXPECT_EQ(call.folder, projects);
    EXPECT_TRUE(call.shown);
    EXPECT_FALSE(call.wait);
    EXPECT_TRUE(w.View().closeRequested);
    EXPECT_FALSE(w.Model().open);
}

TEST_F(ProjectWindowTest, RecentListShiftsButNeverMovesAnEntryToTheTop) {
    std::string a = WriteProject("a.gdp", {}, {});
    std::string b = WriteProject("b.gdp", {}, {});
    std::string c = WriteProject("c.gdp", {}, {});
    registry.WriteValue(RegRoot::LocalMachine, kRegKeyEdit, "Recent1", a);
    registry.WriteValue(RegRoot::LocalMachine, kRegKeyEdit, "Recent2", b);
    auto& w = Start();
    EXPECT_EQ(w.View().recent[0].caption, "&1 " + a);
    EXPECT_TRUE(w.View().recentSeparatorVisible);
    EXPECT_FALSE(w.View().recent[2].visible);

    prompts.paths.push_back(b);
    w.Files().bOpenClick();
    EXPECT_EQ(w.Recent().Paths()[0], a);
    EXPECT_EQ(w.Recent().Paths()[1], b);

    prompts.paths.push_back(c);
    w.Files().bOpenClick();
    EXPECT_EQ(w.Recent().Paths()[0], c);
    EXPECT_EQ(w.Recent().Paths()[1], a);
    EXPECT_EQ(w.Recent().Paths()[2], b);
    EXPECT_EQ(w.View().recent[2].caption, "&3 " + b);
    EXPECT_TRUE(w.View().recent[2].visible);

    w.Files().FormClose();
    EXPECT_EQ(registry.ReadValue(RegRoot::LocalMachine, kRegKeyEdit, "Recent3"), b);
    EXPECT_FALSE(registry.ReadValue(RegRoot::LocalMachine, kRegKeyEdit, "Recent4"));
}

// The working folder changed for one test.
class InFolder {
public:
    explicit InFolder(const std::string& folder) : old_(fs::current_path()) {
        fs::current_path(folder);
    }
    ~InFolder() { fs::current_path(old_); }
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;

private:
    fs::path old_;
};

TEST_F(ProjectWindowTest, ARelativePathIsShownStoredAndBuiltAsTheFullPath) {
    WriteProject("rel.gdp", {}, {});
    InFolder in(projects);
    auto& w = Start({"rel.gdp"});
    ASSERT_TRUE(w.Model().open);
    EXPECT_EQ(w.View().statusText, " " + projects + "rel.gdp");
    EXPECT_EQ(w.ProjectFolder(), projects);
    w.Build().xBSFClick(true);
    EXPECT_EQ(w.Build().OutputPath(), projects + "rel.gdl");
    w.Props().eNameChange("Renamed");
    w.Files().bSaveClick();
    EXPECT_EQ(w.Recent().Paths()[0], projects + "rel.gdp");

    prompts.paths.push_back("fresh.gdp");
    w.Files().bNewClick();
    EXPECT_EQ(w.Model().FullPath(), projects + "fresh.gdp");
}

TEST_F(ProjectWindowTest, RecentEntryAsksBeforeDroppingUnsavedChanges) {
    std::string a = WriteProject("a.gdp", {}, {});
    std::string b = WriteProject("b.gdp", {}, {});
    registry.WriteValue(RegRoot::LocalMachine, kRegKeyEdit, "Recent1", b);
    auto& w = Start({a});
    w.Props().eNameChange("Changed");
    prompts.answers.push_back(Answer::Cancel);
    w.Files().mRecentClick(1);
    EXPECT_EQ(w.Model().fileName, "a.gdp");
    EXPECT_EQ(prompts.shown.back().text, "Save changes to project \"Changed\"?");
    prompts.answers.push_back(Answer::No);
    w.Files().mRecentClick(1);
    EXPECT_EQ(w.Model().fileName, "b.gdp");
}

TEST_F(ProjectWindowTest, NewProjectCaptionAndEmptyName) {
    auto& w = Start();
    prompts.paths.push_back(projects + "fresh.gdp");
    w.Files().bNewClick();
    EXPECT_EQ(prompts.shown.back().request.title, "New Project");
    EXPECT_EQ(prompts.shown.back().request.fileName, "project1.gdp");
    EXPECT_EQ(w.View().caption, "Glimmerdeep Level Set Editor - \"Project1\"");
    EXPECT_EQ(w.View().page, Page::Properties);
    EXPECT_TRUE(w.View().saveEnabled);
    EXPECT_EQ(w.View().build.eLevelSet, "fresh.gdl");
    EXPECT_EQ(w.View().build.eLevelSetHint, install.Path("levels/fresh.gdl"));
    EXPECT_FALSE(FileExists(projects + "fresh.gdp"));  // nothing written before Save
    w.Props().eNameChange("");
    EXPECT_EQ(w.View().caption, "Glimmerdeep Level Set Editor");
    w.Build().xBSFClick(true);
    EXPECT_EQ(w.View().build.eLevelSetHint, projects + "fresh.gdl");
}

TEST_F(ProjectWindowTest, CountersWithOffsetBeyondTheLevels) {
    fake.listings["S"] = ListingOf({"A", "B", "C"});
    auto& w = Start({WriteProject("p.gdp", {"S"}, {"S:A", "S:B", "S:C"})});
    EXPECT_EQ(w.View().levelsCounter, "3 levels");
    EXPECT_TRUE(w.View().playtestEnabled);
    w.Props().cOffsetChange(5);
    EXPECT_EQ(w.View().levelsCounter, "0 levels");
    EXPECT_EQ(w.View().hiddenCounter, "3 hidden levels");
    EXPECT_FALSE(w.View().playtestEnabled);
    EXPECT_FALSE(w.View().build.bDoBuildEnabled);
    w.Props().cOffsetChange(-4);
    EXPECT_EQ(w.Model().offset, 0);
}

TEST_F(ProjectWindowTest, NotAProjectKeepsTheOpenProjectAndItsCounters) {
    fake.listings["S"] = ListingOf({"A"});
    auto& w = Start({WriteProject("p.gdp", {"S"}, {"S:A"})});
    WriteFileAtomic(projects + "junk.gdp", "not an ini file");
    prompts.paths.push_back(projects + "junk.gdp");
    w.Files().bOpenClick();
    EXPECT_EQ(w.Model().fileName, "p.gdp");
    EXPECT_EQ(w.View().levelsCounter, "1 levels");
    EXPECT_TRUE(w.View().build.bDoBuildEnabled);
}

TEST_F(ProjectWindowTest, SaveWritesTheProjectAndAddsItToTheRecentList) {
    auto& w = Start();
    prompts.paths.push_back(projects + "saved.gdp");
    w.Files().bNewClick();
    w.Props().eWizardChange("wiz!x");
    EXPECT_EQ(w.Model().wizard, "WIZ!");
    w.Files().bSaveClick();
    EXPECT_FALSE(w.View().saveEnabled);
    EXPECT_EQ(w.Recent().Paths()[0], projects + "saved.gdp");
    ProjectModel back;
    ASSERT_TRUE(LoadProject(back, projects + "saved.gdp"));
    EXPECT_EQ(back.name, "Project1");
    EXPECT_EQ(back.wizard, "WIZ!");

    // Closing asks only while modified; Cancel keeps the window open.
    EXPECT_TRUE(w.Files().FormCloseQuery());
    w.Props().eNoticeChange("Me");
    prompts.answers.push_back(Answer::Cancel);
    EXPECT_FALSE(w.Files().FormCloseQuery());
}

TEST_F(ProjectWindowTest, BuildReportsIntoTheBuildPage) {
    fake.listings["S"] = ListingOf({"A"});
    fake.sources["S"]["A"] = gdltest::CompiledLevelBytes(44, "A");
    ProjectModel m;
    m.name = "Built";
    m.sources = {"S"};
    m.levels = {{"S:A", "Ann", "ABCD", "0", ""}};
    ASSERT_TRUE(SaveProjectAs(m, projects + "built.gdp"));
    auto& w = Start({projects + "built.gdp"});
    w.Pages().bBuildClick();
    ASSERT_TRUE(w.View().build.bDoBuildEnabled);
    int before = changes;
    w.Build().bDoBuildClick();
    const auto& build = w.View().build;
    ASSERT_FALSE(build.cStatus.empty());
    EXPECT_EQ(build.cStatus.front(), "Building Level Set...");
    EXPECT_EQ(build.cStatus.back(), "Done.");
    EXPECT_EQ(build.cStatusSelected, static_cast<int>(build.cStatus.size()) - 1);
    EXPECT_EQ(build.pBarPosition, build.pBarMax);
    EXPECT_GT(changes, before + 3);  // the form could repaint while it ran
    EXPECT_TRUE(FileExists(install.Path("levels/built.gdl")));
    EXPECT_FALSE(FileExists(projects + "A.bin"));
    EXPECT_TRUE(w.View().toolbarEnabled);
    EXPECT_TRUE(build.bPrev4Enabled);
    EXPECT_TRUE(build.bDoBuildEnabled);
    EXPECT_EQ(w.View().statusText, " " + projects + "built.gdp");
}

// The real level tool of the kit, run as a process through its batch files.
TEST(ProjectWindowRealToolTest, ListsASourceAndBuildsWithTheKitTools) {
    ASSERT_TRUE(FileExists(gdltest::KitBin() + "ld.exe")) << "build the kit tools (ld.exe) first";
    gdltest::TempDir install;
    const std::string bin = install.MakeFolder("bin"), projects = install.MakeFolder("source");
    install.MakeFolder("levels");
    gdltest::LinkKitFiles(bin, {"ld.exe", "ld.pif", "ldinfo.pif"});
    fs::copy_file(gdltest::SampleFolder() + "Caverns.lvs", projects + "Caverns.lvs");
    ProjectModel m;
    m.name = "Real";
    m.sources = {"Caverns"};
    m.levels = {{"Caverns:CAVE02", "Ann", "WXYZ", "0", ""}};
    ASSERT_TRUE(SaveProjectAs(m, projects + "real.gdp"));

    gdltest::RealProcessWindow real(install.Folder());
    auto& w = real.Open(projects + "real.gdp");
    ASSERT_TRUE(w.Model().open);
    EXPECT_TRUE(FileExists(projects + "Caverns.te2"));

    w.Source().cSourceClick(0);
    const auto& contents = w.View().source.contents;
    ASSERT_GE(contents.size(), 2u);
    EXPECT_EQ(contents[0], "CAVE01");
    w.Source().cContentsClick(1);
    EXPECT_EQ(w.View().source.levelLabel, "1");
    EXPECT_EQ(w.View().source.usage, UsageIcon::Included);
    EXPECT_FALSE(w.View().source.eNameI.empty());
    EXPECT_FALSE(w.View().source.eSizeI.empty());

    w.Build().bDoBuildClick();
    ASSERT_FALSE(w.View().build.cStatus.empty());
    EXPECT_EQ(w.View().build.cStatus.back(), "Done.");
    EXPECT_TRUE(FileExists(install.Path("levels/real.gdl")));
    EXPECT_TRUE(real.prompts.shown.empty());

    w.Files().FormClose();
    EXPECT_FALSE(FileExists(projects + "Caverns.te1"));
    EXPECT_FALSE(FileExists(projects + "Caverns.te2"));
}

TEST_F(ProjectWindowTest, ACancelledCloseEndsTheRequest) {
    auto& w = Start({WriteProject("p.gdp", {}, {"S:A"})});
    w.Props().eNameChange("Changed");
    w.Files().bCloseClick();
    EXPECT_TRUE(w.View().closeRequested);
    prompts.answers = {Answer::Cancel};
    EXPECT_FALSE(w.Files().FormCloseQuery());
    EXPECT_FALSE(w.View().closeRequested);
    w.Pages().bPropsClick();
    EXPECT_FALSE(w.View().closeRequested);

    w.Files().bCloseClick();
    EXPECT_TRUE(w.View().closeRequested);
    prompts.answers = {Answer::No};
    EXPECT_TRUE(w.Files().FormCloseQuery());
    w.Files().FormClose();
    EXPECT_FALSE(w.View().closeRequested);
}

TEST_F(ProjectWindowTest, TheCoreKeepsTheFieldLimitsWhateverTheFormSends) {
    auto& w = Start({WriteProject("p.gdp", {}, {"S:A"})});
    w.Props().ePreDateChange(12345);
    EXPECT_EQ(w.Model().copyrightYear, kMaxYear);
    w.Props().ePreDateChange(-1);
    EXPECT_EQ(w.Model().copyrightYear, 0);
    w.Props().cOffsetChange(1000);
    EXPECT_EQ(w.Model().offset, static_cast<int>(kMaxProjectEntries));
    w.Props().eNameChange(std::string(kMaxNameLength + 5, 'n'));
    EXPECT_EQ(w.Model().name.size(), kMaxNameLength);
    w.Levels().cLevelsClick(0);
    w.Levels().ePasswordChange("abcdef");
    EXPECT_EQ(w.Model().levels[0].password, "ABCD");
    dialogs.hintAnswers.push_back(std::string(kMaxHintLength + 1, 'h'));
    w.Levels().bEditHintClick();
    EXPECT_EQ(w.Model().levels[0].hint.size(), kMaxHintLength);
}

// The real runner, without the programs it needs: each command says what is
// missing instead of doing nothing.
TEST(ProjectWindowStartFailureTest, HelpAboutAndEditSayWhatIsMissing) {
    gdltest::TempDir install;
    const std::string bin = install.MakeFolder("bin"), projects = install.MakeFolder("source");
    install.MakeFolder("levels");
    install.MakeFolder("docs");
    install.Write("docs/docs.htm", "<html></html>");
    gdltest::WriteMarkers(bin, {"ld.exe", "ld.pif", "ldinfo.pif"});
    install.Write("source/S.lvs", "source");
    ProjectModel m;
    m.name = "Nothing Runs";
    m.sources = {"S"};
    ASSERT_TRUE(SaveProjectAs(m, projects + "p.gdp"));
    gdltest::RealProcessWindow real(install.Folder());
    auto& w = real.Open(projects + "p.gdp");
    // The test's own PATH, holding nothing: a desktop's xdg-open or terminal
    // must not answer for the missing programs.
    gdltest::ScopedEnv path("PATH", install.MakeFolder("empty"));
    gdltest::ScopedEnv terminal("GDLKIT_TERMINAL");
    terminal.Unset();

    struct Case {
        std::function<void()> command;
        std::string starts, says;
    } cases[] = {
        {[&] { w.Options().bHelpClick(); },
         "Unable to start the documentation " + install.Path("docs/docs.htm"),
         "xdg-open is not installed"},
        {[&] { w.Options().About1Click(); }, "Unable to start " + bin + "GDLTools.exe.",
         "could not be found"},
        {[&] {
             w.Source().cSourceClick(0);
             w.Source().bEditSClick();
         },
         "Unable to start the level tool to edit S.lvs.", "no terminal emulator was found"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.starts);
        real.prompts.shown.clear();
        c.command();
        ASSERT_EQ(real.prompts.shown.size(), 1u);
        EXPECT_EQ(real.prompts.shown[0].caption, "File Error");
        EXPECT_EQ(real.prompts.shown[0].text.rfind(c.starts, 0), 0u) << real.prompts.shown[0].text;
        EXPECT_NE(real.prompts.shown[0].text.find("\r\n\r\n"), std::string::npos);
        EXPECT_NE(real.prompts.shown[0].text.find(c.says), std::string::npos)
            << real.prompts.shown[0].text;
    }

    // An opener that runs and fails is no success either.
    gdltest::WriteScript(install, "empty/xdg-open", "echo 'no browser' >&2; exit 3");
    real.prompts.shown.clear();
    w.Options().bHelpClick();
    ASSERT_EQ(real.prompts.shown.size(), 1u);
    EXPECT_NE(real.prompts.shown[0].text.find("a program it needs is not installed. It says: no "
                                              "browser."),
              std::string::npos)
        << real.prompts.shown[0].text;
}

}  // namespace
}  // namespace gdl
