// The companion's window on the offscreen platform: the viewer's table and
// map, and the ports page writing the machine values.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTabWidget>
#include <QTableWidget>

#include "CommonFakes.h"
#include "CompanionPages.h"
#include "FormsTestSupport.h"
#include "LevelCompile.h"
#include "LevelSetFile.h"
#include "LevelSource.h"
#include "MapView.h"
#include "Registry.h"
#include "TempDir.h"

namespace gdl {
namespace {

std::string Compiled(const std::string& source) {
    return CompileLevel(ParseLevelSource(source).levels.at(0)).bytes;
}

std::string TwoLevelSet() {
    const std::string wide =
        Compiled("level W\nname Wide\ntime 1:00\nquota 0\nmap\nX@.......EX\nend\n");
    const std::string square =
        Compiled("level S\nname Square\ntime 1:00\nquota 1\nmap\nXXXX\nX@*X\nX.EX\nXXXX\nend\n");
    LevelSetHeader header;
    header.name = "Two";
    header.year = "2026";
    header.visibleCount = 2;
    LevelSetLevel first, second;
    first.entry.password = "WIDE";
    first.compiled = wide;
    second.entry.password = "SQRE";
    second.compiled = square;
    return SerializeLevelSet(header, {first, second});
}

TEST(CompanionWindow, ViewerShowsEachLevelsMap) {
    gdltest::EnsureApp();
    gdltest::TempDir dir;
    dir.Write("Two.gdl", TwoLevelSet());
    MemoryRegistry registry;
    CompanionWindow window(dir.Folder(), dir.Path("Two.gdl"), registry);
    ASSERT_NE(window.Viewer(), nullptr);
    QTableWidget* levels = window.Viewer()->Levels();
    ASSERT_EQ(levels->rowCount(), 2);
    EXPECT_EQ(levels->item(1, 1)->text(), "SQUARE");
    EXPECT_EQ(levels->item(1, 6)->text(), "SQRE");
    auto mapSize = [&] {
        const TileGrid& grid = window.Viewer()->Map()->Grid();
        return QSize(grid.width, grid.height);
    };
    EXPECT_EQ(mapSize(), QSize(11, 1));
    levels->setCurrentCell(1, 0);
    EXPECT_EQ(mapSize(), QSize(4, 4));
    EXPECT_EQ(window.Viewer()->Map()->Grid().tiles.size(), 16u);
    // Codes and hints stay hidden until asked for.
    EXPECT_TRUE(levels->isColumnHidden(6));
    EXPECT_TRUE(levels->isColumnHidden(8));
    window.Viewer()->ShowCodes()->setChecked(true);
    EXPECT_FALSE(levels->isColumnHidden(6));
    EXPECT_FALSE(levels->isColumnHidden(8));
    EXPECT_NE(window.Viewer()->findChild<QWidget*>("legend"), nullptr);
    SetViewLevel two;
    two.width = 2;
    two.height = 1;
    two.tiles = {static_cast<std::uint8_t>(Tile::Gem), 200};
    QImage map = MapImage(two);
    EXPECT_EQ(map.pixelColor(0, 0), QColor(TileColour(static_cast<std::uint8_t>(Tile::Gem))));
    EXPECT_EQ(map.pixelColor(1, 0), QColor("#ff00ff"));
}

TEST(CompanionWindow, DamagedFileSaysWhyOnItsPage) {
    gdltest::EnsureApp();
    gdltest::TempDir dir;
    dir.Write("Bad.gdl", "GLIMDEEP but nothing more");
    MemoryRegistry registry;
    CompanionWindow window(dir.Folder(), dir.Path("Bad.gdl"), registry);
    EXPECT_EQ(window.Viewer(), nullptr);
    auto* tabs = window.findChild<QTabWidget*>("pages");
    ASSERT_NE(tabs, nullptr);
    auto* page = qobject_cast<QLabel*>(tabs->currentWidget());
    ASSERT_NE(page, nullptr);
    EXPECT_THAT(page->text().toStdString(), testing::HasSubstr("is not a level set"));
}

TEST(CompanionWindow, PortsPageStoresTheChoices) {
    gdltest::EnsureApp();
    MemoryRegistry registry;
    registry.WriteValue(RegRoot::LocalMachine, kRegKeyGlobal, "Com2", "/dev/ttyOld");
    PortsPage page(registry, "/nonexistent-dev");
    EXPECT_EQ(page.Choice(1)->currentText(), "/dev/ttyOld");
    EXPECT_EQ(page.Choice(0)->currentText(), "(default)");
    page.Choice(0)->setEditText("/dev/ttyUSB7");
    page.Choice(1)->setEditText("(default)");
    page.Choice(2)->setEditText("not/a/device");
    page.Apply();
    EXPECT_EQ(registry.ReadValue(RegRoot::LocalMachine, kRegKeyGlobal, "Com1"), "/dev/ttyUSB7");
    EXPECT_EQ(registry.ReadValue(RegRoot::LocalMachine, kRegKeyGlobal, "Com2"), std::nullopt);
    EXPECT_EQ(registry.ReadValue(RegRoot::LocalMachine, kRegKeyGlobal, "Com3"), std::nullopt);
    EXPECT_THAT(page.Status()->text().toStdString(), testing::HasSubstr("Com3: the device must"));
    EXPECT_EQ(page.Choice(0)->currentText(), "/dev/ttyUSB7");
}

}  // namespace
}  // namespace gdl
