// The player's start-up: the stored port, the options, the command line's
// modes, the level tool check, and a CD run that leaves the registry alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "CommonFakes.h"
#include "PlayerFixtures.h"
#include "Progression.h"

namespace gdl {
namespace {

using gdltest::NumberedLevels;

class StartUpTest : public gdltest::PlayerFixture {
protected:
    std::string Port() const {
        return registry->ReadValue(RegRoot::LocalMachine, kRegKeyGlobal, "Port").value_or("");
    }
};

TEST_F(StartUpTest, StoredPortSelectsItsComItem) {
    struct Case {
        const char *stored, *port;
        int opens;
        const char* storedAfter;
    };
    const Case cases[] = {{"0", "Com1", 1, "0"},  {"2", "Com3", 1, "2"}, {"3", "Com4", 1, "3"},
                          {"7", "Com1", 1, "0"},  {"x", "Com1", 1, "0"}, {"", "Com1", 1, "0"},
                          {"-1", "Com1", 0, "-1"}};
    const std::string path = WriteSet(NumberedLevels(1));
    for (const Case& c : cases) {
        registry = std::make_unique<MemoryRegistry>();
        if (*c.stored) registry->WriteValue(RegRoot::LocalMachine, kRegKeyGlobal, "Port", c.stored);
        line = {};
        Start({path});
        EXPECT_EQ(line.Port(), c.port) << c.stored;
        EXPECT_EQ(line.opens, c.opens) << c.stored;
        EXPECT_EQ(Port(), c.storedAfter) << c.stored;
        const bool checked[] = {View().Com11.checked, View().Com21.checked, View().Com31.checked,
                                View().Com41.checked};
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(checked[k], "Com" + std::to_string(k + 1) == c.port) << c.stored << k;
    }
}

TEST_F(StartUpTest, OnlyAOneReadsAsOn) {
    const std::string path = WriteSet(NumberedLevels(1));
    for (const char* value : {"1", "yes", "0", "", "true", " 1"}) {
        registry = std::make_unique<MemoryRegistry>();
        for (const char* name : {kOptSavePassword, kOptAutoLoad, kOptIgnoreButtons})
            Option(name, value);
        Start({path});
        const bool on = std::string(value) == "1";
        EXPECT_EQ(View().SavePassword1.checked, on) << value;
        EXPECT_EQ(View().AutoLoadLevelSet1.checked, on) << value;
        EXPECT_EQ(View().IgnoreLynxButtons1.checked, on) << value;
    }
}

TEST_F(StartUpTest, SecondArgumentStartsTestModeAtItsIndex) {
    const std::string path = WriteSet(NumberedLevels(5));
    const std::pair<const char*, long long> cases[] = {{"4", 4}, {"abc", 1}, {"", 1}};
    for (const auto& [argument, index] : cases) {
        Start({path, argument, "ignored"});
        EXPECT_TRUE(State().test) << argument;
        EXPECT_EQ(State().index, index) << argument;
        EXPECT_EQ(View().Panel2.text, "PC LEVEL " + std::to_string(index)) << argument;
    }
}

TEST_F(StartUpTest, MissingLevelToolFileIsNamedAndThePlayerCloses) {
    const std::string path = WriteSet(NumberedLevels(1));
    const std::pair<std::vector<const char*>, const char*> cases[] = {
        {{"ld.pif"}, "ld.pif"}, {{"ld.exe"}, "ld.exe"}, {{"ld.exe", "ld.pif"}, "ld.pif"}};
    for (const auto& [missing, named] : cases) {
        gdltest::WriteMarkers(bin, {"ld.exe", "ld.pif"});
        for (const char* name : missing) std::filesystem::remove(bin + name);
        prompts.shown.clear();
        Start({path});
        ASSERT_EQ(prompts.shown.size(), 1u) << named;
        EXPECT_EQ(prompts.shown[0].caption, "File Error");
        EXPECT_EQ(
            prompts.shown[0].text.rfind("The file " + bin + named + " could not be found.", 0), 0u)
            << prompts.shown[0].text;
        EXPECT_TRUE(View().closeRequested);
        EXPECT_EQ(View().Panel1.text, "") << "no set is read";
    }
}

// The browser's page has no level tool: it looks for none and plays the set.
TEST_F(StartUpTest, AFrontEndWithoutTheLevelToolChecksForNone) {
    const std::string path = WriteSet(NumberedLevels(1));
    std::filesystem::remove(bin + "ld.exe");
    std::filesystem::remove(bin + "ld.pif");
    levelTool = false;
    Start({path});
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_FALSE(View().closeRequested);
    EXPECT_EQ(View().Panel1.text, "Glimmerdeep: Test Set");
}

// Help -> Index without a browser says what could not be opened and why;
// with one it says nothing.
TEST_F(StartUpTest, IndexWithoutABrowserSaysWhatIsMissing) {
    Start({WriteSet(NumberedLevels(1))});
    prompts.shown.clear();
    window->Contents1Click();
    EXPECT_TRUE(prompts.shown.empty());
    runner.onRun = [this](const ToolCall&) {
        runner.error = "No program to open documents was found: install xdg-utils.";
        return 2;
    };
    window->Contents1Click();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].caption, "File Error");
    EXPECT_EQ(prompts.shown[0].text.rfind("Unable to start the documentation ", 0), 0u);
    EXPECT_NE(prompts.shown[0].text.find("docs/docs.htm.\r\n\r\nNo program to open documents"),
              std::string::npos)
        << prompts.shown[0].text;
}

// A CD run reads and writes no registry value: both files stay byte for byte
// what they were, whatever the user does.
TEST_F(StartUpTest, CdModeLeavesBothRegistryFilesUnchangedAndUsesCom1) {
    const std::string machine = kit.Path("machine.reg"), user = kit.Path("user.reg");
    registry = std::make_unique<FileRegistry>(machine, user);
    registry->WriteValue(RegRoot::LocalMachine, kRegKeyRoot, "", kit.Folder());
    registry->WriteValue(RegRoot::LocalMachine, kRegKeyGlobal, "Port", "2");
    for (const char* name : {kOptSavePassword, kOptAutoLoad, kOptIgnoreButtons}) Option(name, "1");
    registry->WriteValue(RegRoot::CurrentUser, kRegKeyPasswords, "set", "L003");
    registry->WriteValue(RegRoot::CurrentUser, kRegKeyPasswords, "set?", "3");
    const std::string machineBefore = kit.Read("machine.reg"), userBefore = kit.Read("user.reg");

    Start({WriteSet(NumberedLevels(4)), "-cd"});
    EXPECT_EQ(View().caption, "GDL Level Set Player (CD)");
    EXPECT_EQ(line.Port(), "Com1");
    EXPECT_FALSE(View().SavePassword1.checked || View().AutoLoadLevelSet1.checked ||
                 View().IgnoreLynxButtons1.checked);
    EXPECT_FALSE(View().Load1.enabled || View().SpeedButton3.enabled);
    EXPECT_EQ(State().index, 1);
    PlayCode("L004");
    window->SavePassword1Click();
    window->AutoLoadLevelSet1Click();
    window->Com21Click();
    window->SpeedButton2Click();
    window->SpeedButton5Click();
    window->FormClose();
    window->FormDestroy();
    EXPECT_EQ(kit.Read("machine.reg"), machineBefore);
    EXPECT_EQ(kit.Read("user.reg"), userBefore);
}

}  // namespace
}  // namespace gdl
