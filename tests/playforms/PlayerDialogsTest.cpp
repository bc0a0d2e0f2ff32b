// The player's dialogs and Qt ports: TfLoad shows the chooser core's state and
// forwards its events, TfHint shows what the caller set, Timer1 ticks once.
#include <gtest/gtest.h>

#include <QAction>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <optional>
#include <string>

#include "Chooser.h"
#include "CommonFakes.h"
#include "Cphint.h"
#include "Cpload.h"
#include "FileUtil.h"
#include "FormWidgets.h"
#include "FormsTestSupport.h"
#include "LevelSetFile.h"
#include "PlayFormsSupport.h"
#include "PlayerState.h"
#include "Prompts.h"
#include "QtPlayerPorts.h"
#include "Registry.h"
#include "TempDir.h"
#include "ToolRunner.h"

namespace {

using gdltest::Child;
using gdltest::WaitFor;

class TfLoadTest : public ::testing::Test {
protected:
    void SetUp() override {
        AddProject("Alpha", "alpha.gdp", "1999", "Cave Folk", "Deep and dark.");
        AddProject("Beta", "beta.gdp", "2001", "Miners", "Water everywhere.");
    }
    void AddProject(const std::string& name, const std::string& file, const std::string& year,
                    const std::string& notice, const std::string& comments) {
        dir.Write(file, "[^GDP]\r\nName=" + name + "\r\nCopyright=" + year +
                            "\r\nNotice=" + notice + "\r\nComments=" + comments + "\r\n");
        registry.WriteValue(gdl::RegRoot::LocalMachine, gdl::kRegKeyLevelSets, name,
                            dir.Path(file));
    }
    void RightClick() {
        QWidget* viewport = list->viewport();
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 8),
                                viewport->mapToGlobal(QPoint(20, 8)));
        QCoreApplication::sendEvent(viewport, &event);
    }
    QMenu* Popup() { return Child<QMenu>(form, "mPopup"); }

    struct AppFirst {
        AppFirst() { gdltest::EnsureApp(); }
    } app;
    gdltest::TempDir dir;
    gdl::MemoryRegistry registry;
    gdl::ScriptedPrompts prompts;
    gdl::RecordingToolRunner runner;
    gdl::Chooser core{registry, prompts, runner};
    gdl::TfLoad form{core};
    QListWidget* list = Child<QListWidget>(form, "cLevelSets");
};

TEST_F(TfLoadTest, ControlsAsDesigned) {
    EXPECT_EQ(form.windowTitle(), "Load Level Set");
    EXPECT_EQ(form.size(), QSize(402, 338));
    EXPECT_EQ(Child<QLabel>(form, "Image1")->size(), QSize(16, 16));
    auto* label1 = Child<QLabel>(form, "Label1");
    EXPECT_EQ(label1->text(), "Select Level Set to Load");
    EXPECT_TRUE(label1->font().bold());
    EXPECT_TRUE(Child<QLabel>(form, "Label3")->wordWrap());
    EXPECT_EQ(Child<QLabel>(form, "Label3")->parent(), Child<QGroupBox>(form, "GroupBox1"));
    const struct {
        const char* name;
        const char* text;
        bool enabled;
    } buttons[] = {
        {"bOK", "OK", false}, {"bCancel", "Cancel", true}, {"bOther", "O&ther...", true}};
    for (const auto& b : buttons) {
        auto* button = Child<QPushButton>(form, b.name);
        EXPECT_EQ(button->text(), b.text) << b.name;
        EXPECT_EQ(button->isEnabled(), b.enabled) << b.name;
    }
    EXPECT_TRUE(Child<QPushButton>(form, "bOK")->isDefault());
    const struct {
        const char* name;
        const char* text;
    } items[] = {{"Select1", "&Select"}, {"Remove1", "&Remove"}, {"About1", "&About"}};
    for (const auto& i : items) EXPECT_EQ(Child<QAction>(form, i.name)->text(), i.text) << i.name;
    EXPECT_EQ(Popup()->defaultAction(), Child<QAction>(form, "Select1"));
}

TEST_F(TfLoadTest, ActivationListsTheSetsAndAClickShowsAnEntrysDetails) {
    form.FormActivate();
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(1)->text(), "Beta");
    EXPECT_EQ(gdl::SelectedRow(list), 0);
    EXPECT_EQ(Child<QLabel>(form, "Label2")->text(),
              QString::fromUtf8("Copyright ©1999 Cave Folk"));
    EXPECT_EQ(Child<QLabel>(form, "Label3")->text(), "Deep and dark.");
    EXPECT_TRUE(Child<QPushButton>(form, "bOK")->isEnabled());

    list->setCurrentRow(1);
    EXPECT_EQ(core.View().selected, 1);
    EXPECT_EQ(Child<QLabel>(form, "Label2")->text(), QString::fromUtf8("Copyright ©2001 Miners"));
}

