#include "LevelEdits.h"

#include <algorithm>
#include <map>
#include <unordered_map>

#include "LevelCompile.h"
#include "LynxText.h"
#include "TextUtil.h"

namespace gdl {

namespace {

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}

// Start and end of the trimmed part of a line.
std::pair<std::size_t, std::size_t> TrimmedSpan(std::string_view text) {
    std::size_t lead = 0;
    while (lead < text.size() && IsBlank(text[lead])) ++lead;
    std::size_t end = text.size();
    while (end > lead && IsBlank(text[end - 1])) --end;
    return {lead, end};
}

// The line with the value after its keyword replaced, spacing kept.
std::string WithValue(std::string_view text, std::string_view value) {
    auto [lead, end] = TrimmedSpan(text);
    std::size_t keywordEnd = lead;
    while (keywordEnd < end && !IsBlank(text[keywordEnd])) ++keywordEnd;
    std::size_t valueStart = keywordEnd;
    while (valueStart < end && IsBlank(text[valueStart])) ++valueStart;
    std::string out(text.substr(0, valueStart));
    if (valueStart == keywordEnd) out += ' ';
    out += value;
    out += text.substr(end);
    return out;
}

Error NoSuchLevel(const LevelDocument& doc, std::size_t level) {
    return Error::Caller("there is no level " + std::to_string(level + 1) + " (the source has " +
                         std::to_string(doc.LevelCount()) + ")");
}

// Splices recorded against a working copy of the lines, so each one sees the
// ones before it. Finish makes sure only the last line goes without a line end.
class LineEditor {
public:
    explicit LineEditor(const LevelDocument& doc) : lines_(doc.Lines()), end_(doc.NewLineEnd()) {}

    std::size_t Size() const { return lines_.size(); }
    const SourceLine& At(std::size_t i) const { return lines_[i]; }
    LineEnd End() const { return end_; }
    SourceLine NewLine(std::string text) const { return {std::move(text), end_}; }

    void Splice(std::size_t at, std::size_t count, std::vector<SourceLine> inserted) {
        // Lines put after a last line without an end would run into it.
        if (at > 0 && at == lines_.size() && lines_[at - 1].end == LineEnd::None &&
            !inserted.empty()) {
            SourceLine fixed = lines_[at - 1];
            fixed.end = end_;
            Splice(at - 1, 1, {fixed});
        }
        LineSplice s;
        s.at = at;
        auto first = lines_.begin() + static_cast<std::ptrdiff_t>(at);
        s.removed.assign(first, first + static_cast<std::ptrdiff_t>(count));
        s.inserted = std::move(inserted);
        first = lines_.erase(first, first + static_cast<std::ptrdiff_t>(count));
        lines_.insert(first, s.inserted.begin(), s.inserted.end());
        splices_.push_back(std::move(s));
    }
    void Replace(std::size_t at, std::string text) {
        if (lines_[at].text == text) return;
        SourceLine line = lines_[at];
        line.text = std::move(text);
        Splice(at, 1, {line});
    }

