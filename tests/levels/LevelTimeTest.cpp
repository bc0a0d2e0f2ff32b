// A level's time as text, both ways: what GDLMap's time box shows and reads
// back must be what the source takes.
#include <gtest/gtest.h>

#include "LevelCompile.h"
#include "LevelSource.h"

namespace gdl {
namespace {

TEST(LevelTime, ReadsWhatTheSourceTakesAndNothingElse) {
    struct Case {
        const char* text;
        std::optional<int> seconds;
    };
    const Case cases[] = {
        {"4:00", 240},
        {"0:00", 0},
        {"99:59", 5999},
        {"1:05", 65},
        {"09:30", 570},
        {"4:0", std::nullopt},
        {"4:60", std::nullopt},
        {"100:00", std::nullopt},
        {":30", std::nullopt},
        {"4", std::nullopt},
        {"4:00:00", std::nullopt},
        {"-1:00", std::nullopt},
        {"4:0a", std::nullopt},
        {"", std::nullopt},

    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseTimeText(c.text), c.seconds) << c.text;
        // The source's parser agrees on every text: one rule for both.
        const std::string source =
            std::string("level A\ntime ") + c.text + "\nquota 0\nmap\n@E\nend\n";
        const ParsedSource parsed = ParseLevelSource(source);
        EXPECT_EQ(!parsed.HasErrors(), c.seconds.has_value()) << c.text;
    }
}

TEST(LevelTime, WrittenTextReadsBack) {
    for (int seconds : {0, 9, 60, 240, 605, 5999})
        EXPECT_EQ(ParseTimeText(TimeText(seconds / 60, seconds % 60)), seconds);
}

}  // namespace
}  // namespace gdl
