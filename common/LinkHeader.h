// The byte stream that loads one level into the Lynx: the preamble, the
// 36-byte link header and the level's bytes. The player's link and the map
// editor's test send both build it here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace gdl {

inline constexpr std::size_t kPreambleBytes = 512;
inline constexpr unsigned char kPreambleByte = 0xA5;
inline constexpr std::size_t kLinkHeaderSize = 36;
inline constexpr std::uint8_t kEndOfGameKind = 0xB9;
inline constexpr char kPcLevel[] = "PC LEVEL ";
inline constexpr int kFreshStart = 128;
// The registry value under Software\Vandrel\GDLKIT\global naming the port.
inline constexpr char kRegValuePort[] = "Port";
// The Lynx answers with a few bytes and falls silent: data that goes on for
// longer than this is no answer (a line full of noise).
inline constexpr int kLongestAnswerMs = 1500;

// The link's status line texts; each begins with a space.
inline constexpr char kSendingLevel[] = " Sending Level to Lynx...";
std::string UnableToOpenText(const std::string& port);
std::string WriteErrorText(const std::string& port);
std::string PortErrorText(const std::string& errorstr, const std::string& port);
std::string NotRespondingText(const std::string& port);

// The link header, field by field (numbers little-endian):
//  offset size
//   0     3   "GDL"
//   3     1   0x13
//   4     1   0xFF
//   5     1   title column, (160 - 8 n) / 2 for a title of n characters
//   6     1   0x1B
//   7     20  title in the Lynx text code, first 20 characters, 0-filled
//   27    1   send kind: new-level flag, or 0xB9 at the end of the set
//   28    1   0
//   29    1   fresh-start value + music number
//   30    2   L, the number of level bytes that follow
//   32    2   data checksum: sum of the level bytes
//   34    2   header checksum: sum of bytes 5 to 33
using LinkHeader = std::array<std::uint8_t, kLinkHeaderSize>;

struct LinkHeaderFields {
    std::string label;  // the level label; the title is "PC LEVEL " + label
    int newLevel = 1;
    bool endOfGame = false;
    int freshStart = kFreshStart;
    int music = 0;
    std::uint16_t length = 0;
    std::uint16_t dataChecksum = 0;
};

LinkHeader BuildLinkHeader(const LinkHeaderFields& fields);
// Sum of bytes 5 to 33, written into 34-35.
void UpdateHeaderChecksum(LinkHeader& header);

// The bytes a compiled level of S bytes sends: its positions 6 to S - 2
// (L = S - 7); nothing for a level shorter than 7 bytes.
std::string_view LevelBytesToSend(std::string_view compiled);
std::uint16_t DataChecksum(std::string_view levelBytes);

}  // namespace gdl
