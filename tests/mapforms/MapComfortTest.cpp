// GDLMap's window in a 1100 x 800 frame on the offscreen platform, driven
// with the mouse and key events the window system would send: Fit, zoom at
// the mouse, panning, the floating paste, the keyboard road back to the
// map, history clicks, Replace All and the level name left alone.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QWheelEvent>

#include "FakeTools.h"
#include "FormsTestSupport.h"
#include "MapView.h"
#include "MapWindow.h"
#include "TempDir.h"

namespace gdl {
namespace {

// A level of w x h: steel round floor, the start top left, the exit bottom right.
std::string Level(const std::string& name, int w, int h) {
    std::string text = "level " + name + "\ntime 4:00\nquota 0\nmap\n";
    for (int y = 0; y < h; ++y) {
        std::string row(static_cast<std::size_t>(w), '.');
        if (y == 0 || y == h - 1) row.assign(static_cast<std::size_t>(w), 'X');
        row.front() = row.back() = 'X';
        if (y == 1) row[1] = '@';
        if (y == h - 2) row[static_cast<std::size_t>(w) - 2] = 'E';
        text += row + "\n";
    }
    return text + "end\n\n";
}

class MapComfortTest : public ::testing::Test {
protected:
    void SetUp() override { gdltest::EnsureApp(); }

