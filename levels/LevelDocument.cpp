#include "LevelDocument.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "FileUtil.h"
#include "SourceReader.h"
#include "TextUtil.h"

namespace gdl {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view EndBytes(LineEnd end) {
    switch (end) {
        case LineEnd::Lf:
            return "\n";
        case LineEnd::CrLf:
            return "\r\n";
        case LineEnd::Cr:
            return "\r";
        case LineEnd::None:
            break;
    }
    return {};
}

std::vector<SourceLine> SplitSourceLines(std::string_view text) {
    std::vector<SourceLine> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back({std::string(text.substr(start)), LineEnd::None});
            break;
        }
        SourceLine line{std::string(text.substr(start, end - start)), LineEnd::Lf};
        if (text[end] == '\r') {
            bool crLf = end + 1 < text.size() && text[end + 1] == '\n';
            line.end = crLf ? LineEnd::CrLf : LineEnd::Cr;
            start = end + (crLf ? 2 : 1);
        } else {
            start = end + 1;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

bool IsCommentLine(const std::string& text) {
    std::string trimmed = TrimBlanks(text);
    return !trimmed.empty() && trimmed[0] == ';';
}

}  // namespace

LevelDocument::LevelDocument() {
    Reparse();
}

Result<LevelDocument> LevelDocument::FromBytes(std::string_view bytes, std::string name) {
    auto checked = CheckSourceBytes(bytes, name);
    if (!checked) return checked.Err();
    LevelDocument doc;
    doc.name_ = std::move(name);
    if (bytes.starts_with(kByteOrderMark)) {
        doc.bom_ = kByteOrderMark;
        bytes.remove_prefix(kByteOrderMark.size());
    }
    doc.lines_ = SplitSourceLines(bytes);
    doc.Reparse();
    return doc;
}

Result<LevelDocument> LevelDocument::FromFile(const std::string& path) {
    auto bytes = ReadSourceFile(path);
    if (!bytes) return bytes.Err();
    return FromBytes(*bytes, path);
}

std::string LevelDocument::Bytes() const {
    std::size_t total = bom_.size();
    for (const auto& line : lines_) total += line.text.size() + 2;
    std::string out;
    out.reserve(total);
    out += bom_;
    for (const auto& line : lines_) {
        out += line.text;
        out += EndBytes(line.end);
    }
    return out;
}

Result<void> LevelDocument::SaveTo(const std::string& path) {
    errno = 0;
    if (!WriteFileAtomic(path, Bytes(), Durability::Disk))
        return Error::System("cannot write " + path, errno != 0 ? errno : EIO);
    MarkClean();
    return {};
}

std::size_t LevelDocument::LevelCount() const {
    return parsed_.outlines.size();
}

const DocLevel& LevelDocument::Level(std::size_t index) const {
    EnsureParsed();
    return levels_[index];
}

int LevelDocument::FindLevel(std::string_view name) const {
    for (std::size_t i = 0; i < parsed_.outlines.size(); ++i)
        if (EqualsNoCase(parsed_.outlines[i].level.levelName, name)) return static_cast<int>(i);
    return -1;
}

const LevelOutline& LevelDocument::Outline(std::size_t index) const {
    return parsed_.outlines[index];
}

TileGrid LevelDocument::Tiles(std::size_t index) const {
    const LevelOutline& o = parsed_.outlines[index];
    TileGrid grid;
    std::vector<std::string_view> rows;
    std::size_t widest = 0;
    for (std::size_t line : o.rowLines) {
        std::string_view text = lines_[line - 1].text;
        std::size_t lead = 0;
        while (lead < text.size() && static_cast<unsigned char>(text[lead]) <= 0x20) ++lead;
        std::size_t end = text.size();
        while (end > lead && static_cast<unsigned char>(text[end - 1]) <= 0x20) --end;
        rows.push_back(text.substr(lead, end - lead));
        widest = std::max(widest, end - lead);
    }
    // A map past the limit is held as far as a level may go: its rows beyond
    // are not drawn, judged or edited.
    grid.width = std::min(std::max(o.sizeWidth, static_cast<int>(widest)), kMaxMapSide);
    rows.resize(std::min(rows.size(), static_cast<std::size_t>(kMaxMapSide)));
    for (auto& row : rows) row = row.substr(0, static_cast<std::size_t>(grid.width));
    grid.height = static_cast<int>(rows.size());
    grid.tiles.assign(static_cast<std::size_t>(grid.width) * rows.size(), kNoTile);
    for (std::size_t y = 0; y < rows.size(); ++y)
        for (std::size_t x = 0; x < rows[y].size(); ++x)
            if (auto tile = TileFromSymbol(rows[y][x]))
                grid.tiles[y * static_cast<std::size_t>(grid.width) + x] =
                    static_cast<std::uint8_t>(*tile);
    return grid;
}

SourceLevel LevelDocument::AsSourceLevel(std::size_t index) const {
    EnsureParsed();
    SourceLevel level = parsed_.outlines[index].level;
    TileGrid grid = Tiles(index);
    level.width = static_cast<std::uint8_t>(std::clamp(grid.width, 0, 255));
    level.height = static_cast<std::uint8_t>(std::clamp(grid.height, 0, 255));
    level.tiles = std::move(grid.tiles);
    return level;
}

std::vector<SourceMessage> LevelDocument::FileMessages() const {
    EnsureParsed();
    std::size_t first = levels_.empty() ? SIZE_MAX : levels_.front().firstLine;
    std::vector<SourceMessage> out;
    for (const auto& m : parsed_.messages)
        if (m.line < first) out.push_back(m);
    return out;
}

const ParsedSource& LevelDocument::Parsed() const {
    EnsureParsed();
    return parsed_;
}

LineEnd LevelDocument::NewLineEnd() const {
    std::size_t counts[4] = {0, 0, 0, 0};
    for (const auto& line : lines_) ++counts[static_cast<int>(line.end)];
    LineEnd best = LineEnd::Lf;
    for (LineEnd e : {LineEnd::CrLf, LineEnd::Cr})
        if (counts[static_cast<int>(e)] > counts[static_cast<int>(best)]) best = e;
    return best;
}

void LevelDocument::EnsureParsed() const {
    if (parseStale_) Reparse();
}

void LevelDocument::Reparse() const {
    parsed_ = ParseLevelSource(Bytes());
    parseStale_ = false;
    levels_.clear();
    const auto& outlines = parsed_.outlines;
    for (std::size_t i = 0; i < outlines.size(); ++i) {
        const LevelOutline& o = outlines[i];
        DocLevel level;
        level.name = o.level.levelName;
        level.longName = o.level.longName;
        level.minutes = o.level.minutes;
        level.seconds = o.level.seconds;
        level.quota = o.level.quota;
        level.hasErrors = o.bad;
        level.line = o.level.line;
        // Comment lines right above the "level" line belong to the level.
        std::size_t floor = i == 0 ? 0 : outlines[i - 1].level.line;
        level.firstLine = o.level.line;
        while (level.firstLine - 1 > floor && IsCommentLine(lines_[level.firstLine - 2].text))
            --level.firstLine;
        levels_.push_back(std::move(level));
    }
    for (std::size_t i = 0; i < levels_.size(); ++i) {
        levels_[i].lastLine = i + 1 < levels_.size() ? levels_[i + 1].firstLine - 1 : lines_.size();
        // A level's own lines end at its "end"; what follows up to the next
        // level (notes, a mistyped keyword) is not the level's.
        const std::size_t end = outlines[i].endLine;
        levels_[i].ownLastLine =
            end >= levels_[i].line && end <= levels_[i].lastLine ? end : levels_[i].lastLine;
        TileGrid grid = Tiles(i);
        levels_[i].width = grid.width;
        levels_[i].height = grid.height;
    }
    std::size_t next = 0;
    for (const auto& m : parsed_.messages) {
        while (next < levels_.size() && m.line > levels_[next].lastLine) ++next;
        if (next < levels_.size() && m.line >= levels_[next].firstLine)
            levels_[next].messages.push_back(m);
    }
}

void LevelDocument::SetByte(const ByteChange& change, char value) {
    if (change.line >= lines_.size()) return;
    std::string& text = lines_[change.line].text;
    if (change.column < text.size()) text[change.column] = value;
}

void LevelDocument::Do(const EditCommand& command) {
    for (const auto& s : command.splices) {
        if (s.at + s.removed.size() > lines_.size()) continue;
        auto at = lines_.begin() + static_cast<std::ptrdiff_t>(s.at);
        at = lines_.erase(at, at + static_cast<std::ptrdiff_t>(s.removed.size()));
        lines_.insert(at, s.inserted.begin(), s.inserted.end());
    }
    for (const auto& b : command.bytes) SetByte(b, b.after);
}

void LevelDocument::Revert(const EditCommand& command) {
    for (auto b = command.bytes.rbegin(); b != command.bytes.rend(); ++b) SetByte(*b, b->before);
    for (auto s = command.splices.rbegin(); s != command.splices.rend(); ++s) {
        if (s->at + s->inserted.size() > lines_.size()) continue;
        auto at = lines_.begin() + static_cast<std::ptrdiff_t>(s->at);
        at = lines_.erase(at, at + static_cast<std::ptrdiff_t>(s->inserted.size()));
        lines_.insert(at, s->removed.begin(), s->removed.end());
    }
}

void LevelDocument::FollowChange(const EditCommand& command) {
    if (command.splices.empty()) {
        parseStale_ = true;
    } else {
        Reparse();
    }
}

void LevelDocument::Apply(EditCommand command) {
    if (command.Empty()) return;
    Do(command);
    FollowChange(command);
    history_.resize(done_);
    if (cleanAt_ > static_cast<std::ptrdiff_t>(done_)) cleanAt_ = -1;
    // A stroke painted live joins its earlier part, unless that part is the
    // saved state (the mark must keep meaning what it meant).
    const bool merge = command.strokeId != 0 && command.splices.empty() && done_ > 0 &&
                       history_[done_ - 1].strokeId == command.strokeId && !IsClean();
    if (merge) {
        auto& top = history_[done_ - 1].bytes;
        top.insert(top.end(), command.bytes.begin(), command.bytes.end());
        return;
    }
    history_.push_back(std::move(command));
    ++done_;
}

std::vector<std::string> LevelDocument::HistoryTexts() const {
    std::vector<std::string> texts;
    texts.reserve(history_.size());
    for (const auto& command : history_) texts.push_back(command.text);
    return texts;
}

std::string LevelDocument::UndoText() const {
    return CanUndo() ? history_[done_ - 1].text : std::string();
}

std::string LevelDocument::RedoText() const {
    return CanRedo() ? history_[done_].text : std::string();
}

int LevelDocument::Undo() {
    if (!CanUndo()) return -1;
    const EditCommand& command = history_[--done_];
    Revert(command);
    FollowChange(command);
    return command.focusLevel;
}

int LevelDocument::Redo() {
    if (!CanRedo()) return -1;
    const EditCommand& command = history_[done_++];
    Do(command);
    FollowChange(command);
    return command.focusLevel;
}

std::size_t LevelDocument::HistoryBytes() const {
    std::size_t total = history_.capacity() * sizeof(EditCommand);
    for (const auto& c : history_) {
        total += c.text.capacity() + c.bytes.capacity() * sizeof(ByteChange) +
                 c.splices.capacity() * sizeof(LineSplice);
        for (const auto& s : c.splices) {
            total += (s.removed.capacity() + s.inserted.capacity()) * sizeof(SourceLine);
            for (const auto& l : s.removed) total += l.text.capacity();
            for (const auto& l : s.inserted) total += l.text.capacity();
        }
    }
    return total;
}

}  // namespace gdl
