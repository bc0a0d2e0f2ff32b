// The tile edits of a level: pencil, line, rectangle, fill, replace, paste
// and resize, each an undoable command that changes only the bytes it must.
#include <algorithm>
#include <map>
#include <unordered_map>

#include "EditLines.h"
#include "LevelCompile.h"
#include "LevelEdits.h"

namespace gdl {

using namespace edits;

namespace {

// Collects tile changes of one level: a byte each, or a whole new line for a
// row that has to grow.
class TileWriter {
public:
    TileWriter(const LevelDocument& doc, std::size_t level)
        : doc_(doc), outline_(doc.Outline(level)), grid_(doc.Tiles(level)) {}

    const TileGrid& Grid() const { return grid_; }

    void Set(int x, int y, std::uint8_t code) {
        if (!grid_.Contains(x, y) || code >= kTileCount) return;
        const char symbol = TileSymbol(code);
        const std::size_t lineIndex = outline_.rowLines[static_cast<std::size_t>(y)] - 1;
        if (auto grown = grownRows_.find(lineIndex); grown != grownRows_.end()) {
            SetIn(grown->second, x, symbol);
            return;
        }
        const std::string& text = doc_.Lines()[lineIndex].text;
        auto [lead, end] = TrimmedSpan(text);
        if (static_cast<std::size_t>(x) >= end - lead) {
            std::string grown = text;
            // The row's earlier changes go into the new line, which later
            // changes of the row write to.
            for (auto& [key, index] : changed_) {
                ByteChange& b = bytes_[index];
                if (b.line != lineIndex) continue;
                grown[b.column] = b.after;
                b.after = b.before;
            }
            SetIn(grown, x, symbol);
            grownRows_.emplace(lineIndex, std::move(grown));
            return;
        }
        const auto column = static_cast<std::uint32_t>(lead + static_cast<std::size_t>(x));
        const std::uint64_t key = (std::uint64_t{lineIndex} << 32) | column;
        if (auto seen = changed_.find(key); seen != changed_.end()) {
            bytes_[seen->second].after = symbol;
            return;
        }
        if (text[column] == symbol) return;
        changed_.emplace(key, bytes_.size());
        bytes_.push_back({static_cast<std::uint32_t>(lineIndex), column, text[column], symbol});
    }

    // Adds the changes to command (splices first, as Do runs them).
    void Into(EditCommand& command) {
        for (auto& [lineIndex, text] : grownRows_) {
            SourceLine before = doc_.Lines()[lineIndex];
            SourceLine after = before;
            after.text = std::move(text);
            command.splices.push_back({lineIndex, {std::move(before)}, {std::move(after)}});
        }
        for (const auto& b : bytes_)
            if (b.before != b.after) command.bytes.push_back(b);
    }

private:
    // The row of a line, lengthened with floor up to x when short.
    void SetIn(std::string& text, int x, char symbol) {
        auto [lead, end] = TrimmedSpan(text);
        const std::size_t at = lead + static_cast<std::size_t>(x);
        if (at >= end)
            text.insert(end, at + 1 - end, TileSymbol(static_cast<std::uint8_t>(Tile::Floor)));
        text[at] = symbol;
    }

