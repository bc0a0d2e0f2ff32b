// Pictures of levels: a level's tiles as an RGBA image of the kit's tile
// pictures at a chosen tile size (squares of the user guide's tile colours
// below kMinTilePicture), with an optional legend below the map. Std only;
// writing a PNG is the caller's.
#pragma once

#include <cstdint>
#include <vector>

#include "LevelSource.h"
#include "Rgb.h"
#include "TilePictures.h"

namespace gdl {

// "#RRGGBB" of a tile code as the user guide's legend shows it; a code
// outside the legend (kNoTile included) is magenta.
const char* TileColour(std::uint8_t code);
Rgb TileRgb(std::uint8_t code);

inline constexpr int kMaxRenderTileSize = 32;

// tileSize 1 to kMaxRenderTileSize pixels a tile (clamped). The legend lists
// every tile of the legend: its picture, its character and its name. An
// empty grid without a legend gives an empty image.
RgbaImage RenderLevel(const TileGrid& grid, int tileSize, bool legend = false);

// Copies the tile's picture into image with its top left corner at (x, y),
// clipped to the image.
void DrawTile(RgbaImage& image, int x, int y, std::uint8_t code, int tileSize);

}  // namespace gdl
