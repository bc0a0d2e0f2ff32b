// Level sources (".lvs"): plain text holding several levels, written by hand
// and read by the level tool. A level looks like this:
//
//   ; comment lines start with a semicolon
//   level CAVE01          1 to 8 of A-Z, 0-9, _ (names CAVE01.bin)
//   name  Into the Deep   at most 17 Lynx characters; folded to capitals
//   size  16x9            optional; the map must match it
//   time  2:30            minutes 0-99, seconds 00-59
//   quota 12              gems to collect, 0-65535
//   map
//   ################
//   #@....*.......E#
//   ...
//   end
//
// Width, height and minutes stop at 99 because the listing has five columns
// for "WWxHH" and for "MM:SS".
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace gdl {

inline constexpr int kMaxMapSide = 99;
inline constexpr int kMaxMinutes = 99;
inline constexpr int kMaxQuota = 65535;
inline constexpr std::size_t kMaxLevelNameChars = 8;
inline constexpr std::size_t kMaxLongNameChars = 17;
// The editor reads the first 255 lines of a listing; five of them come before
// the table.
inline constexpr std::size_t kMaxLevelsPerSource = 250;
inline constexpr std::uintmax_t kMaxSourceBytes = 16u << 20;
// Messages past this many are dropped (and counted) so garbage input cannot
// flood the terminal or the memory.
inline constexpr std::size_t kMaxSourceMessages = 200;

enum class Tile : std::uint8_t {
    Floor = 0,
    Dirt,
    Wall,
    Steel,
    Gem,
    Boulder,
    Water,
    Exit,
    Start,
    KeyA,
    KeyB,
    KeyC,
    KeyD,
    DoorA,
    DoorB,
    DoorC,
    DoorD,
    Creature,
};
inline constexpr std::uint8_t kTileCount = 18;

struct TileInfo {
    char symbol;
    Tile tile;
    const char* name;
};

// The legend in code order.
std::span<const TileInfo> TileLegend();
std::optional<Tile> TileFromSymbol(char symbol);
// '?' for a code outside the legend.
char TileSymbol(std::uint8_t code);

// A tile cell that holds no tile of the legend: a character the parser does
// not know, or a place past the end of a short row.
inline constexpr std::uint8_t kNoTile = 0xFF;

// The tiles of a level as codes, row by row; kNoTile where there is none.
struct TileGrid {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> tiles;

    std::uint8_t At(int x, int y) const {
        return tiles[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                     static_cast<std::size_t>(x)];
    }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

struct SourceLevel {
    std::string levelName;  // upper case
    std::string longName;   // upper case, Lynx characters only
    std::uint8_t width = 0;
    std::uint8_t height = 0;
    std::uint8_t minutes = 0;
    std::uint8_t seconds = 0;
    std::uint16_t quota = 0;
    std::vector<std::uint8_t> tiles;  // row by row, tile codes
    std::size_t line = 0;             // line of its "level" keyword
};

inline TileGrid GridOf(const SourceLevel& level) {
    return {level.width, level.height, level.tiles};
}

struct SourceMessage {
    std::size_t line = 0;  // 1-based; 0 for the file as a whole
    std::string text;
    bool warning = false;
    // What the message is about, for callers that decide on it: "source" for
    // the format's own errors, or a finding code the level doctor shares
    // ("door-without-key", "quota-above-gems").
    std::string code = "source";
};

// Where each part of a level stands in the source, for every level the
// parser met, good or bad: what an editor needs to change the text in place.
// Lines are 1-based; 0 where the part is missing.
struct LevelOutline {
    SourceLevel level;  // the parts that could be read; tiles only when good
    bool bad = false;
    std::size_t nameLine = 0, sizeLine = 0, timeLine = 0, quotaLine = 0, mapLine = 0;
    std::size_t endLine = 0;
    int sizeWidth = 0, sizeHeight = 0;  // from a good "size" line
    std::vector<std::size_t> rowLines;  // the map's rows in order (at most 100)
    // More than 99 rows or columns: the level is refused, and views, edits
    // and the doctor take at most 99 x 99 of it.
    bool mapTooLarge = false;
};

struct ParsedSource {
    std::vector<SourceLevel> levels;      // the good levels, in source order
    std::vector<SourceMessage> messages;  // sorted by line
    std::size_t droppedMessages = 0;
    std::size_t errorCount = 0;
    // Level names that were well formed but whose level has errors; a
    // compile removes their old compiled files.
    std::vector<std::string> failedLevelNames;
    // Every level met, in source order, bad ones included.
    std::vector<LevelOutline> outlines;
    bool HasErrors() const { return errorCount > 0; }
};

ParsedSource ParseLevelSource(std::string_view text);

// Checks that fit the listing columns, shared with the source parser.
bool IsValidLevelName(std::string_view name);
// Upper-cases letters; nullopt when a character has no Lynx code.
std::optional<std::string> NormalizeLongName(std::string_view name);

// A value quoted in a message: cut short, unprintable bytes shown as '?'.
std::string QuoteForMessage(std::string_view value);

}  // namespace gdl