    void Open(const std::string& source, const char* level = "") {
        dir.Write("m.lvs", source);
        window = std::make_unique<MapWindow>();
        QString problem;
        ASSERT_TRUE(window->Open(QString::fromStdString(dir.Path("m.lvs")), level, &problem))
            << problem.toStdString();
        window->resize(1100, 800);
        window->show();
        window->activateWindow();
        QApplication::setActiveWindow(window.get());
        QApplication::processEvents();
        view = window->Canvas();
    }
    std::string Bytes() const { return window->Session().Document().Bytes(); }
    QPoint Centre(TilePoint t) const {
        return view->TileOrigin(t) + QPoint(view->TileSize() / 2, view->TileSize() / 2);
    }
    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(at), view->mapToGlobal(QPointF(at)), button, held,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(view, &event);
    }
    void Click(QPoint at) {
        Mouse(QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
        Mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        Mouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    }
    void Wheel(QPoint at, int angle, Qt::KeyboardModifiers mods) {
        QWheelEvent event(QPointF(at), view->mapToGlobal(QPointF(at)), QPoint(), QPoint(0, angle),
                          Qt::NoButton, mods, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(view, &event);
    }
    void Key(QEvent::Type type, int key, const QString& text = {}) {
        QKeyEvent event(type, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(
            QApplication::focusWidget() ? QApplication::focusWidget() : view, &event);
    }
    bool WholeMapShown() const {
        const TileGrid& g = view->Grid();
        const QRect map(view->TileOrigin({0, 0}), view->TileOrigin({g.width, g.height}));
        return view->rect().contains(map.adjusted(0, 0, -1, -1));
    }

    gdltest::TempDir dir;
    gdltest::ScopedEnv config{"XDG_CONFIG_HOME", dir.Path("config")};
    std::unique_ptr<MapWindow> window;
    MapView* view = nullptr;
};

TEST_F(MapComfortTest, FitShowsEveryTileWithNoScrollBarAndFollowsResizes) {
    for (auto [w, h] : {std::pair{12, 8}, {31, 15}, {60, 30}, {99, 99}}) {
        Open(Level("FIT", w, h));
        const std::string size = std::to_string(w) + " x " + std::to_string(h);
        EXPECT_EQ(window->centralWidget(), view) << "the map is in no scroll area";
        EXPECT_TRUE(view->Fit()) << size;
        EXPECT_TRUE(WholeMapShown()) << size << " at " << view->TileSize() << " px";
        // A tile fewer would fit too: the fit is the largest that shows it all.
        EXPECT_TRUE((view->TileSize() + 1) * w > view->width() - 8 ||
                    (view->TileSize() + 1) * h > view->height() - 8)
            << size;
        std::cout << size << ": " << view->TileSize() << " px a tile\n";
        window->resize(800, 600);
        QApplication::processEvents();
        EXPECT_TRUE(WholeMapShown()) << size << " after a resize";
    }
    window->Forward(MapCommand::ZoomIn);
    const int zoomed = view->TileSize();
    window->resize(1100, 800);
    QApplication::processEvents();
    EXPECT_EQ(view->TileSize(), zoomed) << "a zoomed map is not refitted";
    window->Action(MapCommand::Fit)->trigger();
    EXPECT_TRUE(view->Fit());
    EXPECT_TRUE(WholeMapShown());
}

TEST_F(MapComfortTest, ALevelOfAnotherSizeIsFittedAgain) {
    Open(Level("SMALL", 12, 8) + Level("BIG", 60, 30));
    const int small = view->TileSize();
    window->Forward(MapCommand::NextLevel);
    EXPECT_LT(view->TileSize(), small);
    EXPECT_TRUE(WholeMapShown());
}

TEST_F(MapComfortTest, ZoomAtTheMouseKeepsTheTileUnderIt) {
    Open(Level("ZOOM", 31, 15));
    for (TilePoint t : {TilePoint{3, 2}, TilePoint{20, 11}, TilePoint{29, 13}}) {
        window->Action(MapCommand::Fit)->trigger();
        const QPoint at = Centre(t);
        for (int step = 0; step < 3; ++step) {
            const int before = view->TileSize();
            Wheel(at, 120, Qt::ControlModifier);
            EXPECT_GT(view->TileSize(), before);
            EXPECT_EQ(view->TileAt(at), t) << "zoomed in at " << t.x << ", " << t.y;
        }
        Wheel(at, -120, Qt::ControlModifier);
        EXPECT_EQ(view->TileAt(at), t) << "zoomed out at " << t.x << ", " << t.y;
    }
}

TEST_F(MapComfortTest, SpaceDragMiddleDragAndTheWheelPanAndChangeNoByte) {
    Open(Level("PAN", 31, 15));
    const std::string original = Bytes();
    for (int i = 0; i < 4; ++i) Wheel(Centre({15, 7}), 120, Qt::ControlModifier);
    const QPoint from = Centre({15, 7}), to = from + QPoint(-90, -50);
    const QPoint origin = view->TileOrigin({0, 0});

    Key(QEvent::KeyPress, Qt::Key_Space, " ");
    Mouse(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    Mouse(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    Key(QEvent::KeyRelease, Qt::Key_Space, " ");
    EXPECT_EQ(view->TileOrigin({0, 0}), origin + (to - from)) << "Space and a drag pan";
    EXPECT_EQ(Bytes(), original) << "and paint nothing";

    const QPoint before = view->TileOrigin({0, 0});
    Mouse(QEvent::MouseButtonPress, to, Qt::MiddleButton, Qt::MiddleButton);
    Mouse(QEvent::MouseMove, from, Qt::NoButton, Qt::MiddleButton);
    Mouse(QEvent::MouseButtonRelease, from, Qt::MiddleButton, Qt::NoButton);
    EXPECT_EQ(view->TileOrigin({0, 0}), before + (from - to)) << "the middle button pans";

    const QPoint beforeWheel = view->TileOrigin({0, 0});
    Wheel(from, -120, Qt::NoModifier);
    EXPECT_LT(view->TileOrigin({0, 0}).y(), beforeWheel.y()) << "the wheel scrolls down";
    EXPECT_EQ(Bytes(), original);
    EXPECT_EQ(window->Session().UndoCount(), 0u);
}

TEST_F(MapComfortTest, AFloatingPasteLandsAtTheClickTurnsAndEscLeavesTheFile) {
    Open(Level("PASTE", 12, 8));
    const std::string original = Bytes();
    window->findChild<QAction*>("toolSelect")->trigger();
    Mouse(QEvent::MouseButtonPress, Centre({1, 1}), Qt::LeftButton, Qt::LeftButton);
    Mouse(QEvent::MouseMove, Centre({2, 2}), Qt::NoButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, Centre({2, 2}), Qt::LeftButton, Qt::NoButton);
    window->Forward(MapCommand::Copy);
    window->Forward(MapCommand::Paste);
    EXPECT_FALSE(window->Session().Selection()) << "the stamp replaces the selection";
    Mouse(QEvent::MouseMove, Centre({6, 4}), Qt::NoButton, Qt::NoButton);
    ASSERT_TRUE(window->Session().Floating());
    EXPECT_EQ(window->Session().Floating()->at, (TilePoint{6, 4}));
    Key(QEvent::KeyPress, Qt::Key_Escape);
    EXPECT_FALSE(window->Session().Floating());
    EXPECT_EQ(Bytes(), original) << "Esc leaves the file as it was";

    window->Forward(MapCommand::Paste);
    Key(QEvent::KeyPress, Qt::Key_X, "x");  // "@." over ".." becomes ".@" over ".."
    Key(QEvent::KeyPress, Qt::Key_Y, "y");  // and then ".." over ".@"
    Click(Centre({6, 4}));
    const TileGrid& grid = window->Session().Grid();
    EXPECT_EQ(grid.At(7, 5), static_cast<std::uint8_t>(Tile::Start));
    EXPECT_EQ(grid.At(6, 4), static_cast<std::uint8_t>(Tile::Floor));
    EXPECT_EQ(window->Session().UndoCount(), 1u);
    window->Forward(MapCommand::Rotate);
    Click(Centre({3, 4}));
    EXPECT_EQ(grid.At(3, 5), static_cast<std::uint8_t>(Tile::Start))
        << "\"..\" over \".@\" a quarter clockwise is \"..\" over \"@.\"";
    EXPECT_EQ(window->Action(MapCommand::Undo)->text().toStdString(), "&Undo Paste");
}

TEST_F(MapComfortTest, AfterAPickInTheListTypingPaintsOnTheMap) {
    Open(Level("ONE", 12, 8) + Level("TWO", 12, 8));
    QListWidget* levels = window->findChild<QListWidget*>("levels");
    levels->setFocus();
    levels->setCurrentRow(1);
    EXPECT_EQ(window->Session().Level(), 1);
    EXPECT_EQ(QApplication::focusWidget(), view) << "the map takes the keyboard back";
    Key(QEvent::KeyPress, Qt::Key_Right);
    Key(QEvent::KeyPress, Qt::Key_Down);
    Key(QEvent::KeyPress, Qt::Key_NumberSign, "#");
    EXPECT_EQ(window->Session().Grid().At(1, 1), static_cast<std::uint8_t>(Tile::Wall));

    auto* name = window->findChild<QLineEdit*>("eLongName");
    name->setFocus();
    EXPECT_FALSE(window->findChild<QLabel*>("hint")->text().isEmpty()) << "the way back is told";
    Key(QEvent::KeyPress, Qt::Key_Escape);
    EXPECT_EQ(QApplication::focusWidget(), view) << "Esc in a panel returns to the map";
}

TEST_F(MapComfortTest, TheTimeIsOneBoxThatReadsAndWritesAsTheSource) {
    Open(Level("TIME", 12, 8));
    auto* time = window->findChild<QSpinBox*>("eTime");
    ASSERT_NE(time, nullptr);
    EXPECT_EQ(time->text().toStdString(), "4:00");
    QLineEdit* box = time->findChild<QLineEdit*>();
    box->setFocus();
    box->selectAll();
    for (QChar c : QStringLiteral("12:05")) Key(QEvent::KeyPress, 0, c);
    Key(QEvent::KeyPress, Qt::Key_Return);
    EXPECT_NE(Bytes().find("time 12:05\n"), std::string::npos) << Bytes();
    EXPECT_EQ(QApplication::focusWidget(), view) << "Enter gives the map the keyboard back";

    // The arrows step what the cursor stands in: minutes before the colon.
    box->setFocus();
    box->setCursorPosition(1);
    time->stepBy(1);
    EXPECT_EQ(time->text().toStdString(), "13:05");
    box->setCursorPosition(4);
    time->stepBy(-6);
    EXPECT_EQ(time->text().toStdString(), "12:59");
    Key(QEvent::KeyPress, Qt::Key_Return);
    EXPECT_NE(Bytes().find("time 12:59\n"), std::string::npos) << Bytes();
}

TEST_F(MapComfortTest, AClickOnAHistoryEntryRestoresThatStateByteForByte) {
    Open(Level("HIST", 12, 8));
    const std::string original = Bytes();
    Click(Centre({3, 3}));
    const std::string afterOne = Bytes();
    window->findChild<QAction*>("toolFilledRectangle")->trigger();
    Mouse(QEvent::MouseButtonPress, Centre({4, 4}), Qt::LeftButton, Qt::LeftButton);
    Mouse(QEvent::MouseMove, Centre({8, 6}), Qt::NoButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, Centre({8, 6}), Qt::LeftButton, Qt::NoButton);
    ASSERT_EQ(window->Session().UndoCount(), 2u);
    QListWidget* history = window->findChild<QListWidget*>("history");
    auto clickRow = [&](int row) {
        const QPoint at = history->visualItemRect(history->item(row)).center();
        for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent e(
                type, QPointF(at), history->viewport()->mapToGlobal(QPointF(at)), Qt::LeftButton,
                type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(history->viewport(), &e);
        }
    };
    clickRow(1);
    EXPECT_EQ(Bytes(), afterOne);
    EXPECT_EQ(window->Action(MapCommand::Redo)->text().toStdString(), "&Redo Filled rectangle");
    clickRow(0);
    EXPECT_EQ(Bytes(), original);
    clickRow(2);
    EXPECT_EQ(window->Session().UndoCount(), 2u);
}

TEST_F(MapComfortTest, ReplaceAllIsOneDialogThatCountsWhatItReplaced) {
    Open(Level("REPL", 12, 8));
    window->Forward(MapCommand::ReplaceAll);
    auto* dialog = window->findChild<QDialog*>("replaceDialog");
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    auto* from = dialog->findChild<QComboBox*>("cFrom");
    auto* to = dialog->findChild<QComboBox*>("cTo");
    from->setCurrentIndex(from->findData(static_cast<int>(Tile::Steel)));
    to->setCurrentIndex(to->findData(static_cast<int>(Tile::Wall)));
    dialog->findChild<QPushButton*>("bReplaceAll")->click();
    EXPECT_EQ(dialog->findChild<QLabel*>("lReport")->text().toStdString(),
              "Replaced 36 tiles of steel wall with wall in this level.");
    EXPECT_EQ(window->Session().UndoCount(), 1u);
    dialog->close();
}

TEST_F(MapComfortTest, ClickingInAndOutOfTheLevelNameChangesNothing) {
    Open(Level("LONGNAME12", 12, 8));
    const QString title = window->windowTitle();
    auto* name = window->findChild<QLineEdit*>("eLevelName");
    ASSERT_EQ(name->text(), "LONGNAME12");
    name->setFocus();
    view->setFocus();
    emit name->editingFinished();  // as leaving it does, whatever the platform
    QApplication::processEvents();
    EXPECT_EQ(window->Session().ShownLevelName(), "LONGNAME12");
    EXPECT_EQ(window->Session().UndoCount(), 0u);
    EXPECT_EQ(window->windowTitle(), title);
}

TEST_F(MapComfortTest, StatusShowsTheTileAsItIsNowTheToolAndTheZoom) {
    Open(Level("STAT", 12, 8));
    Click(Centre({4, 3}));  // the pencil paints wall at the start
    EXPECT_EQ(window->findChild<QLabel*>("hover")->text(), "5, 4: wall");
    EXPECT_EQ(window->findChild<QLabel*>("toolText")->text(), "Pencil");
    EXPECT_TRUE(window->findChild<QLabel*>("zoom")->text().endsWith("px (fit)"));
}

}  // namespace
}  // namespace gdl
