// The map editor's session: the keyboard road, the mouse tools with their
// undo steps, the problems list, the file on disk and the close question.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "FileUtil.h"
#include "LevelCompile.h"
#include "LevelTexts.h"
#include "MapEditor.h"
#include "TempDir.h"

namespace gdl {
namespace {

constexpr auto& kSource = gdltest::kTwoLevelSource;

class MapEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir.Write("cave.lvs", kSource);
        ASSERT_TRUE(editor.Open(dir.Path("cave.lvs")).Ok());
    }
    gdltest::TempDir dir;
    MapEditor editor;
};

TEST_F(MapEditorTest, KeyboardRoadPaintsOneByteAndUndoGivesTheFileBack) {
    EXPECT_EQ(editor.Level(), 0);
    EXPECT_EQ(editor.Cursor().x, 0);
    EXPECT_EQ(editor.Cursor().y, 0);
    editor.MoveCursor(2, 1);
    EXPECT_FALSE(editor.TypeSymbol('z'));
    ASSERT_TRUE(editor.TypeSymbol('#'));
    EXPECT_EQ(editor.Cursor().x, 3);
    EXPECT_TRUE(editor.Modified());
    EXPECT_EQ(editor.Title(), "cave.lvs* - GDLMap");
    ASSERT_TRUE(editor.Save().Ok());
    EXPECT_EQ(gdltest::ByteDifferences(dir.Read("cave.lvs"), kSource), 1);
    EXPECT_EQ(dir.Read("cave.lvs")[std::string(kSource).find("X@.*.X") + 2], '#');
    editor.Undo();
    ASSERT_TRUE(editor.Save().Ok());
    EXPECT_EQ(dir.Read("cave.lvs"), kSource);
    EXPECT_FALSE(editor.Modified());
}

TEST_F(MapEditorTest, CursorStaysOnTheMapAndEnterStartsTheNextRow) {
    struct Step {
        const char* what;
        std::function<void()> act;
        int x, y;
    };
    const Step steps[] = {
        {"left of 0", [&] { editor.MoveCursor(-1, 0); }, 0, 0},
        {"far right", [&] { editor.MoveCursor(40, 0); }, 5, 0},
        {"typing on the last column stays there", [&] { editor.TypeSymbol('X'); }, 5, 0},
        {"enter", [&] { editor.NextRow(); }, 0, 1},
        {"far down", [&] { editor.MoveCursor(0, 40); }, 0, 4},
        {"enter on the last row", [&] { editor.NextRow(); }, 0, 4},
        {"next level starts at the top left", [&] { editor.NextLevel(); }, 0, 0},
        {"its smaller map bounds the cursor", [&] { editor.MoveCursor(9, 9); }, 3, 2},
        {"no level after the last", [&] { editor.NextLevel(); }, 3, 2},
    };
    for (const auto& step : steps) {
        step.act();
        EXPECT_EQ(editor.Cursor().x, step.x) << step.what;
        EXPECT_EQ(editor.Cursor().y, step.y) << step.what;
    }
    EXPECT_EQ(editor.Level(), 1);
    editor.PreviousLevel();
    EXPECT_EQ(editor.Level(), 0);
}

TEST_F(MapEditorTest, EachMouseToolIsOneUndoStep) {
    struct Case {
        const char* what;
        MapTool tool;
        std::vector<TilePoint> path;  // press, drags, release
        int changed;                  // tiles changed
    };
    const Case cases[] = {
        {"pencil stroke with a gap between drags", MapTool::Pencil, {{1, 2}, {4, 2}, {4, 3}}, 5},
        {"line", MapTool::Line, {{1, 1}, {3, 1}, {4, 1}}, 4},
        {"rectangle outline", MapTool::Rectangle, {{1, 1}, {4, 3}}, 10},
        {"filled rectangle", MapTool::FilledRectangle, {{1, 1}, {2, 2}}, 4},
        {"fill of the dirt row", MapTool::Fill, {{2, 2}}, 4},
    };
    for (const auto& c : cases) {
        const TileGrid before = editor.Grid();
        editor.SetTool(c.tool);
        editor.SetTile(Tile::Water);
        editor.Press(c.path.front());
        for (std::size_t i = 1; i + 1 < c.path.size(); ++i) editor.Drag(c.path[i]);
        editor.Release(c.path.back());
        const TileGrid after = editor.Grid();
        int changed = 0;
        for (std::size_t i = 0; i < after.tiles.size(); ++i)
            changed += after.tiles[i] != before.tiles[i];
        EXPECT_EQ(changed, c.changed) << c.what;
        editor.Undo();
        EXPECT_EQ(editor.Grid().tiles, before.tiles) << c.what;
        EXPECT_FALSE(editor.Modified()) << c.what;
    }
}

