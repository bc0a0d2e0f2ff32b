// The map editor's tools, commands, questions and settings without a window:
// the tool and command tables, the stamp with its turns and Esc, the row
// typed as one step, history clicks, and the fields that change nothing.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "CommonFakes.h"
#include "LevelTexts.h"
#include "MapCommands.h"
#include "MapEditor.h"
#include "MapQuestions.h"
#include "MapSettings.h"
#include "TempDir.h"

namespace gdl {
namespace {

constexpr auto& kSource = gdltest::kTwoLevelSource;

TileGrid Block(int w, int h, std::string symbols) {
    TileGrid grid{w, h, {}};
    for (char c : symbols) grid.tiles.push_back(static_cast<std::uint8_t>(*TileFromSymbol(c)));
    return grid;
}

std::string Symbols(const TileGrid& grid) {
    std::string s;
    for (auto code : grid.tiles) s += TileSymbol(code);
    return s;
}

class MapToolsTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir.Write("cave.lvs", kSource);
        ASSERT_TRUE(editor.Open(dir.Path("cave.lvs")).Ok());
    }
    void Drag(TilePoint from, TilePoint to) {
        editor.Press(from);
        editor.Drag(to);
        editor.Release(to);
    }
    gdltest::TempDir dir;
    MapEditor editor;
};

TEST(MapToolTable, EveryToolHasOneRowAndItsOwnKey) {
    std::set<std::string> names, keys;
    int index = 0;
    for (const auto& info : MapToolTable()) {
        EXPECT_EQ(static_cast<int>(info.id), index++) << info.name;
        EXPECT_TRUE(names.insert(info.name).second) << info.name;
        if (*info.shortcut) {
            EXPECT_TRUE(keys.insert(info.shortcut).second) << info.shortcut;
        }
        ASSERT_NE(info.make(), nullptr) << info.name;
    }
    EXPECT_EQ(ToolInfo(MapTool::Fill).name, std::string("Flood Fill"));
}

TEST(MapCommandTable, IdsInOrderNamesAndShortcutsUnique) {
    std::set<std::string> names, keys;
    for (const auto& info : MapToolTable())
        if (*info.shortcut) keys.insert(info.shortcut);
    int index = 0;
    for (const auto& info : MapCommandTable()) {
        EXPECT_EQ(static_cast<int>(info.id), index++) << info.name;
        EXPECT_EQ(&CommandInfo(info.id), &info);
        EXPECT_TRUE(names.insert(info.name).second) << info.name;
        for (const char* key : info.keys)
            if (*key) {
                EXPECT_TRUE(keys.insert(key).second) << key << " is taken twice";
            }
    }
}

TEST(MapCommandTable, WindowCommandsAreRefusedByTheSession) {
    MapEditor editor;
    for (const auto& info : MapCommandTable())
        if (info.Window()) {
            EXPECT_FALSE(RunCommand(editor, info.id).Ok()) << info.name;
        }
}

TEST(BlockTurns, FlipAndRotateAsOtherMapEditorsDo) {
    const TileGrid block = Block(3, 2,
                                 "#*."
                                 "XOE");
    struct Case {
        const char* what;
        TileGrid (*turn)(const TileGrid&);
        int width;
        std::string symbols;
    } cases[] = {
        {"flip left to right", &FlippedHorizontally, 3,
         ".*#"
         "EOX"},
        {"flip top to bottom", &FlippedVertically, 3,
         "XOE"
         "#*."},
        {"a quarter clockwise", &RotatedClockwise, 2,
         "X#"
         "O*"
         "E."},
    };
    for (const auto& c : cases) {
        const TileGrid turned = c.turn(block);
        EXPECT_EQ(turned.width, c.width) << c.what;
        EXPECT_EQ(Symbols(turned), c.symbols) << c.what;
    }
    TileGrid four = block;
    for (int i = 0; i < 4; ++i) four = RotatedClockwise(four);
    EXPECT_EQ(Symbols(four), Symbols(block)) << "four quarters are the block";
}

