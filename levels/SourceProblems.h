// Everything wrong with a level source: the parser's messages and the level
// doctor's findings for every level, by line. One list for all who show it:
// GDLMap's problems panel, GDLEdit's Source page and ld.exe check.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "LevelDoctor.h"
#include "LevelDocument.h"

namespace gdl {

struct SourceProblem {
    int level = -1;                    // index of its level; -1 for the file as a whole
    std::size_t line = 0;              // 1-based source line; 0 when not tied to one
    std::optional<TilePosition> tile;  // the tile it is about, when known
    bool error = false;
    std::string text;       // "CAVE01: line 12: error: ...", "CAVE01: line 14: warning: ..."
    std::string levelName;  // "" for the file as a whole, "(no name)" for a nameless level
    std::string code;       // "source" or a doctor's code
    std::string message;    // the message alone
};

// The doctor's findings per level, kept while a level is unchanged, so a
// window asking after every stroke runs the doctor on one level only.
class DoctorCache {
public:
    const std::vector<Finding>& FindingsOf(std::size_t index, const SourceLevel& level);
    void Resize(std::size_t levels) { entries_.resize(levels); }
    void Forget(std::size_t index) {
        if (index < entries_.size()) entries_[index].reset();
    }

private:
    struct Entry {
        SourceLevel level;
        std::vector<Finding> findings;
    };
    std::vector<std::optional<Entry>> entries_;
};

std::vector<SourceProblem> SourceProblems(const LevelDocument& doc, DoctorCache* cache = nullptr);

}  // namespace gdl
