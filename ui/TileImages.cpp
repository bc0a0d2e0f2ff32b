#include "TileImages.h"

#include <QPainter>
#include <QPixmap>
#include <algorithm>

namespace gdl {

QImage WrapQImage(const RgbaImage& image) {
    if (image.width <= 0 || image.height <= 0) return {};
    return QImage(image.pixels.data(), image.width, image.height, image.width * 4,
                  QImage::Format_RGBA8888);
}

QImage ToQImage(const RgbaImage& image) {
    return WrapQImage(image).copy();
}

QImage LevelImage(const TileGrid& grid, int tileSize) {
    return ToQImage(RenderLevel(grid, tileSize));
}

QPixmap LevelThumbnail(const TileGrid& grid, QSize size) {
    QPixmap thumb(size);
    thumb.fill(Qt::transparent);
    if (grid.width <= 0 || grid.height <= 0) return thumb;
    const int tile = std::max(1, std::min(size.width() / grid.width, size.height() / grid.height));
    const QImage image = LevelImage(grid, tile);
    // A map wider than the thumbnail at one pixel a tile is scaled down.
    QSize shown = image.size();
    if (shown.width() > size.width() || shown.height() > size.height())
        shown = shown.scaled(size, Qt::KeepAspectRatio);
    QPainter p(&thumb);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(
        QRect(QPoint((size.width() - shown.width()) / 2, (size.height() - shown.height()) / 2),
              shown),
        image);
    p.end();
    return thumb;
}

QIcon TileIcon(std::uint8_t code, int size) {
    QPixmap swatch(size, size);
    swatch.fill(QColor(0x55, 0x58, 0x60));
    QPainter p(&swatch);
    p.drawImage(QPoint(1, 1), WrapQImage(TilePicture(code, size - 2)));
    p.end();
    return QIcon(swatch);
}

}  // namespace gdl