TEST_F(MapToolsTest, APasteFloatsTurnsLandsAtTheClickAndEscLeavesTheFileAlone) {
    editor.SetTool(MapTool::Select);
    Drag({1, 1}, {2, 1});  // "@."
    ASSERT_TRUE(editor.Copy());
    ASSERT_TRUE(editor.Paste().Ok());
    EXPECT_TRUE(editor.TypeKey('X')) << "X flips the stamp, it paints no steel";
    editor.Hover(TilePoint{2, 3});
    ASSERT_TRUE(editor.Floating());
    EXPECT_EQ(Symbols(*editor.Floating()->block), ".@");
    EXPECT_FALSE(editor.Modified());
    ASSERT_TRUE(editor.Escape());
    EXPECT_FALSE(editor.Floating());
    EXPECT_EQ(editor.Document().Bytes(), kSource);
    EXPECT_EQ(editor.UndoCount(), 0u);

    ASSERT_TRUE(editor.Paste().Ok());
    editor.Turn(BlockTurn::RotateClockwise);
    editor.Press({4, 1});
    editor.Release({4, 1});
    EXPECT_EQ(editor.Grid().At(4, 1), static_cast<std::uint8_t>(Tile::Start));
    EXPECT_EQ(editor.Grid().At(4, 2), static_cast<std::uint8_t>(Tile::Floor));
    EXPECT_EQ(editor.Tool(), MapTool::Stamp) << "the stamp stays for the next click";
}

TEST_F(MapToolsTest, EscEndsADragAndAChangeOfToolDropsTheSelection) {
    editor.SetTool(MapTool::Rectangle);
    editor.Press({1, 1});
    editor.Drag({4, 3});
    ASSERT_TRUE(editor.Rubber());
    ASSERT_TRUE(editor.Escape());
    EXPECT_FALSE(editor.Rubber());
    editor.Release({4, 3});
    EXPECT_FALSE(editor.Modified()) << "the cancelled rectangle is not drawn on release";

    editor.SetTool(MapTool::Select);
    Drag({1, 1}, {3, 2});
    ASSERT_TRUE(editor.Selection());
    ASSERT_TRUE(editor.Escape());
    EXPECT_FALSE(editor.Selection());
    Drag({1, 1}, {3, 2});
    editor.SetTool(MapTool::Pencil);
    EXPECT_FALSE(editor.Selection());
    EXPECT_FALSE(editor.Escape()) << "nothing left to end";
}

TEST_F(MapToolsTest, ARowTypedIsOneUndoStepAndHistoryClicksGoThere) {
    editor.SetCursor({1, 2});
    for (char c : std::string("*~#")) ASSERT_TRUE(editor.TypeSymbol(c));
    EXPECT_EQ(editor.History().size(), 1u);
    const std::string afterRow = editor.Document().Bytes();
    editor.NextRow();
    editor.MoveCursor(1, 0);
    ASSERT_TRUE(editor.TypeSymbol('O'));
    EXPECT_EQ(editor.History().size(), 2u) << "the next row is a step of its own";
    EXPECT_EQ(StateOf(editor, MapCommand::Undo).caption, "&Undo Pencil");

    editor.GoToHistory(0);
    EXPECT_EQ(editor.Document().Bytes(), kSource);
    EXPECT_EQ(StateOf(editor, MapCommand::Redo).caption, "&Redo Pencil");
    EXPECT_FALSE(StateOf(editor, MapCommand::Undo).enabled);
    editor.GoToHistory(1);
    EXPECT_EQ(editor.Document().Bytes(), afterRow);
    editor.GoToHistory(99);
    EXPECT_EQ(editor.UndoCount(), 2u);
}

TEST_F(MapToolsTest, StatusCountsFromOneAndShowsTheTileAsItIsNow) {
    editor.Hover(TilePoint{3, 1});
    EXPECT_EQ(editor.HoverText(), "4, 2: gem");
    editor.SetTile(Tile::Dirt);
    editor.Press({3, 1});
    editor.Release({3, 1});
    EXPECT_EQ(editor.HoverText(), "4, 2: dirt");
    editor.Hover(std::nullopt);
    EXPECT_EQ(editor.HoverText(), "");
    EXPECT_EQ(editor.ToolText(), "Pencil");
}

