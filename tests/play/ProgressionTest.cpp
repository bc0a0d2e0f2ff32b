// The play progression: the hint offer, the end of a set, restart and the
// wizard and test modes, saved codes, and the clean-up after a project.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "CommonFakes.h"
#include "PlayerFixtures.h"
#include "Progression.h"

namespace gdl {
namespace {

using gdltest::NumberedLevels;
using gdltest::SetText;

class ProgressionTest : public gdltest::PlayerFixture {
protected:
    int HintQuestions() const { return Asked(kHintQuestion); }
    std::string Saved(const std::string& name) const {
        return registry->ReadValue(RegRoot::CurrentUser, kRegKeyPasswords, name).value_or("");
    }
};

TEST_F(ProgressionTest, HintIsOfferedAtTheThirdReplayOrTheSecondAfterNextOncePerLevel) {
    Start({WriteSet(NumberedLevels(3))});
    window->SpeedButton1Click();
    const int asksAt[] = {0, 0, 1, 1, 1};  // after each RE-PLAY
    for (int expected : asksAt) {
        window->SpeedButton1Click();
        EXPECT_EQ(HintQuestions(), expected);
    }
    EXPECT_TRUE(View().Hint1.enabled);
    window->SpeedButton2Click();
    EXPECT_FALSE(View().Hint1.enabled);
    window->SpeedButton1Click();
    EXPECT_EQ(HintQuestions(), 1);
    prompts.answers = {Answer::Yes};
    window->SpeedButton1Click();
    EXPECT_EQ(HintQuestions(), 2);
    ASSERT_EQ(dialogs.hints.size(), 1u);
    EXPECT_EQ(dialogs.hints[0].caption, "Hint for Level 2");
    EXPECT_EQ(dialogs.hints[0].label, "LEVEL 2");
    EXPECT_EQ(dialogs.hints[0].memo, "Hint 2");
}

TEST_F(ProgressionTest, LevelWithoutHintIsNeverOfferedOne) {
    auto levels = NumberedLevels(1);
    levels[0].hint = "";
    Start({WriteSet(levels)});
    for (int i = 0; i < 6; ++i) window->SpeedButton1Click();
    EXPECT_EQ(HintQuestions(), 0);
    EXPECT_FALSE(View().Hint1.enabled);
}

TEST_F(ProgressionTest, NextPastTheLastLevelSendsTheEndMarkOnce) {
    Start({WriteSet(NumberedLevels(2))});
    window->SpeedButton1Click();
    window->SpeedButton2Click();
    window->SpeedButton2Click();
    EXPECT_EQ(View().Panel2.text, "END OF GAME");
    EXPECT_EQ(View().Panel3.text, "NO MORE LEVELS");
    EXPECT_FALSE(View().SpeedButton1.enabled);
    EXPECT_FALSE(View().SpeedButton2.enabled);
    EXPECT_FALSE(View().Next1.enabled);
    window->SpeedButton1Click();
    auto sends = Sends();
    ASSERT_EQ(sends.size(), 3u);
    EXPECT_EQ(sends[1].header[27], 1);
    EXPECT_EQ(sends[2].header[27], 0xB9);
    EXPECT_EQ(sends[2].level, "");
}

TEST_F(ProgressionTest, RestartWithTheWizardOrMasterCodeEngagesWizardMode) {
    const std::tuple<std::string, std::string, bool> cases[] = {
        {"WIZZ", "WIZZ", true}, {"", MasterCode(), true}, {"WIZZ", "L003", false}, {"", "", false}};
    for (const auto& [setWizard, typed, wizard] : cases) {
        SetText set;
        set.wizard = setWizard;
        Start({WriteSet(NumberedLevels(3), set)});
        prompts.shown.clear();
        Restart(typed);
        EXPECT_EQ(State().wizard, wizard) << typed;
        EXPECT_EQ(prompts.shown.size(), wizard ? 2u : 1u);
        EXPECT_EQ(prompts.shown[0].caption, "Restart Level Set");
        if (!wizard) continue;
        EXPECT_EQ(prompts.shown[1].text, "Wizard Mode Engaged.");
        EXPECT_EQ(View().caption, "GDL Level Set Player (Wizard Mode)");
        EXPECT_EQ(View().Panel8.text, "CODE: ????");
        EXPECT_TRUE(View().Panel12.visible && View().Panel13.visible && !View().Panel6.visible);
    }
}

TEST_F(ProgressionTest, WizardMovesStopAtPositionOneAndTheLastLevel) {
    SetText set = gdltest::Hidden(1);
    set.wizard = "WIZZ";
    Start({WriteSet(NumberedLevels(3), set)});
    Restart("WIZZ");
    const std::pair<char, long long> moves[] = {{'<', 0}, {'<', 0}, {'>', 1}, {'>', 2}, {'>', 2}};
    for (const auto& [move, index] : moves) {
        move == '<' ? window->SpeedButton6Click() : window->SpeedButton7Click();
        EXPECT_EQ(State().index, index);
    }
    EXPECT_EQ(View().Panel4.text, "Designer 3");
    EXPECT_TRUE(line.written.empty());
}

TEST_F(ProgressionTest, TestModeShowsItsLevelAndSendsEveryPlayAsAFreshStart) {
    auto levels = NumberedLevels(4);
    levels[2].music = "2";
    Start({WriteSet(levels), "3"});
    EXPECT_EQ(View().caption, "GDL Level Set Player (Test Mode)");
    EXPECT_EQ(View().Panel2.text, "PC LEVEL 3");
    EXPECT_EQ(View().Panel8.text, "CODE: L003");
    EXPECT_TRUE(View().Panel8.visible);
    EXPECT_FALSE(View().ePWVisible);
    EXPECT_FALSE(View().Panel7.visible || View().Panel10.visible || View().Panel6.visible);
    EXPECT_FALSE(View().Load1.visible || View().Restart1.visible || View().Next1.visible);
    EXPECT_EQ(View().Panel11.left, 165);
    window->SpeedButton1Click();
    window->SpeedButton1Click();
    for (const auto& send : Sends()) EXPECT_EQ(send.header[29], 128 + 2);
    EXPECT_EQ(Sends().back().Title(), "PC LEVEL 3");
}

TEST_F(ProgressionTest, SavedCodeResumesAtItsLevel) {
    Option(kOptSavePassword, "1");
    registry->WriteValue(RegRoot::CurrentUser, kRegKeyPasswords, "set", "L005");
    registry->WriteValue(RegRoot::CurrentUser, kRegKeyPasswords, "set?", "5");
    Start({WriteSet(NumberedLevels(6))});
    EXPECT_EQ(View().ePW, "L005");
    EXPECT_EQ(View().Panel2.text, "PC LEVEL 5");
    window->SpeedButton1Click();
    EXPECT_EQ(Sends().at(0).Title(), "PC LEVEL 5");
}

TEST_F(ProgressionTest, CodeIsSavedOnlyForALaterVisibleLevel) {
    struct Case {
        int hidden;
        const char* savedIndex;  // "" none
        const char* typed;
        const char* index;
        const char* code;
    };
    const Case cases[] = {
        {0, "", "L001", "1", "L001"}, {0, "2", "L004", "4", "L004"}, {0, "4", "L002", "4", "L004"},
        {2, "", "L001", "", ""},      {2, "", "L002", "", ""},       {2, "", "L003", "1", "L003"},
    };
    for (const Case& c : cases) {
        registry = std::make_unique<MemoryRegistry>();
        if (*c.savedIndex) {
            const std::string code = "L00" + std::string(c.savedIndex);
            registry->WriteValue(RegRoot::CurrentUser, kRegKeyPasswords, "set", code);
            registry->WriteValue(RegRoot::CurrentUser, kRegKeyPasswords, "set?", c.savedIndex);
        }
        Start({WriteSet(NumberedLevels(5), gdltest::Hidden(c.hidden))});
        window->SavePassword1Click();
        PlayCode(c.typed);
        window->SpeedButton5Click();
        EXPECT_EQ(Saved("set?"), c.index) << c.typed << " over " << c.savedIndex;
        EXPECT_EQ(Saved("set"), c.code) << c.typed << " over " << c.savedIndex;
        EXPECT_TRUE(View().closeRequested);
    }
}

TEST_F(ProgressionTest, CloseRemovesOnlyTheToolsOutputInsideTheProjectFolder) {
    gdltest::TempDir outside;
    const std::string path = WriteProject(NumberedLevels(2));
    WriteFileAtomic(sets + "gdl.hsf", "x");
    WriteFileAtomic(kit.Path("x.bin"), "keep");
    WriteFileAtomic(outside.Path("y.bin"), "keep");
    WritePrivateProfileString("Levels", "3", "a:../x", path);
    WritePrivateProfileString("Levels", "4", "a:" + outside.Path("y"), path);
    Start({path});
    window->FormClose();
    EXPECT_FALSE(FileExists(sets + "LEV1.bin"));
    EXPECT_FALSE(FileExists(sets + "LEV2.bin"));
    EXPECT_FALSE(FileExists(sets + "gdl.hsf"));
    EXPECT_TRUE(FileExists(kit.Path("x.bin")));
    EXPECT_TRUE(FileExists(outside.Path("y.bin")));
    EXPECT_TRUE(FileExists(path));
}

}  // namespace
}  // namespace gdl
