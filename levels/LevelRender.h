// Pictures of levels: a level's tiles as an RGBA image in the user guide's
// tile colours (those GDLTools.exe draws), at a chosen tile size, with an
// optional legend below the map. Std only; writing a PNG is the caller's.
#pragma once

#include <cstdint>
#include <vector>

#include "LevelSource.h"

namespace gdl {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
};

// "#RRGGBB" of a tile code as the user guide's legend shows it; a code
// outside the legend (kNoTile included) is magenta.
const char* TileColour(std::uint8_t code);
Rgb TileRgb(std::uint8_t code);

inline constexpr int kMaxRenderTileSize = 32;

struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // R, G, B, A per pixel, row by row

    Rgb At(int x, int y) const {
        const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 4;
        return {pixels[i], pixels[i + 1], pixels[i + 2]};
    }
};

// tileSize 1 to kMaxRenderTileSize pixels a tile (clamped). The legend lists
// every tile of the legend: its colour, its character and its name. An empty
// grid without a legend gives an empty image.
RgbaImage RenderLevel(const TileGrid& grid, int tileSize, bool legend = false);

}  // namespace gdl