TEST_F(MapToolsTest, FieldsLeftAsShownChangeNothing) {
    // Even a name longer than a level name may be is left as it stands.
    std::string text = kSource;
    text.replace(text.find("level TWO"), 9, "level LONGNAME12");
    dir.Write("long.lvs", text);
    MapEditor longName;
    ASSERT_TRUE(longName.Open(dir.Path("long.lvs")).Ok());
    longName.ShowLevel(1);
    const LevelFields shown = longName.Fields();
    ASSERT_EQ(shown.name, "LONGNAME12");
    ASSERT_TRUE(longName.ApplyFields(shown, shown).Ok());
    EXPECT_FALSE(longName.Modified());
    EXPECT_EQ(longName.UndoCount(), 0u);
    LevelFields edited = shown;
    edited.name = " deep ";
    edited.quota = 3;
    ASSERT_TRUE(longName.ApplyFields(shown, edited).Ok());
    EXPECT_EQ(longName.ShownLevelName(), "DEEP") << "trimmed and in capitals";
    EXPECT_EQ(longName.Fields().quota, 3);
    EXPECT_EQ(longName.Fields().minutes, 2) << "the time was not touched";
}

TEST_F(MapToolsTest, ReplaceCountsWhatItReplaced) {
    auto replaced = editor.Replace(Tile::Steel, Tile::Wall, true);
    ASSERT_TRUE(replaced.Ok());
    EXPECT_EQ(*replaced, 18u + 10u);
    EXPECT_EQ(ReplaceReport(*replaced, "steel wall", "wall", true),
              "Replaced 28 tiles of steel wall with wall in the whole source.");
    EXPECT_EQ(ReplaceReport(1, "gem", "dirt", false),
              "Replaced 1 tile of gem with dirt in this level.");
    EXPECT_EQ(ReplaceReport(0, "gem", "dirt", false), "There is no gem in this level.");
}

TEST_F(MapToolsTest, QuestionsGoThroughThePromptsPort) {
    ScriptedPrompts prompts;
    prompts.answers = {Answer::No};
    ASSERT_TRUE(AskDeleteLevel(editor, prompts).Ok());
    EXPECT_EQ(editor.LevelCount(), 2u);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Delete level ONE (lines 1 to 13)?");
    prompts.answers = {Answer::Yes};
    ASSERT_TRUE(AskDeleteLevel(editor, prompts).Ok());
    EXPECT_EQ(editor.LevelCount(), 1u);

    struct Case {
        Answer answer;
        CloseAnswer want;
        bool saved;
    } cases[] = {
        {Answer::Cancel, CloseAnswer::Stay, false},
        {Answer::No, CloseAnswer::Discard, false},
        {Answer::Yes, CloseAnswer::Close, true},
    };
    for (const auto& c : cases) {
        prompts.answers = {c.answer};
        EXPECT_EQ(AskClose(editor, prompts), c.want);
        EXPECT_EQ(editor.Modified(), !c.saved);
    }
    EXPECT_EQ(AskClose(editor, prompts), CloseAnswer::Close) << "saved: no question";
}

TEST(MapSettings, RememberedPerUserAndBadValuesKeepTheDefaults) {
    MemoryRegistry registry;
    EXPECT_FALSE(ReadMapSettings(registry).tileSize);
    EXPECT_TRUE(ReadMapSettings(registry).grid);
    MapSettings settings;
    settings.tileSize = 28;
    settings.symbols = true;
    settings.grid = false;
    settings.layout = "00ff";
    WriteMapSettings(registry, settings);
    const MapSettings read = ReadMapSettings(registry);
    EXPECT_EQ(read.tileSize, 28);
    EXPECT_TRUE(read.symbols);
    EXPECT_FALSE(read.grid);
    EXPECT_EQ(read.layout, "00ff");
    EXPECT_TRUE(registry.ReadValue(RegRoot::CurrentUser, kRegKeyMap, "TileSize"));
    for (const char* bad : {"0", "65", "x", "-3", "fit", "123456789012"}) {
        registry.WriteValue(RegRoot::CurrentUser, kRegKeyMap, "TileSize", bad);
        EXPECT_FALSE(ReadMapSettings(registry).tileSize) << bad;
    }
}

}  // namespace
}  // namespace gdl
