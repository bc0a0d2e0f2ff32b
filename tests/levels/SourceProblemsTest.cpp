// The problems of a whole source: the parser's messages and the doctor's
// findings, in source order, each with its level, line and tile.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "LevelEdits.h"
#include "SourceProblems.h"

namespace gdl {
namespace {

using testing::HasSubstr;

constexpr char kSource[] =
    "stray words\n"               // 1: before the first level
    "level GOOD\n"                // 2
    "time 1:00\nquota 0\nmap\n"   // 3-5
    "XXXX\nX@EX\nXXXX\nend\n"     // 6-9
    "level SHUT\n"                // 10
    "time 1:00\nquota 0\nmap\n"   // 11-13
    "XXXXX\nX@XEX\nXXXXX\nend\n"  // 14-17
    "level SHORT\n"               // 18
    "time 1:00\nquota 0\nmap\n"   // 19-21
    "XXXX\nX@E\nXXXX\nend\n";     // 22-25

TEST(SourceProblems, ParserMessagesAndFindingsInSourceOrder) {
    auto doc = LevelDocument::FromBytes(kSource, "t.lvs");
    ASSERT_TRUE(doc.Ok());
    const auto problems = SourceProblems(*doc);
    ASSERT_GE(problems.size(), 3u);
    EXPECT_EQ(problems[0].level, -1);
    EXPECT_EQ(problems[0].line, 1u);
    EXPECT_THAT(problems[0].text, testing::StartsWith("line 1: "));

    auto of = [&](int level) {
        std::vector<SourceProblem> found;
        for (const auto& p : problems)
            if (p.level == level) found.push_back(p);
        return found;
    };
    EXPECT_TRUE(of(0).empty()) << of(0).front().text;
    ASSERT_FALSE(of(1).empty());
    EXPECT_TRUE(of(1)[0].error);
    EXPECT_THAT(of(1)[0].text, HasSubstr("SHUT: line 15: error: "));
    ASSERT_TRUE(of(1)[0].tile);
    ASSERT_FALSE(of(2).empty());
    EXPECT_TRUE(of(2)[0].error);
    EXPECT_EQ(of(2)[0].line, 23u);
    ASSERT_TRUE(of(2)[0].tile) << "a row's message points at the row";
    EXPECT_EQ(of(2)[0].tile->y, 1);
    EXPECT_THAT(of(2)[0].text, HasSubstr("SHORT: line 23: error: "));
}

TEST(SourceProblems, TheCacheGivesTheSameAnswerAndFollowsChanges) {
    auto doc = LevelDocument::FromBytes(kSource, "t.lvs");
    ASSERT_TRUE(doc.Ok());
    DoctorCache cache;
    const auto first = SourceProblems(*doc, &cache);
    const auto again = SourceProblems(*doc, &cache);
    ASSERT_EQ(first.size(), again.size());
    for (std::size_t i = 0; i < first.size(); ++i) EXPECT_EQ(first[i].text, again[i].text);
    // Opening the wall of SHUT: its finding goes.
    const TilePoint wall{2, 1};
    auto open = PencilStroke(*doc, 1, {&wall, 1}, Tile::Floor);
    ASSERT_TRUE(open.Ok());
    doc->Apply(std::move(open.Value()));
    for (const auto& p : SourceProblems(*doc, &cache)) EXPECT_NE(p.level, 1) << p.text;
}

}  // namespace
}  // namespace gdl
