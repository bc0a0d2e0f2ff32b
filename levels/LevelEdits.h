// The edits of a level source, each made as an EditCommand value against the
// document's current state and then handed to LevelDocument::Apply, which
// does it and keeps it for undo. A command holds only the differences: the
// bytes of the tiles it changes, or the lines it replaces.
//
// Every function checks its request first and returns a Caller error for a
// level index out of range or a value the format does not allow; nothing is
// changed then. A request that changes nothing gives an empty command.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "Error.h"
#include "LevelDocument.h"
#include "TileGeometry.h"

namespace gdl {

// Which part of the old map keeps its place when the map is resized.
enum class ResizeAnchor {
    TopLeft,
    Top,
    TopRight,
    Left,
    Centre,
    Right,
    BottomLeft,
    Bottom,
    BottomRight
};

// Tiles: cells outside the map are skipped; a cell past the end of a short
// row lengthens the row with floor.
// One pencil stroke over the points in order. Give every part of a stroke
// painted live the same strokeId, and Apply merges them into one undo step.
Result<EditCommand> PencilStroke(const LevelDocument& doc, std::size_t level,
                                 std::span<const TilePoint> points, Tile tile,
                                 std::uint64_t strokeId = 0);
Result<EditCommand> DrawLine(const LevelDocument& doc, std::size_t level, TilePoint from,
                             TilePoint to, Tile tile);
// The rectangle between two corners, its outline or filled.
Result<EditCommand> DrawRectangle(const LevelDocument& doc, std::size_t level, TilePoint corner1,
                                  TilePoint corner2, Tile tile, bool filled);
// The cells joined to `at` through its four neighbours that hold what it holds.
Result<EditCommand> FloodFill(const LevelDocument& doc, std::size_t level, TilePoint at, Tile tile);
// Every `from` tile becomes `to`, in one level or (no level) the whole source.
Result<EditCommand> ReplaceTiles(const LevelDocument& doc, std::optional<std::size_t> level,
                                 Tile from, Tile to);
// The region's tiles with their top left corner at `at`; kNoTile cells of the
// region leave the map's cell alone.
Result<EditCommand> PasteRegion(const LevelDocument& doc, std::size_t level, TilePoint at,
                                const TileGrid& region);
// The tiles between two corners (clipped to the map), for a clipboard.
TileGrid CopyRegion(const LevelDocument& doc, std::size_t level, TilePoint corner1,
                    TilePoint corner2);

// The map made width x height (1 to 99); the anchor's side of the old map
// keeps its place, new cells get `fill`. A "size" line follows the map; a
// level without a map gets one.
Result<EditCommand> ResizeMap(const LevelDocument& doc, std::size_t level, int width, int height,
                              ResizeAnchor anchor, Tile fill = Tile::Floor);

// Figures of a level; a missing line is added in the kit's layout.
Result<EditCommand> RenameLevel(const LevelDocument& doc, std::size_t level,
                                std::string_view name);  // unique in the source
Result<EditCommand> SetLongName(const LevelDocument& doc, std::size_t level,
                                std::string_view longName);
Result<EditCommand> SetTime(const LevelDocument& doc, std::size_t level, int minutes, int seconds);
Result<EditCommand> SetQuota(const LevelDocument& doc, std::size_t level, int quota);

// Levels. A new level is the kit's template: a steel border round floor, the
// start at the top left, the exit at the bottom right. It goes before the
// level at `position` (LevelCount() or more: at the end); an empty name picks
// a free "LEVELn".
Result<EditCommand> AddLevel(const LevelDocument& doc, std::size_t position,
                             std::string_view name = {}, int width = 16, int height = 9);
// A copy of the level's lines right after it, under a free name.
Result<EditCommand> DuplicateLevel(const LevelDocument& doc, std::size_t level);
// The level's lines, with the comment lines right above its "level" line.
// "Delete level NAME (lines 5 to 12)?": every line the deletion takes.
std::string DeleteLevelQuestion(const LevelDocument& doc, std::size_t level);
Result<EditCommand> DeleteLevel(const LevelDocument& doc, std::size_t level);
// One place up (-1) or down (+1), with its lines.
Result<EditCommand> MoveLevel(const LevelDocument& doc, std::size_t level, int direction);

// A level name not used in the source, made from `wanted` (at most 8 of
// A-Z, 0-9, _).
std::string FreeLevelName(const LevelDocument& doc, std::string_view wanted);

}  // namespace gdl
