// The Level Set page's road through the editor's core: labels after moves,
// the level fields, music, the 255 levels, hidden levels and hand-edited
// references.
#include <gtest/gtest.h>

#include "LevelTexts.h"
#include "ProjectFixtures.h"

namespace gdl {
namespace {

using gdltest::ListingOf;
using ProjectWindowTest = gdltest::ProjectWindowFixture;

TEST_F(ProjectWindowTest, LabelsFollowPositionsAfterMoves) {
    fake.listings["S"] = ListingOf({"A", "B", "C", "D"});
    auto& w = Start(
        {WriteProject("p.gdp", {"S"}, {"S:A", "S:B", "S:C", "S:D"}, 2, MusicMode::Automatic)});
    w.Pages().bLevelsClick();
    const std::vector<std::string> labels{"H1", "0", "1", "2"};
    for (int i = 0; i < 4; ++i) {
        w.Levels().cLevelsClick(i);
        EXPECT_EQ(w.View().levels.levelLabel, labels[static_cast<std::size_t>(i)]);
        EXPECT_EQ(w.View().levels.hiddenVisible, i < 2);
    }
    EXPECT_FALSE(w.View().levels.bDownEnabled);
    EXPECT_TRUE(w.View().levels.bTopEnabled);
    w.Levels().bTopClick();
    EXPECT_EQ(References(), (std::vector<std::string>{"S:D", "S:A", "S:B", "S:C"}));
    EXPECT_EQ(w.View().levels.selected, 0);
    EXPECT_EQ(w.View().levels.levelLabel, "H1");
    EXPECT_EQ(w.View().levels.eNameR, "LONG D");
    EXPECT_FALSE(w.View().levels.bUpEnabled);
    EXPECT_EQ(w.Model().levels[0].music, "0");
    w.Levels().cLevelsClick(2);
    EXPECT_EQ(w.View().levels.levelLabel, "1");  // B is level 1 now

    w.Levels().bDownClick();
    w.Levels().bEndClick();
    EXPECT_EQ(References(), (std::vector<std::string>{"S:D", "S:A", "S:C", "S:B"}));
    w.Levels().bRemoveClick();
    EXPECT_EQ(w.View().levels.selected, -1);
    EXPECT_FALSE(w.View().levels.bRemoveEnabled);
    EXPECT_FALSE(w.View().levels.bEditHintEnabled);
    EXPECT_EQ(w.View().levelsCounter, "1 levels");
}

TEST_F(ProjectWindowTest, LevelEditsDesignersAndHint) {
    fake.listings["S"] = ListingOf({"A", "B"});
    auto& w = Start({WriteProject("p.gdp", {"S"}, {"S:A", "S:B"})});
    w.Options().PopulateDesigner1Click();
    w.Pages().bLevelsClick();
    w.Levels().cDesignerChange("Nobody");  // nothing selected: not stored
    EXPECT_FALSE(w.Model().modified);

    dialogs.editDesigners = [](DesignersDialog& d) {
        d.bAddClick();
        d.editChange("Ann");
        return true;
    };
    w.Levels().bDesignersClick();
    w.Levels().cLevelsClick(0);
    w.Levels().cDesignerChange("Ann");
    w.Levels().ePasswordChange("abcde");
    w.Levels().cLevelsClick(1);
    w.Levels().cDesignerChange("Ann");
    EXPECT_EQ(w.Model().levels[0].password, "ABCD");
    EXPECT_EQ(w.View().levels.designerSelected, 0);

    dialogs.editDesigners = [](DesignersDialog& d) {
        d.cListClick(0);
        d.bRemoveClick();
        return true;
    };
    w.Levels().bDesignersClick();
    EXPECT_EQ(w.Model().levels[0].designer, "S");
    EXPECT_EQ(w.Model().designers, (std::vector<std::string>{"S"}));

    dialogs.hintAnswers.push_back("Mind\r\nthe gap");
    w.Levels().bEditHintClick();
    EXPECT_EQ(dialogs.hintsShown.back().caption, "Hint for Level 2");
    EXPECT_EQ(dialogs.hintsShown.back().title, "LONG B");
    EXPECT_EQ(w.Model().levels[1].hint, "Mindthe gap");
    EXPECT_EQ(w.View().levels.hintTooltip, "Hint: \"Mindthe gap\"");
}

TEST_F(ProjectWindowTest, MusicPreviewPlaysAndStops) {
    fake.listings["S"] = ListingOf({"A"});
    auto& w = Start({WriteProject("p.gdp", {"S"}, {"S:A"}, 0, MusicMode::Manual)});
    w.Pages().bLevelsClick();
    w.Levels().cLevelsClick(0);
    EXPECT_TRUE(w.View().levels.musicEnabled);
    w.Levels().eMusicChange(2);
    w.Levels().bMusicClick();
    EXPECT_EQ(sound.events, (std::vector<std::string>{"play " + bin + "music2.wav"}));
    EXPECT_EQ(w.View().levels.bMusicCaption, "Stop &Music");
    EXPECT_EQ(w.View().levels.bMusicHint, "Stop Selected Music");
    EXPECT_TRUE(w.View().levels.iTuneVisible);
    w.Levels().bMusicClick();
    EXPECT_EQ(sound.events.back(), "stop");
    EXPECT_EQ(w.View().levels.bMusicCaption, "Play &Music");

    w.Levels().bMusicClick();
    w.Pages().bBuildClick();
    EXPECT_EQ(sound.events.back(), "stop");
    EXPECT_EQ(w.View().levels.bMusicTag, 0);
    EXPECT_FALSE(w.View().levels.iTuneVisible);
}

TEST_F(ProjectWindowTest, TheLevelSetHoldsAtMost255Levels) {
    std::vector<std::string> refs;
    for (int i = 0; i < 255; ++i) refs.push_back("Big:L" + std::to_string(i));
    fake.listings["Big"] = ListingOf({"L0", "NEW", "MORE"});
    auto& w = Start({WriteProject("p.gdp", {"Big"}, refs)});
    w.Source().cSourceClick(0);
    w.Source().cContentsClick(1);
    w.Source().bIncludeClick();
    w.Source().cContentsDblClick();
    w.Source().bIncludeAllClick();
    EXPECT_EQ(w.Model().levels.size(), 255u);
    EXPECT_EQ(MessagesWithCaption("Level Set Full"), 3);
    EXPECT_EQ(prompts.shown.back().text, "The level set can hold at most 255 levels.");
    EXPECT_FALSE(w.Model().modified);
}

TEST_F(ProjectWindowTest, HandEditedReferencesNeverReachOutsideTheProjectFolder) {
    // A compiled level beside the projects folder that a hostile name points at.
    WriteFileAtomic(install.Path("evil.bin"), gdltest::CompiledLevelBytes(44, "EVIL"));
    fake.listings["S"] = ListingOf({"A"});
    auto& w = Start({WriteProject("p.gdp", {"S"}, {"../evil", "S:../../evil"})});
    w.Pages().bLevelsClick();
    for (int i = 0; i < 2; ++i) {
        w.Levels().cLevelsClick(i);
        EXPECT_EQ(w.View().levels.eNameR, "*level error*");
    }
}

TEST_F(ProjectWindowTest, ANegativeOffsetIsResetToZero) {
    auto& w = Start({WriteProject("p.gdp", {}, {"S:A", "S:B"}, 1)});
    w.Props().cOffsetChange(-3);
    EXPECT_EQ(w.Model().offset, 0);
    EXPECT_EQ(w.View().props.offset, 0);
    EXPECT_EQ(w.View().hiddenCounter, "0 hidden levels");
}

}  // namespace
}  // namespace gdl
