#include "SourceProblems.h"

#include <algorithm>

namespace gdl {

namespace {

bool SameLevel(const SourceLevel& a, const SourceLevel& b) {
    return a.width == b.width && a.height == b.height && a.minutes == b.minutes &&
           a.seconds == b.seconds && a.quota == b.quota && a.tiles == b.tiles &&
           a.levelName == b.levelName && a.longName == b.longName;
}

const char* Kind(bool warning) {
    return warning ? "warning: " : "error: ";
}

}  // namespace

const std::vector<Finding>& DoctorCache::FindingsOf(std::size_t index, const SourceLevel& level) {
    if (index >= entries_.size()) entries_.resize(index + 1);
    auto& entry = entries_[index];
    if (!entry || !SameLevel(entry->level, level)) entry = Entry{level, Doctor(level)};
    return entry->findings;
}

namespace {

SourceProblem Problem(int level, const std::string& name, std::size_t line, bool error,
                      std::string code, std::string message) {
    std::string text = name.empty() ? std::string() : name + ": ";
    if (line != 0) text += "line " + std::to_string(line) + ": ";
    text += Kind(!error) + message;
    return {level,           line, std::nullopt,    error,
            std::move(text), name, std::move(code), std::move(message)};
}

// The doctor judges a level whose map is whole, whatever else is wrong with
// it; its door-without-key says where the door is, so the parser's own
// warning of it is left out then.
void AddLevelProblems(const LevelDocument& doc, std::size_t i, DoctorCache& doctor,
                      std::vector<SourceProblem>& problems) {
    const DocLevel& level = doc.Level(i);
    const std::string name = level.name.empty() ? "(no name)" : level.name;
    const LevelOutline& outline = doc.Outline(i);
    SourceLevel source = doc.AsSourceLevel(i);
    const bool whole = !outline.mapTooLarge && !source.tiles.empty() &&
                       std::none_of(source.tiles.begin(), source.tiles.end(),
                                    [](std::uint8_t t) { return t >= kTileCount; });
    for (const auto& m : level.messages) {
        if (whole && m.code == kDoorWithoutKey) continue;
        SourceProblem p = Problem(static_cast<int>(i), name, m.line, !m.warning, m.code, m.text);
        // A message about a map row points at the row's first tile.
        auto row = std::find(outline.rowLines.begin(), outline.rowLines.end(), m.line);
        if (row != outline.rowLines.end())
            p.tile = TilePosition{0, static_cast<int>(row - outline.rowLines.begin())};
        problems.push_back(std::move(p));
    }
    if (!whole) {
        doctor.Forget(i);
        return;
    }
    for (const auto& f : doctor.FindingsOf(i, source)) {
        const std::size_t line =
            f.position ? outline.rowLines[static_cast<std::size_t>(f.position->y)] : level.line;
        SourceProblem p = Problem(static_cast<int>(i), name, line, f.severity == Severity::Error,
                                  f.code, f.message);
        p.tile = f.position;
        problems.push_back(std::move(p));
    }
}

}  // namespace

std::vector<SourceProblem> SourceProblems(const LevelDocument& doc, DoctorCache* cache) {
    std::vector<SourceProblem> problems;
    for (const auto& m : doc.FileMessages())
        problems.push_back(Problem(-1, {}, m.line, !m.warning, m.code, m.text));
    DoctorCache local;
    DoctorCache& doctor = cache ? *cache : local;
    doctor.Resize(doc.LevelCount());
    for (std::size_t i = 0; i < doc.LevelCount(); ++i) AddLevelProblems(doc, i, doctor, problems);
    std::stable_sort(
        problems.begin(), problems.end(),
        [](const SourceProblem& a, const SourceProblem& b) { return a.line < b.line; });
    return problems;
}

}  // namespace gdl
