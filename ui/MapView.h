// A level's map on screen: the renderer's picture of the tiles scaled to a
// tile size, with an optional grid, the tile symbols, marked tiles (the
// doctor's findings), a cursor, a selection and a rubber band. GDLMap edits
// through it; GDLEdit's previews and GDLTools' viewer only show.
#pragma once

#include <QImage>
#include <QWidget>
#include <optional>
#include <vector>

#include "LevelSource.h"

namespace gdl {

struct MapViewPoint {
    int x = 0;
    int y = 0;
};

class MapView : public QWidget {
    Q_OBJECT
public:
    explicit MapView(QWidget* parent = nullptr);

    // The tiles shown; the picture is made once per grid.
    void SetGrid(const TileGrid& grid);
    const TileGrid& Grid() const { return grid_; }
    void SetMarks(std::vector<MapViewPoint> marks);
    void SetCursor(std::optional<MapViewPoint> cursor);
    // Corners in any order; nullopt hides it.
    void SetSelection(std::optional<std::pair<MapViewPoint, MapViewPoint>> corners);
    void SetRubber(std::optional<std::pair<MapViewPoint, MapViewPoint>> corners);

    // Pixels a tile: 1 to kMaxTileSize. Fit mode follows the widget's size.
    static constexpr int kMaxTileSize = 64;
    void SetTileSize(int pixels);
    int TileSize() const { return tileSize_; }
    void SetFit(bool fit);
    bool Fit() const { return fit_; }
    void ZoomIn();
    void ZoomOut();
    void SetShowGrid(bool on);
    void SetShowSymbols(bool on);
    bool ShowGrid() const { return showGrid_; }
    bool ShowSymbols() const { return showSymbols_; }

    // The tile under a widget position (it may lie outside the map).
    MapViewPoint TileAt(const QPoint& pos) const;
    // The top left pixel of a tile in the widget.
    QPoint TileOrigin(MapViewPoint tile) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void tilePressed(int x, int y, bool secondary);
    void tileDragged(int x, int y);
    void tileReleased(int x, int y);
    void tileHovered(int x, int y, bool inside);
    // A key for the map's owner; it ignores the event to pass it on.
    void keyTyped(QKeyEvent* event);
    // The tile size changed (Ctrl+wheel, fit after a resize).
    void zoomChanged(int tileSize);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FitToSize();
    QPoint Origin() const;
    QRect TileRect(MapViewPoint a, MapViewPoint b) const;

    TileGrid grid_;
    QImage picture_;
    std::vector<MapViewPoint> marks_;
    std::optional<MapViewPoint> cursor_;
    std::optional<std::pair<MapViewPoint, MapViewPoint>> selection_, rubber_;
    int tileSize_ = 24;
    bool fit_ = false;
    bool showGrid_ = true;
    bool showSymbols_ = false;
    bool dragging_ = false;
};

}  // namespace gdl
