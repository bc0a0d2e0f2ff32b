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

}  // namespace

MapEditor::MapEditor() {
    for (const auto& info : MapToolTable()) tools_.push_back(info.make());
}

MapEditor::~MapEditor() = default;

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
    for (auto& tool : tools_) tool->Cancel();
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
    CurrentTool().Cancel();
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
    if (typedRow_ != at.y || typedRevision_ != revision_) typedStroke_ = ++strokeId_;
    auto applied =
        Apply(PencilStroke(doc_, static_cast<std::size_t>(level_), {&at, 1}, *tile, typedStroke_));
    if (!applied) return false;
    typedRow_ = at.y;
    typedRevision_ = revision_;
    MoveCursor(1, 0);
    return true;
}

bool MapEditor::TypeKey(char key) {
    if (CanTurn()) {
        switch (key) {
            case 'x':
            case 'X':
                Turn(BlockTurn::FlipHorizontally);
                return true;
            case 'y':
            case 'Y':
                Turn(BlockTurn::FlipVertically);
                return true;
            case 'z':
            case 'Z':
                Turn(BlockTurn::RotateClockwise);
                return true;
            default:
                break;
        }
    }
    if (!TypeSymbol(key)) return false;
    tile_ = *TileFromSymbol(key);
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
    if (tool == MapTool::Stamp && Stamp().Block().tiles.empty()) return;
    CurrentTool().Cancel();
    if (tool == MapTool::Stamp && tool_ != MapTool::Stamp) beforeStamp_ = tool_;
    tool_ = tool;
    selection_.reset();
}

bool MapEditor::Escape() {
    if (CurrentTool().Cancel()) return true;
    if (tool_ == MapTool::Stamp) {
        tool_ = beforeStamp_;
        return true;
    }
    if (!selection_) return false;
    selection_.reset();
    return true;
}

StampTool& MapEditor::Stamp() const {
    return static_cast<StampTool&>(*tools_[static_cast<std::size_t>(MapTool::Stamp)]);
}

ToolContext MapEditor::Context() const {
    return {doc_, static_cast<std::size_t>(level_), Grid(), tile_, strokeId_};
}

void MapEditor::ApplyStep(ToolStep step) {
    if (step.clearSelection) selection_.reset();
    if (step.edit) (void)Apply(std::move(*step.edit));
    if (step.selection) {
        selection_ = step.selection;
        cursor_ = selection_->topLeft;
    }
}

void MapEditor::Press(TilePoint at, bool secondary) {
    if (level_ < 0) return;
    const TileGrid& grid = Grid();
    if (secondary) {
        if (grid.Contains(at.x, at.y) && grid.At(at.x, at.y) < kTileCount)
            tile_ = static_cast<Tile>(grid.At(at.x, at.y));
        return;
    }
    ++strokeId_;
    hover_ = at;
    ApplyStep(CurrentTool().Press(Context(), at));
}

void MapEditor::Drag(TilePoint at) {
    if (level_ < 0) return;
    hover_ = at;
    ApplyStep(CurrentTool().Drag(Context(), at));
}

void MapEditor::Release(TilePoint at) {
    if (level_ < 0) return;
    ApplyStep(CurrentTool().Release(Context(), at));
}

std::optional<ToolPreview> MapEditor::Rubber() const {
    return CurrentTool().Preview();
}

std::string MapEditor::HoverText() const {
    const TileGrid& grid = Grid();
    if (!hover_ || !grid.Contains(hover_->x, hover_->y)) return {};
    return std::to_string(hover_->x + 1) + ", " + std::to_string(hover_->y + 1) + ": " +
           TileName(grid.At(hover_->x, hover_->y));
}

std::string MapEditor::ToolText() const {
    if (tool_ != MapTool::Stamp) return ToolInfo(tool_).name;
    const TileGrid& block = Stamp().Block();
    return "Stamp " + std::to_string(block.width) + " x " + std::to_string(block.height) +
           " (X, Y flip, Z turns, Esc ends)";
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
    Stamp().SetBlock(clipboard_);
    SetTool(MapTool::Stamp);
    if (!hover_) hover_ = cursor_;
    return {};
}

std::optional<FloatingBlock> MapEditor::Floating() const {
    if (tool_ != MapTool::Stamp || !hover_) return std::nullopt;
    return FloatingBlock{*hover_, &Stamp().Block()};
}

void MapEditor::Turn(BlockTurn turn) {
    if (!CanTurn()) return;
    const TileGrid& block = Stamp().Block();
    switch (turn) {
        case BlockTurn::FlipHorizontally:
            Stamp().SetBlock(FlippedHorizontally(block));
            break;
        case BlockTurn::FlipVertically:
            Stamp().SetBlock(FlippedVertically(block));
            break;
        case BlockTurn::RotateClockwise:
            Stamp().SetBlock(RotatedClockwise(block));
            break;
    }
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
    if (doc_.CanUndo()) Step(&LevelDocument::Undo);
}

void MapEditor::Redo() {
    if (doc_.CanRedo()) Step(&LevelDocument::Redo);
}

// The cursor stays where it was unless the step shows another level.
void MapEditor::Step(int (LevelDocument::*step)()) {
    const TilePoint cursor = cursor_;
    const int before = level_;
    Changed((doc_.*step)());
    if (level_ == before) SetCursor(cursor);
}

std::vector<std::string> MapEditor::History() const {
    return doc_.HistoryTexts();
}

void MapEditor::GoToHistory(std::size_t done) {
    while (UndoCount() > done && CanUndo()) Undo();
    while (UndoCount() < done && CanRedo()) Redo();
}

std::string MapEditor::UndoText() const {
    return CanUndo() ? History()[UndoCount() - 1] : std::string();
}

std::string MapEditor::RedoText() const {
    return CanRedo() ? History()[UndoCount()] : std::string();
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
    const TilePoint cursor = cursor_;
    // A copy: Open takes the path in place of the one it replaces.
    const std::string path = path_;
    auto opened = Open(path, ShownLevelName());
    if (opened) SetCursor(cursor);
    return opened;
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
