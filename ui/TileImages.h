// The kit's tile pictures for Qt: the one conversion of the renderer's
// images, a level's picture, and a tile's icon for palettes and legends.
#pragma once

#include <QIcon>
#include <QImage>

#include "LevelRender.h"

namespace gdl {

// A copy of the picture; a null image for an empty one.
QImage ToQImage(const RgbaImage& image);
// The same pixels without a copy, valid while `image` lives unchanged.
QImage WrapQImage(const RgbaImage& image);
// A level's picture at tileSize pixels a tile.
QImage LevelImage(const TileGrid& grid, int tileSize);
// A level's picture scaled into width x height, centred on a clear ground,
// so every thumbnail of a list has one size.
QPixmap LevelThumbnail(const TileGrid& grid, QSize size);
// A tile's picture with a thin border, for swatches.
QIcon TileIcon(std::uint8_t code, int size);

}  // namespace gdl
