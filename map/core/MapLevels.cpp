// The session's level commands and the problems of the whole source.
#include "MapEditor.h"
#include "TextUtil.h"

namespace gdl {

LevelFields MapEditor::Fields() const {
    if (level_ < 0) return {};
    const DocLevel& l = doc_.Level(static_cast<std::size_t>(level_));
    return {l.name, l.longName, l.minutes, l.seconds, l.quota};
}

Result<void> MapEditor::ApplyFields(const LevelFields& shown, const LevelFields& edited) {
    if (level_ < 0) return Error::Caller("there is no level shown");
    if (edited.name != shown.name) {
        const std::string name = ToUpperAscii(TrimBlanks(edited.name));
        if (name != doc_.Level(static_cast<std::size_t>(level_)).name)
            if (auto renamed = RenameLevel(name); !renamed) return renamed;
    }
    if (edited.longName != shown.longName)
        if (auto set = SetLongName(TrimBlanks(edited.longName)); !set) return set;
    if (edited.minutes != shown.minutes || edited.seconds != shown.seconds)
        if (auto set = SetTime(edited.minutes, edited.seconds); !set) return set;
    if (edited.quota != shown.quota)
        if (auto set = SetQuota(edited.quota); !set) return set;
    return {};
}

Result<std::size_t> MapEditor::Replace(Tile from, Tile to, bool wholeSource) {
    std::optional<std::size_t> level;
    if (!wholeSource) {
        if (level_ < 0) return Error::Caller("there is no level shown");
        level = static_cast<std::size_t>(level_);
    }
    auto command = ReplaceTiles(doc_, level, from, to);
    if (!command) return command.Err();
    const std::size_t replaced = command->bytes.size();
    auto applied = Apply(std::move(command));
    if (!applied) return applied.Err();
    return replaced;
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

}  // namespace gdl