    EditCommand Finish(std::string text, int focus) {
        for (std::size_t i = 0; i + 1 < lines_.size(); ++i) {
            if (lines_[i].end != LineEnd::None) continue;
            SourceLine fixed = lines_[i];
            fixed.end = end_;
            Splice(i, 1, {fixed});
        }
        EditCommand c;
        c.text = std::move(text);
        c.splices = std::move(splices_);
        c.focusLevel = focus;
        return c;
    }

private:
    std::vector<SourceLine> lines_;
    LineEnd end_;
    std::vector<LineSplice> splices_;
};

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

bool IsLevelLine(std::size_t index, const LevelDocument& doc) {
    return index < doc.LevelCount();
}

// The lines of a level's block, 0-based [first, last).
std::pair<std::size_t, std::size_t> BlockOf(const LevelDocument& doc, std::size_t level) {
    const DocLevel& l = doc.Level(level);
    return {l.firstLine - 1, l.lastLine};
}

bool IsBlankLine(const SourceLine& line) {
    return TrimBlanks(line.text).empty();
}

std::vector<std::string> TemplateLines(const std::string& name, int width, int height) {
    std::vector<std::string> lines{"level " + name,
                                   "name  NEW LEVEL",
                                   "size  " + std::to_string(width) + "x" + std::to_string(height),
                                   "time  2:00",
                                   "quota 0",
                                   "map"};
    for (int y = 0; y < height; ++y) {
        std::string row(static_cast<std::size_t>(width), '.');
        for (int x = 0; x < width; ++x)
            if (y == 0 || x == 0 || y == height - 1 || x == width - 1) row[x] = 'X';
        lines.push_back(std::move(row));
    }
    // The start and the exit inside the border (or wherever a tiny map has room).
    std::string& first = lines[6 + std::min(1, height - 1)];
    first[static_cast<std::size_t>(std::min(1, width - 1))] = '@';
    std::string& last = lines[6 + std::max(0, height - 2)];
    std::size_t exitX = static_cast<std::size_t>(std::max(0, width - 2));
    if (&first == &last && first[exitX] == '@') exitX = first.size() - 1;
    last[exitX] = 'E';
    lines.push_back("end");
    return lines;
}

}  // namespace

std::string FreeLevelName(const LevelDocument& doc, std::string_view wanted) {
    std::string base;
    for (char c : ToUpperAscii(wanted))
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_') base += c;
    if (base.empty()) base = "LEVEL";
    base.resize(std::min(base.size(), kMaxLevelNameChars));
    if (doc.FindLevel(base) < 0) return base;
    for (int n = 2;; ++n) {
        std::string suffix = std::to_string(n);
        std::string name = base.substr(0, kMaxLevelNameChars - suffix.size()) + suffix;
        if (doc.FindLevel(name) < 0) return name;
    }
}

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
    const std::string sizeText = std::to_string(width) + "x" + std::to_string(height);
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

namespace {

// Sets the value of a level's keyword line. A missing line is added where the
// kit's layout has it (level, name, size, time, quota, map), after the ones
// before it that are there.
Result<EditCommand> SetKeyword(const LevelDocument& doc, std::size_t level, std::size_t line,
                               const std::string& keyword, const std::string& value,
                               std::string text) {
    LineEditor editor(doc);
    if (line != 0) {
        editor.Replace(line - 1, WithValue(doc.Lines()[line - 1].text, value));
        return editor.Finish(std::move(text), static_cast<int>(level));
    }
    const LevelOutline& o = doc.Outline(level);
    std::size_t after = o.level.line;
    const std::pair<const char*, std::size_t> earlier[] = {
        {"name", o.nameLine}, {"size", o.sizeLine}, {"time", o.timeLine}};
    for (const auto& [word, at] : earlier) {
        if (keyword == word) break;
        after = std::max(after, at);
    }
    if (o.mapLine != 0 && after >= o.mapLine) after = o.mapLine - 1;
    std::string padded = keyword;
    padded.resize(std::max<std::size_t>(keyword.size() + 1, 6), ' ');
    editor.Splice(after, 0, {editor.NewLine(padded + value)});
    return editor.Finish(std::move(text), static_cast<int>(level));
}

}  // namespace

Result<EditCommand> RenameLevel(const LevelDocument& doc, std::size_t level,
                                std::string_view name) {
    if (!IsLevelLine(level, doc)) return NoSuchLevel(doc, level);
    std::string upper = ToUpperAscii(TrimBlanks(name));
    if (!IsValidLevelName(upper))
        return Error::Caller("level name " + QuoteForMessage(name) +
                             " must be 1 to 8 characters of A-Z, 0-9 and _");
    int other = doc.FindLevel(upper);
    if (other >= 0 && static_cast<std::size_t>(other) != level)
        return Error::Caller("level name " + upper + " is already used by level " +
                             std::to_string(other + 1));
    const std::size_t line = doc.Outline(level).level.line;
    return SetKeyword(doc, level, line, "level", upper, "Rename level");
}

