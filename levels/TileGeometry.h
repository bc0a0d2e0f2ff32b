// Places on a map: the one point type of the kit's map code (edits, the
// doctor's findings, the views), and the one line rasteriser.
#pragma once

#include <cstdlib>
#include <vector>

namespace gdl {

struct TilePoint {
    int x = 0;  // 0-based column
    int y = 0;  // 0-based row
    bool operator==(const TilePoint&) const = default;
};

// The cells of the line from a to b, both included, without gaps or doubled
// cells at any slope (Bresenham).
inline std::vector<TilePoint> LineCells(TilePoint a, TilePoint b) {
    std::vector<TilePoint> cells;
    const int dx = std::abs(b.x - a.x), dy = -std::abs(b.y - a.y);
    const int sx = a.x < b.x ? 1 : -1, sy = a.y < b.y ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        cells.push_back(a);
        if (a == b) break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            a.x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            a.y += sy;
        }
    }
    return cells;
}

}  // namespace gdl
