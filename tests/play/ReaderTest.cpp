// The reader over crafted level set files and projects: where a set ends,
// what each panel shows, finding a level by its code, and files whose sizes
// and positions lie.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "PlayerFixtures.h"

namespace gdl {
namespace {

using gdltest::CompiledLevelBytes;
using gdltest::NumberedLevels;
using gdltest::PlayLevel;
using gdltest::SetText;

// Where the table entry of position n starts, and two of its fields.
std::size_t EntryAt(std::size_t n) {
    return kSetHeaderSize + (n - 1) * kTableEntrySize;
}
constexpr std::size_t kPositionByte = 1, kSizeField = 48;

void PutU32(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

class ReaderKinds : public gdltest::PlayerFixture, public ::testing::WithParamInterface<SetKind> {};

TEST_P(ReaderKinds, NoVisibleLevelEndsTheSetAtOnce) {
    for (int hidden : {2, 3}) {
        Start({Write(GetParam(), NumberedLevels(2), gdltest::Hidden(hidden))});
        EXPECT_EQ(View().Panel2.text, "END OF GAME") << hidden;
        EXPECT_EQ(View().Panel3.text, "NO MORE LEVELS");
        EXPECT_FALSE(View().SpeedButton1.enabled);
        EXPECT_FALSE(State().levelReady);
    }
}

TEST_P(ReaderKinds, PositionOutsideOneTo255IsTheEndOfTheSet) {
    const std::string path = Write(GetParam(), NumberedLevels(2), gdltest::Hidden(1));
    for (const char* index : {"-1", "-9", "255", "4000000000"}) {
        Start({path, index});
        EXPECT_EQ(View().Panel2.text, "END OF GAME") << index;
        EXPECT_EQ(View().Panel4.text, "") << index;
    }
}

TEST_P(ReaderKinds, HiddenIndexPreparesItsPositionWithAnHLabel) {
    Start({Write(GetParam(), NumberedLevels(4), gdltest::Hidden(3)), "-1"});
    EXPECT_EQ(View().Panel2.text, "PC LEVEL H1");
    EXPECT_EQ(View().Panel3.text, "LEVEL 2");
    EXPECT_EQ(View().Panel4.text, "Designer 2");
    EXPECT_EQ(View().Panel8.text, "CODE: L002");
}

TEST_P(ReaderKinds, TypedCodeFindsItsLevelOrLevelOne) {
    struct Case {
        const char* typed;
        long long index;
        const char* label;
    };
    const Case cases[] = {
        {"L004", 2, "2"}, {"L002", 0, "0"}, {"L001", -1, "H1"}, {"ZZZZ", 1, "1"}, {"", 1, "1"}};
    const std::string path = Write(GetParam(), NumberedLevels(5), gdltest::Hidden(2));
    for (const Case& c : cases) {
        Start({path});
        PlayCode(c.typed);
        EXPECT_EQ(State().index, c.index) << c.typed;
        EXPECT_EQ(View().Panel2.text, std::string("PC LEVEL ") + c.label) << c.typed;
    }
}

TEST_P(ReaderKinds, UnmarkedCompiledLevelKeepsTheOtherPanels) {
    auto levels = NumberedLevels(2);
    levels[0].compiled[0] = 0x02;
    Start({Write(GetParam(), levels)});
    EXPECT_EQ(View().Panel2.text, GetParam() == SetKind::Project ? "BAD FILE" : "BAD DATA");
    EXPECT_EQ(View().Panel3.text, "");
    EXPECT_EQ(View().Panel4.text, "Designer 1");
    EXPECT_EQ(View().ePW, "L001");
    EXPECT_EQ(View().Label1, "Hint 1");
    EXPECT_TRUE(State().levelReady);
}

TEST_P(ReaderKinds, DisplayNameStopsAfterSeventeenCodesAndShowsUnknownCodes) {
    auto levels = NumberedLevels(1);
    std::string& bytes = levels[0].compiled;
    bytes = CompiledLevelBytes(40, "ABCDEFGHIJKLMNOPQ");
    bytes[9 + 2] = 49;   // beyond the marks
    bytes[9 + 17] = 12;  // the byte behind the field
    Start({Write(GetParam(), levels)});
    EXPECT_EQ(View().Panel3.text,
              "AB\xBF"
              "DEFGHIJKLMNOPQ");
}

TEST_P(ReaderKinds, MusicOutsideZeroToTwoPlaysAsZero) {
    const bool project = GetParam() == SetKind::Project;
    for (const std::string music : {"3", project ? "x" : "255", project ? "-1" : "0", "2"}) {
        auto levels = NumberedLevels(1);
        levels[0].music = music;
        Start({Write(GetParam(), levels)});
        EXPECT_EQ(State().music, music == "2" ? 2 : 0) << music;
    }
}

INSTANTIATE_TEST_SUITE_P(Player, ReaderKinds,
                         ::testing::Values(SetKind::LevelSetFile, SetKind::Project),
                         [](const auto& info) {
                             return info.param == SetKind::Project ? "Project" : "LevelSetFile";
                         });

class SetFileReader : public gdltest::PlayerFixture {};

TEST_F(SetFileReader, PositionByteOtherThanItsPositionEndsTheSetThere) {
    std::string bytes = gdltest::LevelSetFileBytes({}, NumberedLevels(3));
    bytes[EntryAt(2) + kPositionByte] = 7;
    WriteFileAtomic(sets + "set.gdl", bytes);
    Start({sets + "set.gdl"});
    window->SpeedButton1Click();
    window->SpeedButton2Click();
    EXPECT_EQ(View().Panel2.text, "END OF GAME");
    EXPECT_FALSE(State().levelReady);
}

TEST_F(SetFileReader, PositionTwoHundredFiftySixIsNeverPlayed) {
    std::string bytes = gdltest::LevelSetFileBytes({}, NumberedLevels(255));
    bytes[EntryAt(256)] = 1;  // present, its position byte 0
    WriteFileAtomic(sets + "set.gdl", bytes);
    Start({sets + "set.gdl", "255"});
    EXPECT_EQ(View().Panel4.text, "Designer 255");
    Start({sets + "set.gdl", "256"});
    EXPECT_EQ(View().Panel2.text, "END OF GAME");
}

TEST_F(SetFileReader, SetNameShowsItsFirstFortyCharacters) {
    const std::string name(41, 'N');
    SetText set;
    set.name = name;
    Start({WriteSet(NumberedLevels(1), set)});
    EXPECT_EQ(View().Panel1.text, "Glimmerdeep: " + name.substr(0, 40));
}

// Sizes and lengths that do not match what the file holds: the level shows
// BAD DATA with its other panels, nothing is allocated for the lie, and the
// send carries no level bytes.
TEST_F(SetFileReader, LyingSizesGiveBadDataAndSendNothingOfTheLevel) {
    struct Case {
        const char* what;
        std::size_t entry;  // whose size lies (0: none)
        std::uint32_t size;
        std::size_t cutTo;  // file length (0: whole)
        long long play;     // level played
    };
    const std::size_t level2At = kFirstRecordOffset + 2 * kLevelRecordSize + 40;
    const Case cases[] = {
        {"size 0xFFFFFFFF", 2, 0xFFFFFFFF, 0, 2},
        {"size beyond the end", 2, 30000, 0, 2},
        {"earlier size 0xFFFFFFFF", 1, 0xFFFFFFFF, 0, 2},
        {"earlier size one more than its level", 1, 41, 0, 2},
        {"size beyond the largest level", 2, 20000, 0, 2},
        {"cut inside the level", 0, 0, level2At + 20, 2},
        {"cut inside the record", 0, 0, kFirstRecordOffset + 100, 1},
        {"cut inside the table", 0, 0, 5000, 1},
    };
    for (const Case& c : cases) {
        std::string bytes = gdltest::LevelSetFileBytes({}, NumberedLevels(3));
        if (c.entry) PutU32(bytes, EntryAt(c.entry) + kSizeField, c.size);
        if (c.cutTo) bytes.resize(c.cutTo);
        WriteFileAtomic(sets + "set.gdl", bytes);
        line.written.clear();
        Start({sets + "set.gdl", std::to_string(c.play)});
        const std::string n = std::to_string(c.play);
        EXPECT_EQ(View().Panel2.text, "BAD DATA") << c.what;
        EXPECT_EQ(View().Panel4.text, "Designer " + n) << c.what;
        EXPECT_EQ(View().Panel8.text, "CODE: L00" + n) << c.what;
        EXPECT_TRUE(State().levelReady) << c.what;
        EXPECT_LE(State().levelData.size(), bytes.size()) << c.what;
        window->SpeedButton1Click();
        ASSERT_EQ(Sends().size(), 1u) << c.what;
        EXPECT_EQ(Sends()[0].level, "") << c.what;
        EXPECT_EQ(line.written.size(), kPreambleBytes + kLinkHeaderSize) << c.what;
    }
}

// A file larger than any set the kit can make is refused before anything of
// it is read, whatever its header and table say.
TEST_F(SetFileReader, FileLargerThanAnySetIsInvalid) {
    const std::string good = gdltest::LevelSetFileBytes({}, NumberedLevels(2));
    for (std::uint64_t size : {gdl::kLargestLevelSetSize + 1, std::uint64_t{5} << 30}) {
        WriteFileAtomic(sets + "big.gdl", good);
        std::filesystem::resize_file(sets + "big.gdl", size);
        Start({sets + "big.gdl"});
        EXPECT_EQ(View().Panel2.text, "ERROR") << size;
        EXPECT_EQ(View().Panel3.text, "INVALID LEVEL SET") << size;
        EXPECT_FALSE(View().SpeedButton1.enabled);
    }
    // The largest set there can be still plays.
    WriteFileAtomic(sets + "big.gdl", good);
    std::filesystem::resize_file(sets + "big.gdl", gdl::kLargestLevelSetSize);
    Start({sets + "big.gdl"});
    EXPECT_EQ(View().Panel2.text, "PC LEVEL 1");
}

TEST_F(SetFileReader, FileGoneAfterItWasReadIsPreparedFromTheCopies) {
    Start({WriteSet(NumberedLevels(3))});
    std::filesystem::remove(sets + "set.gdl");
    PlayCode("L002");
    EXPECT_EQ(View().Panel2.text, "MISSING FILE");
    EXPECT_EQ(View().Panel4.text, "Designer 2");
    EXPECT_EQ(State().index, 2);
    ASSERT_EQ(Sends().size(), 1u);
    EXPECT_EQ(Sends()[0].level, "");
}

class ProjectReader : public gdltest::PlayerFixture {};

TEST_F(ProjectReader, LevelNameWithAFolderIsNeverAPath) {
    const std::string path = WriteProject(NumberedLevels(1));
    WriteFileAtomic(kit.Path("outside.bin"), CompiledLevelBytes(40, "OUTSIDE"));
    WritePrivateProfileString("Levels", "1", "S:../outside", path);
    WritePrivateProfileString("Level.S:../outside", "Designer", "Someone", path);
    Start({path});
    EXPECT_EQ(View().Panel2.text, "MISSING FILE");
    EXPECT_EQ(View().Panel4.text, "Someone");
}

}  // namespace
}  // namespace gdl
