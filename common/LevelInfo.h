// Level information (Name, Size, Time, Quota as display texts): from the level
// tool's listing of a source, kept in a per-source cache (".te2"), or from a
// compiled level's own header.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace gdl {

struct LevelInfo {
    std::string Name;
    std::string Size;
    std::string Time;
    std::string Quota;
    bool operator==(const LevelInfo&) const = default;
};

inline constexpr char kLevelErrorText[] = "*level error*";
inline constexpr char kFileNotFoundText[] = "*file not found*";
inline constexpr char kInvalidFileFormatText[] = "*invalid file format*";

// The line that opens the listing's table; compared on its first 11 characters.
inline constexpr std::string_view kListingSeparator = "   --------";
// The listing is walked over at most this many lines.
inline constexpr std::size_t kListingMaxLines = 255;
// A listing file larger than this is not the level tool's (its 255 lines are
// a few KiB) and is not read: the source then has no listing, as when the
// tool failed.
inline constexpr std::size_t kListingMaxBytes = 1u << 20;

struct ListedLevel {
    std::string key;  // level name, columns 1-11, trimmed
    LevelInfo info;
};

// The table of a level listing (".te1" lines).
std::vector<ListedLevel> ParseLevelListing(const std::vector<std::string>& lines);

struct LevelInfoResult {
    LevelInfo info;
    bool found = false;
};

// From the first bytes of a compiled level file (32 or fewer); fewer than 31
// bytes or a missing mark give "*invalid file format*".
LevelInfoResult LevelInfoFromCompiled(std::string_view firstBytes);

// Name left-aligned in 17, size as "WWxHH", quota and time right-aligned in 5.
std::string FormatLevelInfoLine(const LevelInfo& info);

// Runs the level tool's listing command for a source (writes SOURCE.te1).
using RunListing = std::function<void(const std::string& source)>;

// Makes sure the listing exists (running it when the ".te1" is missing) and
// writes the ".te2" cache from it. With fillList, the level names found
// replace its items. Without a listing no cache is written. A source name
// holding "/" or NUL is refused, so nothing outside the folder is touched.
void RefreshLevelInfoCache(const std::string& projectFolder, const std::string& source,
                           const RunListing& runListing,
                           std::vector<std::string>* fillList = nullptr);

// Level information of one level: from the source's cache, or with an empty
// source name from LEVEL.bin in the project folder. An existing cache is
// trusted. A level name holding "/" or NUL reads as "*file not found*".
LevelInfoResult ReadLevelInfo(const std::string& projectFolder, const std::string& source,
                              const std::string& level, const RunListing& runListing);

// Deletes SOURCE.te1 and SOURCE.te2 in the project folder.
void DeleteLevelInfoFiles(const std::string& projectFolder, const std::string& source);

}  // namespace gdl
