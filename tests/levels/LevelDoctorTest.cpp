#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "CaseNames.h"
#include "LevelDoctor.h"
#include "LevelDocument.h"

namespace gdl {
namespace {

// A level from map rows; unknown characters become kNoTile.
SourceLevel Map(std::vector<std::string> rows, int quota = 0) {
    SourceLevel level;
    level.levelName = "T";
    level.quota = static_cast<std::uint16_t>(quota);
    level.width = static_cast<std::uint8_t>(rows.front().size());
    level.height = static_cast<std::uint8_t>(rows.size());
    for (const auto& row : rows)
        for (char c : row) {
            auto tile = TileFromSymbol(c);
            level.tiles.push_back(tile ? static_cast<std::uint8_t>(*tile) : kNoTile);
        }
    return level;
}

struct DoctorCase {
    const char* what;
    SourceLevel level;
    // "code@x,y" or "code" for a finding without a place, in the doctor's order.
    std::vector<std::string> expected;
};

std::vector<std::string> Codes(const std::vector<Finding>& findings) {
    std::vector<std::string> out;
    for (const auto& f : findings) {
        std::string s = f.code;
        if (f.position)
            s += "@" + std::to_string(f.position->x) + "," + std::to_string(f.position->y);
        out.push_back(s);
    }
    return out;
}

class Doctor : public testing::TestWithParam<DoctorCase> {};

TEST_P(Doctor, FindsWhatTheRulesSay) {
    const DoctorCase& c = GetParam();
    auto findings = gdl::Doctor(c.level);
    EXPECT_EQ(Codes(findings), c.expected) << c.what;
    for (const auto& f : findings) {
        EXPECT_EQ(f.level, "T");
        EXPECT_FALSE(f.message.empty());
        const bool error = f.code == kExitUnreachable || f.code == kQuotaUnreachable;
        EXPECT_EQ(f.severity == Severity::Error, error) << f.code;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Doctor,
    testing::Values(
        DoctorCase{"a plain good level", Map({"XXXXX", "X@*EX", "XXXXX"}, 1), {}},
        DoctorCase{
            "exit behind steel", Map({"XXXXXX", "X@*XEX", "XXXXXX"}, 1), {"exit-unreachable@4,1"}},
        DoctorCase{"exit behind a wall without creature",
                   Map({"XXXXXX", "X@*#EX", "XXXXXX"}),
                   {"exit-unreachable@4,1"}},
        DoctorCase{"a creature's blast opens walls", Map({"XXXXXXX", "X@&#*EX", "XXXXXXX"}, 1), {}},
        DoctorCase{"a creature cannot blast steel",
                   Map({"XXXXXXX", "X@&X*EX", "XXXXXXX"}, 1),
                   {"exit-unreachable@5,1", "quota-unreachable"}},
        DoctorCase{"gem behind a wall, quota still met",
                   Map({"XXXXXXX", "X@*E#*X", "XXXXXXX"}, 1),
                   {"gems-unreachable@5,1"}},
        DoctorCase{"gem behind a wall, quota not met",
                   Map({"XXXXXXX", "X@*E#*X", "XXXXXXX"}, 2),
                   {"quota-unreachable"}},
        DoctorCase{"boulders, water and dirt are passable",
                   Map({"XXXXXXX", "X@O~:*X", "XXXXXEX", "XXXXXXX"}, 1),
                   {}},
        DoctorCase{"a door opened by its key", Map({"XXXXXX", "X@aAEX", "XXXXXX"}), {}},
        DoctorCase{"keys behind other doors", Map({"XXXXXXXXXX", "X@aAbBcCEX", "XXXXXXXXXX"}), {}},
        DoctorCase{"a key behind its own door",
                   Map({"XXXXXX", "X@AaEX", "XXXXXX"}),
                   {"exit-unreachable@4,1"}},
        DoctorCase{"a key found later opens a door seen earlier",
                   Map({"XXXXXXX", "XEA.@aX", "XXXXXXX"}),
                   {}},
        DoctorCase{"a door without its key",
                   Map({"XXXXXX", "X@EXBX", "XXXXXX"}),
                   {"door-without-key@4,1"}},
        DoctorCase{
            "a key without its door", Map({"XXXXX", "X@dEX", "XXXXX"}), {"key-without-door@2,1"}},
        DoctorCase{"an open border, the first tile in reading order",
                   Map({"XXXX.", "X@E.X", "XXXXX"}),
                   {"open-border@4,0"}},
        DoctorCase{"walls make a closed border", Map({"#####", "#@E.#", "#####"}), {}},
        DoctorCase{"no start: reachability is the parser's", Map({"XXXX", "X.EX", "XXXX"}, 5), {}},
        DoctorCase{"no exit: reachability is the parser's", Map({"XXXX", "X@*X", "XXXX"}, 5), {}},
        DoctorCase{"unknown tiles count as passable", Map({"XXXXX", "X@?EX", "XXXXX"}), {}}),
    gdltest::NameFromWhat());

TEST(Doctor, NoFindingOnAnyLevelOfTheSampleProject) {
    int levels = 0;
    for (const auto& e : std::filesystem::directory_iterator(std::string(GDLKIT_SOURCE_DIR) +
                                                             "/samples/GemQuest")) {
        if (e.path().extension() != ".lvs") continue;
        auto doc = LevelDocument::FromFile(e.path().string());
        ASSERT_TRUE(doc.Ok());
        for (std::size_t i = 0; i < doc->LevelCount(); ++i, ++levels)
            EXPECT_EQ(Codes(gdl::Doctor(doc->AsSourceLevel(i))), std::vector<std::string>{})
                << e.path() << " " << doc->Level(i).name;
    }
    EXPECT_EQ(levels, 14);
}

TEST(Doctor, ADocumentLevelIsJudgedOnlyWithAWholeMap) {
    auto doc = LevelDocument::FromBytes(
        "level GOOD\ntime 1:00\nquota 0\nmap\nXXXX\nX@EX\nXXX.\nend\n"
        "level SHORT\ntime 1:00\nquota 0\nmap\nXXXX\nX@E\nXXX.\nend\n"
        "level ODD\ntime 1:00\nquota 0\nmap\nXXXX\nX@E?\nXXX.\nend\n");
    ASSERT_TRUE(doc.Ok());
    EXPECT_EQ(Codes(DoctorLevel(*doc, 0)), std::vector<std::string>{"open-border@3,2"});
    EXPECT_TRUE(DoctorLevel(*doc, 1).empty());
    EXPECT_TRUE(DoctorLevel(*doc, 2).empty());
}

TEST(Doctor, ErrorsComeFirst) {
    auto findings = gdl::Doctor(Map({".XXXX", "X@*XE", "XXXXX"}, 1));
    ASSERT_EQ(findings.size(), 2u);
    EXPECT_EQ(findings[0].severity, Severity::Error);
    EXPECT_EQ(findings[1].code, kOpenBorder);
    EXPECT_TRUE(HasErrors(findings));
}

TEST(Doctor, AMapThatDoesNotMatchItsSizeIsLeftAlone) {
    SourceLevel level = Map({"XXXX", "X@EX"});
    level.tiles.pop_back();
    EXPECT_TRUE(gdl::Doctor(level).empty());
}

}  // namespace
}  // namespace gdl
