// The faults a hostile reading of the level document found, each with the
// input that showed it: long lines, huge numbers, maps past 99 x 99, the
// deletion of a level among neighbours, the one reader of every tool, the
// doctor's model and the one list of problems.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "LevelDoctor.h"
#include "LevelDocument.h"
#include "LevelEdits.h"
#include "SourceProblems.h"
#include "SourceReader.h"
#include "TempDir.h"

namespace gdl {
namespace {

using testing::HasSubstr;

std::string Messages(std::string_view text) {
    std::string all;
    for (const auto& m : ParseLevelSource(text).messages)
        all += std::to_string(m.line) + ": " + m.text + "\n";
    return all;
}

const std::string kOne = "level ONE\ntime 1:00\nquota 0\nmap\nXXXX\nX@EX\nXXXX\nend\n";
const std::string kTwo = "level TWO\ntime 1:00\nquota 0\nmap\nXXXX\nXE@X\nXXXX\nend\n";

struct MessageCase {
    const char* what;
    std::string text;
    std::string expected;  // the whole message list
};

class ParserMessages : public testing::TestWithParam<MessageCase> {};

TEST_P(ParserMessages, SayWhatIsWrong) {
    EXPECT_EQ(Messages(GetParam().text), GetParam().expected) << GetParam().what;
}

const std::string kLongComment = "; " + std::string(2000, 'c') + "\n";

INSTANTIATE_TEST_SUITE_P(
    Faults, ParserMessages,
    testing::Values(
        MessageCase{"a long comment after a level is no fault", kOne + kLongComment + kTwo, ""},
        MessageCase{
            "a long comment inside a map is no fault",
            "level ONE\ntime 1:00\nquota 0\nmap\nXXXX\n" + kLongComment + "X@EX\nXXXX\nend\n", ""},
        MessageCase{"an overlong level line fails its own level, not the one before",
                    kOne + "level " + std::string(1100, 'Z') + "\ntime 1:00\nquota 0\nmap\n" +
                        "XXXX\nX@EX\nXXXX\nend\n",
                    "9: level name 'ZZZZZZZZZZZZZZZZZZZZZZZZ...' must be 1 to 8 characters of "
                    "A-Z, 0-9 and _\n"},
        MessageCase{"an unknown keyword is quoted as written",
                    "level ONE\nXXXXX 1\ntime 1:00\nquota 0\nmap\nXXXX\nX@EX\nXXXX\nend\n",
                    "2: unknown keyword 'XXXXX' (expected level, name, size, time, quota or "
                    "map)\n"},
        MessageCase{"a huge quota is too large",
                    "level ONE\ntime 1:00\nquota 1099511627776\nmap\nXXXX\nX@EX\nXXXX\nend\n",
                    "3: quota '1099511627776' is too large: at most 65535\n"},
        MessageCase{"a huge size is too large",
                    "level ONE\nsize 99999999999x4\ntime 1:00\nquota 0\nmap\nXXXX\nX@EX\nXXXX\n"
                    "end\n",
                    "2: size '99999999999x4' is too large: width and height are at most 99\n"},
        MessageCase{"a huge time is too large",
                    "level ONE\ntime 1000000:00\nquota 0\nmap\nXXXX\nX@EX\nXXXX\nend\n",
                    "2: time '1000000:00' is too large: minutes are at most 99\n"},
        MessageCase{"end with a value",
                    "level ONE\ntime 1:00\nquota 0\nmap\nXXXX\nX@EX\nXXXX\nend ; of ONE\n",
                    "8: 'end' takes no value\n"},
        MessageCase{"a row of 750 tiles: one message",
                    "level WIDE\ntime 1:00\nquota 0\nmap\n" + std::string(750, 'X') + "\nend\n",
                    "5: map row 1 has 750 tiles, at most 99\n"}));

// 150 rows of width 3, the exit in the last.
std::string TallLevel() {
    std::string text = "level TALL\ntime 1:00\nquota 0\nmap\nX@X\n";
    for (int y = 1; y < 149; ++y) text += "X.X\n";
    return text + "XEX\nend\n";
}

TEST(MapBounds, A150RowMapIsRefusedWithOneMessageAndNotJudged) {
    auto doc = LevelDocument::FromBytes(TallLevel());
    ASSERT_TRUE(doc);
    ASSERT_EQ(doc->LevelCount(), 1u);
    EXPECT_TRUE(doc->Level(0).hasErrors);
    ASSERT_EQ(doc->Level(0).messages.size(), 1u);
    EXPECT_EQ(doc->Level(0).messages[0].text, "the map of TALL has 150 rows, at most 99");
    EXPECT_EQ(doc->Tiles(0).height, kMaxMapSide);
    EXPECT_TRUE(DoctorLevel(*doc, 0).empty());
    auto problems = SourceProblems(*doc);
    ASSERT_EQ(problems.size(), 1u);
    // A resize would drop rows it does not hold: refused, nothing changed.
    auto resized = ResizeMap(*doc, 0, 20, 99, ResizeAnchor::TopLeft, Tile::Floor);
    ASSERT_FALSE(resized);
    EXPECT_THAT(resized.Err().Message(), HasSubstr("larger than 99x99"));
}

TEST(MapBounds, WideBrokenMapsAreHeldAtMost99Wide) {
    std::string text;
    for (int n = 0; n < 3; ++n) {
        text += "level W" + std::to_string(n) + "\ntime 1:00\nquota 0\nmap\n";
        for (int y = 0; y < 100; ++y) text += std::string(1024, '#') + "\n";
        text += "end\n";
    }
    auto doc = LevelDocument::FromBytes(text);
    ASSERT_TRUE(doc);
    for (std::size_t i = 0; i < doc->LevelCount(); ++i) {
        const TileGrid grid = doc->Tiles(i);
        EXPECT_LE(grid.width, kMaxMapSide);
        EXPECT_LE(grid.height, kMaxMapSide);
        EXPECT_EQ(grid.tiles.size(), static_cast<std::size_t>(grid.width * grid.height));
        EXPECT_EQ(doc->Level(i).messages.size(), 1u) << doc->Level(i).messages[0].text;
    }
}

struct DeleteCase {
    const char* what;
    std::string text;
    std::size_t level;
    std::string after;
    std::string question;
};

class DeleteLevelBytes : public testing::TestWithParam<DeleteCase> {};

TEST_P(DeleteLevelBytes, TakesOnlyTheLevelsOwnLines) {
    const DeleteCase& c = GetParam();
    auto doc = LevelDocument::FromBytes(c.text);
    ASSERT_TRUE(doc);
    EXPECT_EQ(DeleteLevelQuestion(*doc, c.level), c.question);
    auto command = DeleteLevel(*doc, c.level);
    ASSERT_TRUE(command);
    doc->Apply(std::move(command.Value()));
    EXPECT_EQ(doc->Bytes(), c.after) << c.what;
}

const std::string kSecond =
    "; second\nlevel SECOND\ntime 1:00\nquota 0\nmap\nXXXX\nX@EX\nXXXX\nend\n";

INSTANTIATE_TEST_SUITE_P(
    Faults, DeleteLevelBytes,
    testing::Values(DeleteCase{"a mistyped keyword after the level stays",
                               kOne + "\n" + kSecond + "\nlevle THIRD\ntime 1:00\n", 1,
                               kOne + "\nlevle THIRD\ntime 1:00\n",
                               "Delete level SECOND (lines 10 to 19)?"},
                    DeleteCase{"the trailing notes of the last level stay",
                               kOne + "\n" + kSecond + "\n; notes at the end\n; more notes\n", 1,
                               kOne + "\n; notes at the end\n; more notes\n",
                               "Delete level SECOND (lines 10 to 19)?"},
                    DeleteCase{"a level between two others", kOne + "\n" + kSecond + "\n" + kTwo, 1,
                               kOne + "\n" + kTwo, "Delete level SECOND (lines 10 to 19)?"}));

TEST(DeleteLevelBytes, OfLevel250In252TakesOneLevel) {
    std::string text;
    for (int n = 0; n < 250; ++n)
        text +=
            "level L" + std::to_string(n) + "\ntime 1:00\nquota 0\nmap\nXXXX\nX@EX\nXXXX\nend\n\n";
    text += "; notes after the last level\n";
    auto doc = LevelDocument::FromBytes(text);
    ASSERT_TRUE(doc);
    auto command = DeleteLevel(*doc, 249);
    ASSERT_TRUE(command);
    doc->Apply(std::move(command.Value()));
    EXPECT_EQ(doc->LevelCount(), 249u);
    EXPECT_THAT(doc->Bytes(), testing::EndsWith("end\n\n; notes after the last level\n"));
}

TEST(SourceReader, RefusesNulBytesAndSaysWhyAReadFailed) {
    gdltest::TempDir dir;
    using namespace std::string_literals;
    dir.Write("nul.lvs", kOne + "; a \0\n"s);
    auto nul = ReadSourceFile(dir.Path("nul.lvs"), "nul.lvs");
    ASSERT_FALSE(nul);
    EXPECT_EQ(nul.Err().Message(), "nul.lvs: is not a level source: it holds binary data");
    auto mem = ReadSourceFile("/proc/self/mem", "mem.lvs");
    ASSERT_FALSE(mem);
    EXPECT_EQ(mem.Err().Message(), "cannot read mem.lvs: Input/output error");
    auto doc = LevelDocument::FromFile("/proc/self/mem");
    ASSERT_FALSE(doc);
    EXPECT_THAT(doc.Err().Message(), HasSubstr("Input/output error"));
}

struct DoctorCase {
    const char* what;
    std::string map;  // rows separated by '/'
    int quota;
    std::vector<std::string> errors;  // codes of the errors
};

class DoctorModel : public testing::TestWithParam<DoctorCase> {};

TEST_P(DoctorModel, ErrsOnlyWhereTheLevelCannotBeSolved) {
    const DoctorCase& c = GetParam();
    std::string text = "level T\ntime 1:00\nquota " + std::to_string(c.quota) + "\nmap\n";
    for (char ch : c.map) text += ch == '/' ? '\n' : ch;
    text += "\nend\n";
    auto parsed = ParseLevelSource(text);
    ASSERT_EQ(parsed.levels.size(), 1u) << parsed.messages.front().text;
    std::vector<std::string> errors;
    for (const auto& f : Doctor(parsed.levels[0]))
        if (f.severity == Severity::Error) errors.push_back(f.code);
    EXPECT_EQ(errors, c.errors) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, DoctorModel,
    testing::Values(
        DoctorCase{"a gem only through the exit", "XXXXXX/X@E*XX/XXXXXX", 1, {kQuotaUnreachable}},
        DoctorCase{"a key only through the exit opens nothing",
                   "XXXXXXX/X@EaXXX/XXAXXXX/XX*XXXX",
                   1,
                   {kQuotaUnreachable}},
        DoctorCase{"a gem before the exit", "XXXXXX/X@*EXX/XXXXXX", 1, {}},
        DoctorCase{"a creature sealed in steel opens no wall",
                   "XXXXXXXX/X@#EX&XX/XXXXXXXX",
                   0,
                   {kExitUnreachable}},
        DoctorCase{
            "a creature beside the player may open a wall", "XXXXXXX/X@&#EXX/XXXXXXX", 0, {}}));

TEST(OneProblemList, DoctorJudgesAWholeMapDespiteAParserErrorAndWarnsOfADoorOnce) {
    const std::string text =
        "level BAD\ntime 9:99\nquota 0\nmap\nXXXXXX\nX@XXEX\nXXXXXX\nend\n"
        "level DOOR\ntime 1:00\nquota 0\nmap\nXXXXX\nX@AEX\nXXXXX\nend\n";
    auto doc = LevelDocument::FromBytes(text);
    ASSERT_TRUE(doc);
    std::vector<std::string> codes;
    for (const auto& p : SourceProblems(*doc)) codes.push_back(p.levelName + " " + p.code);
    EXPECT_EQ(codes, (std::vector<std::string>{"BAD source", "BAD exit-unreachable",
                                               "DOOR exit-unreachable", "DOOR door-without-key"}));
}

}  // namespace
}  // namespace gdl
