// The statistics tool's reading of a level list (the build's ".te3" file) and
// the summary it writes from it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace gdl {

// One line of the list's table: label in columns 4-11, Name 14-30, Size 33-37,
// Quota 40-44, Time 47-51, password 54-61, designer 64-103.
struct ListedEntry {
    std::string label;
    std::string name;
    std::string designer;
    std::string password;
    bool hasInfo = false;  // false: the build had no level information
    int width = 0, height = 0;
    int quota = 0;
    int seconds = 0;  // time in seconds
    std::size_t line = 0;
};

struct LevelListReadResult {
    std::vector<ListedEntry> entries;
    std::string error;  // "line N: ..." when the list is not well formed
    bool ok() const { return error.empty(); }
};

LevelListReadResult ReadLevelList(const std::vector<std::string>& lines);

// The summary: kSummaryHeadingLines heading lines, then the summary proper.
inline constexpr std::size_t kSummaryHeadingLines = 7;
std::vector<std::string> SummarizeLevelList(const std::vector<ListedEntry>& entries);

}  // namespace gdl
