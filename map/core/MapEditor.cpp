#include "MapEditor.h"

#include <algorithm>
#include <cstdlib>

#include "FileUtil.h"
#include "LevelCompile.h"

namespace gdl {

namespace {

constexpr char kProgramTitle[] = "GDLMap";

const char* TileName(std::uint8_t code) {
    for (const auto& info : TileLegend())
        if (static_cast<std::uint8_t>(info.tile) == code) return info.name;
    return "unknown";
}

// The cells from a to b without gaps, b included, a left out (it is painted).
std::vector<TilePoint> StepsBetween(TilePoint a, TilePoint b) {
    std::vector<TilePoint> points;
    const int dx = std::abs(b.x - a.x), dy = -std::abs(b.y - a.y);
    const int sx = a.x < b.x ? 1 : -1, sy = a.y < b.y ? 1 : -1;
    int err = dx + dy;
    TilePoint p = a;
    while (p.x != b.x || p.y != b.y) {
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            p.x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            p.y += sy;
        }
        points.push_back(p);
    }
    return points;
}

TileRect Normalised(TilePoint a, TilePoint b) {
    return {{std::min(a.x, b.x), std::min(a.y, b.y)}, {std::max(a.x, b.x), std::max(a.y, b.y)}};
}

}  // namespace

MapEditor::MapEditor() = default;

Result<void> MapEditor::Open(const std::string& path, std::string_view levelName) {
    SourceFile file;
    auto bytes = file.Read(path);
    if (!bytes) return bytes.Err();
    auto doc = LevelDocument::FromBytes(*bytes, path);
    if (!doc) return doc.Err();
    file_ = std::move(file);
    Reset(std::move(doc.Value()), path, levelName);
    return {};
}

Result<void> MapEditor::OpenBytes(std::string_view bytes, const std::string& path,
                                  std::string_view levelName) {
    auto doc = LevelDocument::FromBytes(bytes, path);
    if (!doc) return doc.Err();
    file_.Assume(path, bytes);
    Reset(std::move(doc.Value()), path, levelName);
    return {};
}

void MapEditor::Reset(LevelDocument doc, const std::string& path, std::string_view levelName) {
    doc_ = std::move(doc);
    path_ = path;
    doctor_ = DoctorCache();
    selection_.reset();
    anchor_.reset();
    last_.reset();
    ++revision_;
    int first = levelName.empty() ? -1 : doc_.FindLevel(levelName);
    level_ = -1;
    ShowLevel(first >= 0 ? first : 0);
    cursor_ = {0, 0};
}

std::string MapEditor::FileName() const {
    return FileNameOf(path_);
}

std::string MapEditor::Title() const {
    return FileName() + (Modified() ? "*" : "") + (file_.ReadOnly() ? " [read-only]" : "") + " - " +
           kProgramTitle;
}

void MapEditor::ShowLevel(int index) {
    const int count = static_cast<int>(doc_.LevelCount());
    if (count == 0) {
        level_ = -1;
        return;
    }
    index = std::clamp(index, 0, count - 1);
    if (index == level_) return;
    level_ = index;
    selection_.reset();
    anchor_.reset();
    cursor_ = {0, 0};
}

const TileGrid& MapEditor::Grid() const {
    RefreshGrid();
    return grid_;
}

void MapEditor::RefreshGrid() const {
    if (gridRevision_ == revision_ && gridLevel_ == level_) return;
    grid_ = level_ >= 0 ? doc_.Tiles(static_cast<std::size_t>(level_)) : TileGrid{};
    gridRevision_ = revision_;
    gridLevel_ = level_;
}

void MapEditor::ClampCursor() {
    const TileGrid& grid = Grid();
    cursor_.x = std::clamp(cursor_.x, 0, std::max(0, grid.width - 1));
    cursor_.y = std::clamp(cursor_.y, 0, std::max(0, grid.height - 1));
}

void MapEditor::MoveCursor(int dx, int dy) {
    cursor_.x += dx;
    cursor_.y += dy;
    ClampCursor();
}

void MapEditor::SetCursor(TilePoint at) {
    cursor_ = at;
    ClampCursor();
}

