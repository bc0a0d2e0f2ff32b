#include "LevelSetFile.h"

#include <algorithm>

#include "FileUtil.h"

namespace gdl {

namespace {

constexpr unsigned char kTextStart = '~';

// A coded text field: where it lies in its record, how wide it is, and how
// many characters a reader takes from it.
struct TextField {
    std::size_t offset;
    std::size_t width;
    std::size_t chars;
    constexpr std::size_t End() const { return offset + width; }
};

// LevelSetHeader, 956 bytes:
//  offset width field
//   0      9   signature
//   9      1   mark 1
//  10      1   mark 0
//  11     40   set name (coded)
//  51      4   year (coded)
//  55     60   notice (coded)
// 115      4   wizard code (coded)
// 119    768   comments (coded)
// 887      1   hidden level count
// 888      1   visible level count
// 889      1   mark 0
// 890     64   reserved
// 954      2   reserved word 0
constexpr std::size_t kHeaderMarkOne = 9;
constexpr TextField kNameField{11, 40, kSetNameChars};
constexpr TextField kYearField{51, 4, kYearChars};
constexpr TextField kNoticeField{55, 60, kNoticeChars};
constexpr TextField kWizardField{115, 4, kWizardChars};
constexpr TextField kCommentsField{119, 768, kCommentsChars};
constexpr std::size_t kHiddenCount = 887;
constexpr std::size_t kVisibleCount = 888;
constexpr std::size_t kHeaderReservedWord = 954;
static_assert(kLevelSetSignature.size() == kHeaderMarkOne);
static_assert(kNameField.End() == kYearField.offset && kYearField.End() == kNoticeField.offset &&
              kNoticeField.End() == kWizardField.offset &&
              kWizardField.End() == kCommentsField.offset && kCommentsField.End() == kHiddenCount);
static_assert(kHeaderReservedWord + 2 == kSetHeaderSize && kSetHeaderSize == 956);

// LevelTableEntry, 88 bytes:
//  offset width field
//   0      1   present (1 used, 0 free)
//   1      1   position n (the 256th entry holds 0)
//   2      4   password (coded)
//   6     40   designer (coded)
//  46      1   music number
//  47      1   mark 0
//  48      4   size of the compiled level, 32-bit
//  52     32   reserved
//  84      2   reserved word, 0 in free entries
//  86      2   reserved
constexpr std::size_t kEntryPresent = 0;
constexpr std::size_t kEntryPosition = 1;
constexpr TextField kPasswordField{2, 4, kPasswordChars};
constexpr TextField kDesignerField{6, 40, kDesignerChars};
constexpr std::size_t kEntryMusic = 46;
constexpr std::size_t kEntrySize = 48;
constexpr std::size_t kEntryReservedTail = 86;
static_assert(kPasswordField.End() == kDesignerField.offset && kDesignerField.End() == kEntryMusic);
static_assert(kEntrySize + 4 + 32 + 2 == kEntryReservedTail);
static_assert(kEntryReservedTail + 2 == kTableEntrySize && kTableEntrySize == 88);
static_assert(kTableSize == 22528 && kFirstRecordOffset == 23484);

// LevelRecord, 454 bytes:
//  offset width field
//   0      1   kind (E1 level, EE end)
//   1      1   position n
//   2    448   hint (coded)
// 450      2   reserved word 0
// 452      2   reserved word 0
constexpr std::size_t kRecordKind = 0;
constexpr std::size_t kRecordPosition = 1;
constexpr TextField kHintField{2, 448, kHintChars};
static_assert(kHintField.End() + 2 + 2 == kLevelRecordSize && kLevelRecordSize == 454);
static_assert(kEmptyLevelSetSize == 23938);

std::uint8_t GetU8(std::string_view b, std::size_t at) {
    return static_cast<std::uint8_t>(b[at]);
}

std::uint32_t GetU32(std::string_view b, std::size_t at) {
    return static_cast<std::uint32_t>(GetU8(b, at)) |
           static_cast<std::uint32_t>(GetU8(b, at + 1)) << 8 |
           static_cast<std::uint32_t>(GetU8(b, at + 2)) << 16 |
           static_cast<std::uint32_t>(GetU8(b, at + 3)) << 24;
}

void PutU8(std::string& b, std::size_t at, std::uint8_t v) {
    b[at] = static_cast<char>(v);
}

void PutU32(std::string& b, std::size_t at, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i) PutU8(b, at + i, static_cast<std::uint8_t>(v >> (8 * i)));
}

// Coded text cut to the field; the zero byte behind it is already there.
void PutText(std::string& b, const TextField& field, std::string_view text) {
    std::string coded = EncodeSetText(text.substr(0, std::min(text.size(), field.width)));
    b.replace(field.offset, coded.size(), coded);
}

std::string GetText(std::string_view b, const TextField& field) {
    return DecodeSetText(b.substr(field.offset, field.width), field.chars);
}

// A record type's coded texts and single bytes, each tied to the member that
// holds it, so the writer and the reader of a record share one list.
template <class Record>
struct TextMember {
    TextField field;
    std::string Record::*member;
};
template <class Record>
struct ByteMember {
    std::size_t offset;
    std::uint8_t Record::*member;
};
template <class Record, std::size_t Texts, std::size_t Bytes>
struct RecordFields {
    std::size_t size;
    std::array<TextMember<Record>, Texts> texts;
    std::array<ByteMember<Record>, Bytes> bytes;
};

// The signature, the present flag and the 32-bit size are handled by hand.
constexpr RecordFields<LevelSetHeader, 5, 2> kHeaderFields{
    kSetHeaderSize,
    {{{kNameField, &LevelSetHeader::name},
      {kYearField, &LevelSetHeader::year},
      {kNoticeField, &LevelSetHeader::notice},
      {kWizardField, &LevelSetHeader::wizard},
      {kCommentsField, &LevelSetHeader::comments}}},
    {{{kHiddenCount, &LevelSetHeader::hiddenCount},
      {kVisibleCount, &LevelSetHeader::visibleCount}}}};
constexpr RecordFields<LevelTableEntry, 2, 2> kEntryFields{
    kTableEntrySize,
    {{{kPasswordField, &LevelTableEntry::password}, {kDesignerField, &LevelTableEntry::designer}}},
    {{{kEntryPosition, &LevelTableEntry::position}, {kEntryMusic, &LevelTableEntry::music}}}};
constexpr RecordFields<LevelRecord, 1, 2> kRecordFields{
    kLevelRecordSize,
    {{{kHintField, &LevelRecord::hint}}},
    {{{kRecordKind, &LevelRecord::kind}, {kRecordPosition, &LevelRecord::position}}}};

template <class Record, std::size_t Texts, std::size_t Bytes>
std::string PutFields(const Record& record, const RecordFields<Record, Texts, Bytes>& fields) {
    std::string b(fields.size, '\0');
    for (const auto& text : fields.texts) PutText(b, text.field, record.*text.member);
    for (const auto& byte : fields.bytes) PutU8(b, byte.offset, record.*byte.member);
    return b;
}

template <class Record, std::size_t Texts, std::size_t Bytes>
std::optional<Record> GetFields(std::string_view b,
                                const RecordFields<Record, Texts, Bytes>& fields) {
    if (b.size() < fields.size) return std::nullopt;
    Record record;
    for (const auto& text : fields.texts) record.*text.member = GetText(b, text.field);
    for (const auto& byte : fields.bytes) record.*byte.member = GetU8(b, byte.offset);
    return record;
}

void SetError(std::string* error, std::string message) {
    if (error) *error = std::move(message);
}

// 64-bit: a stored size near 4 GiB plus its record must not wrap on a 32-bit
// build (the browser's).
std::string Expected(std::string_view what, std::uint64_t expected, std::uint64_t got) {
    return std::string(what) + ": expected " + std::to_string(expected) + " bytes, got " +
           std::to_string(got);
}

}  // namespace

