#include "MapView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>

#include "LevelRender.h"

namespace gdl {

namespace {

constexpr int kMargin = 4;

// One pixel a tile: the painter scales it without smoothing, so the colours
// stay the renderer's and a big map costs one image per change.
QImage PictureOf(const TileGrid& grid) {
    if (grid.width <= 0 || grid.height <= 0) return {};
    RgbaImage rgba = RenderLevel(grid, 1);
    QImage image(rgba.width, rgba.height, QImage::Format_RGBA8888);
    for (int y = 0; y < rgba.height; ++y)
        std::copy_n(rgba.pixels.data() + static_cast<std::size_t>(y) * rgba.width * 4,
                    static_cast<std::size_t>(rgba.width) * 4, image.scanLine(y));
    return image;
}

bool IsDark(std::uint8_t code) {
    const Rgb c = TileRgb(code);
    return c.r * 299 + c.g * 587 + c.b * 114 < 128000;
}

}  // namespace

MapView::MapView(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void MapView::SetGrid(const TileGrid& grid) {
    const bool resized = grid.width != grid_.width || grid.height != grid_.height;
    grid_ = grid;
    picture_ = PictureOf(grid_);
    if (resized) {
        if (fit_) FitToSize();
        updateGeometry();
    }
    update();
}

void MapView::SetMarks(std::vector<MapViewPoint> marks) {
    marks_ = std::move(marks);
    update();
}

void MapView::SetCursor(std::optional<MapViewPoint> cursor) {
    cursor_ = cursor;
    update();
}

void MapView::SetSelection(std::optional<std::pair<MapViewPoint, MapViewPoint>> corners) {
    selection_ = corners;
    update();
}

void MapView::SetRubber(std::optional<std::pair<MapViewPoint, MapViewPoint>> corners) {
    rubber_ = corners;
    update();
}

void MapView::SetTileSize(int pixels) {
    pixels = std::clamp(pixels, 1, kMaxTileSize);
    if (pixels == tileSize_) return;
    tileSize_ = pixels;
    updateGeometry();
    update();
    emit zoomChanged(tileSize_);
}

void MapView::SetFit(bool fit) {
    fit_ = fit;
    if (fit_) FitToSize();
}

void MapView::ZoomIn() {
    fit_ = false;
    SetTileSize(tileSize_ < 8 ? tileSize_ + 1 : tileSize_ * 5 / 4);
}

void MapView::ZoomOut() {
    fit_ = false;
    SetTileSize(tileSize_ <= 8 ? tileSize_ - 1 : tileSize_ * 4 / 5);
}

void MapView::SetShowGrid(bool on) {
    showGrid_ = on;
    update();
}

void MapView::SetShowSymbols(bool on) {
    showSymbols_ = on;
    update();
}

void MapView::FitToSize() {
    if (grid_.width <= 0 || grid_.height <= 0) return;
    const int w = (width() - 2 * kMargin) / grid_.width;
    const int h = (height() - 2 * kMargin) / grid_.height;
    SetTileSize(std::max(1, std::min(w, h)));
}

// The map sits in the middle of the widget when it is smaller.
QPoint MapView::Origin() const {
    return {std::max(kMargin, (width() - grid_.width * tileSize_) / 2),
            std::max(kMargin, (height() - grid_.height * tileSize_) / 2)};
}

MapViewPoint MapView::TileAt(const QPoint& pos) const {
    const QPoint origin = Origin();
    auto cell = [&](int d) { return d >= 0 ? d / tileSize_ : -1 - (-d - 1) / tileSize_; };
    return {cell(pos.x() - origin.x()), cell(pos.y() - origin.y())};
}

QPoint MapView::TileOrigin(MapViewPoint tile) const {
    return Origin() + QPoint(tile.x * tileSize_, tile.y * tileSize_);
}

QRect MapView::TileRect(MapViewPoint a, MapViewPoint b) const {
    const MapViewPoint tl{std::min(a.x, b.x), std::min(a.y, b.y)};
    const MapViewPoint br{std::max(a.x, b.x), std::max(a.y, b.y)};
    return {TileOrigin(tl), QSize((br.x - tl.x + 1) * tileSize_, (br.y - tl.y + 1) * tileSize_)};
}

QSize MapView::sizeHint() const {
    if (fit_) return {320, 200};
    return {grid_.width * tileSize_ + 2 * kMargin, grid_.height * tileSize_ + 2 * kMargin};
}

QSize MapView::minimumSizeHint() const {
    return fit_ ? QSize(64, 48) : sizeHint();
}

void MapView::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.fillRect(event->rect(), palette().color(QPalette::Window));
    if (picture_.isNull()) return;
    const QRect map(TileOrigin({0, 0}), QSize(grid_.width * tileSize_, grid_.height * tileSize_));
    p.drawImage(map, picture_);
    // Only the tiles in the damaged area get lines and symbols.
    const MapViewPoint first = TileAt(event->rect().topLeft());
    const MapViewPoint last = TileAt(event->rect().bottomRight());
    const int x0 = std::max(0, first.x), y0 = std::max(0, first.y);
    const int x1 = std::min(grid_.width - 1, last.x), y1 = std::min(grid_.height - 1, last.y);
    if (showGrid_ && tileSize_ >= 6) {
        p.setPen(QColor(0, 0, 0, 60));
        for (int x = x0; x <= x1 + 1; ++x)
            p.drawLine(map.left() + x * tileSize_, map.top(), map.left() + x * tileSize_,
                       map.top() + grid_.height * tileSize_);
        for (int y = y0; y <= y1 + 1; ++y)
            p.drawLine(map.left(), map.top() + y * tileSize_, map.left() + grid_.width * tileSize_,
                       map.top() + y * tileSize_);
    }
    if (showSymbols_ && tileSize_ >= 10) {
        QFont font = p.font();
        font.setPixelSize(std::max(8, tileSize_ * 2 / 3));
        font.setBold(true);
        p.setFont(font);
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                const std::uint8_t code = grid_.At(x, y);
                p.setPen(IsDark(code) ? Qt::white : Qt::black);
                p.drawText(QRect(TileOrigin({x, y}), QSize(tileSize_, tileSize_)), Qt::AlignCenter,
                           QString(QChar(TileSymbol(code))));
            }
    }
    if (!marks_.empty()) {
        p.setPen(QPen(QColor(255, 40, 40), std::max(1, tileSize_ / 8)));
        for (const auto& m : marks_)
            if (grid_.Contains(m.x, m.y)) p.drawEllipse(TileRect(m, m).adjusted(1, 1, -1, -1));
    }
    if (selection_) {
        p.setPen(QPen(Qt::white, 1, Qt::DashLine));
        p.setBrush(QColor(80, 160, 255, 60));
        p.drawRect(TileRect(selection_->first, selection_->second).adjusted(0, 0, -1, -1));
        p.setBrush(Qt::NoBrush);
    }
    if (rubber_) {
        p.setPen(QPen(Qt::yellow, 2));
        p.drawRect(TileRect(rubber_->first, rubber_->second).adjusted(1, 1, -1, -1));
    }
    if (cursor_ && grid_.Contains(cursor_->x, cursor_->y)) {
        const QRect r = TileRect(*cursor_, *cursor_);
        p.setPen(QPen(Qt::black, 3));
        p.drawRect(r.adjusted(1, 1, -2, -2));
        p.setPen(QPen(Qt::white, 1));
        p.drawRect(r.adjusted(1, 1, -2, -2));
    }
}

