#include "MapView.h"

#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <array>

#include "TileImages.h"

namespace gdl {

namespace {

constexpr int kMargin = 4;
// The part of the map that stays in sight however far it is panned.
constexpr int kKeepInSight = 24;
// Above this many pixels the map is not kept as one picture.
constexpr long long kMaxPicturePixels = 8'000'000;
constexpr std::array<int, 20> kZoomSteps{1,  2,  3,  4,  5,  6,  8,  10, 12, 14,
                                         16, 20, 24, 28, 32, 36, 40, 48, 56, 64};

int NextZoom(int size, int steps) {
    if (steps > 0) {
        for (int s : kZoomSteps)
            if (s > size) return s;
        return kZoomSteps.back();
    }
    for (auto it = kZoomSteps.rbegin(); it != kZoomSteps.rend(); ++it)
        if (*it < size) return *it;
    return kZoomSteps.front();
}

}  // namespace

MapView::MapView(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize MapView::MapSize() const {
    return {grid_.width * tileSize_, grid_.height * tileSize_};
}

void MapView::SetGrid(const TileGrid& grid) {
    const bool sameShape = grid.width == grid_.width && grid.height == grid_.height &&
                           grid.tiles.size() == grid_.tiles.size();
    if (sameShape && pictureTile_ == tileSize_ && !picture_.pixels.empty()) {
        QRect dirty;
        for (int y = 0; y < grid.height; ++y)
            for (int x = 0; x < grid.width; ++x) {
                const std::uint8_t code = grid.At(x, y);
                if (code == grid_.At(x, y)) continue;
                DrawTile(picture_, x * tileSize_, y * tileSize_, code, tileSize_);
                dirty |= TileRect({x, y}, {x, y});
            }
        grid_ = grid;
        if (!dirty.isNull()) update(dirty);
        return;
    }
    grid_ = grid;
    if (!sameShape) {
        if (fit_) FitToSize();
        KeepInSight();
        updateGeometry();
    }
    RedrawPicture();
    update();
}

void MapView::RedrawPicture() {
    const QSize size = MapSize();
    picture_ = {};
    pictureTile_ = 0;
    if (size.isEmpty() || static_cast<long long>(size.width()) * size.height() > kMaxPicturePixels)
        return;
    picture_ = RgbaImage{
        size.width(), size.height(),
        std::vector<std::uint8_t>(static_cast<std::size_t>(size.width()) * size.height() * 4)};
    for (int y = 0; y < grid_.height; ++y)
        for (int x = 0; x < grid_.width; ++x)
            DrawTile(picture_, x * tileSize_, y * tileSize_, grid_.At(x, y), tileSize_);
    pictureTile_ = tileSize_;
}

void MapView::SetMarks(std::vector<TilePoint> marks) {
    marks_ = std::move(marks);
    update();
}

void MapView::SetCursor(std::optional<TilePoint> cursor) {
    if (cursor == cursor_) return;
    cursor_ = cursor;
    if (cursor_ && grid_.Contains(cursor_->x, cursor_->y)) EnsureVisible(*cursor_);
    update();
}

void MapView::SetSelection(std::optional<std::pair<TilePoint, TilePoint>> corners) {
    selection_ = corners;
    update();
}

void MapView::SetRubber(std::optional<std::pair<TilePoint, TilePoint>> corners, bool line) {
    rubber_ = corners;
    rubberLine_ = line;
    update();
}

void MapView::SetFloating(std::optional<std::pair<TilePoint, TileGrid>> block) {
    floating_ = std::move(block);
    update();
}

void MapView::SetTileSize(int pixels) {
    ChangeTileSize(pixels, QPointF(width() / 2.0, height() / 2.0));
}

void MapView::ChangeTileSize(int pixels, QPointF anchor) {
    pixels = std::clamp(pixels, 1, kMaxTileSize);
    if (pixels == tileSize_) return;
    // The point of the map under the anchor stays under it.
    const double fx = (anchor.x() - offset_.x()) / tileSize_;
    const double fy = (anchor.y() - offset_.y()) / tileSize_;
    tileSize_ = pixels;
    offset_ = QPoint(static_cast<int>(std::lround(anchor.x() - fx * tileSize_)),
                     static_cast<int>(std::lround(anchor.y() - fy * tileSize_)));
    KeepInSight();
    RedrawPicture();
    updateGeometry();
    update();
    emit zoomChanged(tileSize_);
}

void MapView::SetFit(bool fit) {
    fit_ = fit;
    if (fit_) FitToSize();
}

// The keys zoom at the mouse too while it is over the map, else at the middle.
void MapView::ZoomIn() {
    const QPoint mouse = mapFromGlobal(QCursor::pos());
    ZoomAt(rect().contains(mouse) ? mouse : rect().center(), 1);
}

void MapView::ZoomOut() {
    const QPoint mouse = mapFromGlobal(QCursor::pos());
    ZoomAt(rect().contains(mouse) ? mouse : rect().center(), -1);
}

void MapView::ZoomAt(QPoint pos, int steps) {
    if (steps == 0) return;
    fit_ = false;
    ChangeTileSize(NextZoom(tileSize_, steps), QPointF(pos) + QPointF(0.5, 0.5));
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
    const int size = std::clamp(std::min(w, h), 1, kMaxTileSize);
    const bool changed = size != tileSize_;
    tileSize_ = size;
    KeepInSight();
    if (changed || pictureTile_ != tileSize_) RedrawPicture();
    update();
    if (changed) emit zoomChanged(tileSize_);
}

// A fitted map sits in the middle; a zoomed one stays where the user put
// it, never wholly out of sight.
void MapView::KeepInSight() {
    const QSize map = MapSize();
    auto place = [&](int offset, int room, int length) {
        if (fit_ || (length + 2 * kMargin <= room && offset == 0)) return (room - length) / 2;
        const int keep = std::min(kKeepInSight, length);
        return std::clamp(offset, keep - length, room - keep);
    };
    offset_ = QPoint(place(offset_.x(), width(), map.width()),
                     place(offset_.y(), height(), map.height()));
}

void MapView::PanBy(QPoint delta) {
    if (delta.isNull()) return;
    offset_ += delta;
    KeepInSight();
    update();
}

void MapView::EnsureVisible(TilePoint tile) {
    const QRect r = TileRect(tile, tile);
    const QRect room = rect().adjusted(kMargin, kMargin, -kMargin, -kMargin);
    if (room.isEmpty() || room.contains(r)) return;
    QPoint shift;
    if (r.left() < room.left()) shift.rx() = room.left() - r.left();
    if (r.right() > room.right()) shift.rx() = room.right() - r.right();
    if (r.top() < room.top()) shift.ry() = room.top() - r.top();
    if (r.bottom() > room.bottom()) shift.ry() = room.bottom() - r.bottom();
    PanBy(shift);
}

TilePoint MapView::TileAt(const QPoint& pos) const {
    auto cell = [&](int d) { return d >= 0 ? d / tileSize_ : -1 - (-d - 1) / tileSize_; };
    return {cell(pos.x() - offset_.x()), cell(pos.y() - offset_.y())};
}

QPoint MapView::TileOrigin(TilePoint tile) const {
    return offset_ + QPoint(tile.x * tileSize_, tile.y * tileSize_);
}

QRect MapView::TileRect(TilePoint a, TilePoint b) const {
    const TilePoint tl{std::min(a.x, b.x), std::min(a.y, b.y)};
    const TilePoint br{std::max(a.x, b.x), std::max(a.y, b.y)};
    return {TileOrigin(tl), QSize((br.x - tl.x + 1) * tileSize_, (br.y - tl.y + 1) * tileSize_)};
}

QSize MapView::sizeHint() const {
    if (fit_) return {320, 200};
    return MapSize() + QSize(2 * kMargin, 2 * kMargin);
}

QSize MapView::minimumSizeHint() const {
    return {64, 48};
}

void MapView::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::MiddleButton || (event->button() == Qt::LeftButton && spaceHeld_)) {
        panFrom_ = pos;
        setCursor(Qt::ClosedHandCursor);
        return;
    }
    const TilePoint t = TileAt(pos);
    const bool secondary = event->button() == Qt::RightButton;
    if (event->button() != Qt::LeftButton && !secondary) return;
    dragging_ = !secondary;
    emit tilePressed(t.x, t.y, secondary);
}

