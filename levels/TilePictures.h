// The kit's own tile set: one picture for each of the 18 tiles, drawn at any
// size from shapes in the unit square, so a wall is bricks, a key a key and a
// door a door at 8 px as at 48 px. Keys and doors of the four colours also
// differ in shape (one to four teeth, one to four studs), so no two tiles
// are told apart by colour alone. Every map the kit draws takes its tiles
// from here.
#pragma once

#include <cstdint>
#include <vector>

#include "Rgb.h"

namespace gdl {

struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // R, G, B, A per pixel, row by row

    Rgb At(int x, int y) const {
        const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 4;
        return {pixels[i], pixels[i + 1], pixels[i + 2]};
    }
};

inline constexpr int kMaxTilePicture = 64;
// Below this many pixels a tile is a square of its legend colour: a shape of
// four pixels reads as noise.
inline constexpr int kMinTilePicture = 6;

// The picture of a tile code at size x size pixels (1 to kMaxTilePicture,
// clamped); a code outside the legend is a magenta square with a cross.
// Pictures are made once per size and kept; the reference stays valid.
const RgbaImage& TilePicture(std::uint8_t code, int size);

}  // namespace gdl
