#include <gtest/gtest.h>

#include <tuple>

#include "LevelSetFile.h"
#include "TempDir.h"

namespace gdl {
namespace {

std::uint8_t At(const std::string& b, std::size_t i) {
    return static_cast<std::uint8_t>(b.at(i));
}

bool AllZero(const std::string& b, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i)
        if (b.at(i) != '\0') return false;
    return true;
}

// Every member, to compare records whole.
auto Fields(const LevelSetHeader& h) {
    return std::tie(h.name, h.year, h.notice, h.wizard, h.comments, h.hiddenCount, h.visibleCount);
}
auto Fields(const LevelTableEntry& e) {
    return std::tie(e.present, e.position, e.password, e.designer, e.music, e.size);
}

LevelSetHeader SampleHeader() {
    LevelSetHeader h;
    h.name = "My Levels";
    h.year = "2000";
    h.notice = "A. Designer";
    h.wizard = "WIZ";
    h.comments = "Ten easy levels";
    h.hiddenCount = 1;
    h.visibleCount = 2;
    return h;
}

std::vector<LevelSetLevel> SampleLevels(std::size_t count) {
    std::vector<LevelSetLevel> levels(count);
    for (std::size_t i = 0; i < count; ++i) {
        levels[i].entry.password = "PW" + std::to_string(i % 100);
        levels[i].entry.designer = "Designer " + std::to_string(i);
        levels[i].entry.music = static_cast<std::uint8_t>(i % 3);
        levels[i].hint = "Hint " + std::to_string(i);
        levels[i].compiled = std::string("\x01\x00\xF0\x12", 4) + std::string(40 + i, 'L');
    }
    return levels;
}

TEST(SetText, DifferenceCoding) {
    EXPECT_EQ(EncodeSetText("abc"), "\xDF\xC3\xC5");
    EXPECT_EQ(DecodeSetText("\xDF\xC3\xC5", 40), "abc");
    EXPECT_EQ(DecodeSetText(std::string("\xDF\xC3\xC5\0\x10", 5), 40), "abc");
    EXPECT_EQ(DecodeSetText("\xDF\xC3\xC5", 2), "ab");
    EXPECT_EQ(EncodeSetText(""), "");
    // 0x82 after "~" sums to 0x100: the stored text ends at once.
    EXPECT_EQ(EncodeSetText("\x82"
                            "A"),
              std::string("\x00\xC3", 2));
    EXPECT_EQ(DecodeSetText(EncodeSetText("\x82"
                                          "A"),
                            40),
              "");
}

TEST(SetText, RoundTripsEveryByteBelow0x80) {
    std::string text;
    for (int c = 1; c < 0x80; ++c) text += static_cast<char>(c);
    std::string coded = EncodeSetText(text);
    EXPECT_EQ(coded.find('\0'), std::string::npos);
    EXPECT_EQ(DecodeSetText(coded, text.size()), text);
    EXPECT_EQ(DecodeSetText(EncodeSetText("Caf\xE9 \xA9"), 40), "Caf\xE9 \xA9");
}

TEST(LevelSetFile, RecordSizes) {
    EXPECT_EQ(SerializeHeader({}).size(), 956u);
    EXPECT_EQ(SerializeTableEntry({}).size(), 88u);
    EXPECT_EQ(SerializeFreeEntry(3).size(), 88u);
    EXPECT_EQ(SerializeRecord({}).size(), 454u);
    EXPECT_EQ(SerializeEndRecord().size(), 454u);
}

TEST(LevelSetFile, HeaderLayout) {
    std::string b = SerializeHeader(SampleHeader());
    for (std::size_t i = 0; i < 9; ++i) EXPECT_EQ(At(b, i), kLevelSetSignature[i]);
    EXPECT_EQ(At(b, 9), 1);
    EXPECT_EQ(At(b, 10), 0);
    EXPECT_EQ(b.substr(11, 9), EncodeSetText("My Levels"));
    EXPECT_EQ(At(b, 20), 0);
    EXPECT_EQ(b.substr(51, 4), EncodeSetText("2000"));
    EXPECT_EQ(b.substr(55, 11), EncodeSetText("A. Designer"));
    EXPECT_EQ(b.substr(115, 3), EncodeSetText("WIZ"));
    EXPECT_EQ(b.substr(119, 15), EncodeSetText("Ten easy levels"));
    EXPECT_EQ(At(b, 887), 1);
    EXPECT_EQ(At(b, 888), 2);
    // Every byte without meaning is 0.
    EXPECT_TRUE(AllZero(b, 20, 51));
    EXPECT_TRUE(AllZero(b, 66, 115));
    EXPECT_TRUE(AllZero(b, 118, 119));
    EXPECT_TRUE(AllZero(b, 134, 887));
    EXPECT_TRUE(AllZero(b, 889, 956));
}

TEST(LevelSetFile, FullTextsHaveNoZeroByte) {
    LevelSetHeader h = SampleHeader();
    h.name = std::string(40, 'N') + "cut";
    h.year = "19999";
    std::string b = SerializeHeader(h);
    EXPECT_EQ(b.substr(11, 40), EncodeSetText(std::string(40, 'N')));
    EXPECT_TRUE(b.substr(11, 40).find('\0') == std::string::npos);
    EXPECT_EQ(b.substr(51, 4), EncodeSetText("1999"));  // the year follows directly
    auto back = ParseHeader(b);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->name, std::string(40, 'N'));
    EXPECT_EQ(back->year, "1999");