bool MapEditor::TypeSymbol(char symbol) {
    auto tile = TileFromSymbol(symbol);
    if (!tile || level_ < 0 || !Grid().Contains(cursor_.x, cursor_.y)) return false;
    const TilePoint at = cursor_;
    auto applied = Apply(PencilStroke(doc_, static_cast<std::size_t>(level_), {&at, 1}, *tile));
    if (!applied) return false;
    MoveCursor(1, 0);
    return true;
}

void MapEditor::NextRow() {
    if (cursor_.y + 1 < Grid().height) {
        cursor_ = {0, cursor_.y + 1};
    } else {
        cursor_.x = 0;
    }
}

void MapEditor::SetTool(MapTool tool) {
    tool_ = tool;
    anchor_.reset();
    last_.reset();
}

void MapEditor::Press(TilePoint at, bool secondary) {
    if (level_ < 0) return;
    const TileGrid& grid = Grid();
    if (secondary) {
        if (grid.Contains(at.x, at.y) && grid.At(at.x, at.y) < kTileCount)
            tile_ = static_cast<Tile>(grid.At(at.x, at.y));
        return;
    }
    const auto level = static_cast<std::size_t>(level_);
    anchor_ = at;
    last_ = at;
    switch (tool_) {
        case MapTool::Pencil:
            ++strokeId_;
            (void)Apply(PencilStroke(doc_, level, {&at, 1}, tile_, strokeId_));
            break;
        case MapTool::Fill:
            anchor_.reset();
            if (grid.Contains(at.x, at.y)) (void)Apply(FloodFill(doc_, level, at, tile_));
            break;
        case MapTool::Select:
            selection_.reset();
            break;
        default:
            break;
    }
}

void MapEditor::Drag(TilePoint at) {
    if (!anchor_ || !last_ || level_ < 0) return;
    if (tool_ == MapTool::Pencil) {
        if (at.x == last_->x && at.y == last_->y) return;
        auto points = StepsBetween(*last_, at);
        (void)Apply(PencilStroke(doc_, static_cast<std::size_t>(level_), points, tile_, strokeId_));
    }
    last_ = at;
}

void MapEditor::Release(TilePoint at) {
    if (!anchor_ || level_ < 0) return;
    Drag(at);
    const auto level = static_cast<std::size_t>(level_);
    const TilePoint from = *anchor_;
    anchor_.reset();
    last_.reset();
    switch (tool_) {
        case MapTool::Line:
            (void)Apply(DrawLine(doc_, level, from, at, tile_));
            break;
        case MapTool::Rectangle:
        case MapTool::FilledRectangle:
            (void)Apply(
                DrawRectangle(doc_, level, from, at, tile_, tool_ == MapTool::FilledRectangle));
            break;
        case MapTool::Select: {
            const TileGrid& grid = Grid();
            if (grid.width == 0 || grid.height == 0) break;
            auto clampPoint = [&](TilePoint p) {
                return TilePoint{std::clamp(p.x, 0, grid.width - 1),
                                 std::clamp(p.y, 0, grid.height - 1)};
            };
            selection_ = Normalised(clampPoint(from), clampPoint(at));
            cursor_ = selection_->topLeft;
            break;
        }
        default:
            break;
    }
}

std::optional<std::pair<TilePoint, TilePoint>> MapEditor::Rubber() const {
    if (!anchor_ || !last_) return std::nullopt;
    if (tool_ == MapTool::Pencil || tool_ == MapTool::Fill) return std::nullopt;
    return std::make_pair(*anchor_, *last_);
}

std::string MapEditor::HoverText(TilePoint at) const {
    const TileGrid& grid = Grid();
    if (!grid.Contains(at.x, at.y)) return {};
    return std::to_string(at.x) + ", " + std::to_string(at.y) + ": " +
           TileName(grid.At(at.x, at.y));
}

bool MapEditor::Copy() {
    if (!selection_ || level_ < 0) return false;
    clipboard_ = CopyRegion(doc_, static_cast<std::size_t>(level_), selection_->topLeft,
                            selection_->bottomRight);
    return !clipboard_.tiles.empty();
}

bool MapEditor::Cut() {
    if (!Copy()) return false;
    auto cleared = DrawRectangle(doc_, static_cast<std::size_t>(level_), selection_->topLeft,
                                 selection_->bottomRight, Tile::Floor, true);
    if (cleared) cleared->text = "Cut";
    return Apply(std::move(cleared)).Ok();
}

