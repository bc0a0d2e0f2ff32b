// The header of a compiled level file (LEVELNAME.bin), as the level tool
// writes it and both programs read it.
//
//  offset width field
//   0     4    mark 01 00 F0 12
//   4     3    not interpreted (the level tool writes format bytes here)
//   7     1    size, first figure (width)
//   8     1    size, second figure (height)
//   9     17   level name, Lynx text code, ends at code 0 or with the field
//   26    1    not interpreted
//   27    1    time, minutes
//   28    1    time, seconds
//   29    2    quota, little-endian
//   31    ...  level body
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace gdl {

inline constexpr std::array<std::uint8_t, 4> kCompiledLevelMark{0x01, 0x00, 0xF0, 0x12};
inline constexpr std::size_t kCompiledHeaderSize = 31;
// Readers take this many bytes from the start of the file.
inline constexpr std::size_t kCompiledReadSize = 32;
inline constexpr std::size_t kCompiledNameCodes = 17;
// The largest compiled level the level tool makes: the header, a 99 x 99 map
// stored as it is (it never codes a body larger than that), one checksum byte.
inline constexpr std::size_t kLargestCompiledLevelSize = kCompiledHeaderSize + 99 * 99 + 1;

struct CompiledLevelHeader {
    std::uint8_t width = 0;
    std::uint8_t height = 0;
    std::string nameCodes;  // up to 17 Lynx codes (not zero-terminated)
    std::uint8_t minutes = 0;
    std::uint8_t seconds = 0;
    std::uint16_t quota = 0;
    std::array<std::uint8_t, 3> format{};  // bytes 4-6
    std::uint8_t spare = 0;                // byte 26
};

bool HasCompiledLevelMark(std::string_view bytes);
// Needs the mark and a complete header (31 bytes).
std::optional<CompiledLevelHeader> ParseCompiledLevelHeader(std::string_view bytes);
// The 31 header bytes.
std::string SerializeCompiledLevelHeader(const CompiledLevelHeader& header);

}  // namespace gdl
