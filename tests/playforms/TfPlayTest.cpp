// The player's window over its core: controls under the design's names and
// places, clicks reaching the core, the view rendered, and the real window
// playing a set with the simulated Lynx.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QToolButton>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>

#include "ChildProcess.h"
#include "Cpmain.h"
#include "DeviceWatcher.h"
#include "FormsTestSupport.h"
#include "PlayFormsSupport.h"
#include "PlayerFakes.h"
#include "PlayerFixtures.h"
#include "QtPlayerPorts.h"
#include "ZcommLine.h"

namespace {

using namespace std::chrono_literals;

class TfPlayTest : public gdltest::PlayerFixture {
protected:
    void Show(const std::string& setPath, const std::vector<std::string>& more = {}) {
        gdltest::EnsureApp();
        std::vector<std::string> args{setPath};
        args.insert(args.end(), more.begin(), more.end());
        Start(args);
        form.SetCore(window.get());
        form.Render();
        form.show();
    }
    template <typename T>
    T* Find(const char* name) {
        return form.findChild<T*>(name);
    }
    QString Text(const char* panel) {
        return Find<QLabel>((std::string(panel) + "Text").c_str())->text();
    }
    void Activate() {
        form.activateWindow();
        ASSERT_TRUE(gdltest::WaitFor([this] { return form.isActiveWindow(); }));
    }
    // A key as the window system hands it on: shortcuts first.
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
        QWidget* focus = QApplication::focusWidget();
        gdltest::PressKey(focus ? focus : &form, key, {}, modifiers);
    }
    gdl::TfPlay form;
};

TEST_F(TfPlayTest, ControlsStandWhereTheDesignPutsThem) {
    Show(WriteSet(gdltest::NumberedLevels(3)));
    const struct {
        const char* name;
        int left, top, width;
    } panels[] = {{"Panel1", 5, 12, 413},   {"Panel2", 122, 80, 181}, {"Panel3", 5, 124, 413},
                  {"Panel4", 5, 156, 413},  {"Panel9", 141, 196, 72}, {"Panel5", 95, 254, 94},
                  {"Panel6", 235, 254, 94}, {"Panel7", 9, 328, 94},   {"Panel10", 165, 328, 94},
                  {"Panel11", 321, 328, 94}};
    for (const auto& p : panels) {
        auto* panel = Find<QFrame>(p.name);
        ASSERT_TRUE(panel) << p.name;
        EXPECT_EQ(panel->geometry().topLeft(), QPoint(p.left, p.top)) << p.name;
        EXPECT_EQ(panel->width(), p.width) << p.name;
    }
    EXPECT_EQ(form.centralWidget()->size(), QSize(423, 385));
    const struct {
        const char* name;
        const char* keys;
    } shortcuts[] = {{"Load1", "Ctrl+L"}, {"Restart1", "Ctrl+R"}, {"Quit1", "Ctrl+Q"},
                     {"Play1", "Ctrl+P"}, {"Next1", "Ctrl+N"},    {"WBack1", "Ctrl+B"},
                     {"Contents1", "F1"}, {"About1", "F2"},       {"Info1", "F3"},
                     {"Hint1", "F4"}};
    for (const auto& s : shortcuts) {
        auto* action = Find<QAction>(s.name);
        ASSERT_TRUE(action) << s.name;
        EXPECT_EQ(action->shortcut(), QKeySequence(s.keys)) << s.name;
    }
    for (const char* name : {"ePW", "iStat", "Label1"}) EXPECT_TRUE(Find<QWidget>(name)) << name;
    EXPECT_FALSE(Find<QLabel>("Label1")->isVisible());
}

