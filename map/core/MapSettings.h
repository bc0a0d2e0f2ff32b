// What GDLMap remembers for each user between runs: the zoom (fitted, or a
// tile size), the grid and tile symbols, and the window's layout, under the
// user's "Software\Vandrel\GDLKIT\Map" key.
#pragma once

#include <optional>
#include <string>

#include "RegistryKeys.h"

namespace gdl {

class Registry;

struct MapSettings {
    std::optional<int> tileSize;  // nullopt: the map is fitted to the window
    bool grid = true;
    bool symbols = false;
    std::string geometry;  // the window's own encodings, as hex
    std::string layout;
};

// Missing or unreadable values keep the defaults.
MapSettings ReadMapSettings(const Registry& registry);
void WriteMapSettings(Registry& registry, const MapSettings& settings);

}  // namespace gdl
