// The level list: a text report with one line per level of the set, the
// statistics tool's summary appended, saved as PROJECT.txt beside the project.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace gdl {

class LevelTool;

inline constexpr std::size_t kLevelListRuleWidth = 106;
// Line 8 of the opening lines: the columns of the level lines below it.
inline constexpr char kLevelListHeading[] =
    "   Name      Long Name          Size   Quota  Time   Compression";
// Line 9: the summary tool finds the table by its first 11 characters.
inline constexpr char kLevelListDashes[] =
    "   --------  -----------------  -----  -----  -----  ---------------";
inline constexpr char kLevelListStatistics[] = "Statistics for all levels:";
// The summary repeats what the list already opens with; this many lines go.
inline constexpr std::size_t kSummaryLinesDropped = 7;

// The nine lines that open the list.
std::vector<std::string> LevelListOpeningLines();

// One level list line (103 characters): label in columns 4-11, the info line,
// the password and the designer.
std::string FormatLevelListLine(std::string_view label, std::string_view infoLine,
                                std::string_view password, std::string_view designer);

// Closes the list, has the statistics tool summarise it (BASE.te3 -> BASE.te4,
// both removed again) and saves BASE.txt in the project folder with CR LF
// lines. False when the ".txt" could not be written.
bool FinishLevelList(std::vector<std::string>& lines, const std::string& projectFolder,
                     const std::string& projectBase, LevelTool& tool);

}  // namespace gdl