std::string EncodeSetText(std::string_view text) {
    std::string coded(text.size(), '\0');
    unsigned char previous = kTextStart;
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        coded[i] = static_cast<char>(static_cast<unsigned char>(c + previous));
        previous = c;
    }
    return coded;
}

std::string DecodeSetText(std::string_view coded, std::size_t maxChars) {
    std::string text;
    unsigned char previous = kTextStart;
    for (std::size_t i = 0; i < coded.size() && i < maxChars; ++i) {
        auto b = static_cast<unsigned char>(coded[i]);
        if (b == 0) break;
        previous = static_cast<unsigned char>(b - previous);
        text += static_cast<char>(previous);
    }
    return text;
}

bool HasLevelSetSignature(std::string_view bytes) {
    if (bytes.size() < kLevelSetSignature.size()) return false;
    for (std::size_t i = 0; i < kLevelSetSignature.size(); ++i) {
        if (GetU8(bytes, i) != kLevelSetSignature[i]) return false;
    }
    return true;
}

std::string SerializeHeader(const LevelSetHeader& header) {
    std::string b = PutFields(header, kHeaderFields);
    for (std::size_t i = 0; i < kLevelSetSignature.size(); ++i) PutU8(b, i, kLevelSetSignature[i]);
    PutU8(b, kHeaderMarkOne, 1);
    return b;
}

std::string SerializeTableEntry(const LevelTableEntry& entry) {
    std::string b = PutFields(entry, kEntryFields);
    PutU8(b, kEntryPresent, entry.present ? 1 : 0);
    PutU32(b, kEntrySize, entry.size);
    return b;
}

