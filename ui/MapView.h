// A level's map on screen in the kit's tile pictures, with an optional grid
// and tile symbols, marked tiles (the doctor's findings), a cursor, a
// selection, the outline of a drag, a floating block and a highlight on the
// tile under the mouse. The view pans and zooms itself: Fit shows the whole
// map, the wheel with Ctrl zooms at the mouse, the middle button, Space with
// a drag and the plain wheel pan. GDLMap edits through it; GDLEdit's
// previews and GDLTools' viewer only show.
#pragma once

#include <QWidget>
#include <optional>
#include <vector>

#include "LevelRender.h"
#include "LevelSource.h"
#include "TileGeometry.h"

namespace gdl {

class MapView : public QWidget {
    Q_OBJECT
public:
    explicit MapView(QWidget* parent = nullptr);

    // The tiles shown; only the tiles that changed are drawn again.
    void SetGrid(const TileGrid& grid);
    const TileGrid& Grid() const { return grid_; }
    void SetMarks(std::vector<TilePoint> marks);
    void SetCursor(std::optional<TilePoint> cursor);
    // Corners in any order; nullopt hides it.
    void SetSelection(std::optional<std::pair<TilePoint, TilePoint>> corners);
    // The drag's outline: a box, or the cells of a line.
    void SetRubber(std::optional<std::pair<TilePoint, TilePoint>> corners, bool line = false);
    // A block drawn over the map with its top left corner at `at`.
    void SetFloating(std::optional<std::pair<TilePoint, TileGrid>> block);

    // Pixels a tile: 1 to kMaxTileSize.
    static constexpr int kMaxTileSize = kMaxTilePicture;
    void SetTileSize(int pixels);
    int TileSize() const { return tileSize_; }
    // Fit: the whole map in the widget, again after every resize and every
    // change of the map's size, until the user zooms.
    void SetFit(bool fit);
    bool Fit() const { return fit_; }
    void ZoomIn();
    void ZoomOut();
    // Zooms one step keeping the tile under `pos` where it is.
    void ZoomAt(QPoint pos, int steps);
    void SetShowGrid(bool on);
    void SetShowSymbols(bool on);
    bool ShowGrid() const { return showGrid_; }
    bool ShowSymbols() const { return showSymbols_; }

    // The tile under a widget position (it may lie outside the map).
    TilePoint TileAt(const QPoint& pos) const;
    // The top left pixel of a tile in the widget.
    QPoint TileOrigin(TilePoint tile) const;
    // Moves the map so that the tile is in sight.
    void EnsureVisible(TilePoint tile);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void tilePressed(int x, int y, bool secondary);
    void tileDragged(int x, int y);
    void tileReleased(int x, int y);
    void tileHovered(int x, int y, bool inside);
    // A key for the map's owner; it ignores the event to pass it on.
    void keyTyped(QKeyEvent* event);
    // The tile size changed (a zoom, or a fit after a resize).
    void zoomChanged(int tileSize);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FitToSize();
    void ChangeTileSize(int pixels, QPointF anchor);
    void PanBy(QPoint delta);
    void KeepInSight();
    void RedrawPicture();
    QRect TileRect(TilePoint a, TilePoint b) const;
    QSize MapSize() const;
    void PaintTiles(class QPainter& p, const QRect& area) const;
    void PaintOverlays(class QPainter& p, const QRect& area) const;
    void PaintGridAndSymbols(class QPainter& p, const QRect& area) const;

    TileGrid grid_;
    // The map at the current tile size, when it is small enough to keep;
    // otherwise the tiles in sight are drawn one by one.
    RgbaImage picture_;
    int pictureTile_ = 0;
    std::vector<TilePoint> marks_;
    std::optional<TilePoint> cursor_, hover_;
    std::optional<std::pair<TilePoint, TilePoint>> selection_, rubber_;
    bool rubberLine_ = false;
    std::optional<std::pair<TilePoint, TileGrid>> floating_;
    QPoint offset_;  // the map's top left corner in the widget
    int tileSize_ = 24;
    bool fit_ = false;
    bool showGrid_ = true;
    bool showSymbols_ = false;
    bool dragging_ = false;
    bool spaceHeld_ = false;
    std::optional<QPoint> panFrom_;
};

}  // namespace gdl
