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

std::vector<SourceProblem> SourceProblems(const LevelDocument& doc, DoctorCache* cache) {
    std::vector<SourceProblem> problems;
    for (const auto& m : doc.FileMessages())
        problems.push_back({-1, m.line, std::nullopt, !m.warning,
                            (m.line ? "line " + std::to_string(m.line) + ": " : std::string()) +
                                Kind(m.warning) + m.text});
    DoctorCache local;
    DoctorCache& doctor = cache ? *cache : local;
    doctor.Resize(doc.LevelCount());
    for (std::size_t i = 0; i < doc.LevelCount(); ++i) {
        const DocLevel& level = doc.Level(i);
        const std::string name = level.name.empty() ? "(no name)" : level.name;
        const LevelOutline& outline = doc.Outline(i);
        for (const auto& m : level.messages) {
            SourceProblem p{
                static_cast<int>(i), m.line, std::nullopt, !m.warning,
                name + ": line " + std::to_string(m.line) + ": " + Kind(m.warning) + m.text};
            // A message about a map row points at the row's first tile.
            auto row = std::find(outline.rowLines.begin(), outline.rowLines.end(), m.line);
            if (row != outline.rowLines.end())
                p.tile = TilePosition{0, static_cast<int>(row - outline.rowLines.begin())};
            problems.push_back(std::move(p));
        }
        if (level.hasErrors) {
            doctor.Forget(i);
            continue;
        }
        for (const auto& f : doctor.FindingsOf(i, doc.AsSourceLevel(i))) {
            const bool error = f.severity == Severity::Error;
            problems.push_back({static_cast<int>(i), level.line, f.position, error,
                                name + ": " + Kind(!error) + f.message});
        }
    }
    return problems;
}

}  // namespace gdl
