// GDLMap's window on the offscreen platform: what it shows of the session,
// and its panels reaching the session.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QDockWidget>
#include <QListWidget>

#include "FakeTools.h"
#include "FormsTestSupport.h"
#include "MapView.h"
#include "MapWindow.h"
#include "TempDir.h"

namespace gdl {
namespace {

constexpr char kSource[] =
    "level ONE\ntime 1:00\nquota 0\nmap\nXXXX\nX@EX\nXXXX\nend\n\n"
    "level TWO\ntime 1:00\nquota 0\nmap\nXXXXX\nX@XEX\nXXXXX\nend\n";

class MapWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        gdltest::EnsureApp();
        dir.Write("pair.lvs", kSource);
        QString problem;
        ASSERT_TRUE(window.Open(QString::fromStdString(dir.Path("pair.lvs")), "two", &problem))
            << problem.toStdString();
    }
    QListWidget* List(const char* name) { return window.findChild<QListWidget*>(name); }

    gdltest::TempDir dir;
    // The settings the window remembers are the test's own.
    gdltest::ScopedEnv config{"XDG_CONFIG_HOME", dir.Path("config")};
    MapWindow window;
};

TEST_F(MapWindowTest, ShowsTheSessionAndTheLevelAsked) {
    EXPECT_THAT(window.windowTitle().toStdString(), testing::HasSubstr("pair.lvs"));
    EXPECT_EQ(window.Session().Level(), 1);
    EXPECT_EQ(window.Canvas()->Grid().width, 5);
    ASSERT_NE(List("levels"), nullptr);
    EXPECT_EQ(List("levels")->count(), 2);
    EXPECT_EQ(List("levels")->currentRow(), 1);
    // TWO's exit is walled in: the finding is listed and ringed.
    ASSERT_NE(List("problems"), nullptr);
    ASSERT_EQ(List("problems")->count(), 1);
    EXPECT_THAT(List("problems")->item(0)->text().toStdString(),
                testing::HasSubstr("TWO: line 15: error"));
    window.show();
    EXPECT_EQ(window.focusWidget(), window.Canvas())
        << "the map has the keyboard when the window opens";
}

TEST_F(MapWindowTest, KeysReachTheSessionAndTheHistoryListsThem) {
    window.show();
    // The steel between start and exit of TWO, at (2, 1), becomes floor.
    gdltest::PressKey(window.Canvas(), Qt::Key_Right);
    gdltest::PressKey(window.Canvas(), Qt::Key_Right);
    gdltest::PressKey(window.Canvas(), Qt::Key_Down);
    gdltest::PressKey(window.Canvas(), Qt::Key_Period, ".");
    EXPECT_EQ(window.Session().Grid().At(2, 1), static_cast<std::uint8_t>(Tile::Floor));
    EXPECT_EQ(window.Session().Cursor().x, 3);
    EXPECT_THAT(window.windowTitle().toStdString(), testing::HasSubstr("pair.lvs*"));
    ASSERT_NE(List("history"), nullptr);
    EXPECT_EQ(List("history")->count(), 2);  // "(opened)" and the stroke
    EXPECT_EQ(List("history")->item(1)->text(), "Pencil");
}

TEST_F(MapWindowTest, DraggingALevelInTheListMovesItInTheSource) {
    QAbstractItemModel* model = List("levels")->model();
    ASSERT_TRUE(model->moveRow({}, 1, {}, 0));
    EXPECT_EQ(window.Session().Document().Level(0).name, "TWO");
    EXPECT_EQ(window.Session().History().back(), "Move level up");
    EXPECT_EQ(List("levels")->item(0)->text().left(3), "TWO");
}

TEST(MapWindowNames, OpensALatin1NameAndShowsAUtf8NameAsWritten) {
    gdltest::EnsureApp();
    gdltest::TempDir dir;
    QString problem;
    dir.Write("caf\xe9.lvs", kSource);
    MapWindow latin1;
    ASSERT_TRUE(latin1.OpenPath(dir.Path("caf\xe9.lvs"), {}, &problem)) << problem.toStdString();
    EXPECT_EQ(latin1.windowTitle(), QString::fromUtf8("caf\xc3\xa9.lvs - GDLMap"));
    dir.Write("caf\xc3\xa9.lvs", kSource);
    MapWindow utf8;
    ASSERT_TRUE(utf8.OpenPath(dir.Path("caf\xc3\xa9.lvs"), {}, &problem)) << problem.toStdString();
    EXPECT_EQ(utf8.windowTitle(), QString::fromUtf8("caf\xc3\xa9.lvs - GDLMap"));
}

}  // namespace
}  // namespace gdl