Result<void> MapEditor::Paste() {
    if (level_ < 0) return Error::Caller("there is no level to paste into");
    if (!CanPaste()) return Error::Caller("nothing has been copied");
    auto applied = Apply(PasteRegion(doc_, static_cast<std::size_t>(level_), cursor_, clipboard_));
    if (applied) {
        const TileGrid& grid = Grid();
        TilePoint end{std::min(grid.width - 1, cursor_.x + clipboard_.width - 1),
                      std::min(grid.height - 1, cursor_.y + clipboard_.height - 1)};
        selection_ = Normalised(cursor_, end);
    }
    return applied;
}

Result<void> MapEditor::Replace(Tile from, Tile to, bool wholeSource) {
    std::optional<std::size_t> level;
    if (!wholeSource) {
        if (level_ < 0) return Error::Caller("there is no level shown");
        level = static_cast<std::size_t>(level_);
    }
    return Apply(ReplaceTiles(doc_, level, from, to));
}

Result<void> MapEditor::AddLevel() {
    return Apply(gdl::AddLevel(doc_, static_cast<std::size_t>(level_ + 1)));
}

Result<void> MapEditor::DuplicateLevel() {
    if (level_ < 0) return Error::Caller("there is no level to duplicate");
    return Apply(gdl::DuplicateLevel(doc_, static_cast<std::size_t>(level_)));
}

Result<void> MapEditor::DeleteLevel() {
    if (level_ < 0) return Error::Caller("there is no level to delete");
    return Apply(gdl::DeleteLevel(doc_, static_cast<std::size_t>(level_)));
}

Result<void> MapEditor::RenameLevel(std::string_view name) {
    if (level_ < 0) return Error::Caller("there is no level to rename");
    return Apply(gdl::RenameLevel(doc_, static_cast<std::size_t>(level_), name));
}

Result<void> MapEditor::MoveLevelTo(std::size_t from, std::size_t to) {
    if (from >= doc_.LevelCount() || to >= doc_.LevelCount())
        return Error::Caller("no level at that place");
    ShowLevel(static_cast<int>(from));
    while (static_cast<std::size_t>(level_) != to) {
        const int step = static_cast<std::size_t>(level_) < to ? 1 : -1;
        const int before = level_;
        auto moved = Apply(gdl::MoveLevel(doc_, static_cast<std::size_t>(level_), step));
        if (!moved) return moved;
        if (level_ == before) return Error::Caller("the level cannot be moved there");
    }
    return {};
}

Result<void> MapEditor::SetLongName(std::string_view longName) {
    if (level_ < 0) return Error::Caller("there is no level shown");
    return Apply(gdl::SetLongName(doc_, static_cast<std::size_t>(level_), longName));
}

Result<void> MapEditor::SetTime(int minutes, int seconds) {
    if (level_ < 0) return Error::Caller("there is no level shown");
    return Apply(gdl::SetTime(doc_, static_cast<std::size_t>(level_), minutes, seconds));
}

Result<void> MapEditor::SetQuota(int quota) {
    if (level_ < 0) return Error::Caller("there is no level shown");
    return Apply(gdl::SetQuota(doc_, static_cast<std::size_t>(level_), quota));
}

Result<void> MapEditor::Resize(int width, int height, ResizeAnchor anchor) {
    if (level_ < 0) return Error::Caller("there is no level shown");
    return Apply(ResizeMap(doc_, static_cast<std::size_t>(level_), width, height, anchor));
}

Result<void> MapEditor::Apply(Result<EditCommand> command) {
    if (!command) return command.Err();
    if (command->Empty()) return {};
    const int focus = command->focusLevel;
    doc_.Apply(std::move(command.Value()));
    Changed(focus);
    return {};
}

void MapEditor::Changed(int focusLevel) {
    ++revision_;
    if (focusLevel >= 0) {
        ShowLevel(focusLevel);
    } else if (level_ >= static_cast<int>(doc_.LevelCount())) {
        ShowLevel(static_cast<int>(doc_.LevelCount()) - 1);
    }
    if (doc_.LevelCount() == 0) level_ = -1;
    ClampCursor();
    if (selection_) {
        const TileGrid& grid = Grid();
        if (!grid.Contains(selection_->bottomRight.x, selection_->bottomRight.y))
            selection_.reset();
    }
}

void MapEditor::Undo() {
    if (!doc_.CanUndo()) return;
    const TilePoint cursor = cursor_;
    const int before = level_;
    Changed(doc_.Undo());
    if (level_ == before) SetCursor(cursor);
}