void MapView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (panFrom_) {
        PanBy(pos - *panFrom_);
        panFrom_ = pos;
        return;
    }
    const TilePoint t = TileAt(pos);
    if (!hover_ || !(*hover_ == t)) {
        if (hover_) update(TileRect(*hover_, *hover_));
        hover_ = t;
        update(TileRect(t, t));
        emit tileHovered(t.x, t.y, grid_.Contains(t.x, t.y));
    }
    if (dragging_ && (event->buttons() & Qt::LeftButton)) emit tileDragged(t.x, t.y);
}

void MapView::mouseReleaseEvent(QMouseEvent* event) {
    if (panFrom_ && (event->button() == Qt::MiddleButton || event->button() == Qt::LeftButton)) {
        panFrom_.reset();
        setCursor(spaceHeld_ ? Qt::OpenHandCursor : Qt::ArrowCursor);
        return;
    }
    if (!dragging_ || event->button() != Qt::LeftButton) return;
    dragging_ = false;
    const TilePoint t = TileAt(event->position().toPoint());
    emit tileReleased(t.x, t.y);
}

void MapView::leaveEvent(QEvent*) {
    if (hover_) update(TileRect(*hover_, *hover_));
    hover_.reset();
    emit tileHovered(-1, -1, false);
}

void MapView::wheelEvent(QWheelEvent* event) {
    event->accept();
    const QPoint angle = event->angleDelta();
    if (event->modifiers() & Qt::ControlModifier) {
        ZoomAt(event->position().toPoint(), angle.y() > 0 ? 1 : angle.y() < 0 ? -1 : 0);
        return;
    }
    // Three tiles a notch; Shift turns the wheel sideways.
    QPoint delta = !event->pixelDelta().isNull() ? event->pixelDelta()
                                                 : angle * std::max(8, tileSize_) * 3 / 120;
    if (event->modifiers() & Qt::ShiftModifier) delta = QPoint(delta.y(), delta.x());
    PanBy(delta);
}

void MapView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        if (!event->isAutoRepeat()) {
            spaceHeld_ = true;
            setCursor(Qt::OpenHandCursor);
        }
        event->accept();
        return;
    }
    if (receivers(SIGNAL(keyTyped(QKeyEvent*))) == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    emit keyTyped(event);
    if (!event->isAccepted()) QWidget::keyPressEvent(event);
}

void MapView::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        spaceHeld_ = false;
        if (!panFrom_) setCursor(Qt::ArrowCursor);
        event->accept();
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void MapView::focusOutEvent(QFocusEvent* event) {
    spaceHeld_ = false;
    QWidget::focusOutEvent(event);
}

void MapView::resizeEvent(QResizeEvent*) {
    if (fit_) {
        FitToSize();
    } else {
        KeepInSight();
    }
}

}  // namespace gdl
