// The editor's dialogs: TfDes forwards to the designers dialog core and shows
// its state, TfHint and TfAddS show what the caller set and answer as asked.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <string>
#include <vector>

#include "DesignersDialog.h"
#include "FormWidgets.h"
#include "FormsTestSupport.h"
#include "Pmadds.h"
#include "Pmdes.h"
#include "Pmhint.h"
#include "QtEditorDialogs.h"

namespace {

template <class T>
T* Child(QWidget& parent, const char* name) {
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

class TfDesTest : public ::testing::Test {
protected:
    void SetUp() override {
        core_.Open({"Ann", "Bob"});
        form_.Bind(&core_);
        list_ = Child<QListWidget>(form_, "cList");
        edit_ = Child<QLineEdit>(form_, "edit");
    }

    // The application must be there before the first widget.
    struct AppFirst {
        AppFirst() { gdltest::EnsureApp(); }
    } app_;
    gdl::DesignersDialog core_;
    gdl::TfDes form_;
    QListWidget* list_ = nullptr;
    QLineEdit* edit_ = nullptr;
};

TEST_F(TfDesTest, OpensWithTheNamesAndNothingToEdit) {
    ASSERT_EQ(list_->count(), 2);
    EXPECT_EQ(list_->item(1)->text(), QStringLiteral("Bob"));
    EXPECT_EQ(form_.windowTitle(), QStringLiteral("Add/Edit Designers"));
    EXPECT_FALSE(edit_->isEnabled());
    EXPECT_FALSE(Child<QPushButton>(form_, "bEdit")->isEnabled());
    EXPECT_FALSE(Child<QPushButton>(form_, "bRemove")->isEnabled());
    for (const char* name : {"bAdd", "bEdit", "bRemove", "bUpdate", "bCancel"}) {
        // Enter belongs to the list and the edit box.
        EXPECT_FALSE(Child<QPushButton>(form_, name)->autoDefault()) << name;
    }
}

TEST_F(TfDesTest, RenamingGoesThroughTheCore) {
    list_->setCurrentRow(0);
    EXPECT_EQ(core_.Selected(), 0);
    EXPECT_EQ(edit_->text(), QStringLiteral("Ann"));
    EXPECT_FALSE(edit_->isEnabled());

    Child<QPushButton>(form_, "bEdit")->click();
    ASSERT_TRUE(edit_->isEnabled());
    edit_->end(false);
    gdltest::TypeText(edit_, QStringLiteral("e"));
    EXPECT_EQ(core_.Items().at(0), "Anne");
    EXPECT_EQ(list_->item(0)->text(), QStringLiteral("Anne"));

    gdltest::PressKey(edit_, Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_FALSE(edit_->isEnabled());

    // Enter in the list edits the selected name again.
    gdltest::PressKey(list_, Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_TRUE(edit_->isEnabled());
}

TEST_F(TfDesTest, AddingAndRemoving) {
    Child<QPushButton>(form_, "bAdd")->click();
    ASSERT_EQ(list_->count(), 3);
    EXPECT_EQ(gdl::SelectedRow(list_), 2);
    EXPECT_TRUE(edit_->isEnabled());
    gdltest::TypeText(edit_, QStringLiteral("Cy"));
    EXPECT_EQ(core_.Items().at(2), "Cy");

    list_->setCurrentRow(1);
    Child<QPushButton>(form_, "bRemove")->click();
    EXPECT_EQ(core_.Items().at(1), "");
    EXPECT_EQ(list_->item(1)->text(), QString());
    EXPECT_FALSE(Child<QPushButton>(form_, "bRemove")->isEnabled());
}

TEST(QtEditorDialogsTest, DesignersDialogAnswersUpdate) {
    gdltest::EnsureApp();
    gdl::QtEditorDialogs dialogs;
    gdl::DesignersDialog core;
    core.Open({"Ann"});
    gdltest::WhenModalShows([](QWidget* modal) {
        auto* list = Child<QListWidget>(*modal, "cList");
        list->setCurrentRow(0);
        Child<QPushButton>(*modal, "bEdit")->click();
        auto* edit = Child<QLineEdit>(*modal, "edit");
        edit->selectAll();
        gdltest::TypeText(edit, QStringLiteral("Zoe"));
        Child<QPushButton>(*modal, "bUpdate")->click();
    });
    EXPECT_TRUE(dialogs.EditDesigners(core));
    EXPECT_EQ(core.Items(), std::vector<std::string>{"Zoe"});
}

TEST(QtEditorDialogsTest, HintDialogGivesTheTextOnOkAndNothingOnCancel) {
    gdltest::EnsureApp();
    gdl::QtEditorDialogs dialogs;
    QString title;
    gdltest::WhenModalShows([&title](QWidget* modal) {
        title = Child<QLabel>(*modal, "lTitle")->text();
        auto* text = Child<QPlainTextEdit>(*modal, "eHint");
        gdltest::TypeText(text, QStringLiteral("!"));
        // Enter is the default button's, never a line break.
        gdltest::PressKey(text, Qt::Key_Return, QStringLiteral("\r"));
    });
    EXPECT_EQ(dialogs.EditHint("Hint for Level 3", "DEEP WATER", "Swim"),
              std::optional<std::string>("Swim!"));
    EXPECT_EQ(title, QStringLiteral("DEEP WATER"));

    gdltest::WhenModalShows([](QWidget* modal) { Child<QPushButton>(*modal, "bCancel")->click(); });
    EXPECT_EQ(dialogs.EditHint("Hint for Level 3", "DEEP WATER", "Swim"), std::nullopt);
}

TEST(QtEditorDialogsTest, HintTextKeepsItsLimit) {
    gdltest::EnsureApp();
    gdl::TfHint hint;
    hint.Prepare("Hint for Level H1", "VAULT", std::string(400, 'a'));
    EXPECT_EQ(hint.Text().size(), 320u);
}

TEST(QtEditorDialogsTest, AddSourceDialogShowsTheRequest) {
    gdltest::EnsureApp();
    gdl::QtEditorDialogs dialogs;
    gdl::AddSourceRequest merge;
    merge.caption = "Merge Project";
    merge.line1 = "The project file other.gdp is not located in this project's folder.";
    merge.line2 = "Would you like to Copy its source files to the project folder?";
    merge.copyVisible = false;
    merge.moveCaption = "&Yes";
    merge.cancelCaption = "&No";

    struct Shown {
        QString caption, line1, move, cancel;
        bool copyVisible = true;
    } shown;
    gdltest::WhenModalShows([&shown](QWidget* modal) {
        shown.caption = modal->windowTitle();
        shown.line1 = Child<QLabel>(*modal, "Label1")->text();
        shown.copyVisible = Child<QPushButton>(*modal, "bCopy")->isVisible();
        shown.move = Child<QPushButton>(*modal, "bMove")->text();
        shown.cancel = Child<QPushButton>(*modal, "bCancel")->text();
        Child<QPushButton>(*modal, "bMove")->click();
    });
    EXPECT_EQ(dialogs.AskAddSource(merge), gdl::AddSourceAnswer::Move);
    EXPECT_EQ(shown.caption, QStringLiteral("Merge Project"));
    EXPECT_EQ(shown.line1, QString::fromStdString(merge.line1));
    EXPECT_FALSE(shown.copyVisible);
    EXPECT_EQ(shown.move, QStringLiteral("&Yes"));
    EXPECT_EQ(shown.cancel, QStringLiteral("&No"));

    // Closing the dialog is Cancel.
    gdl::AddSourceRequest add;
    add.caption = "Add Source to Project";
    gdltest::WhenModalShows([](QWidget*) {});
    EXPECT_EQ(dialogs.AskAddSource(add), gdl::AddSourceAnswer::Cancel);
    gdltest::WhenModalShows([](QWidget* modal) { Child<QPushButton>(*modal, "bCopy")->click(); });
    EXPECT_EQ(dialogs.AskAddSource(add), gdl::AddSourceAnswer::Copy);
}

}  // namespace
