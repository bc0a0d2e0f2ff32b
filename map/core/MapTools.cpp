#include "MapTools.h"

#include <algorithm>
#include <array>

namespace gdl {

namespace {

class PencilTool : public EditTool {
public:
    ToolStep Press(const ToolContext& c, TilePoint at) override {
        last_ = at;
        return {PencilStroke(c.doc, c.level, {&at, 1}, c.tile, c.stroke), {}};
    }
    ToolStep Drag(const ToolContext& c, TilePoint at) override {
        if (!last_ || *last_ == at) return {};
        // The cells between two mouse positions, the first already painted.
        std::vector<TilePoint> cells = LineCells(*last_, at);
        cells.erase(cells.begin());
        last_ = at;
        return {PencilStroke(c.doc, c.level, cells, c.tile, c.stroke), {}};
    }
    ToolStep Release(const ToolContext& c, TilePoint at) override {
        ToolStep step = Drag(c, at);
        last_.reset();
        return step;
    }
    bool Dragging() const override { return last_.has_value(); }

private:
    std::optional<TilePoint> last_;
};

// Line, rectangles and selection: a drag from an anchor, the edit on release.
class DragOutTool : public EditTool {
public:
    ToolStep Press(const ToolContext&, TilePoint at) override {
        anchor_ = at;
        last_ = at;
        return {};
    }
    ToolStep Drag(const ToolContext&, TilePoint at) override {
        if (anchor_) last_ = at;
        return {};
    }
    ToolStep Release(const ToolContext& c, TilePoint at) override {
        if (!anchor_) return {};
        const TilePoint from = *anchor_;
        anchor_.reset();
        return Finish(c, from, at);
    }
    std::optional<ToolPreview> Preview() const override {
        if (!anchor_) return std::nullopt;
        return ToolPreview{Shape(), *anchor_, last_};
    }
    bool Cancel() override {
        const bool was = anchor_.has_value();
        anchor_.reset();
        return was;
    }
    bool Dragging() const override { return anchor_.has_value(); }

protected:
    virtual ToolStep Finish(const ToolContext& c, TilePoint from, TilePoint to) = 0;
    virtual ToolPreview::Shape Shape() const { return ToolPreview::Shape::Box; }

private:
    std::optional<TilePoint> anchor_;
    TilePoint last_;
};

class LineTool : public DragOutTool {
    ToolStep Finish(const ToolContext& c, TilePoint from, TilePoint to) override {
        return {DrawLine(c.doc, c.level, from, to, c.tile), {}};
    }
    ToolPreview::Shape Shape() const override { return ToolPreview::Shape::Line; }
};

template <bool kFilled>
class RectangleTool : public DragOutTool {
    ToolStep Finish(const ToolContext& c, TilePoint from, TilePoint to) override {
        return {DrawRectangle(c.doc, c.level, from, to, c.tile, kFilled), {}};
    }
};

class SelectTool : public DragOutTool {
    ToolStep Press(const ToolContext& c, TilePoint at) override {
        ToolStep step = DragOutTool::Press(c, at);
        step.clearSelection = true;
        return step;
    }
    ToolStep Finish(const ToolContext& c, TilePoint from, TilePoint to) override {
        if (c.grid.width == 0 || c.grid.height == 0) return {};
        auto inside = [&](TilePoint p) {
            return TilePoint{std::clamp(p.x, 0, c.grid.width - 1),
                             std::clamp(p.y, 0, c.grid.height - 1)};
        };
        return {std::nullopt, Normalised(inside(from), inside(to))};
    }
};

class FillTool : public EditTool {
public:
    ToolStep Press(const ToolContext& c, TilePoint at) override {
        if (!c.grid.Contains(at.x, at.y)) return {};
        return {FloodFill(c.doc, c.level, at, c.tile), {}};
    }
};

template <class T>
std::unique_ptr<EditTool> Make() {
    return std::make_unique<T>();
}

const std::array<MapToolInfo, 7> kTools{{
    {MapTool::Pencil, "Pencil", "&Pencil", "P", &Make<PencilTool>},
    {MapTool::Line, "Line", "&Line", "L", &Make<LineTool>},
    {MapTool::Rectangle, "Rectangle", "&Rectangle", "R", &Make<RectangleTool<false>>},
    {MapTool::FilledRectangle, "Filled Rectangle", "&Filled Rectangle", "Shift+R",
     &Make<RectangleTool<true>>},
    {MapTool::Fill, "Flood Fill", "Flood F&ill", "F", &Make<FillTool>},
    {MapTool::Select, "Select", "&Select", "S", &Make<SelectTool>},
    {MapTool::Stamp, "Stamp", "S&tamp", "", &Make<StampTool>},
}};

TileGrid Mapped(const TileGrid& block, int width, int height,
                TilePoint (*from)(const TileGrid&, int x, int y)) {
    TileGrid out{width, height, std::vector<std::uint8_t>(block.tiles.size(), kNoTile)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const TilePoint p = from(block, x, y);
            out.tiles[static_cast<std::size_t>(y) * width + x] = block.At(p.x, p.y);
        }
    return out;
}

}  // namespace

TileRect Normalised(TilePoint a, TilePoint b) {
    return {{std::min(a.x, b.x), std::min(a.y, b.y)}, {std::max(a.x, b.x), std::max(a.y, b.y)}};
}

ToolStep StampTool::Press(const ToolContext& c, TilePoint at) {
    last_ = at;
    if (block_.tiles.empty()) return {};
    return {PasteRegion(c.doc, c.level, at, block_), {}};
}

ToolStep StampTool::Drag(const ToolContext& c, TilePoint at) {
    if (!last_ || *last_ == at) return {};
    return Press(c, at);
}

ToolStep StampTool::Release(const ToolContext&, TilePoint) {
    last_.reset();
    return {};
}

bool StampTool::Cancel() {
    const bool was = last_.has_value();
    last_.reset();
    return was;
}

std::span<const MapToolInfo> MapToolTable() {
    return kTools;
}

const MapToolInfo& ToolInfo(MapTool tool) {
    for (const auto& info : kTools)
        if (info.id == tool) return info;
    return kTools.front();
}

TileGrid FlippedHorizontally(const TileGrid& block) {
    return Mapped(block, block.width, block.height, [](const TileGrid& b, int x, int y) {
        return TilePoint{b.width - 1 - x, y};
    });
}

TileGrid FlippedVertically(const TileGrid& block) {
    return Mapped(block, block.width, block.height, [](const TileGrid& b, int x, int y) {
        return TilePoint{x, b.height - 1 - y};
    });
}

TileGrid RotatedClockwise(const TileGrid& block) {
    // The new row y is the old column y read from the bottom up.
    return Mapped(block, block.height, block.width, [](const TileGrid& b, int x, int y) {
        return TilePoint{y, b.height - 1 - x};
    });
}

}  // namespace gdl