void MapEditor::Redo() {
    if (!doc_.CanRedo()) return;
    const TilePoint cursor = cursor_;
    const int before = level_;
    Changed(doc_.Redo());
    if (level_ == before) SetCursor(cursor);
}

std::vector<std::string> MapEditor::History() const {
    return doc_.HistoryTexts();
}

const std::vector<MapProblem>& MapEditor::Problems() const {
    RefreshProblems();
    return problems_;
}

void MapEditor::RefreshProblems() const {
    if (problemsRevision_ == revision_) return;
    problemsRevision_ = revision_;
    problems_ = SourceProblems(doc_, &doctor_);
}

std::vector<TilePoint> MapEditor::MarkedTiles() const {
    std::vector<TilePoint> tiles;
    for (const auto& p : Problems())
        if (p.level == level_ && p.tile) tiles.push_back({p.tile->x, p.tile->y});
    return tiles;
}

void MapEditor::GoToProblem(std::size_t index) {
    const auto& problems = Problems();
    if (index >= problems.size()) return;
    const MapProblem p = problems[index];
    if (p.level >= 0) ShowLevel(p.level);
    if (p.tile) {
        SetCursor({p.tile->x, p.tile->y});
        selection_ = TileRect{cursor_, cursor_};
    }
}

Result<void> MapEditor::Save() {
    auto saved = file_.Write(doc_.Bytes());
    if (!saved) return saved;
    doc_.MarkClean();
    ++revision_;
    return {};
}

Result<void> MapEditor::SaveAs(const std::string& path) {
    auto saved = file_.WriteAs(path, doc_.Bytes());
    if (!saved) return saved;
    path_ = path;
    doc_.MarkClean();
    ++revision_;
    return {};
}

FileChangeQuestion MapEditor::CheckFileOnDisk() {
    switch (file_.Compare()) {
        case DiskState::Same:
            return FileChangeQuestion::None;
        case DiskState::Gone:
            // Said once; a file that comes back is then another program's.
            file_.Adopt();
            return FileChangeQuestion::Gone;
        case DiskState::Changed:
        case DiskState::TooLarge:
            break;
    }
    return Modified() ? FileChangeQuestion::KeepOrReload : FileChangeQuestion::Reload;
}

Result<void> MapEditor::Reload() {
    const std::string shown = ShownLevelName();
    const TilePoint cursor = cursor_;
    SourceFile file;
    auto bytes = file.Read(path_);
    if (!bytes) return bytes.Err();
    auto doc = LevelDocument::FromBytes(*bytes, path_);
    if (!doc) return doc.Err();
    file_ = std::move(file);
    Reset(std::move(doc.Value()), path_, shown);
    SetCursor(cursor);
    return {};
}

void MapEditor::KeepMine() {
    file_.Adopt();
}

Result<void> MapEditor::ReplaceText(std::string_view bytes, std::string text) {
    auto other = LevelDocument::FromBytes(bytes, path_);
    if (!other) return other.Err();
    EditCommand command;
    command.text = std::move(text);
    command.splices.push_back({0, doc_.Lines(), other->Lines()});
    command.focusLevel = level_ >= 0 ? level_ : 0;
    return Apply(std::move(command));
}

std::string MapEditor::DeleteQuestion() const {
    return level_ < 0 ? std::string() : DeleteLevelQuestion(doc_, static_cast<std::size_t>(level_));
}

CloseQuestion MapEditor::AskOnClose() const {
    return Modified() ? CloseQuestion::SaveDiscardCancel : CloseQuestion::None;
}

std::string MapEditor::ShownLevelName() const {
    return level_ >= 0 ? doc_.Level(static_cast<std::size_t>(level_)).name : std::string();
}

Result<std::string> MapEditor::CompileShownLevel() const {
    if (level_ < 0) return Error::Caller("the source has no level to send");
    const DocLevel& level = doc_.Level(static_cast<std::size_t>(level_));
    if (level.hasErrors) {
        std::string first = level.messages.empty() ? "it has errors" : level.messages.front().text;
        return Error::BadFormat(FileName(), static_cast<int>(level.line),
                                "level " + level.name + " cannot be sent: " + first);
    }
    return CompileLevel(doc_.AsSourceLevel(static_cast<std::size_t>(level_))).bytes;
}

}  // namespace gdl