TEST_F(TfPlayTest, PlayClickSendsAndTheViewFollows) {
    Show(WriteSet(gdltest::NumberedLevels(3)));
    EXPECT_FALSE(Find<QToolButton>("SpeedButton2")->isEnabled());
    Find<QToolButton>("SpeedButton1")->click();
    EXPECT_GT(line.written.size(), gdl::kPreambleBytes + gdl::kLinkHeaderSize);
    EXPECT_EQ(Find<QToolButton>("SpeedButton1")->text(), "RE-PLAY");
    EXPECT_TRUE(Find<QToolButton>("SpeedButton2")->isEnabled());
    EXPECT_EQ(Find<QLabel>("Panel14Text")->text(), " Sending Level to Lynx...");
    // The Level menu that shows is the one whose shortcuts answer.
    EXPECT_TRUE(Find<QAction>("Next1")->isEnabled());
    EXPECT_FALSE(Find<QAction>("WNext1")->isEnabled());
}

// A port that will not open: a click on the status line or the lamp brings
// the whole reason; the lamp's tooltip says a level is in play after an answer.
TEST_F(TfPlayTest, TheStatusLineAndTheLampLeadToTheReason) {
    Show(WriteSet(gdltest::NumberedLevels(3)));
    ASSERT_TRUE(Find<QAction>("ChooseDevice1"));
    EXPECT_EQ(Find<QAction>("ChooseDevice1")->text(), "Choose &Device...");
    EXPECT_EQ(Find<QAction>("Com11")->text(), "Com&1  (not present)");
    line.refuseOpen = true;
    line.openError = "Permission denied on /dev/ttyUSB0 (owner root, group dialout, rw-rw----).";
    Find<QAction>("Com11")->trigger();  // opened again, and refused
    Find<QToolButton>("SpeedButton1")->click();
    for (const char* widget : {"Panel14Text", "iStat"}) {
        SCOPED_TRACE(widget);
        dialogs.reasons.clear();
        auto* target = Find<QLabel>(widget);
        ASSERT_TRUE(target);
        EXPECT_EQ(target->toolTip().toStdString(), line.openError);
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(3, 3),
                          target->mapToGlobal(QPointF(3, 3)), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(3, 3),
                            target->mapToGlobal(QPointF(3, 3)), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(target, &press);
        QCoreApplication::sendEvent(target, &release);
        ASSERT_EQ(dialogs.reasons.size(), 1u);
        EXPECT_EQ(dialogs.reasons[0].reason, line.openError);
    }
    line.refuseOpen = false;
    Find<QToolButton>("SpeedButton1")->click();
    Answer();
    form.Render();
    EXPECT_EQ(Find<QLabel>("iStat")->toolTip(), "Level 1 is in play on the Lynx");
}

// Devices coming and going reach the player, also in serial/by-id/, which
// appears only with the first adapter.
TEST(DeviceWatcher, AdaptersComingAndGoingAreNoticed) {
    gdltest::EnsureApp();
    gdltest::TempDir dev;
    int calls = 0;
    gdl::DeviceWatcher watcher(dev.Path("dev"), [&] { ++calls; });
    dev.MakeFolder("dev");
    gdl::DeviceWatcher watching(dev.Path("dev"), [&] { ++calls; });
    dev.Write("dev/ttyUSB0", "");
    ASSERT_TRUE(gdltest::WaitFor([&] { return calls > 0; }));
    dev.MakeFolder("dev/serial/by-id");
    const int before = calls;
    ASSERT_TRUE(gdltest::WaitFor([&] { return calls > before; }));
    const int plugged = calls;
    std::filesystem::create_symlink("../../ttyUSB0", dev.Path("dev/serial/by-id/usb-FTDI-port0"));
    ASSERT_TRUE(gdltest::WaitFor([&] { return calls > plugged; }));
    const int linked = calls;
    std::filesystem::remove(dev.Path("dev/serial/by-id/usb-FTDI-port0"));
    EXPECT_TRUE(gdltest::WaitFor([&] { return calls > linked; }));
}