    LevelTableEntry e;
    e.password = "ABCD";
    e.designer = "Ann";
    std::string eb = SerializeTableEntry(e);
    EXPECT_EQ(eb.substr(2, 4), EncodeSetText("ABCD"));
    EXPECT_EQ(eb.substr(6, 3), EncodeSetText("Ann"));
    auto eback = ParseTableEntry(eb);
    ASSERT_TRUE(eback);
    EXPECT_EQ(eback->password, "ABCD");
    EXPECT_EQ(eback->designer, "Ann");
}

TEST(LevelSetFile, ReadersTakeTheirCharacterCounts) {
    LevelSetHeader h = SampleHeader();
    h.comments = std::string(700, 'c');
    auto back = ParseHeader(SerializeHeader(h));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->comments, std::string(512, 'c'));

    LevelRecord r{kRecordKindLevel, 7, std::string(448, 'h')};
    std::string rb = SerializeRecord(r);
    EXPECT_EQ(rb.substr(2, 448), EncodeSetText(std::string(448, 'h')));
    auto rback = ParseRecord(rb);
    ASSERT_TRUE(rback);
    EXPECT_EQ(rback->hint, std::string(320, 'h'));
    EXPECT_EQ(rback->position, 7);
    EXPECT_EQ(rback->kind, kRecordKindLevel);
}

TEST(LevelSetFile, EntryAndRecordLayout) {
    LevelTableEntry e{true, 5, "PW", "Bob", 2, 0x01020304};
    std::string b = SerializeTableEntry(e);
    EXPECT_EQ(At(b, 0), 1);
    EXPECT_EQ(At(b, 1), 5);
    EXPECT_EQ(At(b, 46), 2);
    EXPECT_EQ(At(b, 47), 0);
    EXPECT_EQ(b.substr(48, 4), std::string("\x04\x03\x02\x01"));
    EXPECT_TRUE(AllZero(b, 4, 6));
    EXPECT_TRUE(AllZero(b, 9, 46));
    EXPECT_TRUE(AllZero(b, 52, 88));
    auto back = ParseTableEntry(b);
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->present);
    EXPECT_EQ(back->position, 5);
    EXPECT_EQ(back->music, 2);
    EXPECT_EQ(back->size, 0x01020304u);

    b[0] = 2;  // only 1 counts as present
    EXPECT_FALSE(ParseTableEntry(b)->present);

    std::string free = SerializeFreeEntry(200);
    EXPECT_EQ(At(free, 1), 200);
    free[1] = 0;
    EXPECT_TRUE(AllZero(free, 0, 88));
    EXPECT_EQ(At(SerializeFreeEntry(256), 1), 0);

    std::string end = SerializeEndRecord();
    EXPECT_EQ(At(end, 0), 0xEE);
    EXPECT_TRUE(AllZero(end, 1, 454));
    std::string rec = SerializeRecord({kRecordKindLevel, 3, "abc"});
    EXPECT_EQ(At(rec, 0), 0xE1);
    EXPECT_EQ(At(rec, 1), 3);
    EXPECT_EQ(rec.substr(2, 3), "\xDF\xC3\xC5");
    EXPECT_TRUE(AllZero(rec, 5, 454));
}

