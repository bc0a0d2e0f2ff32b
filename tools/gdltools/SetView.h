// What the companion shows of a level set file or a project: its header and a
// table of its levels, each with the map of its compiled level. One model for
// the window and for the text of "GDLTools.exe FILE".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "LevelRender.h"  // TileColour, for the window's maps

namespace gdl {

struct SetViewLevel {
    int position = 0;                     // 1-based place in the set
    std::string label;                    // "1", "0", "H1" as the editor and the player count
    std::string reference;                // project: "source:level"; set file: ""
    std::string name, size, time, quota;  // "" when the level cannot be read
    std::string designer, code, hint;
    int music = 0;
    std::uint32_t bytes = 0;  // set file: the size of its compiled level
    int width = 0, height = 0;
    std::vector<std::uint8_t> tiles;  // row by row; empty without a map
    std::string problem;              // why there is no map ("" when there is)
};

struct SetView {
    std::string path;
    bool isProject = false;
    std::uintmax_t fileBytes = 0;
    std::string name, year, notice, comments;
    bool hasWizard = false;
    int hidden = 0, numbered = 0;
    std::vector<SetViewLevel> levels;
    // Damage found on the way (a missing end record, levels that cannot be
    // read); the view still shows what could be read.
    std::vector<std::string> warnings;
};

// A ".gdp" path reads as a project (its sources are compiled in memory, no
// file is written); anything else as a level set file. nullopt with the
// reason when nothing of it can be shown.
std::optional<SetView> LoadSetView(const std::string& path, std::string* problem);

// The view as text: header lines, the level table, the hints and each map in
// the tile legend's characters.
std::string SetViewText(const SetView& view);

// "Caption:  value" with the value at column 12, as every text of the companion.
std::string FieldLine(std::string_view caption, const std::string& value);

// The bytes of a file no larger than cap; nullopt with the reason otherwise.
std::optional<std::string> ReadFileCapped(const std::string& path, std::uintmax_t cap,
                                          std::string* problem);

}  // namespace gdl
