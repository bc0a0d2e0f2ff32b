// The map view's painting: the tiles (one picture of the whole map while it
// is small enough, else tile by tile), the grid and symbols, and the marks
// over them (cursor, hover, selection, rubber band, floating block).
#include <QPaintEvent>
#include <QPainter>

#include "MapView.h"
#include "TileImages.h"

namespace gdl {

namespace {

bool IsDark(std::uint8_t code) {
    const Rgb c = TileRgb(code);
    return c.r * 299 + c.g * 587 + c.b * 114 < 128000;
}

}  // namespace

void MapView::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.fillRect(event->rect(), palette().color(QPalette::Window));
    if (grid_.width <= 0 || grid_.height <= 0) return;
    PaintTiles(p, event->rect());
    PaintGridAndSymbols(p, event->rect());
    PaintOverlays(p, event->rect());
}

void MapView::PaintTiles(QPainter& p, const QRect& area) const {
    const QRect map(offset_, MapSize());
    const QRect shown = map & area;
    if (shown.isEmpty()) return;
    if (!picture_.pixels.empty()) {
        p.drawImage(shown, WrapQImage(picture_), shown.translated(-offset_));
        return;
    }
    const TilePoint first = TileAt(shown.topLeft()), last = TileAt(shown.bottomRight());
    for (int y = std::max(0, first.y); y <= std::min(grid_.height - 1, last.y); ++y)
        for (int x = std::max(0, first.x); x <= std::min(grid_.width - 1, last.x); ++x)
            p.drawImage(TileOrigin({x, y}), WrapQImage(TilePicture(grid_.At(x, y), tileSize_)));
}

void MapView::PaintGridAndSymbols(QPainter& p, const QRect& area) const {
    const QRect map(offset_, MapSize());
    const TilePoint first = TileAt(area.topLeft()), last = TileAt(area.bottomRight());
    const int x0 = std::max(0, first.x), y0 = std::max(0, first.y);
    const int x1 = std::min(grid_.width - 1, last.x), y1 = std::min(grid_.height - 1, last.y);
    if (showGrid_ && tileSize_ >= 6) {
        p.setPen(QColor(0, 0, 0, 60));
        for (int x = x0; x <= x1 + 1; ++x)
            p.drawLine(map.left() + x * tileSize_, map.top(), map.left() + x * tileSize_,
                       map.top() + map.height());
        for (int y = y0; y <= y1 + 1; ++y)
            p.drawLine(map.left(), map.top() + y * tileSize_, map.left() + map.width(),
                       map.top() + y * tileSize_);
    }
    if (!showSymbols_ || tileSize_ < 10) return;
    QFont font = p.font();
    font.setPixelSize(std::max(8, tileSize_ / 2));
    font.setBold(true);
    p.setFont(font);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const std::uint8_t code = grid_.At(x, y);
            // In the corner, so the picture stays readable under it.
            const QRect cell(TileOrigin({x, y}), QSize(tileSize_, tileSize_));
            p.setPen(IsDark(code) ? Qt::white : Qt::black);
            p.drawText(cell.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                       QString(QChar(TileSymbol(code))));
        }
}

void MapView::PaintOverlays(QPainter& p, const QRect&) const {
    if (!marks_.empty()) {
        p.setPen(QPen(QColor(255, 40, 40), std::max(2, tileSize_ / 8)));
        for (const auto& m : marks_)
            if (grid_.Contains(m.x, m.y)) {
                // A ring a little wider than the tile, so it is seen at any zoom.
                const int grow = std::max(3, tileSize_ / 3);
                p.drawEllipse(TileRect(m, m).adjusted(-grow, -grow, grow, grow));
            }
    }
    if (floating_) {
        const TileGrid& block = floating_->second;
        p.setOpacity(0.75);
        for (int y = 0; y < block.height; ++y)
            for (int x = 0; x < block.width; ++x) {
                const TilePoint at{floating_->first.x + x, floating_->first.y + y};
                if (block.At(x, y) == kNoTile || !grid_.Contains(at.x, at.y)) continue;
                p.drawImage(TileOrigin(at), WrapQImage(TilePicture(block.At(x, y), tileSize_)));
            }
        p.setOpacity(1.0);
        p.setPen(QPen(QColor(255, 255, 255), 2, Qt::DashLine));
        p.drawRect(TileRect(floating_->first, {floating_->first.x + block.width - 1,
                                               floating_->first.y + block.height - 1})
                       .adjusted(0, 0, -1, -1));
    }
    if (selection_) {
        p.setPen(QPen(Qt::white, 1, Qt::DashLine));
        p.setBrush(QColor(80, 160, 255, 60));
        p.drawRect(TileRect(selection_->first, selection_->second).adjusted(0, 0, -1, -1));
        p.setBrush(Qt::NoBrush);
    }
    if (rubber_) {
        p.setPen(QPen(Qt::yellow, 2));
        if (rubberLine_) {
            for (TilePoint c : LineCells(rubber_->first, rubber_->second))
                p.drawRect(TileRect(c, c).adjusted(1, 1, -1, -1));
        } else {
            p.drawRect(TileRect(rubber_->first, rubber_->second).adjusted(1, 1, -1, -1));
        }
    }
    if (hover_ && grid_.Contains(hover_->x, hover_->y) && !floating_) {
        p.setPen(QPen(QColor(255, 255, 255, 200), 1));
        p.setBrush(QColor(255, 255, 255, 50));
        p.drawRect(TileRect(*hover_, *hover_).adjusted(0, 0, -1, -1));
        p.setBrush(Qt::NoBrush);
    }
    if (cursor_ && grid_.Contains(cursor_->x, cursor_->y)) {
        const QRect r = TileRect(*cursor_, *cursor_);
        p.setPen(QPen(Qt::black, 3));
        p.drawRect(r.adjusted(1, 1, -2, -2));
        p.setPen(QPen(Qt::white, 1));
        p.drawRect(r.adjusted(1, 1, -2, -2));
    }
}

}  // namespace gdl