TEST_F(MapEditorTest, RightButtonPicksTheTileAndSelectCopyPaste) {
    editor.Press({3, 1}, true);
    EXPECT_EQ(editor.CurrentTile(), Tile::Gem);
    EXPECT_FALSE(editor.Modified());

    editor.SetTool(MapTool::Select);
    editor.Press({1, 1});
    editor.Drag({9, 9});
    editor.Release({9, 9});  // clipped to the map
    ASSERT_TRUE(editor.Selection());
    EXPECT_EQ(editor.Selection()->bottomRight.x, 5);
    EXPECT_EQ(editor.Selection()->bottomRight.y, 4);
    editor.Press({1, 1});
    editor.Release({2, 1});
    ASSERT_TRUE(editor.Copy());
    // The copy floats under the mouse until a click lays it there.
    ASSERT_TRUE(editor.Paste().Ok());
    EXPECT_EQ(editor.Tool(), MapTool::Stamp);
    editor.Hover(TilePoint{1, 3});
    ASSERT_TRUE(editor.Floating());
    EXPECT_EQ(editor.Floating()->at, (TilePoint{1, 3}));
    EXPECT_FALSE(editor.Modified());
    editor.Press({1, 3});
    editor.Release({1, 3});
    EXPECT_EQ(editor.Grid().At(1, 3), static_cast<std::uint8_t>(Tile::Start));
    EXPECT_EQ(editor.Grid().At(2, 3), static_cast<std::uint8_t>(Tile::Floor));
    ASSERT_TRUE(editor.Escape()) << "Esc puts the stamp away";
    EXPECT_EQ(editor.Tool(), MapTool::Select);
    editor.Press({1, 1});
    editor.Release({2, 1});
    ASSERT_TRUE(editor.Cut());
    EXPECT_EQ(editor.History().back(), "Cut");
    EXPECT_EQ(editor.UndoCount(), 2u);
}

TEST_F(MapEditorTest, ReplaceInTheLevelOrTheWholeSource) {
    auto replaced = editor.Replace(Tile::Steel, Tile::Wall, false);
    ASSERT_TRUE(replaced.Ok());
    EXPECT_EQ(*replaced, 18u) << "the steel border of the 6 x 5 map";
    EXPECT_EQ(editor.Document().Bytes().find("XXXXXX"), std::string::npos);
    EXPECT_NE(editor.Document().Bytes().find("XXXX\n"), std::string::npos);
    editor.Undo();
    ASSERT_TRUE(editor.Replace(Tile::Steel, Tile::Wall, true).Ok());
    EXPECT_EQ(editor.Document().Bytes().find('X', 20), std::string::npos);
    EXPECT_EQ(editor.UndoCount(), 1u);
}

TEST_F(MapEditorTest, LevelCommandsAreUndoableAndShowTheirLevel) {
    ASSERT_TRUE(editor.AddLevel().Ok());
    EXPECT_EQ(editor.LevelCount(), 3u);
    EXPECT_EQ(editor.Level(), 1);
    ASSERT_TRUE(editor.RenameLevel("NEWONE").Ok());
    EXPECT_EQ(editor.ShownLevelName(), "NEWONE");
    EXPECT_FALSE(editor.RenameLevel("TWO").Ok()) << "names stay unique";
    ASSERT_TRUE(editor.SetQuota(5).Ok());
    ASSERT_TRUE(editor.SetTime(3, 7).Ok());
    ASSERT_TRUE(editor.SetLongName("Fresh Air").Ok());
    ASSERT_TRUE(editor.MoveLevelTo(1, 2).Ok());
    EXPECT_EQ(editor.Document().Level(2).name, "NEWONE");
    EXPECT_EQ(editor.Level(), 2);
    ASSERT_TRUE(editor.Resize(8, 5, ResizeAnchor::TopLeft).Ok());
    EXPECT_EQ(editor.Grid().width, 8);
    ASSERT_TRUE(editor.DuplicateLevel().Ok());
    EXPECT_EQ(editor.LevelCount(), 4u);
    ASSERT_TRUE(editor.DeleteLevel().Ok());
    EXPECT_EQ(editor.LevelCount(), 3u);
    const auto history = editor.History();
    ASSERT_FALSE(history.empty());
    EXPECT_EQ(history.front(), "Add level");
    while (editor.CanUndo()) editor.Undo();
    EXPECT_EQ(editor.Document().Bytes(), kSource);
    EXPECT_EQ(editor.History().size(), history.size()) << "undone commands stay to be redone";
}

