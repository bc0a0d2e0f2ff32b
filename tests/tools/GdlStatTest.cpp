// The built gdlstat.exe, fed level lists on standard input.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "LevelInfo.h"
#include "LevelTool.h"
#include "RunProgram.h"
#include "TempDir.h"
#include "TextUtil.h"

namespace gdl {
namespace {

using gdltest::RunProgram;
using testing::HasSubstr;

const std::string kStat = gdltest::KitBin() + "gdlstat.exe";
const std::string kRule(106, '-');

// One line as the build writes it: label in 4-11, info 14-51, code 54-61,
// designer 64-103.
std::string ListLine(const std::string& label, const LevelInfo& info, const std::string& code,
                     const std::string& designer) {
    return "   " + RightAlign(label, 8) + "  " + LeftAlign(FormatLevelInfoLine(info), 38) + "  " +
           LeftAlign(code, 8) + "  " + LeftAlign(designer, 40);
}

std::string LevelList(const std::vector<std::string>& table) {
    std::vector<std::string> lines{
        "",
        kLevelToolBanner1,
        kLevelToolBanner2,
        "",
        "Statistics for all levels:",
        kRule,
        "",
        "   Name      Long Name          Size   Quota  Time   Compression",
        "   --------  -----------------  -----  -----  -----  ---------------"};
    lines.insert(lines.end(), table.begin(), table.end());
    lines.push_back("");
    lines.push_back(kRule);
    return JoinLinesCrLf(lines);
}

std::vector<std::string> SampleTable() {
    return {ListLine("H1", {"THE SECRET VAULT", "14x12", "2:00", "20"}, "QXTR", "Cleo Marsh"),
            ListLine("0", {"GLIMMER GROTTO", "18x10", "2:30", "12"}, "WNZP", "Cleo Marsh"),
            ListLine("1", {"GLIMMER GATE", "12x8", "1:30", "6"}, "BRIM", "Ada Stone"),
            ListLine("2", {"BOULDER ALLEY", "16x9", "2:00", "8"}, "KOLT", "Ada Stone"),
            ListLine("3", {kLevelErrorText, "", "", ""}, "", "Bram Kettle")};
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
                            LevelList({ListLine("1", {"A", "8x8", "1:00", "1"}, "ABCD", "X"),
                                       ListLine("2", {"B", "8x8", "1:00", "1"}, "abcd", "X")}));
    EXPECT_EQ(twice.status, 0);
    EXPECT_THAT(twice.out, HasSubstr("Passwords:        2 given, 1 used twice"));

    auto empty = RunProgram({kStat, "-g"}, dir.Folder(), LevelList({}));
    EXPECT_EQ(empty.status, 0) << empty.err;
    EXPECT_THAT(empty.out, HasSubstr("Levels:           0 (0 numbered, 0 hidden)"));
}

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
        {"bad quota", LevelList({ListLine("1", {"A", "8x8", "1:00", "12a"}, "ABCD", "X")}),
         "line 10: quota '12a' is not a number"},
        {"bad size", LevelList({ListLine("1", {"A", "8*8", "1:00", "1"}, "ABCD", "X")}),
         "line 10: size"},
        {"bad time", LevelList({ListLine("1", {"A", "8x8", "1:75", "1"}, "ABCD", "X")}),
         "line 10: time"},
        {"no label", LevelList({ListLine("", {"A", "8x8", "1:00", "1"}, "ABCD", "X")}),
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

TEST(GdlStat, CommandLine) {
    gdltest::TempDir dir;
    EXPECT_EQ(RunProgram({kStat}, dir.Folder()).status, 2);
    EXPECT_EQ(RunProgram({kStat, "-x"}, dir.Folder()).status, 2);
    auto help = RunProgram({kStat, "--help"}, dir.Folder());
    EXPECT_EQ(help.status, 0);
    EXPECT_THAT(help.out, HasSubstr("gdlstat.exe -g"));
    auto version = RunProgram({kStat, "--version"}, dir.Folder());
    EXPECT_EQ(version.status, 0);
    EXPECT_THAT(version.out, HasSubstr("gdlstat.exe (GDLKIT) "));
}

}  // namespace
}  // namespace gdl
