// The built gdlstat.exe, fed level lists on standard input.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "CaseNames.h"
#include "LevelTexts.h"
#include "RunProgram.h"

namespace gdl {
namespace {

using gdltest::RunProgram;
using testing::HasSubstr;

const std::string kStat = gdltest::KitBin() + "gdlstat.exe";
const std::string& kRule = gdltest::kLevelListRule;
using gdltest::LevelList;
using gdltest::LevelListRow;

std::vector<std::string> SampleTable() {
    return {LevelListRow("H1", {"THE SECRET VAULT", "14x12", "2:00", "20"}, "QXTR", "Cleo Marsh"),
            LevelListRow("0", {"GLIMMER GROTTO", "18x10", "2:30", "12"}, "WNZP", "Cleo Marsh"),
            LevelListRow("1", {"GLIMMER GATE", "12x8", "1:30", "6"}, "BRIM", "Ada Stone"),
            LevelListRow("2", {"BOULDER ALLEY", "16x9", "2:00", "8"}, "KOLT", "Ada Stone"),
            LevelListRow("3", {kLevelErrorText, "", "", ""}, "", "Bram Kettle")};
}

TEST(GdlStat, SummarisesAWellFormedList) {
    gdltest::TempDir dir;
    auto r = RunProgram({kStat, "-g"}, dir.Folder(), LevelList(SampleTable()));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    auto lines = SplitLines(r.out);
    ASSERT_GT(lines.size(), 7u);
    // The build drops the first seven lines; the summary starts right after.
    EXPECT_EQ(lines[7], "Summary:");
    std::vector<std::string> body(lines.begin() + 7, lines.end());
    const std::vector<std::string> expected{
        "Summary:",
        "",
        "   Levels:           5 (3 numbered, 2 hidden)",
        "   Without info:     1 (their level information could not be read)",
        "   Total time:       8:00",
        "   Average time:     2:00",
        "   Longest level:    0  GLIMMER GROTTO (2:30)",
        "   Shortest level:   1  GLIMMER GATE (1:30)",
        "   Quota:            total 46, smallest 6, largest 20, average 11.5",
        "   Passwords:        4 given, 1 missing, all different",
        "",
        "   Sizes:",
        "      12x8       1 level",
        "      16x9       1 level",
        "      14x12      1 level",
        "      18x10      1 level",
        "",
        "   Levels per designer:",
        "      " + LeftAlign("Cleo Marsh", 40) + "   2",
        "      " + LeftAlign("Ada Stone", 40) + "   2",
        "      " + LeftAlign("Bram Kettle", 40) + "   1",
    };
    EXPECT_EQ(body, expected);
}

TEST(GdlStat, RepeatedCodesAndAnEmptyTable) {
    gdltest::TempDir dir;
    auto twice = RunProgram({kStat, "-g"}, dir.Folder(),
                            LevelList({LevelListRow("1", {"A", "8x8", "1:00", "1"}, "ABCD", "X"),
                                       LevelListRow("2", {"B", "8x8", "1:00", "1"}, "abcd", "X")}));
    EXPECT_EQ(twice.status, 0);
    EXPECT_THAT(twice.out, HasSubstr("Passwords:        2 given, 1 used twice"));

    auto empty = RunProgram({kStat, "-g"}, dir.Folder(), LevelList({}));
    EXPECT_EQ(empty.status, 0) << empty.err;
    EXPECT_THAT(empty.out, HasSubstr("Levels:           0 (0 numbered, 0 hidden)"));
}

// Sizes with a 0 figure (once a division by zero, SIGFPE) are listed like any
// other size.
struct SizeCase {
    const char* what;
    std::vector<std::string> sizes;
    std::vector<std::string> lines;  // the "Sizes:" lines, in order
};

class GdlStatSizes : public testing::TestWithParam<SizeCase> {};

TEST_P(GdlStatSizes, ListsEverySize) {
    const SizeCase& c = GetParam();
    std::vector<std::string> table;
    for (std::size_t i = 0; i < c.sizes.size(); ++i)
        table.push_back(
            LevelListRow(std::to_string(i + 1), {"L", c.sizes[i], "1:00", "1"}, "", "X"));
    gdltest::TempDir dir;
    auto r = RunProgram({kStat, "-g"}, dir.Folder(), LevelList(table));
    ASSERT_EQ(r.status, 0) << r.err;
    auto lines = SplitLines(r.out);
    auto at = std::find(lines.begin(), lines.end(), "   Sizes:");
    ASSERT_NE(at, lines.end()) << r.out;
    std::vector<std::string> listed(at + 1, at + 1 + static_cast<long>(c.lines.size()));
    EXPECT_EQ(listed, c.lines);
}

INSTANTIATE_TEST_SUITE_P(
    ZeroFigures, GdlStatSizes,
    testing::Values(SizeCase{"width 0", {"0x5"}, {"      0x5        1 level"}},
                    SizeCase{"height 0", {"5x0"}, {"      5x0        1 level"}},
                    SizeCase{"both 0", {"0x0", "0x0"}, {"      0x0        2 levels"}},
                    SizeCase{"zero areas apart, narrower first, then larger areas",
                             {"3x4", "0x9", "7x0", "0x2"},
                             {"      0x2        1 level", "      0x9        1 level",
                              "      7x0        1 level", "      3x4        1 level"}},
                    SizeCase{"the largest size",
                             {"99x99", "9x9"},
                             {"      9x9        1 level", "      99x99      1 level"}}),
    gdltest::NameFromWhat());

struct BadInput {
    const char* what;
    std::string input;
    const char* message;
};

TEST(GdlStat, RefusesBadInput) {
    std::string list = LevelList(SampleTable());
    std::string noRule = list.substr(0, list.rfind(kRule));
    std::string noEnd = list.substr(0, list.rfind("\r\n\r\n" + kRule));
    const BadInput cases[] = {
        {"empty", "", "no level table"},
        {"not a list", "hello\nworld\n", "no level table"},
        {"no closing rule", noRule, "106 hyphens"},
        {"no empty line", noEnd, "no empty line"},
        {"bad quota", LevelList({LevelListRow("1", {"A", "8x8", "1:00", "12a"}, "ABCD", "X")}),
         "line 10: quota '12a' is not a number"},
        {"bad size", LevelList({LevelListRow("1", {"A", "8*8", "1:00", "1"}, "ABCD", "X")}),
         "line 10: size"},
        {"bad time", LevelList({LevelListRow("1", {"A", "8x8", "1:75", "1"}, "ABCD", "X")}),
         "line 10: time"},
        {"no label", LevelList({LevelListRow("", {"A", "8x8", "1:00", "1"}, "ABCD", "X")}),
         "line 10: no level label"},
        {"binary", std::string("   --------\0\xFF\x01", 14) + "\n\x01\x02\n", "line 2"},
    };
    gdltest::TempDir dir;
    for (const auto& c : cases) {
        auto r = RunProgram({kStat, "-g"}, dir.Folder(), c.input);
        EXPECT_EQ(r.status, 1) << c.what;
        EXPECT_EQ(r.out, "") << c.what;
        EXPECT_THAT(r.err, HasSubstr(c.message)) << c.what;
    }
}

}  // namespace
}  // namespace gdl
