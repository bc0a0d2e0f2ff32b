#include <gtest/gtest.h>

#include <string>

#include "CaseNames.h"
#include "LevelCompile.h"
#include "LevelInfo.h"
#include "LevelSource.h"
#include "LynxText.h"

namespace gdl {
namespace {

// A good level; its lines are numbered from firstLine in the test texts.
std::string Level(const std::string& name, const std::string& extra = "") {
    return "level " + name + "\nname  A Cave\ntime  2:30\nquota 1\n" + extra +
           "map\n#####\n#@*E#\n#####\nend\n";
}

struct ErrorCase {
    const char* what;
    std::string text;
    std::size_t line;
    const char* message;
};

class SourceErrors : public testing::TestWithParam<ErrorCase> {};

TEST_P(SourceErrors, ReportLineAndRejectOnlyThatLevel) {
    const ErrorCase& c = GetParam();
    ParsedSource parsed = ParseLevelSource(c.text);
    ASSERT_FALSE(parsed.messages.empty()) << c.what;
    bool found = false;
    for (const auto& m : parsed.messages)
        if (!m.warning && m.line == c.line && m.text.find(c.message) != std::string::npos)
            found = true;
    EXPECT_TRUE(found) << c.what << ": first message line " << parsed.messages[0].line << ": "
                       << parsed.messages[0].text;
    EXPECT_TRUE(parsed.HasErrors());
}

INSTANTIATE_TEST_SUITE_P(
    Table, SourceErrors,
    testing::Values(
        ErrorCase{"row too short", "level A\ntime 1:00\nquota 0\nmap\n#####\n#@E#\n#####\nend\n", 6,
                  "has 4 tiles, expected 5"},
        ErrorCase{"row against size",
                  "level A\nsize 4x3\ntime 1:00\nquota 0\nmap\n####\n#@E#\n#####\nend\n", 8,
                  "has 5 tiles, expected 4"},
        ErrorCase{"rows against size",
                  "level A\nsize 4x4\ntime 1:00\nquota 0\nmap\n####\n#@E#\n####\nend\n", 5,
                  "3 rows"},
        ErrorCase{"long name of 18",
                  "level A\nname ABCDEFGHIJKLMNOPQR\ntime 1:00\nquota 0\nmap\n@E\nend\n", 2,
                  "has 18 characters, at most 17"},
        ErrorCase{"name without Lynx code",
                  "level A\nname Caf\xE9\ntime 1:00\nquota 0\nmap\n@E\nend\n", 2,
                  "character the Lynx cannot show"},
        ErrorCase{"seconds 75", "level A\ntime 3:75\nquota 0\nmap\n@E\nend\n", 2,
                  "seconds must be 00 to 59"},
        ErrorCase{"one-digit seconds", "level A\ntime 3:5\nquota 0\nmap\n@E\nend\n", 2,
                  "is not minutes:seconds"},
        ErrorCase{"minutes 100", "level A\ntime 100:00\nquota 0\nmap\n@E\nend\n", 2,
                  "time '100:00' is too large: minutes are at most 99"},
        ErrorCase{"quota too big", "level A\ntime 1:00\nquota 65536\nmap\n@E\nend\n", 3,
                  "quota '65536' is too large: at most 65535"},
        ErrorCase{"quota not a number", "level A\ntime 1:00\nquota -1\nmap\n@E\nend\n", 3,
                  "is not a number"},
        ErrorCase{"size 100", "level A\nsize 100x2\ntime 1:00\nquota 0\nmap\n@E\nend\n", 2,
                  "is too large: width and height are at most 99"},
        ErrorCase{"duplicate name", Level("TWIN") + Level("twin"), 10,
                  "TWIN is already used on line 1"},
        ErrorCase{"bad level name", "level ../X\ntime 1:00\nquota 0\nmap\n@E\nend\n", 1,
                  "must be 1 to 8 characters"},
        ErrorCase{"level name of 9", "level ABCDEFGHI\ntime 1:00\nquota 0\nmap\n@E\nend\n", 1,
                  "must be 1 to 8 characters"},
        ErrorCase{"unknown tile", "level A\ntime 1:00\nquota 0\nmap\n@E?\nend\n", 5,
                  "unknown tile '?' in column 3"},
        ErrorCase{"no start", "level A\ntime 1:00\nquota 0\nmap\n.E\nend\n", 4, "no player start"},
        ErrorCase{"two starts", "level A\ntime 1:00\nquota 0\nmap\n@@E\nend\n", 4,
                  "2 player starts"},
        ErrorCase{"no exit", "level A\ntime 1:00\nquota 0\nmap\n@.\nend\n", 4, "no exit"},
        ErrorCase{"no map", "level A\ntime 1:00\nquota 0\n", 1, "has no map"},
        ErrorCase{"no time", "level A\nquota 0\nmap\n@E\nend\n", 1, "has no time"},
        ErrorCase{"map without end", "level A\ntime 1:00\nquota 0\nmap\n@E\n", 4, "no 'end'"},
        ErrorCase{"twice", "level A\ntime 1:00\ntime 1:00\nquota 0\nmap\n@E\nend\n", 3,
                  "given twice (first on line 2)"},
        ErrorCase{"before level", "time 1:00\n" + Level("A"), 1, "before the first 'level'"},
        ErrorCase{"unknown keyword", Level("A", "colour red\n"), 5, "unknown keyword 'colour'"},
        ErrorCase{"huge line", Level("A") + std::string(5000, 'x') + "\n", 10,
                  "unknown keyword 'xxxxxxxxxxxxxxxxxxxxxxxx...'"}),
    gdltest::NameFromWhat());

TEST(LevelSource, GoodLevelsSurviveTheirNeighboursErrors) {
    std::string text =
        Level("GOOD1") + "level BAD\ntime 3:75\nquota 0\nmap\n@E\nend\n" + Level("GOOD2");
    ParsedSource parsed = ParseLevelSource(text);
    ASSERT_EQ(parsed.levels.size(), 2u);
    EXPECT_EQ(parsed.levels[0].levelName, "GOOD1");
    EXPECT_EQ(parsed.levels[1].levelName, "GOOD2");
    EXPECT_EQ(parsed.failedLevelNames, std::vector<std::string>{"BAD"});
}

TEST(LevelSource, ReadsEveryFieldAndFoldsCase) {
    ParsedSource parsed = ParseLevelSource(
        "; comment\r\n\r\nLEVEL cave_1\r\n  Name   The Pit: \"Deep\"!  \r\n  SIZE 5x3\r\n"
        "  time 12:05\r\n  quota 65535\r\n  map\r\n    #####\r\n    #@*E#\r\n    ; note\r\n"
        "    #####\r\n  end\r\n");
    ASSERT_FALSE(parsed.HasErrors()) << parsed.messages[0].text;
    ASSERT_EQ(parsed.levels.size(), 1u);
    const SourceLevel& l = parsed.levels[0];
    EXPECT_EQ(l.levelName, "CAVE_1");
    EXPECT_EQ(l.longName, "THE PIT: \"DEEP\"!");
    EXPECT_EQ(l.width, 5);
    EXPECT_EQ(l.height, 3);
    EXPECT_EQ(l.minutes, 12);
    EXPECT_EQ(l.seconds, 5);
    EXPECT_EQ(l.quota, 65535);
    ASSERT_EQ(l.tiles.size(), 15u);
    EXPECT_EQ(l.tiles[6], static_cast<std::uint8_t>(Tile::Start));
    EXPECT_EQ(l.tiles[7], static_cast<std::uint8_t>(Tile::Gem));
    EXPECT_EQ(l.tiles[8], static_cast<std::uint8_t>(Tile::Exit));
    // The quota above the single gem is allowed but warned about.
    ASSERT_EQ(parsed.messages.size(), 1u);
    EXPECT_TRUE(parsed.messages[0].warning);
}

TEST(LevelSource, SkipsAByteOrderMark) {
    ParsedSource parsed = ParseLevelSource(
        "\xEF\xBB\xBF; saved as UTF-8\nlevel A\ntime 0:00\nquota 0\nmap\n@E\nend\n");
    EXPECT_FALSE(parsed.HasErrors());
    EXPECT_EQ(parsed.levels.size(), 1u);
}

TEST(LevelSource, LongNameDefaultsToLevelName) {
    ParsedSource parsed = ParseLevelSource("level abc\ntime 0:00\nquota 0\nmap\n@E\nend\n");
    ASSERT_EQ(parsed.levels.size(), 1u);
    EXPECT_EQ(parsed.levels[0].longName, "ABC");
}

TEST(LevelSource, StopsAtTheLevelLimitAndCapsMessages) {
    std::string many;
    for (int i = 0; i < 300; ++i) many += Level("L" + std::to_string(i));
    ParsedSource parsed = ParseLevelSource(many);
    EXPECT_EQ(parsed.levels.size(), kMaxLevelsPerSource);
    EXPECT_EQ(parsed.errorCount, 1u);

    std::string garbage;
    for (int i = 0; i < 5000; ++i) garbage += "\x01\xFFgarbage\n";
    parsed = ParseLevelSource(garbage);
    EXPECT_EQ(parsed.errorCount, 5000u);
    EXPECT_EQ(parsed.messages.size(), kMaxSourceMessages);
    EXPECT_EQ(parsed.droppedMessages, 5000u - kMaxSourceMessages);
    EXPECT_EQ(parsed.messages[0].text.find('\x01'), std::string::npos);
}

TEST(LevelSource, LegendSymbolsAreDistinctAndRoundTrip) {
    for (const auto& t : TileLegend()) {
        EXPECT_EQ(TileFromSymbol(t.symbol), t.tile) << t.name;
        EXPECT_EQ(TileSymbol(static_cast<std::uint8_t>(t.tile)), t.symbol);
    }
    EXPECT_EQ(TileSymbol(kTileCount), '?');
    EXPECT_FALSE(TileFromSymbol(' '));
}

std::vector<std::uint8_t> Runs(std::initializer_list<std::pair<int, std::uint8_t>> runs) {
    std::vector<std::uint8_t> tiles;
    for (auto [count, tile] : runs)
        tiles.insert(tiles.end(), static_cast<std::size_t>(count), tile);
    return tiles;
}

TEST(RunLength, RoundTripsAtEveryRunBoundary) {
    for (int n : {1, 2, 7, 8, 9, 263, 264, 600, 9801}) {
        auto tiles = Runs({{n, 2}, {1, 4}, {n, 0}, {3, 17}});
        std::string body = EncodeRunLength(tiles);
        auto back = DecodeRunLength(body, tiles.size());
        ASSERT_TRUE(back) << n;
        EXPECT_EQ(*back, tiles) << n;
    }
    EXPECT_EQ(EncodeRunLength(Runs({{7, 2}})), std::string(1, '\xC2'));
    EXPECT_EQ(EncodeRunLength(Runs({{8, 2}})), std::string("\xE2\x00", 2));
}

TEST(RunLength, RejectsBodiesThatDoNotFit) {
    auto tiles = Runs({{20, 1}, {1, 8}});
    std::string body = EncodeRunLength(tiles);
    EXPECT_FALSE(DecodeRunLength(body.substr(0, body.size() - 1), tiles.size()));
    EXPECT_FALSE(DecodeRunLength(body + '\x01', tiles.size()));
    EXPECT_FALSE(DecodeRunLength(body, tiles.size() - 1));
    EXPECT_FALSE(DecodeRunLength(std::string(1, '\xE1'), 8));  // count byte missing
}

SourceLevel SampleLevel() {
    ParsedSource parsed = ParseLevelSource(
        "level PIT\nname The Pit\ntime 3:05\nquota 300\nmap\n"
        "XXXXXXXXXXXXXXXX\nX@*::::::::::*EX\nXXXXXXXXXXXXXXXX\nend\n");
    return parsed.levels.at(0);
}

TEST(CompileLevel, HeaderDecodesToTheSourceFigures) {
    CompiledLevelFile file = CompileLevel(SampleLevel());
    LevelInfoResult info = LevelInfoFromCompiled(file.bytes.substr(0, kCompiledReadSize));
    ASSERT_TRUE(info.found);
    EXPECT_EQ(info.info, (LevelInfo{"THE PIT", "16x3", "3:05", "300"}));
    EXPECT_EQ(file.bytes[4], 1);
    EXPECT_EQ(file.bytes[6], static_cast<char>(BodyCoding::RunLength));
    EXPECT_EQ(file.bytes.size(), kCompiledHeaderSize + file.bodySize + 1);
}

TEST(CompileLevel, DecodesBackWithAGoodCheckByte) {
    SourceLevel level = SampleLevel();
    CompiledLevelFile file = CompileLevel(level);
    std::string error;
    auto decoded = DecodeCompiledLevel(file.bytes, &error);
    ASSERT_TRUE(decoded) << error;
    EXPECT_TRUE(decoded->checksumOk);
    EXPECT_EQ(decoded->tiles, level.tiles);

    std::string damaged = file.bytes;
    damaged[kCompiledHeaderSize] ^= 0x01;
    decoded = DecodeCompiledLevel(damaged, &error);
    EXPECT_TRUE(!decoded || !decoded->checksumOk);
}

TEST(CompileLevel, StoresMapsThatDoNotShrink) {
    ParsedSource parsed = ParseLevelSource("level MIX\ntime 1:00\nquota 1\nmap\n@*.:#E\nend\n");
    CompiledLevelFile file = CompileLevel(parsed.levels.at(0));
    EXPECT_EQ(file.bytes[6], static_cast<char>(BodyCoding::Stored));
    EXPECT_EQ(file.bodySize, 6u);
    auto decoded = DecodeCompiledLevel(file.bytes, nullptr);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->tiles, parsed.levels[0].tiles);
}

TEST(CompileLevel, DecodeRefusesDamagedFiles) {
    std::string bytes = CompileLevel(SampleLevel()).bytes;
    std::string error;
    EXPECT_FALSE(DecodeCompiledLevel(bytes.substr(0, 20), &error));
    EXPECT_FALSE(DecodeCompiledLevel("PK\x03\x04" + bytes.substr(4), &error));
    std::string wrongSize = bytes;
    wrongSize[7] = 99;  // width no longer matches the body
    EXPECT_FALSE(DecodeCompiledLevel(wrongSize, &error));
    EXPECT_NE(error.find("tiles"), std::string::npos);
}

TEST(Listing, ColumnsHoldTheFiguresTheEditorReads) {
    SourceLevel level = SampleLevel();
    std::string line = ListingLine(level, CompileLevel(level));
    EXPECT_EQ(line.substr(0, 11), "        PIT");
    EXPECT_EQ(line.substr(13, 17), "THE PIT          ");
    EXPECT_EQ(line.substr(32, 5), "16x3 ");
    EXPECT_EQ(line.substr(39, 5), "  300");
    EXPECT_EQ(line.substr(46, 5), " 3:05");
    EXPECT_EQ(line.substr(53), "48 -> 10 (79%)");
}

TEST(Listing, CompressionText) {
    EXPECT_EQ(CompressionText(1024, 210), "1024 -> 210 (79%)");
    EXPECT_EQ(CompressionText(6, 6), "6 -> 6 (0%)");
    EXPECT_EQ(CompressionText(0, 0), "0 -> 0 (0%)");
}

}  // namespace
}  // namespace gdl
