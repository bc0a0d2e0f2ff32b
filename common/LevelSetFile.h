// The level set file (".gdl"): a 956-byte header, a table of 256 entries of
// 88 bytes, then per level a 454-byte record and the compiled level, and an
// end record. Numbers are little-endian; texts are difference-coded.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "CompiledLevel.h"

namespace gdl {

// "GLIMDEEP" and a DOS end-of-file byte, so a listed file stops at once.
// Shared by the build and every reader.
inline constexpr std::array<std::uint8_t, 9> kLevelSetSignature{'G', 'L', 'I', 'M', 'D',
                                                                'E', 'E', 'P', 0x1A};

inline constexpr std::size_t kSetHeaderSize = 956;
inline constexpr std::size_t kTableEntrySize = 88;
inline constexpr std::size_t kTableEntries = 256;
inline constexpr std::size_t kTableSize = kTableEntrySize * kTableEntries;  // 22528
inline constexpr std::size_t kLevelRecordSize = 454;
inline constexpr std::size_t kFirstRecordOffset = kSetHeaderSize + kTableSize;  // 23484
// A set without levels: header, table and end record.
inline constexpr std::size_t kEmptyLevelSetSize = kFirstRecordOffset + kLevelRecordSize;  // 23938
// Positions are stored in one byte and must match: 256 is never playable.
inline constexpr std::size_t kMaxSetLevels = 255;
// No set the kit can make is larger: 255 of the largest compiled levels,
// each behind its record. A larger file is no level set.
inline constexpr std::uint64_t kLargestLevelSetSize =
    kFirstRecordOffset + kMaxSetLevels * (kLevelRecordSize + kLargestCompiledLevelSize) +
    kLevelRecordSize;
inline constexpr std::uint8_t kRecordKindLevel = 0xE1;
inline constexpr std::uint8_t kRecordKindEnd = 0xEE;

// Character counts that readers allow for each text.
inline constexpr std::size_t kSetNameChars = 40, kYearChars = 4, kNoticeChars = 60,
                             kWizardChars = 4, kCommentsChars = 512, kPasswordChars = 4,
                             kDesignerChars = 40, kHintChars = 320;

// Each character c is stored as (c + previous) mod 256; previous starts as "~".
std::string EncodeSetText(std::string_view text);
// Reverse of EncodeSetText; stops at a zero byte or after maxChars characters.
std::string DecodeSetText(std::string_view coded, std::size_t maxChars);

struct LevelSetHeader {
    std::string name;
    std::string year;  // decimal digits
    std::string notice;
    std::string wizard;
    std::string comments;
    std::uint8_t hiddenCount = 0;
    std::uint8_t visibleCount = 0;
};

struct LevelTableEntry {
    bool present = false;  // read: the byte is exactly 1
    std::uint8_t position = 0;
    std::string password;
    std::string designer;
    std::uint8_t music = 0;  // as stored; the player plays anything above 2 as 0
    std::uint32_t size = 0;
};

struct LevelRecord {
    std::uint8_t kind = kRecordKindLevel;
    std::uint8_t position = 0;
    std::string hint;
};

// Writers give the exact record bytes; every byte without meaning is 0.
std::string SerializeHeader(const LevelSetHeader& header);
std::string SerializeTableEntry(const LevelTableEntry& entry);
// A free entry of 1-based table position n (256 is stored as 0).
std::string SerializeFreeEntry(std::size_t n);
std::string SerializeRecord(const LevelRecord& record);
// Kind EE, every other byte 0.
std::string SerializeEndRecord();

// One level of a whole set as written: the entry's present flag, position and
// size are filled in from its place and the compiled bytes.
struct LevelSetLevel {
    LevelTableEntry entry;
    std::string hint;
    std::string compiled;
};
// The whole file: header, 256 entries, the levels (at most 255) and the end
// record. The header's two counts are written as given.
std::string SerializeLevelSet(const LevelSetHeader& header,
                              const std::vector<LevelSetLevel>& levels);

// Readers check the length they are given; nullopt on short input or, for the
// header, a wrong signature.
std::optional<LevelSetHeader> ParseHeader(std::string_view bytes);
std::optional<LevelTableEntry> ParseTableEntry(std::string_view bytes);
std::optional<LevelRecord> ParseRecord(std::string_view bytes);
bool HasLevelSetSignature(std::string_view bytes);

// Header and whole table of a set, read from the file's first 23484 bytes.
struct LevelSetIndex {
    LevelSetHeader header;
    std::vector<LevelTableEntry> table;  // always 256 entries
};
std::optional<LevelSetIndex> ParseLevelSetIndex(std::string_view bytes,
                                                std::string* error = nullptr);
std::optional<LevelSetIndex> ReadLevelSetIndexFile(const std::string& path,
                                                   std::string* error = nullptr);

// The whole level set in memory, for tests and tools: the header, the table
// and the list of (record, compiled bytes) in position order. The levels end,
// as in the player, at the first entry that is not present or whose position
// byte is not its position. Every size is checked against the real length of
// the data; a level that does not fit fails the whole parse.
struct LevelSetContents {
    LevelSetIndex index;
    std::vector<std::pair<LevelRecord, std::string>> levels;
    bool hasEndRecord = false;
};
std::optional<LevelSetContents> ParseLevelSet(std::string_view bytes, std::string* error = nullptr);

}  // namespace gdl