Result<EditCommand> SetLongName(const LevelDocument& doc, std::size_t level,
                                std::string_view longName) {
    if (!IsLevelLine(level, doc)) return NoSuchLevel(doc, level);
    std::string value = TrimBlanks(longName);
    auto normal = NormalizeLongName(value);
    if (value.empty()) return Error::Caller("the long name is empty");
    if (!normal)
        return Error::Caller("long name " + QuoteForMessage(value) +
                             " has a character the Lynx cannot show");
    if (normal->size() > kMaxLongNameChars)
        return Error::Caller("long name " + QuoteForMessage(value) + " has " +
                             std::to_string(normal->size()) + " characters, at most 17");
    return SetKeyword(doc, level, doc.Outline(level).nameLine, "name", value, "Set long name");
}

Result<EditCommand> SetTime(const LevelDocument& doc, std::size_t level, int minutes, int seconds) {
    if (!IsLevelLine(level, doc)) return NoSuchLevel(doc, level);
    if (minutes < 0 || minutes > kMaxMinutes || seconds < 0 || seconds > 59)
        return Error::Caller("a time is 0:00 to 99:59");
    return SetKeyword(doc, level, doc.Outline(level).timeLine, "time", TimeText(minutes, seconds),
                      "Set time");
}

Result<EditCommand> SetQuota(const LevelDocument& doc, std::size_t level, int quota) {
    if (!IsLevelLine(level, doc)) return NoSuchLevel(doc, level);
    if (quota < 0 || quota > kMaxQuota) return Error::Caller("a quota is 0 to 65535");
    return SetKeyword(doc, level, doc.Outline(level).quotaLine, "quota", std::to_string(quota),
                      "Set quota");
}

Result<EditCommand> AddLevel(const LevelDocument& doc, std::size_t position, std::string_view name,
                             int width, int height) {
    if (doc.LevelCount() >= kMaxLevelsPerSource)
        return Error::Caller("a source holds at most " + std::to_string(kMaxLevelsPerSource) +
                             " levels");
    if (width < 2 || height < 2 || width > kMaxMapSide || height > kMaxMapSide)
        return Error::Caller("a new map is 2 to 99 tiles wide and high");
    std::string chosen = name.empty()
                             ? FreeLevelName(doc, "LEVEL" + std::to_string(doc.LevelCount() + 1))
                             : ToUpperAscii(TrimBlanks(name));
    if (!IsValidLevelName(chosen))
        return Error::Caller("level name " + QuoteForMessage(name) +
                             " must be 1 to 8 characters of A-Z, 0-9 and _");
    if (doc.FindLevel(chosen) >= 0)
        return Error::Caller("level name " + chosen + " is already used");
    LineEditor editor(doc);
    std::vector<SourceLine> lines;
    for (auto& text : TemplateLines(chosen, width, height)) lines.push_back(editor.NewLine(text));
    position = std::min(position, doc.LevelCount());
    if (position < doc.LevelCount()) {
        lines.push_back(editor.NewLine(""));
        editor.Splice(BlockOf(doc, position).first, 0, std::move(lines));
    } else {
        if (editor.Size() > 0 && !IsBlankLine(editor.At(editor.Size() - 1)))
            lines.insert(lines.begin(), editor.NewLine(""));
        editor.Splice(editor.Size(), 0, std::move(lines));
    }
    return editor.Finish("Add level", static_cast<int>(position));
}

