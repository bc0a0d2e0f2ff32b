// A level's time as text, both ways: what GDLMap's time box shows and reads
// back must be what the source takes.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "LevelCompile.h"
#include "LevelSource.h"

namespace gdl {
namespace {

// The source's parser takes a text exactly when the time box does: one rule.
bool SourceTakes(const std::string& time) {
    return !ParseLevelSource("level A\ntime " + time + "\nquota 0\nmap\n@E\nend\n").HasErrors();
}

TEST(LevelTime, ReadsWhatTheSourceTakesAndNothingElse) {
    const std::pair<const char*, int> taken[] = {
        {"4:00", 240}, {"0:00", 0}, {"99:59", 5999}, {"1:05", 65}, {"09:30", 570}};
    for (const auto& [text, seconds] : taken) {
        EXPECT_EQ(ParseTimeText(text), seconds) << text;
        EXPECT_TRUE(SourceTakes(text)) << text;
    }
    for (const char* text : {"4:0", "4:60", "100:00", ":30", "4", "4:00:00", "-1:00", "4:0a", ""}) {
        EXPECT_EQ(ParseTimeText(text), std::nullopt) << text;
        EXPECT_FALSE(SourceTakes(text)) << text;
    }
}

TEST(LevelTime, WrittenTextReadsBack) {
    for (int seconds : {0, 9, 60, 240, 605, 5999})
        EXPECT_EQ(ParseTimeText(TimeText(seconds / 60, seconds % 60)), seconds);
}

}  // namespace
}  // namespace gdl