TEST(LevelSetFile, EmptySet) {
    std::string b = SerializeLevelSet(SampleHeader(), {});
    ASSERT_EQ(b.size(), 23938u);
    for (std::size_t n = 1; n <= 256; ++n) {
        std::size_t at = 956 + 88 * (n - 1);
        EXPECT_EQ(At(b, at), 0) << n;
        EXPECT_EQ(At(b, at + 1), n % 256) << n;
    }
    EXPECT_EQ(At(b, 23484), 0xEE);
    auto set = ParseLevelSet(b);
    ASSERT_TRUE(set);
    EXPECT_TRUE(set->levels.empty());
    EXPECT_TRUE(set->hasEndRecord);
    EXPECT_EQ(set->index.table.size(), 256u);
}

TEST(LevelSetFile, WholeSetRoundTrip) {
    const auto levels = SampleLevels(3);
    const LevelSetHeader header = SampleHeader();
    std::string b = SerializeLevelSet(header, levels);
    std::size_t sum = 0;
    for (const auto& l : levels) sum += l.compiled.size();
    EXPECT_EQ(b.size(), 23938u + 454u * 3 + sum);

    std::string error;
    auto set = ParseLevelSet(b, &error);
    ASSERT_TRUE(set) << error;
    EXPECT_EQ(Fields(set->index.header), Fields(header));
    ASSERT_EQ(set->levels.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        LevelTableEntry expected = levels[i].entry;
        expected.present = true;
        expected.position = static_cast<std::uint8_t>(i + 1);
        expected.size = static_cast<std::uint32_t>(levels[i].compiled.size());
        EXPECT_EQ(Fields(set->index.table[i]), Fields(expected));
        EXPECT_EQ(set->levels[i].first.kind, kRecordKindLevel);
        EXPECT_EQ(set->levels[i].first.position, i + 1);
        EXPECT_EQ(set->levels[i].first.hint, levels[i].hint);
        EXPECT_EQ(set->levels[i].second, levels[i].compiled);
    }
    EXPECT_FALSE(set->index.table[3].present);
    EXPECT_TRUE(set->hasEndRecord);
}

TEST(LevelSetFile, FullTableLeavesOneFreeEntryWithPositionZero) {
    auto levels = SampleLevels(300);
    std::string b = SerializeLevelSet(SampleHeader(), levels);
    auto set = ParseLevelSet(b);
    ASSERT_TRUE(set);
    EXPECT_EQ(set->levels.size(), 255u);
    const std::size_t last = 956 + 88 * 255;
    EXPECT_EQ(At(b, last), 0);
    EXPECT_EQ(At(b, last + 1), 0);
    EXPECT_EQ(At(b, last - 88 + 1), 255);
}

TEST(LevelSetFile, SetEndsAtTheFirstEntryThatFails) {
    std::string b = SerializeLevelSet(SampleHeader(), SampleLevels(4));
    std::string wrongPosition = b;
    wrongPosition[956 + 88 * 2 + 1] = 9;  // entry of position 3
    auto set = ParseLevelSet(wrongPosition);
    ASSERT_TRUE(set);
    EXPECT_EQ(set->levels.size(), 2u);
    EXPECT_FALSE(set->hasEndRecord);  // the walk stopped on a level record

    std::string notPresent = b;
    notPresent[956 + 88 * 1] = 0;  // entry of position 2
    set = ParseLevelSet(notPresent);
    ASSERT_TRUE(set);
    EXPECT_EQ(set->levels.size(), 1u);
}

