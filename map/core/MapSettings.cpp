#include "MapSettings.h"

#include "Registry.h"

namespace gdl {

namespace {

constexpr char kTileSize[] = "TileSize";
constexpr char kGrid[] = "Grid";
constexpr char kSymbols[] = "Symbols";
constexpr char kGeometry[] = "Geometry";
constexpr char kLayout[] = "Layout";
constexpr int kLargestTile = 64;

std::string Read(const Registry& registry, const char* name) {
    return registry.ReadValue(RegRoot::CurrentUser, kRegKeyMap, name).value_or("");
}

}  // namespace

MapSettings ReadMapSettings(const Registry& registry) {
    MapSettings settings;
    const std::string size = Read(registry, kTileSize);
    if (size.size() >= 1 && size.size() <= 2 &&
        size.find_first_not_of("0123456789") == std::string::npos) {
        const int n = std::stoi(size);
        if (n >= 1 && n <= kLargestTile) settings.tileSize = n;
    }
    if (const std::string grid = Read(registry, kGrid); !grid.empty()) settings.grid = grid == "1";
    settings.symbols = Read(registry, kSymbols) == "1";
    settings.geometry = Read(registry, kGeometry);
    settings.layout = Read(registry, kLayout);
    return settings;
}

void WriteMapSettings(Registry& registry, const MapSettings& settings) {
    auto write = [&](const char* name, const std::string& value) {
        registry.WriteValue(RegRoot::CurrentUser, kRegKeyMap, name, value);
    };
    write(kTileSize, settings.tileSize ? std::to_string(*settings.tileSize) : "fit");
    write(kGrid, settings.grid ? "1" : "0");
    write(kSymbols, settings.symbols ? "1" : "0");
    write(kGeometry, settings.geometry);
    write(kLayout, settings.layout);
}

}  // namespace gdl
