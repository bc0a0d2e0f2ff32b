// The session's keyboard road: the cursor, a typed symbol painting the tile
// under it (a row typed is one step of the history), and the floating
// block's turns on X, Y and Z as Tiled has them.
#include <algorithm>
#include <utility>

#include "MapEditor.h"

namespace gdl {

namespace {

constexpr std::pair<char, BlockTurn> kTurnKeys[] = {{'X', BlockTurn::FlipHorizontally},
                                                    {'Y', BlockTurn::FlipVertically},
                                                    {'Z', BlockTurn::RotateClockwise}};

}  // namespace

void MapEditor::ClampCursor() {
    const TileGrid& grid = Grid();
    cursor_.x = std::clamp(cursor_.x, 0, std::max(0, grid.width - 1));
    cursor_.y = std::clamp(cursor_.y, 0, std::max(0, grid.height - 1));
}

void MapEditor::MoveCursor(int dx, int dy) {
    cursor_.x += dx;
    cursor_.y += dy;
    ClampCursor();
}

void MapEditor::SetCursor(TilePoint at) {
    cursor_ = at;
    ClampCursor();
}

bool MapEditor::TypeSymbol(char symbol) {
    auto tile = TileFromSymbol(symbol);
    if (!tile || level_ < 0 || !Grid().Contains(cursor_.x, cursor_.y)) return false;
    const TilePoint at = cursor_;
    if (typedRow_ != at.y || typedRevision_ != revision_) typedStroke_ = ++strokeId_;
    auto applied =
        Apply(PencilStroke(doc_, static_cast<std::size_t>(level_), {&at, 1}, *tile, typedStroke_));
    if (!applied) return false;
    typedRow_ = at.y;
    typedRevision_ = revision_;
    MoveCursor(1, 0);
    return true;
}

bool MapEditor::TypeKey(char key) {
    if (CanTurn()) {
        for (const auto& [letter, turn] : kTurnKeys) {
            if (key == letter || key == letter - 'A' + 'a') {
                Turn(turn);
                return true;
            }
        }
    }
    if (!TypeSymbol(key)) return false;
    tile_ = *TileFromSymbol(key);
    return true;
}

void MapEditor::NextRow() {
    if (cursor_.y + 1 < Grid().height) {
        cursor_ = {0, cursor_.y + 1};
    } else {
        cursor_.x = 0;
    }
}

}  // namespace gdl