std::string SerializeFreeEntry(std::size_t n) {
    LevelTableEntry free;
    free.position = static_cast<std::uint8_t>(n & 0xFF);
    return SerializeTableEntry(free);
}

std::string SerializeRecord(const LevelRecord& record) {
    return PutFields(record, kRecordFields);
}

std::string SerializeEndRecord() {
    LevelRecord end;
    end.kind = kRecordKindEnd;
    return SerializeRecord(end);
}

std::string SerializeLevelSet(const LevelSetHeader& header,
                              const std::vector<LevelSetLevel>& levels) {
    std::size_t count = std::min(levels.size(), kMaxSetLevels);
    std::size_t total = kEmptyLevelSetSize;
    for (std::size_t i = 0; i < count; ++i) total += kLevelRecordSize + levels[i].compiled.size();
    std::string out;
    out.reserve(total);
    out += SerializeHeader(header);
    for (std::size_t n = 1; n <= kTableEntries; ++n) {
        if (n > count) {
            out += SerializeFreeEntry(n);
            continue;
        }
        LevelTableEntry entry = levels[n - 1].entry;
        entry.present = true;
        entry.position = static_cast<std::uint8_t>(n);
        entry.size = static_cast<std::uint32_t>(levels[n - 1].compiled.size());
        out += SerializeTableEntry(entry);
    }
    for (std::size_t n = 1; n <= count; ++n) {
        out +=
            SerializeRecord({kRecordKindLevel, static_cast<std::uint8_t>(n), levels[n - 1].hint});
        out += levels[n - 1].compiled;
    }
    out += SerializeEndRecord();
    return out;
}

std::optional<LevelSetHeader> ParseHeader(std::string_view bytes) {
    if (!HasLevelSetSignature(bytes)) return std::nullopt;
    return GetFields(bytes, kHeaderFields);
}

std::optional<LevelTableEntry> ParseTableEntry(std::string_view bytes) {
    auto entry = GetFields(bytes, kEntryFields);
    if (!entry) return std::nullopt;
    entry->present = GetU8(bytes, kEntryPresent) == 1;
    entry->size = GetU32(bytes, kEntrySize);
    return entry;
}

std::optional<LevelRecord> ParseRecord(std::string_view bytes) {
    return GetFields(bytes, kRecordFields);
}

std::optional<LevelSetIndex> ParseLevelSetIndex(std::string_view bytes, std::string* error) {
    if (bytes.size() < kFirstRecordOffset) {
        SetError(error, Expected("level set header and table", kFirstRecordOffset, bytes.size()));
        return std::nullopt;
    }
    auto header = ParseHeader(bytes);
    if (!header) {
        SetError(error, "not a level set: the signature does not match");
        return std::nullopt;
    }
    LevelSetIndex index;
    index.header = std::move(*header);
    index.table.reserve(kTableEntries);
    for (std::size_t i = 0; i < kTableEntries; ++i) {
        // Cannot fail: the whole table was checked to be there.
        index.table.push_back(
            *ParseTableEntry(bytes.substr(kSetHeaderSize + i * kTableEntrySize, kTableEntrySize)));
    }
    return index;
}

std::optional<LevelSetIndex> ReadLevelSetIndexFile(const std::string& path, std::string* error) {
    auto bytes = ReadFilePrefix(path, kFirstRecordOffset);
    if (!bytes) {
        SetError(error, path + ": cannot be read");
        return std::nullopt;
    }
    auto index = ParseLevelSetIndex(*bytes, error);
    if (!index && error) *error = path + ": " + *error;
    return index;
}

std::optional<LevelSetContents> ParseLevelSet(std::string_view bytes, std::string* error) {
    auto index = ParseLevelSetIndex(bytes, error);
    if (!index) return std::nullopt;
    LevelSetContents contents;
    contents.index = std::move(*index);
    std::size_t at = kFirstRecordOffset;
    for (std::size_t n = 1; n <= kTableEntries; ++n) {
        const LevelTableEntry& entry = contents.index.table[n - 1];
        if (!entry.present || entry.position != n) break;
        std::size_t left = bytes.size() - at;
        if (left < kLevelRecordSize || left - kLevelRecordSize < entry.size) {
            SetError(error, Expected("level " + std::to_string(n) + " at offset " +
                                         std::to_string(at) + ", record and compiled level",
                                     std::uint64_t{kLevelRecordSize} + entry.size, left));
            return std::nullopt;
        }
        LevelRecord record = *ParseRecord(bytes.substr(at, kLevelRecordSize));
        std::string compiled(bytes.substr(at + kLevelRecordSize, entry.size));
        contents.levels.emplace_back(std::move(record), std::move(compiled));
        at += kLevelRecordSize + entry.size;
    }
    std::size_t left = bytes.size() - at;
    contents.hasEndRecord = left >= kLevelRecordSize && GetU8(bytes, at) == kRecordKindEnd;
    return contents;
}

}  // namespace gdl