TEST(LevelSetFile, ParsersRefuseTruncatedInput) {
    std::string header = SerializeHeader(SampleHeader());
    EXPECT_TRUE(ParseHeader(header));
    EXPECT_FALSE(ParseHeader(header.substr(0, 955)));
    EXPECT_FALSE(ParseHeader(""));
    EXPECT_FALSE(ParseTableEntry(SerializeTableEntry({}).substr(0, 87)));
    EXPECT_FALSE(ParseRecord(SerializeRecord({}).substr(0, 453)));

    std::string b = SerializeLevelSet(SampleHeader(), SampleLevels(2));
    std::string error;
    EXPECT_FALSE(ParseLevelSetIndex(b.substr(0, 23483), &error));
    EXPECT_EQ(error, "level set header and table: expected 23484 bytes, got 23483");
    EXPECT_TRUE(ParseLevelSetIndex(b.substr(0, 23484)));

    // Cut inside the second level's compiled bytes, and inside its record.
    const std::size_t secondRecord = 23484 + 454 + 44;
    for (std::size_t cut : {secondRecord + 454 + 10, secondRecord + 100}) {
        error.clear();
        EXPECT_FALSE(ParseLevelSet(b.substr(0, cut), &error)) << cut;
        EXPECT_NE(error.find("level 2 at offset " + std::to_string(secondRecord)),
                  std::string::npos)
            << error;
    }
    // A missing end record is no error.
    auto set = ParseLevelSet(b.substr(0, b.size() - 454));
    ASSERT_TRUE(set);
    EXPECT_FALSE(set->hasEndRecord);
}

TEST(LevelSetFile, HugeSizeFieldIsCheckedAgainstTheData) {
    std::string b = SerializeLevelSet(SampleHeader(), SampleLevels(1));
    for (std::size_t i = 0; i < 4; ++i) b[956 + 48 + i] = '\xFF';
    std::string error;
    EXPECT_FALSE(ParseLevelSet(b, &error));
    EXPECT_NE(error.find("expected 4294967749 bytes"), std::string::npos) << error;
}

TEST(LevelSetFile, SignatureDecidesWhatIsASet) {
    std::string b = SerializeLevelSet(SampleHeader(), {});
    EXPECT_TRUE(HasLevelSetSignature(b));
    EXPECT_FALSE(HasLevelSetSignature(b.substr(0, 8)));
    for (std::size_t i = 0; i < 9; ++i) {
        std::string bad = b;
        bad[i] = static_cast<char>(bad[i] + 1);
        EXPECT_FALSE(HasLevelSetSignature(bad)) << i;
        EXPECT_FALSE(ParseHeader(bad)) << i;
        std::string error;
        EXPECT_FALSE(ParseLevelSetIndex(bad, &error)) << i;
        EXPECT_EQ(error, "not a level set: the signature does not match");
    }
}

TEST(LevelSetFile, IndexFromFile) {
    gdltest::TempDir dir;
    dir.Write("set.gdl", SerializeLevelSet(SampleHeader(), SampleLevels(2)));
    dir.Write("short.gdl", SerializeLevelSet(SampleHeader(), {}).substr(0, 1000));
    std::string error;
    auto index = ReadLevelSetIndexFile(dir.Path("set.gdl"), &error);
    ASSERT_TRUE(index) << error;
    EXPECT_EQ(index->header.name, "My Levels");
    EXPECT_EQ(index->table[1].designer, "Designer 1");
    EXPECT_FALSE(index->table[2].present);

    EXPECT_FALSE(ReadLevelSetIndexFile(dir.Path("short.gdl"), &error));
    EXPECT_EQ(error, dir.Path("short.gdl") +
                         ": level set header and table: expected 23484 bytes, got 1000");
    EXPECT_FALSE(ReadLevelSetIndexFile(dir.Path("missing.gdl"), &error));
    EXPECT_EQ(error, dir.Path("missing.gdl") + ": cannot be read");
    EXPECT_FALSE(ReadLevelSetIndexFile(dir.Folder()));
}

}  // namespace
}  // namespace gdl
