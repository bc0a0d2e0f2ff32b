#include <gtest/gtest.h>

#include "DesignersDialog.h"

namespace gdl {
namespace {

LevelEntry Entry(const std::string& reference, const std::string& designer) {
    LevelEntry e;
    e.reference = reference;
    e.designer = designer;
    return e;
}

TEST(DesignersDialogTest, OpeningDisablesEditingUntilANameIsChosen) {
    DesignersDialog d;
    d.Open({"Ann", "Bob"});
    EXPECT_EQ(d.OpenedCount(), 2);
    EXPECT_FALSE(d.EditBoxEnabled());
    EXPECT_FALSE(d.EditButtonEnabled());
    EXPECT_FALSE(d.RemoveButtonEnabled());

    d.cListClick(1);
    EXPECT_EQ(d.EditText(), "Bob");
    EXPECT_TRUE(d.EditButtonEnabled());
    EXPECT_TRUE(d.RemoveButtonEnabled());
    EXPECT_FALSE(d.EditBoxEnabled());

    d.bEditClick();
    EXPECT_TRUE(d.EditBoxEnabled());
    EXPECT_EQ(d.FocusTarget(), DesignersDialog::Focus::Edit);
    d.editEnter();
    EXPECT_FALSE(d.EditBoxEnabled());
    EXPECT_EQ(d.FocusTarget(), DesignersDialog::Focus::List);

    d.cListClick(-1);
    EXPECT_EQ(d.EditText(), "");
    EXPECT_FALSE(d.EditButtonEnabled());
}

TEST(DesignersDialogTest, AddKeepsOnlyOneEmptyNewEntry) {
    DesignersDialog d;
    d.Open({"Ann"});
    d.bAddClick();
    d.bAddClick();
    ASSERT_EQ(d.Items(), (std::vector<std::string>{"Ann", ""}));
    EXPECT_EQ(d.Selected(), 1);
    EXPECT_TRUE(d.EditBoxEnabled());
    d.editChange("Cy");
    d.bAddClick();
    EXPECT_EQ(d.Items(), (std::vector<std::string>{"Ann", "Cy", ""}));
}

TEST(DesignersDialogTest, RenameReachesEveryEntryOfTheOldName) {
    std::vector<LevelEntry> levels{Entry("S:A", "Ann"), Entry("S:B", "Bob"), Entry("T:C", "Ann")};
    std::vector<std::string> designers{"Ann", "Bob"};
    DesignersDialog d;
    d.Open(designers);
    d.cListClick(0);
    d.bEditClick();
    d.editChange("Anne");
    d.Apply(levels, designers, false);
    EXPECT_EQ(levels[0].designer, "Anne");
    EXPECT_EQ(levels[1].designer, "Bob");
    EXPECT_EQ(levels[2].designer, "Anne");
    EXPECT_EQ(designers, (std::vector<std::string>{"Anne", "Bob"}));
}

TEST(DesignersDialogTest, RemovedDesignerGivesSourceNameWithPopulateOrNothingWithout) {
    for (bool populate : {true, false}) {
        std::vector<LevelEntry> levels{Entry("Src1:A", "Ann"), Entry("Src2:B", "Ann"),
                                       Entry("Src1:C", "Bob"), Entry("Bare", "Ann")};
        std::vector<std::string> designers{"Ann", "Bob"};
        DesignersDialog d;
        d.Open(designers);
        d.cListClick(0);
        d.bRemoveClick();
        EXPECT_FALSE(d.RemoveButtonEnabled());
        EXPECT_EQ(d.Items()[0], "");
        d.Apply(levels, designers, populate);
        if (populate) {
            EXPECT_EQ(levels[0].designer, "Src1");
            EXPECT_EQ(levels[1].designer, "Src2");
            EXPECT_EQ(designers, (std::vector<std::string>{"Bob", "Src1", "Src2"}));
        } else {
            EXPECT_EQ(levels[0].designer, "");
            EXPECT_EQ(levels[1].designer, "");
            EXPECT_EQ(designers, (std::vector<std::string>{"Bob"}));
        }
        EXPECT_EQ(levels[2].designer, "Bob");
        EXPECT_EQ(levels[3].designer, "");  // no source part to fall back on
    }
}

TEST(DesignersDialogTest, SwappedNamesFollowTheirPositionsNotTheirTexts) {
    std::vector<LevelEntry> levels{Entry("S:A", "Ann"), Entry("S:B", "Bob")};
    std::vector<std::string> designers{"Ann", "Bob"};
    DesignersDialog d;
    d.Open(designers);
    d.cListClick(0);
    d.editChange("Bob");
    d.cListClick(1);
    d.editChange("Ann");
    d.Apply(levels, designers, false);
    EXPECT_EQ(levels[0].designer, "Bob");
    EXPECT_EQ(levels[1].designer, "Ann");
}

}  // namespace
}  // namespace gdl
