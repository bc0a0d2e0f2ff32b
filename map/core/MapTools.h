// The map editor's mouse tools: each a class behind one interface (press,
// drag, release, and the outline it shows meanwhile), each giving the edit
// it makes as a command value; the session applies it. A new tool is one
// class here and one row of the tool table.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "Error.h"
#include "LevelDocument.h"
#include "LevelEdits.h"
#include "LevelSource.h"
#include "TileGeometry.h"

namespace gdl {

enum class MapTool { Pencil, Line, Rectangle, FilledRectangle, Fill, Select, Stamp };

// The selection: both corners inside the map, first top-left.
struct TileRect {
    TilePoint topLeft;
    TilePoint bottomRight;
    bool operator==(const TileRect&) const = default;
};
TileRect Normalised(TilePoint a, TilePoint b);

// What a tool sees of the session at a press, drag or release.
struct ToolContext {
    const LevelDocument& doc;
    std::size_t level;
    const TileGrid& grid;
    Tile tile;
    std::uint64_t stroke;  // the id that joins the parts of one stroke
};

// What a tool asks of the session after a step: an edit to apply, a new
// selection, or neither.
struct ToolStep {
    std::optional<Result<EditCommand>> edit;
    std::optional<TileRect> selection;
    bool clearSelection = false;
};

// The outline a drag shows until it is released.
struct ToolPreview {
    enum class Shape { Line, Box } shape = Shape::Box;
    TilePoint from, to;
};

class EditTool {
public:
    virtual ~EditTool() = default;
    virtual ToolStep Press(const ToolContext& context, TilePoint at) = 0;
    virtual ToolStep Drag(const ToolContext&, TilePoint) { return {}; }
    virtual ToolStep Release(const ToolContext&, TilePoint) { return {}; }
    virtual std::optional<ToolPreview> Preview() const { return std::nullopt; }
    // Esc while dragging: the drag ends without an edit. True when there was one.
    virtual bool Cancel() { return false; }
    // True between a press and its release.
    virtual bool Dragging() const { return false; }
};

// The stamp: a block of tiles, laid with its top left corner on the tile
// clicked, again at every tile a drag reaches. Ctrl+V puts the clipboard on it.
class StampTool : public EditTool {
public:
    void SetBlock(TileGrid block) { block_ = std::move(block); }
    const TileGrid& Block() const { return block_; }
    ToolStep Press(const ToolContext& context, TilePoint at) override;
    ToolStep Drag(const ToolContext& context, TilePoint at) override;
    ToolStep Release(const ToolContext&, TilePoint) override;
    bool Cancel() override;
    bool Dragging() const override { return last_.has_value(); }

private:
    TileGrid block_;
    std::optional<TilePoint> last_;
};

struct MapToolInfo {
    MapTool id;
    const char* name;     // the undo history's and the status bar's word
    const char* caption;  // the menu's, with its mnemonic
    const char* shortcut;
    std::unique_ptr<EditTool> (*make)();
};

// Every tool in menu order, the stamp last (Ctrl+V chooses it).
std::span<const MapToolInfo> MapToolTable();
const MapToolInfo& ToolInfo(MapTool tool);

// A block turned over for the stamp: X flips left to right, Y top to bottom,
// Z turns it a quarter clockwise.
TileGrid FlippedHorizontally(const TileGrid& block);
TileGrid FlippedVertically(const TileGrid& block);
TileGrid RotatedClockwise(const TileGrid& block);

}  // namespace gdl
