// The words of the level source format: the tile legend (symbol, tile and
// name), level names and long names, and how a value is quoted in a message.
#include <algorithm>
#include <array>

#include "LevelSource.h"
#include "LynxText.h"
#include "TextUtil.h"

namespace gdl {

namespace {

constexpr std::array<TileInfo, kTileCount> kLegend{{
    {'.', Tile::Floor, "floor"},
    {':', Tile::Dirt, "dirt"},
    {'#', Tile::Wall, "wall"},
    {'X', Tile::Steel, "steel wall"},
    {'*', Tile::Gem, "gem"},
    {'O', Tile::Boulder, "boulder"},
    {'~', Tile::Water, "water"},
    {'E', Tile::Exit, "exit"},
    {'@', Tile::Start, "player start"},
    {'a', Tile::KeyA, "key a"},
    {'b', Tile::KeyB, "key b"},
    {'c', Tile::KeyC, "key c"},
    {'d', Tile::KeyD, "key d"},
    {'A', Tile::DoorA, "door A"},
    {'B', Tile::DoorB, "door B"},
    {'C', Tile::DoorC, "door C"},
    {'D', Tile::DoorD, "door D"},
    {'&', Tile::Creature, "creature"},
}};

constexpr bool LegendInCodeOrder() {
    for (std::size_t i = 0; i < kLegend.size(); ++i)
        if (static_cast<std::size_t>(kLegend[i].tile) != i) return false;
    return true;
}
static_assert(LegendInCodeOrder());

}  // namespace

std::span<const TileInfo> TileLegend() {
    return kLegend;
}

std::optional<Tile> TileFromSymbol(char symbol) {
    for (const auto& t : kLegend)
        if (t.symbol == symbol) return t.tile;
    return std::nullopt;
}

char TileSymbol(std::uint8_t code) {
    return code < kTileCount ? kLegend[code].symbol : '?';
}

bool IsValidLevelName(std::string_view name) {
    if (name.empty() || name.size() > kMaxLevelNameChars) return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    });
}

std::optional<std::string> NormalizeLongName(std::string_view name) {
    std::string upper = ToUpperAscii(name);
    for (char c : upper)
        if (c != ' ' && LynxCharCode(c) == 1) return std::nullopt;
    return upper;
}

std::string QuoteForMessage(std::string_view value) {
    constexpr std::size_t kShown = 24;
    std::string r = "'";
    for (std::size_t i = 0; i < value.size() && i < kShown; ++i) {
        auto c = static_cast<unsigned char>(value[i]);
        r += (c < 0x20 || c >= 0x7F) ? '?' : static_cast<char>(c);
    }
    if (value.size() > kShown) r += "...";
    return r + "'";
}

}  // namespace gdl