TEST_F(TfLoadTest, RemovingAnEntryLeavesNothingSelectedAndNoMenu) {
    form.FormActivate();
    list->setCurrentRow(1);
    RightClick();
    EXPECT_TRUE(Popup()->isVisible());
    Popup()->hide();

    prompts.answers = {gdl::Answer::Yes};
    Child<QAction>(form, "Remove1")->trigger();
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), "Alpha");
    EXPECT_EQ(gdl::SelectedRow(list), -1);
    EXPECT_TRUE(Child<QLabel>(form, "Label2")->text().isEmpty());
    EXPECT_FALSE(Child<QPushButton>(form, "bOK")->isEnabled());
    RightClick();
    EXPECT_FALSE(Popup()->isVisible());
}

// Shown modally through the player's dialog port: each way out of the dialog
// and what the main window gets back.
TEST_F(TfLoadTest, ShowLoadGivesTheChosenPathOrNothing) {
    gdl::play::TfHint hint;
    gdl::QtPlayerDialogs dialogs(form, hint);
    const struct {
        const char* how;
        std::function<void()> leave;
        std::optional<std::string> path;
    } cases[] = {
        {"OK", [&] { Child<QPushButton>(form, "bOK")->click(); }, dir.Path("alpha.gdp")},
        {"double-click",
         [&] {
             const QPoint at = list->visualItemRect(list->item(1)).center();
             QMouseEvent press(QEvent::MouseButtonPress, at, list->viewport()->mapToGlobal(at),
                               Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
             QCoreApplication::sendEvent(list->viewport(), &press);
             QMouseEvent twice(QEvent::MouseButtonDblClick, at, list->viewport()->mapToGlobal(at),
                               Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
             QCoreApplication::sendEvent(list->viewport(), &twice);
         },
         dir.Path("beta.gdp")},
        {"Cancel", [&] { Child<QPushButton>(form, "bCancel")->click(); }, std::nullopt},
        {"Escape", [&] { gdltest::PressKey(&form, Qt::Key_Escape); }, std::nullopt},
    };
    for (const auto& c : cases) {
        bool filled = false;
        gdltest::WhenReady(
            &form, [&] { return list->count() == 2; },
            [&] {
                filled = list->count() == 2;
                c.leave();
            });
        EXPECT_EQ(dialogs.ShowLoad(dir.Folder(), dir.Folder(), "alpha.gdp"), c.path) << c.how;
        EXPECT_TRUE(filled) << c.how;
    }
}

TEST(TfHintTest, ShowsWhatTheCallerSetAndEnterCloses) {
    gdltest::EnsureApp();
    gdl::play::TfHint hint;
    EXPECT_EQ(hint.size(), QSize(259, 190));
    EXPECT_EQ(Child<QLabel>(hint, "Image1")->size(), QSize(16, 16));
    auto* memo = Child<gdl::MemoEdit>(hint, "Memo1");
    EXPECT_TRUE(memo->isReadOnly());
    EXPECT_EQ(memo->MaxLength(), 320);
    EXPECT_TRUE(Child<QPushButton>(hint, "Button1")->isDefault());

    bool closedByEnter = false;
    gdltest::WhenModalShows([&](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Hint for Level 7");
        EXPECT_EQ(Child<QLabel>(*dialog, "Label1")->text(), "DEEP WATER");
        EXPECT_TRUE(Child<QLabel>(*dialog, "Label1")->font().bold());
        EXPECT_EQ(memo->toPlainText(), "Swim left.");
        gdltest::PressKey(memo, Qt::Key_Return, "\r");
        closedByEnter = !dialog->isVisible();
        EXPECT_EQ(memo->toPlainText(), "Swim left.");
    });
    hint.ShowHint("Hint for Level 7", "DEEP WATER", "Swim left.");
    EXPECT_TRUE(closedByEnter);
}

TEST(QtTimerTest, Timer1TicksOnceAfterItsStart) {
    gdltest::EnsureApp();
    QObject window;
    gdl::QtTimer timer(&window);
    int ticks = 0;
    timer.SetTick([&] { ++ticks; });
    EXPECT_EQ(timer.Timer1().objectName(), "Timer1");
    timer.Start(20);
    EXPECT_TRUE(timer.Enabled());
    ASSERT_TRUE(WaitFor([&] { return ticks == 1; }));
    EXPECT_FALSE(timer.Enabled());
}

}  // namespace