    const LevelDocument& doc_;
    const LevelOutline& outline_;
    TileGrid grid_;
    std::map<std::size_t, std::string> grownRows_;
    std::unordered_map<std::uint64_t, std::size_t> changed_;
    std::vector<ByteChange> bytes_;
};

EditCommand TileCommand(TileWriter& writer, std::string text, std::size_t level) {
    EditCommand command;
    command.text = std::move(text);
    command.focusLevel = static_cast<int>(level);
    writer.Into(command);
    return command;
}

std::uint8_t Code(Tile tile) {
    return static_cast<std::uint8_t>(tile);
}

void PlotLine(TileWriter& writer, TilePoint a, TilePoint b, std::uint8_t code) {
    for (TilePoint p : LineCells(a, b)) writer.Set(p.x, p.y, code);
}

}  // namespace

Result<EditCommand> PencilStroke(const LevelDocument& doc, std::size_t level,
                                 std::span<const TilePoint> points, Tile tile,
                                 std::uint64_t strokeId) {
    if (!IsLevelLine(level, doc)) return NoSuchLevel(doc, level);
    TileWriter writer(doc, level);
    for (const auto& p : points) writer.Set(p.x, p.y, Code(tile));
    EditCommand command = TileCommand(writer, "Pencil", level);
    command.strokeId = strokeId;
    return command;
}

Result<EditCommand> DrawLine(const LevelDocument& doc, std::size_t level, TilePoint from,
                             TilePoint to, Tile tile) {
    if (!IsLevelLine(level, doc)) return NoSuchLevel(doc, level);
    TileWriter writer(doc, level);
    // Far outside points would only make a long walk over nothing.
    auto clampPoint = [](TilePoint p) {
        return TilePoint{std::clamp(p.x, -kMaxMapSide, 2 * kMaxMapSide),
                         std::clamp(p.y, -kMaxMapSide, 2 * kMaxMapSide)};
    };
    PlotLine(writer, clampPoint(from), clampPoint(to), Code(tile));
    return TileCommand(writer, "Line", level);
}

Result<EditCommand> DrawRectangle(const LevelDocument& doc, std::size_t level, TilePoint corner1,
                                  TilePoint corner2, Tile tile, bool filled) {
    if (!IsLevelLine(level, doc)) return NoSuchLevel(doc, level);
    TileWriter writer(doc, level);
    const TileGrid& grid = writer.Grid();
    int x0 = std::min(corner1.x, corner2.x), x1 = std::max(corner1.x, corner2.x);
    int y0 = std::min(corner1.y, corner2.y), y1 = std::max(corner1.y, corner2.y);
    for (int y = std::max(y0, 0); y <= std::min(y1, grid.height - 1); ++y)
        for (int x = std::max(x0, 0); x <= std::min(x1, grid.width - 1); ++x)
            if (filled || x == x0 || x == x1 || y == y0 || y == y1) writer.Set(x, y, Code(tile));
    return TileCommand(writer, filled ? "Filled rectangle" : "Rectangle", level);
}

Result<EditCommand> FloodFill(const LevelDocument& doc, std::size_t level, TilePoint at,
                              Tile tile) {
    if (!IsLevelLine(level, doc)) return NoSuchLevel(doc, level);
    TileWriter writer(doc, level);
    const TileGrid& grid = writer.Grid();
    if (!grid.Contains(at.x, at.y)) return TileCommand(writer, "Fill", level);
    const std::uint8_t from = grid.At(at.x, at.y);
    if (from == Code(tile)) return TileCommand(writer, "Fill", level);
    std::vector<bool> seen(grid.tiles.size(), false);
    std::vector<TilePoint> todo{at};
    seen[static_cast<std::size_t>(at.y * grid.width + at.x)] = true;
    while (!todo.empty()) {
        TilePoint p = todo.back();
        todo.pop_back();
        writer.Set(p.x, p.y, Code(tile));
        for (TilePoint n : {TilePoint{p.x + 1, p.y}, TilePoint{p.x - 1, p.y},
                            TilePoint{p.x, p.y + 1}, TilePoint{p.x, p.y - 1}}) {
            if (!grid.Contains(n.x, n.y)) continue;
            auto i = static_cast<std::size_t>(n.y * grid.width + n.x);
            if (seen[i] || grid.tiles[i] != from) continue;
            seen[i] = true;
            todo.push_back(n);
        }
    }
    return TileCommand(writer, "Fill", level);
}

Result<EditCommand> ReplaceTiles(const LevelDocument& doc, std::optional<std::size_t> level,
                                 Tile from, Tile to) {
    if (level && !IsLevelLine(*level, doc)) return NoSuchLevel(doc, *level);
    EditCommand command;
    command.text = "Replace tiles";
    command.focusLevel = level ? static_cast<int>(*level) : -1;
    const std::size_t first = level.value_or(0);
    const std::size_t last = level ? *level + 1 : doc.LevelCount();
    for (std::size_t l = first; l < last; ++l) {
        TileWriter writer(doc, l);
        const TileGrid& grid = writer.Grid();
        for (int y = 0; y < grid.height; ++y)
            for (int x = 0; x < grid.width; ++x)
                if (grid.At(x, y) == Code(from)) writer.Set(x, y, Code(to));
        writer.Into(command);
    }
    return command;
}

Result<EditCommand> PasteRegion(const LevelDocument& doc, std::size_t level, TilePoint at,
                                const TileGrid& region) {
    if (!IsLevelLine(level, doc)) return NoSuchLevel(doc, level);
    if (region.tiles.size() !=
        static_cast<std::size_t>(std::max(region.width, 0)) * std::max(region.height, 0))
        return Error::Caller("the region's tiles do not match its size");
    TileWriter writer(doc, level);
    for (int y = 0; y < region.height; ++y)
        for (int x = 0; x < region.width; ++x)
            if (region.At(x, y) != kNoTile) writer.Set(at.x + x, at.y + y, region.At(x, y));
    return TileCommand(writer, "Paste", level);
}

TileGrid CopyRegion(const LevelDocument& doc, std::size_t level, TilePoint corner1,
                    TilePoint corner2) {
    TileGrid out;
    if (!IsLevelLine(level, doc)) return out;
    TileGrid grid = doc.Tiles(level);
    int x0 = std::max(std::min(corner1.x, corner2.x), 0);
    int x1 = std::min(std::max(corner1.x, corner2.x), grid.width - 1);
    int y0 = std::max(std::min(corner1.y, corner2.y), 0);
    int y1 = std::min(std::max(corner1.y, corner2.y), grid.height - 1);
    if (x0 > x1 || y0 > y1) return out;
    out.width = x1 - x0 + 1;
    out.height = y1 - y0 + 1;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) out.tiles.push_back(grid.At(x, y));
    return out;
}

