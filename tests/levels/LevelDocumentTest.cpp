// The level document's edits: each changes exactly its bytes and undoes to
// the original; strokes, broken levels and what the format refuses.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "CaseNames.h"
#include "LevelDocument.h"
#include "LevelDocumentSupport.h"
#include "LevelEdits.h"

namespace gdl {
namespace {

using gdltest::kHandWrittenSource;
using gdltest::Load;
using gdltest::Must;

struct EditCase {
    const char* what;
    std::function<Result<EditCommand>(const LevelDocument&)> make;
    std::string expected;
};

std::string Replace(std::string text, std::string_view from, std::string_view to) {
    auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

class Edits : public testing::TestWithParam<EditCase> {};

TEST_P(Edits, ChangeExactlyTheirBytesAndUndoToTheOriginal) {
    const EditCase& c = GetParam();
    LevelDocument doc = Load(kHandWrittenSource);
    doc.Apply(Must(c.make(doc)));
    EXPECT_EQ(doc.Bytes(), c.expected);
    EXPECT_FALSE(doc.IsClean());
    // What the document holds is what the parser reads from its bytes.
    LevelDocument again = Load(doc.Bytes());
    ASSERT_EQ(again.LevelCount(), doc.LevelCount());
    for (std::size_t i = 0; i < doc.LevelCount(); ++i) {
        EXPECT_EQ(again.Level(i).name, doc.Level(i).name);
        EXPECT_EQ(again.Tiles(i).tiles, doc.Tiles(i).tiles);
    }
    doc.Undo();
    EXPECT_EQ(doc.Bytes(), kHandWrittenSource);
    EXPECT_TRUE(doc.IsClean());
    doc.Redo();
    EXPECT_EQ(doc.Bytes(), c.expected);
}

const TilePoint kStroke[] = {{1, 1}, {2, 1}, {2, 1}, {9, 9}};

INSTANTIATE_TEST_SUITE_P(
    Table, Edits,
    testing::Values(
        EditCase{"pencil changes one byte per tile",
                 [](const LevelDocument& d) { return PencilStroke(d, 0, kStroke, Tile::Wall); },
                 Replace(kHandWrittenSource, "X@*EX", "X##EX")},
        EditCase{"line",
                 [](const LevelDocument& d) {
                     return DrawLine(d, 1, {0, 0}, {3, 2}, Tile::Gem);
                 },
                 Replace(kHandWrittenSource, "  XXXX\n  X@EX\n  XXXX", "  *XXX\n  X**X\n  XXX*")},
        EditCase{"rectangle outline",
                 [](const LevelDocument& d) {
                     return DrawRectangle(d, 0, {4, 2}, {0, 0}, Tile::Dirt, false);
                 },
                 Replace(kHandWrittenSource, "XXXXX\nX@*EX\nXXXXX", ":::::\n:@*E:\n:::::")},
        EditCase{"filled rectangle clipped to the map",
                 [](const LevelDocument& d) {
                     return DrawRectangle(d, 1, {2, 1}, {40, 40}, Tile::Water, true);
                 },
                 Replace(kHandWrittenSource, "  X@EX\n  XXXX", "  X@~~\n  XX~~")},
        EditCase{"flood fill",
                 [](const LevelDocument& d) {
                     return FloodFill(d, 0, {0, 0}, Tile::Wall);
                 },
                 Replace(kHandWrittenSource, "XXXXX\nX@*EX\nXXXXX", "#####\n#@*E#\n#####")},
        EditCase{"replace in the whole source",
                 [](const LevelDocument& d) {
                     return ReplaceTiles(d, std::nullopt, Tile::Start, Tile::Floor);
                 },
                 Replace(Replace(kHandWrittenSource, "X@*EX", "X.*EX"), "X@EX", "X.EX")},
        EditCase{"paste skips empty cells",
                 [](const LevelDocument& d) {
                     TileGrid region{2, 1, {static_cast<std::uint8_t>(Tile::Gem), kNoTile}};
                     return PasteRegion(d, 1, {2, 1}, region);
                 },
                 Replace(kHandWrittenSource, "X@EX", "X@*X")},
        EditCase{"time keeps its spacing",
                 [](const LevelDocument& d) { return SetTime(d, 0, 12, 5); },
                 Replace(kHandWrittenSource, "time  2:30", "time  12:05")},
        EditCase{"a missing quota line is added before the map",
                 [](const LevelDocument& d) { return SetQuota(d, 1, 7); },
                 Replace(kHandWrittenSource, "time  1:00\nmap", "time  1:00\nquota 7\nmap")},
        EditCase{"long name", [](const LevelDocument& d) { return SetLongName(d, 1, "The Deep"); },
                 Replace(kHandWrittenSource, "level TWO\n", "level TWO\nname  The Deep\n")},
        EditCase{"rename", [](const LevelDocument& d) { return RenameLevel(d, 0, "cave_1"); },
                 Replace(kHandWrittenSource, "level ONE", "level CAVE_1")},
        EditCase{"resize anchored bottom right",
                 [](const LevelDocument& d) {
                     return ResizeMap(d, 1, 5, 2, ResizeAnchor::BottomRight, Tile::Steel);
                 },
                 Replace(kHandWrittenSource, "  XXXX\n  X@EX\n  XXXX\n", "  XX@EX\n  XXXXX\n")},
        EditCase{"resize writes the size line",
                 [](const LevelDocument& d) {
                     return ResizeMap(d, 0, 3, 3, ResizeAnchor::TopLeft, Tile::Floor);
                 },
                 Replace(kHandWrittenSource, "XXXXX\nX@*EX\nXXXXX", "XXX\nX@*\nXXX")},
        EditCase{"add a level at the end of a file without a last line end",
                 [](const LevelDocument& d) { return AddLevel(d, 9, "", 4, 3); },
                 kHandWrittenSource +
                     "\n\nlevel LEVEL3\nname  NEW LEVEL\nsize  4x3\ntime  2:00\nquota 0\nmap\n"
                     "XXXX\nX@EX\nXXXX\nend\n"},
        EditCase{"add a level before another",
                 [](const LevelDocument& d) { return AddLevel(d, 1, "mid", 3, 3); },
                 Replace(kHandWrittenSource, "; the second\n",
                         "level MID\nname  NEW LEVEL\nsize  3x3\ntime  2:00\nquota 0\nmap\n"
                         "XXX\nX@E\nXXX\nend\n\n; the second\n")},
        EditCase{"delete takes the comment above",
                 [](const LevelDocument& d) { return DeleteLevel(d, 1); },
                 kHandWrittenSource.substr(0, kHandWrittenSource.find("; the second"))},
        EditCase{"duplicate under a free name",
                 [](const LevelDocument& d) { return DuplicateLevel(d, 0); },
                 Replace(kHandWrittenSource, "; the second",
                         "level ONE2\nname  First\ntime  2:30\nquota 1\nmap\nXXXXX\nX@*EX\n"
                         "XXXXX\nend\n\n; the second")},
        EditCase{"move down", [](const LevelDocument& d) { return MoveLevel(d, 0, 1); },
                 "; two levels\n\n; the second\nlevel TWO\ntime  1:00\nmap\n  XXXX\n  X@EX\n"
                 "  XXXX\nend\n\nlevel ONE\nname  First\ntime  2:30\nquota 1\nmap\nXXXXX\n"
                 "X@*EX\nXXXXX\nend\n\n"}),
    gdltest::NameFromWhat());

TEST(LevelDocument, CrLfFilesGetCrLfLines) {
    std::string text = "level A\r\ntime 1:00\r\nmap\r\n@E\r\nend\r\n";
    LevelDocument doc = Load(text);
    doc.Apply(Must(SetQuota(doc, 0, 0)));
    EXPECT_EQ(doc.Bytes(), "level A\r\ntime 1:00\r\nquota 0\r\nmap\r\n@E\r\nend\r\n");
    EXPECT_FALSE(doc.Level(0).hasErrors);
}

TEST(LevelDocument, BrokenLevelsAreHeldAndCanBeMended) {
    // A bad time, a short row with an unknown tile and a missing quota.
    LevelDocument doc = Load(
        "level GOOD\ntime 1:00\nquota 0\nmap\n@E\nend\n"
        "level BAD\ntime 3:75\nmap\n#####\n#@?\n#####\nend\n");
    ASSERT_EQ(doc.LevelCount(), 2u);
    EXPECT_FALSE(doc.Level(0).hasErrors);
    const DocLevel& bad = doc.Level(1);
    EXPECT_TRUE(bad.hasErrors);
    EXPECT_EQ(bad.name, "BAD");
    EXPECT_GE(bad.messages.size(), 3u);
    TileGrid grid = doc.Tiles(1);
    EXPECT_EQ(grid.width, 5);
    EXPECT_EQ(grid.height, 3);
    EXPECT_EQ(grid.At(2, 1), kNoTile);  // '?'
    EXPECT_EQ(grid.At(4, 1), kNoTile);  // past the row's end

    doc.Apply(Must(SetTime(doc, 1, 3, 15)));
    doc.Apply(Must(SetQuota(doc, 1, 0)));
    const TilePoint mend[] = {{2, 1}, {3, 1}, {4, 1}};
    doc.Apply(Must(PencilStroke(doc, 1, mend, Tile::Wall)));
    const TilePoint exit[] = {{3, 1}};
    doc.Apply(Must(PencilStroke(doc, 1, exit, Tile::Exit)));
    EXPECT_FALSE(doc.Level(1).hasErrors) << doc.Level(1).messages.front().text;
    EXPECT_EQ(doc.Bytes(),
              "level GOOD\ntime 1:00\nquota 0\nmap\n@E\nend\n"
              "level BAD\ntime 3:15\nquota 0\nmap\n#####\n#@#E#\n#####\nend\n");
    while (doc.CanUndo()) doc.Undo();
    EXPECT_TRUE(doc.Level(1).hasErrors);
}

TEST(LevelDocument, AStrokeIsOneUndoStepAndTheCleanMarkHolds) {
    LevelDocument doc = Load(kHandWrittenSource);
    const std::string original = doc.Bytes();
    const TilePoint first[] = {{1, 1}}, second[] = {{2, 1}}, third[] = {{3, 1}};
    doc.Apply(Must(PencilStroke(doc, 0, first, Tile::Dirt, 7)));
    doc.Apply(Must(PencilStroke(doc, 0, second, Tile::Dirt, 7)));
    EXPECT_EQ(doc.UndoCount(), 1u);
    EXPECT_EQ(doc.UndoText(), "Pencil");
    doc.MarkClean();
    // The saved state is kept apart from the rest of the stroke.
    doc.Apply(Must(PencilStroke(doc, 0, third, Tile::Dirt, 7)));
    EXPECT_EQ(doc.UndoCount(), 2u);
    EXPECT_FALSE(doc.IsClean());
    doc.Undo();
    EXPECT_TRUE(doc.IsClean());
    doc.Undo();
    EXPECT_EQ(doc.Bytes(), original);
    EXPECT_FALSE(doc.IsClean());
    // A new command after undo drops the redo stack and the lost mark.
    doc.Apply(Must(SetQuota(doc, 0, 3)));
    EXPECT_FALSE(doc.CanRedo());
    while (doc.CanUndo()) doc.Undo();
    EXPECT_FALSE(doc.IsClean());
    EXPECT_EQ(doc.Bytes(), original);
}

TEST(LevelDocument, EveryKindOfEditInARowUndoesToTheOriginal) {
    LevelDocument doc = Load(kHandWrittenSource);
    const std::vector<std::function<Result<EditCommand>(const LevelDocument&)>> steps{
        [](const LevelDocument& d) { return AddLevel(d, 1, "NEW", 6, 5); },
        [](const LevelDocument& d) {
            return DrawLine(d, 1, {0, 0}, {5, 4}, Tile::Gem);
        },
        [](const LevelDocument& d) { return ResizeMap(d, 1, 9, 9, ResizeAnchor::Centre); },
        [](const LevelDocument& d) { return DuplicateLevel(d, 1); },
        [](const LevelDocument& d) { return MoveLevel(d, 2, 1); },
        [](const LevelDocument& d) {
            return ReplaceTiles(d, std::nullopt, Tile::Steel, Tile::Wall);
        },
        [](const LevelDocument& d) { return DeleteLevel(d, 0); },
        [](const LevelDocument& d) { return RenameLevel(d, 0, "FIRST"); },
        [](const LevelDocument& d) { return SetLongName(d, 0, "Again"); },
        [](const LevelDocument& d) {
            return FloodFill(d, 0, {4, 4}, Tile::Water);
        },
        [](const LevelDocument& d) { return MoveLevel(d, 2, -1); },
    };
    std::vector<std::string> states{doc.Bytes()};
    for (const auto& step : steps) {
        doc.Apply(Must(step(doc)));
        states.push_back(doc.Bytes());
    }
    EXPECT_EQ(doc.LevelCount(), 3u);
    EXPECT_EQ(doc.Level(0).name, "FIRST");
    for (std::size_t i = states.size() - 1; i > 0; --i) {
        EXPECT_EQ(doc.Bytes(), states[i]) << i;
        doc.Undo();
    }
    EXPECT_EQ(doc.Bytes(), kHandWrittenSource);
    while (doc.CanRedo()) doc.Redo();
    EXPECT_EQ(doc.Bytes(), states.back());
}

TEST(LevelDocument, UndoKeepsDifferencesNotCopies) {
    std::string text = "level BIG\ntime 1:00\nquota 0\nmap\n";
    for (int y = 0; y < 99; ++y) text += std::string(99, ':') + "\n";
    text += "end\n";
    LevelDocument doc = Load(text);
    for (int i = 0; i < 1000; ++i) {
        const TilePoint at[] = {{i % 99, i / 99}};
        doc.Apply(Must(PencilStroke(doc, 0, at, Tile::Floor)));
    }
    EXPECT_EQ(doc.UndoCount(), 1000u);
    // A copy of the map alone would be 10 kB a stroke.
    EXPECT_LT(doc.HistoryBytes(), 1000u * 200);
}

TEST(LevelDocument, RequestsTheFormatRefusesChangeNothing) {
    LevelDocument doc = Load(kHandWrittenSource);
    struct Case {
        const char* what;
        Result<EditCommand> result;
    };
    Case cases[] = {
        {"rename to a name in use", RenameLevel(doc, 0, "two")},
        {"rename to a bad name", RenameLevel(doc, 0, "A/B")},
        {"long name too long", SetLongName(doc, 0, "ABCDEFGHIJKLMNOPQR")},
        {"long name without Lynx code", SetLongName(doc, 0, "caf\xE9")},
        {"seconds 60", SetTime(doc, 0, 1, 60)},
        {"quota over 65535", SetQuota(doc, 0, 65536)},
        {"level out of range", SetQuota(doc, 5, 1)},
        {"resize to 100", ResizeMap(doc, 0, 100, 5, ResizeAnchor::Centre)},
        {"add under a used name", AddLevel(doc, 0, "one")},
        {"move by two", MoveLevel(doc, 0, 2)},
    };
    for (auto& c : cases) {
        EXPECT_FALSE(c.result.Ok()) << c.what;
        if (!c.result.Ok()) {
            EXPECT_EQ(c.result.Err().Kind(), ErrorKind::Caller) << c.what;
        }
    }
    EXPECT_TRUE(Must(MoveLevel(doc, 0, -1)).Empty());
    EXPECT_TRUE(Must(FloodFill(doc, 0, {0, 0}, Tile::Steel)).Empty());
    EXPECT_TRUE(Must(SetTime(doc, 0, 2, 30)).Empty());
    EXPECT_TRUE(Must(RenameLevel(doc, 1, "two")).Empty());
    EXPECT_EQ(doc.Bytes(), kHandWrittenSource);
}

TEST(LevelDocument, ALevelWithoutAMapGetsOneByResize) {
    LevelDocument doc = Load("level A\ntime 1:00\nquota 0\n");
    EXPECT_TRUE(doc.Level(0).hasErrors);
    doc.Apply(Must(ResizeMap(doc, 0, 3, 1, ResizeAnchor::TopLeft)));
    const TilePoint start[] = {{0, 0}}, exit[] = {{2, 0}};
    doc.Apply(Must(PencilStroke(doc, 0, start, Tile::Start)));
    doc.Apply(Must(PencilStroke(doc, 0, exit, Tile::Exit)));
    EXPECT_EQ(doc.Bytes(), "level A\ntime 1:00\nquota 0\nsize  3x1\nmap\n@.E\nend\n");
    EXPECT_FALSE(doc.Level(0).hasErrors);
}

}  // namespace
}  // namespace gdl