TEST_F(MapEditorTest, ProblemsFollowTheMapAndLeadToTheirTile) {
    EXPECT_TRUE(editor.Problems().empty());
    // Walling the exit in: the doctor finds it unreachable at once.
    editor.SetTool(MapTool::Pencil);
    editor.SetTile(Tile::Steel);
    editor.Press({3, 3});
    editor.Drag({3, 2});
    editor.Drag({4, 2});
    editor.Release({4, 2});
    ASSERT_FALSE(editor.Problems().empty());
    const MapProblem first = editor.Problems().front();
    EXPECT_TRUE(first.error);
    EXPECT_EQ(first.level, 0);
    EXPECT_NE(first.text.find("ONE: line 10: error:"), std::string::npos) << first.text;
    EXPECT_FALSE(editor.MarkedTiles().empty());

    // A broken map row: the parser's message, tied to its row.
    MapEditor broken;
    std::string text = kSource;
    text.replace(text.find("X@EX"), 4, "X@E");
    ASSERT_TRUE(broken.OpenBytes(text, dir.Path("broken.lvs")).Ok());
    ASSERT_FALSE(broken.Problems().empty());
    const MapProblem& p = broken.Problems().front();
    EXPECT_EQ(p.level, 1);
    EXPECT_TRUE(p.error);
    broken.GoToProblem(0);
    EXPECT_EQ(broken.Level(), 1);
    EXPECT_FALSE(broken.CompileShownLevel().Ok()) << "a broken level is never sent";
}

TEST_F(MapEditorTest, ChangesOnDiskAreNoticedAndNothingIsLostSilently) {
    EXPECT_EQ(editor.CheckFileOnDisk(), FileChangeQuestion::None);
    editor.TypeSymbol('*');
    ASSERT_TRUE(editor.Save().Ok());
    EXPECT_EQ(editor.CheckFileOnDisk(), FileChangeQuestion::None) << "our own save";

    std::string other = dir.Read("cave.lvs");
    other.replace(other.find("name  First"), 11, "name  Other");
    dir.Write("cave.lvs", other);
    EXPECT_EQ(editor.CheckFileOnDisk(), FileChangeQuestion::Reload);
    ASSERT_TRUE(editor.Reload().Ok());
    EXPECT_EQ(editor.Document().Level(0).longName, "OTHER");

    editor.TypeSymbol('O');
    dir.Write("cave.lvs", kSource);
    EXPECT_EQ(editor.CheckFileOnDisk(), FileChangeQuestion::KeepOrReload);
    editor.KeepMine();
    EXPECT_EQ(editor.CheckFileOnDisk(), FileChangeQuestion::None) << "asked once";
    EXPECT_EQ(editor.AskOnClose(), CloseQuestion::SaveDiscardCancel);
    ASSERT_TRUE(editor.Save().Ok());
    EXPECT_EQ(editor.AskOnClose(), CloseQuestion::None);

    std::filesystem::remove(dir.Path("cave.lvs"));
    EXPECT_EQ(editor.CheckFileOnDisk(), FileChangeQuestion::Gone);
}

TEST_F(MapEditorTest, TheShownLevelCompilesWithItsUnsavedEdits) {
    editor.SetCursor({2, 1});
    editor.TypeSymbol('*');
    auto bytes = editor.CompileShownLevel();
    ASSERT_TRUE(bytes.Ok());
    std::string error;
    auto decoded = DecodeCompiledLevel(*bytes, &error);
    ASSERT_TRUE(decoded) << error;
    EXPECT_EQ(decoded->tiles[6 + 2], static_cast<std::uint8_t>(Tile::Gem));
}

TEST(MapEditorOpen, AnUnreadableFileIsRefusedAndABrokenOneOpens) {
    gdltest::TempDir dir;
    MapEditor editor;
    EXPECT_FALSE(editor.Open(dir.Path("missing.lvs")).Ok());
    dir.Write("binary.lvs", std::string("level A\0\0\0", 10));
    EXPECT_FALSE(editor.Open(dir.Path("binary.lvs")).Ok());
    dir.Write("odd.lvs", "level ??\nmap\n");
    ASSERT_TRUE(editor.Open(dir.Path("odd.lvs")).Ok());
    EXPECT_FALSE(editor.Problems().empty());
    dir.Write("empty.lvs", "");
    ASSERT_TRUE(editor.Open(dir.Path("empty.lvs")).Ok());
    EXPECT_EQ(editor.Level(), -1);
    EXPECT_FALSE(editor.TypeSymbol('#'));
    EXPECT_TRUE(editor.AddLevel().Ok());
    EXPECT_EQ(editor.Level(), 0);
}

}  // namespace
}  // namespace gdl