void MapView::mousePressEvent(QMouseEvent* event) {
    const MapViewPoint t = TileAt(event->position().toPoint());
    const bool secondary = event->button() == Qt::RightButton;
    if (event->button() != Qt::LeftButton && !secondary) return;
    dragging_ = !secondary;
    emit tilePressed(t.x, t.y, secondary);
}

void MapView::mouseMoveEvent(QMouseEvent* event) {
    const MapViewPoint t = TileAt(event->position().toPoint());
    emit tileHovered(t.x, t.y, grid_.Contains(t.x, t.y));
    if (dragging_ && (event->buttons() & Qt::LeftButton)) emit tileDragged(t.x, t.y);
}

void MapView::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_ || event->button() != Qt::LeftButton) return;
    dragging_ = false;
    const MapViewPoint t = TileAt(event->position().toPoint());
    emit tileReleased(t.x, t.y);
}

void MapView::leaveEvent(QEvent*) {
    emit tileHovered(-1, -1, false);
}

void MapView::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        event->ignore();
        return;
    }
    if (event->angleDelta().y() > 0) {
        ZoomIn();
    } else if (event->angleDelta().y() < 0) {
        ZoomOut();
    }
    event->accept();
}

void MapView::keyPressEvent(QKeyEvent* event) {
    if (receivers(SIGNAL(keyTyped(QKeyEvent*))) == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    emit keyTyped(event);
    if (!event->isAccepted()) QWidget::keyPressEvent(event);
}

void MapView::resizeEvent(QResizeEvent*) {
    if (fit_) FitToSize();
}

}  // namespace gdl
