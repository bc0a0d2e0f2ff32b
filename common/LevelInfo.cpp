#include "LevelInfo.h"

#include "CompiledLevel.h"
#include "FileUtil.h"
#include "IniFile.h"
#include "LynxText.h"
#include "PathJoin.h"
#include "TextUtil.h"

namespace gdl {

namespace {

// Listing columns, 0-based start and width.
struct Column {
    std::size_t start;
    std::size_t width;
};
constexpr Column kKeyColumn{0, 11};
constexpr Column kNameColumn{13, 17};
constexpr Column kSizeColumn{32, 5};
constexpr Column kQuotaColumn{39, 5};
constexpr Column kTimeColumn{46, 5};

std::string ColumnText(std::string_view line, Column c) {
    if (c.start >= line.size()) return {};
    return TrimBlanks(line.substr(c.start, c.width));
}

// Names from a listing or a reference become file names in the project folder;
// with these they could reach outside it.
bool IsSafeFileStem(std::string_view name) {
    return name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

std::string ListingPath(const std::string& folder, const std::string& source) {
    return JoinPath(folder, source + ".te1");
}
std::string CachePath(const std::string& folder, const std::string& source) {
    return JoinPath(folder, source + ".te2");
}

LevelInfoResult Marker(const char* text) {
    return {LevelInfo{text, {}, {}, {}}, false};
}

}  // namespace

std::vector<ListedLevel> ParseLevelListing(const std::vector<std::string>& lines) {
    enum class State { Before, InTable };
    State state = State::Before;
    std::vector<ListedLevel> levels;
    for (std::size_t i = 0; i < lines.size() && i < kListingMaxLines; ++i) {
        const std::string& line = lines[i];
        if (state == State::Before) {
            if (line.compare(0, kListingSeparator.size(), kListingSeparator) == 0)
                state = State::InTable;
            continue;
        }
        if (line.empty()) break;
        ListedLevel level;
        level.key = ColumnText(line, kKeyColumn);
        level.info.Name = ColumnText(line, kNameColumn);
        level.info.Size = ColumnText(line, kSizeColumn);
        level.info.Quota = ColumnText(line, kQuotaColumn);
        level.info.Time = ColumnText(line, kTimeColumn);
        levels.push_back(std::move(level));
    }
    return levels;
}

LevelInfoResult LevelInfoFromCompiled(std::string_view firstBytes) {
    auto header = ParseCompiledLevelHeader(firstBytes);
    if (!header) return Marker(kInvalidFileFormatText);
    LevelInfoResult r;
    r.found = true;
    r.info.Name = DecodeLynxText(header->nameCodes, kCompiledNameCodes);
    r.info.Size = std::to_string(header->width) + "x" + std::to_string(header->height);
    std::string seconds = std::to_string(header->seconds);
    if (seconds.size() == 1) seconds.insert(0, "0");
    r.info.Time = std::to_string(header->minutes) + ":" + seconds;
    r.info.Quota = std::to_string(header->quota);
    return r;
}

std::string FormatLevelInfoLine(const LevelInfo& info) {
    std::string size = info.Size;
    auto x = size.find('x');
    if (x != std::string::npos) {
        size = RightAlign(std::string_view(info.Size).substr(0, x), 2) + "x" +
               LeftAlign(std::string_view(info.Size).substr(x + 1), 2);
    }
    return LeftAlign(info.Name, 17) + "  " + size + "  " + RightAlign(info.Quota, 5) + "  " +
           RightAlign(info.Time, 5);
}

void RefreshLevelInfoCache(const std::string& projectFolder, const std::string& source,
                           const RunListing& runListing, std::vector<std::string>* fillList) {
    if (fillList) fillList->clear();
    // "." and ".." name folders: a listing of them is only an error listing
    // with a name like "..te1" left in the project folder.
    if (source.empty() || !IsSafeFileStem(source) || source == "." || source == "..") return;
    std::string listingPath = ListingPath(projectFolder, source);
    if (!FileExists(listingPath) && runListing) runListing(source);

    // Without a listing the cache stays missing, so its levels read as errors.
    auto listing = ReadFilePrefix(listingPath, kListingMaxBytes + 1);
    if (!listing || listing->size() > kListingMaxBytes) return;

    std::string cachePath = CachePath(projectFolder, source);
    IniFile cache = IniFile::Load(cachePath);
    for (const ListedLevel& level : ParseLevelListing(SplitLines(*listing))) {
        if (fillList) fillList->push_back(level.key);
        cache.WriteString(level.key, "Name", level.info.Name);
        cache.WriteString(level.key, "Size", level.info.Size);
        cache.WriteString(level.key, "Quota", level.info.Quota);
        cache.WriteString(level.key, "Time", level.info.Time);
    }
    cache.Save(cachePath);
}

LevelInfoResult ReadLevelInfo(const std::string& projectFolder, const std::string& source,
                              const std::string& level, const RunListing& runListing) {
    if (source.empty()) {
        if (!IsSafeFileStem(level)) return Marker(kFileNotFoundText);
        auto bytes = ReadFilePrefix(JoinPath(projectFolder, level + ".bin"), kCompiledReadSize);
        if (!bytes) return Marker(kFileNotFoundText);
        return LevelInfoFromCompiled(*bytes);
    }

    if (!IsSafeFileStem(source)) return Marker(kLevelErrorText);
    std::string cachePath = CachePath(projectFolder, source);
    if (!FileExists(cachePath)) RefreshLevelInfoCache(projectFolder, source, runListing);
    if (!FileExists(cachePath)) return Marker(kLevelErrorText);

    IniFile cache = IniFile::Load(cachePath);
    LevelInfoResult r;
    r.found = true;
    r.info.Name = cache.ReadString(level, "Name");
    r.info.Size = cache.ReadString(level, "Size");
    r.info.Time = cache.ReadString(level, "Time");
    r.info.Quota = cache.ReadString(level, "Quota");
    return r;
}

void DeleteLevelInfoFiles(const std::string& projectFolder, const std::string& source) {
    if (source.empty() || !IsSafeFileStem(source)) return;
    DeleteFileQuiet(ListingPath(projectFolder, source));
    DeleteFileQuiet(CachePath(projectFolder, source));
}

}  // namespace gdl