Result<EditCommand> DuplicateLevel(const LevelDocument& doc, std::size_t level) {
    if (!IsLevelLine(level, doc)) return NoSuchLevel(doc, level);
    if (doc.LevelCount() >= kMaxLevelsPerSource)
        return Error::Caller("a source holds at most " + std::to_string(kMaxLevelsPerSource) +
                             " levels");
    auto [first, last] = BlockOf(doc, level);
    LineEditor editor(doc);
    std::vector<SourceLine> copy(doc.Lines().begin() + static_cast<std::ptrdiff_t>(first),
                                 doc.Lines().begin() + static_cast<std::ptrdiff_t>(last));
    const std::size_t levelLine = doc.Level(level).line - 1 - first;
    std::string base = doc.Level(level).name.empty() ? std::string("COPY") : doc.Level(level).name;
    copy[levelLine].text = WithValue(copy[levelLine].text, FreeLevelName(doc, base));
    for (auto& line : copy)
        if (line.end == LineEnd::None) line.end = editor.End();
    if (!IsBlankLine(copy.back()) && last < doc.Lines().size()) copy.push_back(editor.NewLine(""));
    if (!IsBlankLine(copy.back()) && last == doc.Lines().size())
        copy.insert(copy.begin(), editor.NewLine(""));
    editor.Splice(last, 0, std::move(copy));
    return editor.Finish("Duplicate level", static_cast<int>(level + 1));
}

namespace {

// The lines a deletion takes, 0-based [first, last): the level's comments,
// its own lines to its "end", and one blank line after them that kept it
// apart from what follows.
std::pair<std::size_t, std::size_t> DeletedLines(const LevelDocument& doc, std::size_t level) {
    const DocLevel& l = doc.Level(level);
    std::size_t last = l.ownLastLine;
    const auto& lines = doc.Lines();
    if (last < l.lastLine && last < lines.size() && IsBlankLine(lines[last])) ++last;
    return {l.firstLine - 1, last};
}

}  // namespace

std::string DeleteLevelQuestion(const LevelDocument& doc, std::size_t level) {
    if (!IsLevelLine(level, doc)) return {};
    auto [first, last] = DeletedLines(doc, level);
    const std::string& name = doc.Level(level).name;
    return "Delete level " + (name.empty() ? std::string("(no name)") : name) + " (lines " +
           std::to_string(first + 1) + " to " + std::to_string(last) + ")?";
}

Result<EditCommand> DeleteLevel(const LevelDocument& doc, std::size_t level) {
    if (!IsLevelLine(level, doc)) return NoSuchLevel(doc, level);
    auto [first, last] = DeletedLines(doc, level);
    LineEditor editor(doc);
    editor.Splice(first, last - first, {});
    int focus =
        doc.LevelCount() == 1 ? -1 : static_cast<int>(std::min(level, doc.LevelCount() - 2));
    return editor.Finish("Delete level", focus);
}

Result<EditCommand> MoveLevel(const LevelDocument& doc, std::size_t level, int direction) {
    if (!IsLevelLine(level, doc)) return NoSuchLevel(doc, level);
    if (direction != -1 && direction != 1)
        return Error::Caller("a level moves one place at a time");
    if ((direction < 0 && level == 0) || (direction > 0 && level + 1 >= doc.LevelCount()))
        return EditCommand{};
    const std::size_t upper = direction < 0 ? level - 1 : level;
    auto [firstA, lastA] = BlockOf(doc, upper);
    auto [firstB, lastB] = BlockOf(doc, upper + 1);
    LineEditor editor(doc);
    const auto& lines = doc.Lines();
    std::vector<SourceLine> a(lines.begin() + static_cast<std::ptrdiff_t>(firstA),
                              lines.begin() + static_cast<std::ptrdiff_t>(lastA));
    std::vector<SourceLine> b(lines.begin() + static_cast<std::ptrdiff_t>(firstB),
                              lines.begin() + static_cast<std::ptrdiff_t>(lastB));
    // The lower block may be the file's last, without a line end or a blank
    // line after it; it keeps them apart from the block that now follows.
    if (b.back().end == LineEnd::None) b.back().end = editor.End();
    if (!IsBlankLine(b.back()) && IsBlankLine(a.back())) b.push_back(editor.NewLine(""));
    std::vector<SourceLine> swapped = std::move(b);
    swapped.insert(swapped.end(), a.begin(), a.end());
    editor.Splice(firstA, lastB - firstA, std::move(swapped));
    return editor.Finish(direction < 0 ? "Move level up" : "Move level down",
                         static_cast<int>(level) + direction);
}

}  // namespace gdl
