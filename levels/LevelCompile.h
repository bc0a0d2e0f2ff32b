// Compiled level files and the level tool's listing lines.
//
// The level tool fills the header bytes the readers leave alone:
//   4  format version (1)
//   5  tile set version (1): the tile codes of the source legend
//   6  body coding: 0 stored, 1 run-length
//   26 0
// Body (offset 31): the tiles row by row in the body coding. Run-length bytes:
//   0x00-0x1F          one tile of that code
//   0x20-0xDF          (b >> 5) + 1 tiles (2 to 7) of code b & 0x1F
//   0xE0-0xFF, n       n + 8 tiles (8 to 263) of code b & 0x1F
// Last byte: makes the byte sum of the whole file 0 modulo 256. The player
// sends bytes 6 up to the second-to-last, so the Lynx never sees it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "CompiledLevel.h"
#include "LevelSource.h"

namespace gdl {

inline constexpr std::uint8_t kLevelFormatVersion = 1;
inline constexpr std::uint8_t kTileSetVersion = 1;

enum class BodyCoding : std::uint8_t { Stored = 0, RunLength = 1 };

std::string EncodeRunLength(const std::vector<std::uint8_t>& tiles);
// Exactly tileCount tiles from the whole body; nullopt on any excess or lack.
std::optional<std::vector<std::uint8_t>> DecodeRunLength(std::string_view body,
                                                         std::size_t tileCount);

struct CompiledLevelFile {
    std::string bytes;
    std::size_t tileCount = 0;
    std::size_t bodySize = 0;
};

CompiledLevelFile CompileLevel(const SourceLevel& level);

struct DecodedLevel {
    CompiledLevelHeader header;
    BodyCoding coding = BodyCoding::Stored;
    std::vector<std::uint8_t> tiles;
    std::size_t bodySize = 0;
    bool checksumOk = false;
};

// Reads a whole compiled level back; the error says what is wrong.
std::optional<DecodedLevel> DecodeCompiledLevel(std::string_view bytes, std::string* error);

// "16x9", "3:05", "1024 -> 210 (79%)".
std::string SizeText(int width, int height);
std::string TimeText(int minutes, int seconds);
// A time as the source writes it, "M:SS" (minutes 0 to 99, seconds 00 to
// 59), in seconds; nullopt for anything else.
std::optional<int> ParseTimeText(std::string_view text);
std::string CompressionText(std::size_t tiles, std::size_t bodySize);

// The heading and the "   --------" line that opens the listing's table.
inline constexpr char kListingHeading[] =
    "   Name      Long Name          Size   Quota  Time   Compression";
inline constexpr char kListingRule[] =
    "   --------  -----------------  -----  -----  -----  ---------------";
// Level name right-aligned in 1-11, long name 14-30, size 33-37, quota 40-44,
// time 47-51, compression from 54.
std::string ListingLine(const SourceLevel& level, const CompiledLevelFile& compiled);

}  // namespace gdl