Result<EditCommand> ResizeMap(const LevelDocument& doc, std::size_t level, int width, int height,
                              ResizeAnchor anchor, Tile fill) {
    if (!IsLevelLine(level, doc)) return NoSuchLevel(doc, level);
    if (width < 1 || height < 1 || width > kMaxMapSide || height > kMaxMapSide)
        return Error::Caller("a map is 1 to 99 tiles wide and high, not " + std::to_string(width) +
                             "x" + std::to_string(height));
    const LevelOutline& o = doc.Outline(level);
    // Its rows past the limit are not held: a resize would drop them unseen.
    if (o.mapTooLarge)
        return Error::Caller("the map of " + doc.Level(level).name +
                             " is larger than 99x99; mend it in a text editor first");
    const auto& lines = doc.Lines();
    // The old rows as written, unknown characters included.
    std::vector<std::string> old;
    std::string indent;
    for (std::size_t i = 0; i < o.rowLines.size(); ++i) {
        const std::string& text = lines[o.rowLines[i] - 1].text;
        auto [lead, end] = TrimmedSpan(text);
        if (i == 0) indent = text.substr(0, lead);
        old.push_back(text.substr(lead, end - lead));
    }
    std::size_t oldWidth = 0;
    for (const auto& row : old) oldWidth = std::max(oldWidth, row.size());
    const int a = static_cast<int>(anchor);
    const int dx = (width - static_cast<int>(oldWidth)) * (a % 3) / 2;
    const int dy = (height - static_cast<int>(old.size())) * (a / 3) / 2;
    LineEditor editor(doc);
    std::vector<SourceLine> rows;
    for (int y = 0; y < height; ++y) {
        std::string row(static_cast<std::size_t>(width), TileSymbol(Code(fill)));
        const int oy = y - dy;
        for (int x = 0; x < width && oy >= 0 && oy < static_cast<int>(old.size()); ++x) {
            const int ox = x - dx;
            if (ox >= 0 && ox < static_cast<int>(old[oy].size())) row[x] = old[oy][ox];
        }
        rows.push_back(editor.NewLine(indent + row));
    }
    const std::string sizeText = SizeText(width, height);
    if (o.sizeLine != 0)
        editor.Replace(o.sizeLine - 1, WithValue(lines[o.sizeLine - 1].text, sizeText));
    if (o.mapLine == 0) {
        // After the last of the level's own lines.
        std::size_t after =
            std::max({o.level.line, o.nameLine, o.sizeLine, o.timeLine, o.quotaLine});
        rows.insert(rows.begin(), editor.NewLine("map"));
        rows.push_back(editor.NewLine("end"));
        if (o.sizeLine == 0) rows.insert(rows.begin(), editor.NewLine("size  " + sizeText));
        editor.Splice(after, 0, std::move(rows));
    } else {
        for (auto r = o.rowLines.rbegin(); r != o.rowLines.rend(); ++r)
            editor.Splice(*r - 1, 1, {});
        if (o.endLine == 0) rows.push_back(editor.NewLine("end"));
        editor.Splice(o.mapLine, 0, std::move(rows));
    }
    return editor.Finish("Resize map", static_cast<int>(level));
}

}  // namespace gdl