TEST_F(TfPlayTest, WizardModeMovesPlayAndShowsTheWizardMenu) {
    gdltest::SetText set;
    set.wizard = "WIZZ";
    Show(WriteSet(gdltest::NumberedLevels(3), set));
    Restart("WIZZ");
    form.Render();
    EXPECT_EQ(Find<QFrame>("Panel5")->x(), 165);
    EXPECT_FALSE(Find<QFrame>("Panel6")->isVisible());
    EXPECT_TRUE(Find<QFrame>("Panel12")->isVisible());
    EXPECT_TRUE(Find<QMenu>("WLevel1")->menuAction()->isVisible());
    EXPECT_FALSE(Find<QMenu>("Level1")->menuAction()->isVisible());
    EXPECT_TRUE(Find<QAction>("WNext1")->isEnabled());
    EXPECT_FALSE(Find<QAction>("Next1")->isEnabled());
    EXPECT_EQ(form.windowTitle(), "GDL Level Set Player (Wizard Mode)");
}

TEST_F(TfPlayTest, TestModeShowsTheLevelWithOnlyPlayAndQuit) {
    Show(WriteSet(gdltest::NumberedLevels(3)), {"3"});
    EXPECT_EQ(form.windowTitle(), "GDL Level Set Player (Test Mode)");
    EXPECT_EQ(Text("Panel1"), "Glimmerdeep: Test Set");
    EXPECT_EQ(Text("Panel2"), "PC LEVEL 3");
    EXPECT_EQ(Text("Panel3"), "LEVEL 3");
    EXPECT_EQ(Text("Panel4"), "Designer 3");
    EXPECT_EQ(Text("Panel8"), "CODE: L003");
    EXPECT_EQ(Find<QFrame>("Panel11")->x(), 165);
    for (const char* hidden : {"Panel6", "Panel7", "Panel9", "Panel10", "ePW"})
        EXPECT_TRUE(Find<QWidget>(hidden)->isHidden()) << hidden;
    for (const char* hidden : {"Load1", "Restart1", "Next1", "SavePassword1", "Hint1"})
        EXPECT_FALSE(Find<QAction>(hidden)->isVisible()) << hidden;
}

TEST_F(TfPlayTest, ALongTitleIsDrawnSmallerToFitItsPanel) {
    gdltest::SetText set;
    set.name = "The Very Long Glimmering Caverns Of Doom";
    Show(WriteSet(gdltest::NumberedLevels(1), set));
    auto* title = Find<QLabel>("Panel1Text");
    ASSERT_EQ(title->text(), "Glimmerdeep: The Very Long Glimmering Caverns Of Doom");
    EXPECT_LE(QFontMetrics(title->font()).horizontalAdvance(title->text()),
              Find<QFrame>("Panel1")->width());
    EXPECT_TRUE(title->font().bold());
}

// The code field holds the first level's code; what the player types
// replaces it, and PLAY starts at the level of the typed code.
TEST_F(TfPlayTest, ATypedCodeReplacesTheShownOne) {
    Show(WriteSet(gdltest::NumberedLevels(3)));
    auto* ePW = Find<QLineEdit>("ePW");
    EXPECT_EQ(ePW->text(), "L001");
    EXPECT_EQ(ePW->maxLength(), 4);
    Activate();
    ASSERT_TRUE(ePW->hasFocus());
    gdltest::TypeText(ePW, "l002");
    EXPECT_EQ(View().ePW, "L002");
    Key(Qt::Key_P);
    EXPECT_EQ(State().index, 2);
    EXPECT_EQ(Text("Panel8"), "CODE: L002");
}

// Both Level menus use Ctrl+P and Ctrl+N: only the shown one answers.
TEST_F(TfPlayTest, ShortcutsOfTheShownLevelMenuAnswer) {
    const struct {
        const char* mode;
        bool wizard;
        std::vector<int> keys;
        long long index;
        std::size_t sends;
    } cases[] = {
        {"normal", false, {Qt::Key_P, Qt::Key_N}, 2, 2},
        {"wizard", true, {Qt::Key_N, Qt::Key_N, Qt::Key_B}, 2, 0},
        {"wizard play", true, {Qt::Key_N, Qt::Key_P}, 2, 1},
    };
    gdltest::SetText set;
    set.wizard = "WIZZ";
    const std::string path = WriteSet(gdltest::NumberedLevels(3), set);
    for (const auto& c : cases) {
        line.written.clear();
        Show(path);
        if (c.wizard) Restart("WIZZ");
        form.Render();
        Activate();
        for (int key : c.keys) Key(key);
        EXPECT_EQ(State().index, c.index) << c.mode;
        EXPECT_EQ(Sends().size(), c.sends) << c.mode;
    }
}

