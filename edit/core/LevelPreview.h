// The pictures GDLEdit shows of levels: the map of a level as its source
// holds it now, or as its compiled level file holds it, and the problems of
// a source (the parser's messages and the level doctor's findings), so a
// level that has gone from the Source page's list is explained.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "LevelDocument.h"
#include "SourceProblems.h"

namespace gdl {

// What a page shows beside a level: its tiles (empty when there is no map)
// and why there is none.
struct LevelPreview {
    TileGrid tiles;
    std::string problem;
};

class LevelPreviews {
public:
    // The level of the source NAME.lvs in folder (any case); a source that
    // cannot be read, or a level it does not hold, gives the reason.
    LevelPreview OfSourceLevel(const std::string& folder, const std::string& source,
                               const std::string& level);
    // The map of folder/LEVEL.bin.
    LevelPreview OfCompiledLevel(const std::string& folder, const std::string& level) const;
    // A level reference "source:level", or a compiled level without source.
    LevelPreview OfReference(const std::string& folder, const std::string& reference);
    // The problem lines of the source; one line saying why when it cannot be read.
    std::vector<std::string> ProblemsOf(const std::string& folder, const std::string& source);

private:
    struct Cached {
        std::filesystem::file_time_type stamp;
        std::uintmax_t size = 0;
        std::optional<LevelDocument> doc;
        std::string problem;
        std::optional<std::vector<std::string>> problems;
        DoctorCache doctor;
    };
    // The document of the source, read again only when its file changed.
    Cached& Source(const std::string& folder, const std::string& source);

    std::map<std::string, Cached> sources_;
};

}  // namespace gdl