// The real window and the real serial component on the simulator's device.
class TfPlayRoad : public ::testing::Test {
protected:
    // The simulator run with `script`, and the window on a set of `levels`
    // numbered levels beside the level tool's files, shown, with PLAY clicked.
    void Play(std::vector<std::string> script, int levels) {
        gdltest::EnsureApp();
        script.insert(script.begin(), gdltest::KitBin() + "lynxsim");
        sim = std::make_unique<gdltest::ChildProcess>(script);
        auto device = sim->ReadLine(5s);
        ASSERT_TRUE(device);
        gdltest::WriteMarkers(dir.Folder(), {"ld.exe", "ld.pif"});
        dir.Write("road.gdl", gdltest::LevelSetFileBytes({}, gdltest::NumberedLevels(levels)));
        window = std::make_unique<gdltest::WindowOnDevice>(
            *device, std::vector<std::string>{dir.Path("road.gdl")}, dir.Folder());
        window->form.show();
        window->form.FormActivate();
        window->form.findChild<QToolButton*>("SpeedButton1")->click();
    }
    // Runs the event loop while going(the levels so far) holds, for at most
    // 15 s; the lines the simulator told of the levels it received.
    std::vector<std::string> LevelsReceivedWhile(
        const std::function<bool(const std::vector<std::string>&)>& going) {
        std::vector<std::string> levels;
        const auto end = std::chrono::steady_clock::now() + 15s;
        while (going(levels) && std::chrono::steady_clock::now() < end) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            if (auto lineRead = sim->ReadLine(5ms);
                lineRead && lineRead->find("\"level\"") != std::string::npos)
                levels.push_back(*lineRead);
        }
        return levels;
    }

    std::unique_ptr<gdltest::ChildProcess> sim;
    gdltest::TempDir dir;
    std::unique_ptr<gdltest::WindowOnDevice> window;
};

// PLAY sends level 1, and the Lynx's burst of four makes the window send
// level 2.
TEST_F(TfPlayRoad, BurstOfFourFromTheLynxSendsTheNextLevel) {
    ASSERT_NO_FATAL_FAILURE(
        Play({"--script", "wait-level; answer; wait 800; burst 4; wait-level; answer"}, 3));
    const auto titles = LevelsReceivedWhile(
        [](const std::vector<std::string>& levels) { return levels.size() < 2; });
    ASSERT_EQ(titles.size(), 2u);
    EXPECT_NE(titles[0].find("\"title\":\"PC LEVEL 1\""), std::string::npos) << titles[0];
    EXPECT_NE(titles[1].find("\"title\":\"PC LEVEL 2\""), std::string::npos) << titles[1];
    EXPECT_NE(titles[1].find("\"fresh\":0"), std::string::npos) << titles[1];
    EXPECT_EQ(window->core.State().index, 2);
    window->form.close();
}

// A Lynx that is switched off on a one-wire cable: only the echo comes back,
// and the window says the Lynx is not responding, with the red lamp.
TEST_F(TfPlayRoad, EchoAloneIsALynxNotResponding) {
    ASSERT_NO_FATAL_FAILURE(Play({"--lynx-off"}, 1));
    auto& core = window->core;
    const bool echoed = !LevelsReceivedWhile([&](const std::vector<std::string>&) {
                             return core.LinkLayer().LastExchange() == gdl::Exchange::Sending;
                         }).empty();
    EXPECT_TRUE(echoed);
    EXPECT_EQ(core.LinkLayer().LastExchange(), gdl::Exchange::NotResponding);
    EXPECT_EQ(core.View().Panel14.text, " Lynx not responding on Com1!");
    EXPECT_EQ(core.View().iStat, gdl::Lamp::Err);
    window->form.close();
}

}  // namespace
