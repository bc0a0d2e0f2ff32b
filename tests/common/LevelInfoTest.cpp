#include <gtest/gtest.h>

#include <set>

#include "IniFile.h"
#include "LevelInfo.h"
#include "LevelTexts.h"
#include "TempDir.h"

namespace gdl {

void PrintTo(const LevelInfo& i, std::ostream* os) {
    *os << "{" << i.Name << "|" << i.Size << "|" << i.Time << "|" << i.Quota << "}";
}

namespace {

using gdltest::Listing;
using gdltest::ListingRow;

TEST(LevelInfo, FormatLine) {
    struct {
        LevelInfo info;
        std::string line;
    } cases[] = {
        {{"THE PIT", "16x9", "3:05", "120"},
         "THE PIT" + std::string(10, ' ') + "  16x9 " + "    120" + "   3:05"},
        {{"A", "8x8", "10:00", "5"},
         "A" + std::string(16, ' ') + "   8x8 " + "      5" + "  10:00"},
        {{"", "", "", ""}, std::string(17, ' ') + "  " + "  " + "     " + "  " + "     "},
        {{"A", "16", "1:00", "1"}, "A" + std::string(16, ' ') + "  16" + "      1" + "   1:00"},
        {{"ABCDEFGHIJKLMNOPQRSTU", "123x4567", "123:456", "123456"},
         "ABCDEFGHIJKLMNOPQ" + std::string("  23x45") + "  23456" + "  3:456"},
        {{kLevelErrorText, "", "", ""}, "*level error*    " + std::string(16, ' ')},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatLevelInfoLine(c.info), c.line) << c.info.Name;
    EXPECT_EQ(FormatLevelInfoLine({"THE PIT", "16x9", "3:05", "120"}).size(), 38u);
}

TEST(LevelInfo, ListingTable) {
    std::vector<std::string> lines = {
        "  --------- not the separator: two blanks",
        "   -------- this one counts on its first 11 characters",
        ListingRow("PIT", "THE PIT", "16x9", "120", "3:05"),
        "\t  CAVE\x01     DARK CAVE\x1F",  // short line with controls
        ListingRow("LONG", "A", "8x8", "7", "0:30"),
        "",
        ListingRow("AFTER", "NOT READ", "1x1", "1", "1:00"),
    };
    auto levels = ParseLevelListing(lines);
    ASSERT_EQ(levels.size(), 3u);
    EXPECT_EQ(levels[0].key, "PIT");
    EXPECT_EQ(levels[0].info, (LevelInfo{"THE PIT", "16x9", "3:05", "120"}));
    // Columns 1-11 and 14-30 of a short line; the rest is empty.
    EXPECT_EQ(levels[1].key, "CAVE");
    EXPECT_EQ(levels[1].info, (LevelInfo{"DARK CAVE", "", "", ""}));
    EXPECT_EQ(levels[2].key, "LONG");
}

TEST(LevelInfo, ListingWithoutSeparatorHasNoLevels) {
    EXPECT_TRUE(
        ParseLevelListing({"  --------", ListingRow("A", "A", "1x1", "1", "1:00")}).empty());
    EXPECT_TRUE(ParseLevelListing({}).empty());
}

TEST(LevelInfo, ListingIsWalkedOver255LinesAtMost) {
    std::vector<std::string> lines(253, "heading");
    lines.push_back(gdltest::kListingSeparator);                    // line 254
    lines.push_back(ListingRow("L255", "IN", "1x1", "1", "1:00"));  // line 255
    lines.push_back(ListingRow("L256", "OUT", "1x1", "1", "1:00"));
    auto levels = ParseLevelListing(lines);
    ASSERT_EQ(levels.size(), 1u);
    EXPECT_EQ(levels[0].key, "L255");

    lines.erase(lines.begin());  // separator moves to line 253
    EXPECT_EQ(ParseLevelListing(lines).size(), 2u);
}

std::string CompiledBytes(std::initializer_list<int> name, int w, int h, int min, int sec, int q0,
                          int q1) {
    std::string b = {
        '\x01', '\x00', '\xF0', '\x12', 0, 0, 0, static_cast<char>(w), static_cast<char>(h)};
    for (int c : name) b += static_cast<char>(c);
    b.resize(27, '\0');
    b += {static_cast<char>(min), static_cast<char>(sec), static_cast<char>(q0),
          static_cast<char>(q1), '\x77'};
    return b;
}

TEST(LevelInfo, FromCompiledHeader) {
    struct {
        std::string bytes;
        LevelInfo info;
        bool found;
    } cases[] = {
        {CompiledBytes({31, 19, 16, 1, 27, 20, 31}, 16, 9, 3, 5, 0x2C, 0x01),
         {"THE PIT", "16x9", "3:05", "300"},
         true},
        {CompiledBytes({}, 8, 8, 12, 123, 0, 0), {"", "8x8", "12:123", "0"}, true},
        {CompiledBytes({12, 49, 200, 13}, 0, 255, 0, 0, 0xFF, 0xFF),
         {"A\xBF\xBF"
          "B",
          "0x255", "0:00", "65535"},
         true},
        {CompiledBytes({}, 1, 1, 0, 59, 0, 0).substr(0, 31), {"", "1x1", "0:59", "0"}, true},
        {CompiledBytes({}, 1, 1, 0, 59, 0, 0).substr(0, 30),
         {kInvalidFileFormatText, "", "", ""},
         false},
        {"", {kInvalidFileFormatText, "", "", ""}, false},
        {"\x01\x00\xF0\x13" + std::string(28, '\x0C'), {kInvalidFileFormatText, "", "", ""}, false},
    };
    for (const auto& c : cases) {
        LevelInfoResult r = LevelInfoFromCompiled(c.bytes);
        EXPECT_EQ(r.info, c.info) << c.info.Name;
        EXPECT_EQ(r.found, c.found) << c.info.Name;
    }
    std::string full = CompiledBytes({}, 1, 1, 0, 0, 0, 0);
    full.replace(9, 17, std::string(17, '\x0C'));
    EXPECT_EQ(LevelInfoFromCompiled(full).info.Name, std::string(17, 'A'));
}

TEST(LevelInfo, ReadFromCompiledLevelFile) {
    gdltest::TempDir dir;
    const std::string folder = dir.MakeFolder("proj");
    std::string level =
        CompiledBytes({31, 19, 16}, 16, 9, 3, 5, 0x2C, 0x01) + std::string(500, 'x');
    dir.Write("proj/PIT.bin", level);
    dir.Write("proj/SHORT.bin", level.substr(0, 20));
    dir.Write("proj/TEXT.bin", "just some text that is long enough to read");
    dir.Write("OUTSIDE.bin", level);
    int runs = 0;
    RunListing count = [&](const std::string&) { ++runs; };

    struct {
        std::string level;
        std::string name;
        bool found;
    } cases[] = {{"PIT", "THE", true},
                 {"MISSING", kFileNotFoundText, false},
                 {"SHORT", kInvalidFileFormatText, false},
                 {"TEXT", kInvalidFileFormatText, false},
                 {"../OUTSIDE", kFileNotFoundText, false},
                 {std::string("PIT\0x", 5), kFileNotFoundText, false},
                 {"", kFileNotFoundText, false}};
    for (const auto& c : cases) {
        LevelInfoResult r = ReadLevelInfo(folder, "", c.level, count);
        EXPECT_EQ(r.info.Name, c.name) << c.level;
        EXPECT_EQ(r.found, c.found) << c.level;
    }
    EXPECT_EQ(ReadLevelInfo(folder, "", "PIT", count).info,
              (LevelInfo{"THE", "16x9", "3:05", "300"}));
    EXPECT_EQ(runs, 0);
}

class LevelInfoCache : public testing::Test {
protected:
    gdltest::TempDir dir;
    std::string folder = dir.Folder();
    std::vector<std::string> listed;
    std::string listing = Listing({ListingRow("PIT", "THE PIT", "16x9", "120", "3:05"),
                                   ListingRow("CAVE", "DARK CAVE", "8x8", "7", "10:00")});
    // The level tool as the editor runs it: writes SOURCE.te1 into the folder.
    RunListing tool = [this](const std::string& source) {
        listed.push_back(source);
        dir.Write(source + ".te1", listing);
    };
};

TEST_F(LevelInfoCache, ListingIsRunOnceAndTheCacheWrittenInOrder) {
    LevelInfoResult r = ReadLevelInfo(folder, "Src", "pit", tool);
    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.info, (LevelInfo{"THE PIT", "16x9", "3:05", "120"}));
    EXPECT_EQ(listed, std::vector<std::string>{"Src"});
    EXPECT_EQ(dir.Read("Src.te2"),
              "[PIT]\r\nName=THE PIT\r\nSize=16x9\r\nQuota=120\r\nTime=3:05\r\n"
              "[CAVE]\r\nName=DARK CAVE\r\nSize=8x8\r\nQuota=7\r\nTime=10:00\r\n");

    // The cache is trusted while it exists: a new listing is not read.
    dir.Write("Src.te1", Listing({ListingRow("PIT", "CHANGED", "1x1", "1", "0:01")}));
    EXPECT_EQ(ReadLevelInfo(folder, "Src", "PIT", tool).info.Name, "THE PIT");
    EXPECT_EQ(listed.size(), 1u);

    // A level missing from an existing cache is found, with empty members.
    r = ReadLevelInfo(folder, "Src", "NOPE", tool);
    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.info, LevelInfo{});
}

TEST_F(LevelInfoCache, ExistingListingIsNotRunAgain) {
    dir.Write("Src.te1", listing);
    std::vector<std::string> items = {"old item"};
    RefreshLevelInfoCache(folder, "Src", tool, &items);
    EXPECT_TRUE(listed.empty());
    EXPECT_EQ(items, (std::vector<std::string>{"PIT", "CAVE"}));
    EXPECT_TRUE(dir.Exists("Src.te2"));
}

TEST_F(LevelInfoCache, KeysInTheCacheAreOverwrittenNeverRemoved) {
    dir.Write("Src.te1", listing);
    dir.Write("Src.te2", "[OLD]\r\nName=KEPT\r\n[PIT]\r\nName=STALE\r\nExtra=1\r\n");
    RefreshLevelInfoCache(folder, "Src", tool);
    EXPECT_EQ(ReadLevelInfo(folder, "Src", "OLD", tool).info.Name, "KEPT");
    EXPECT_EQ(ReadLevelInfo(folder, "Src", "PIT", tool).info.Name, "THE PIT");
    EXPECT_EQ(GetPrivateProfileString("PIT", "Extra", "", dir.Path("Src.te2")), "1");
}

TEST_F(LevelInfoCache, NoListingMeansLevelError) {
    int runs = 0;
    RunListing failing = [&](const std::string&) { ++runs; };
    LevelInfoResult r = ReadLevelInfo(folder, "Src", "PIT", failing);
    EXPECT_FALSE(r.found);
    EXPECT_EQ(r.info, (LevelInfo{kLevelErrorText, "", "", ""}));
    EXPECT_FALSE(dir.Exists("Src.te2"));
    // The cache stays missing, so the next read tries the tool again.
    ReadLevelInfo(folder, "Src", "PIT", failing);
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(ReadLevelInfo(folder, "Src", "PIT", nullptr).info.Name, kLevelErrorText);
}

// A listing is read up to kListingMaxBytes; a larger file is no listing, so
// a runaway ".te1" is never taken into memory whole.
TEST_F(LevelInfoCache, ListingLargerThanTheCapIsNotRead) {
    const std::size_t padding = kListingMaxBytes - listing.size();
    struct {
        const char* what;
        std::string bytes;
        bool read;
    } cases[] = {
        {"at the cap", listing + std::string(padding, ' '), true},
        {"one byte over", listing + std::string(padding + 1, ' '), false},
        {"far over, as one long line", listing + std::string(4 * kListingMaxBytes, 'x'), false},
    };
    for (const auto& c : cases) {
        DeleteLevelInfoFiles(folder, "Src");
        dir.Write("Src.te1", c.bytes);
        std::vector<std::string> items = {"old"};
        RefreshLevelInfoCache(folder, "Src", tool, &items);
        EXPECT_EQ(dir.Exists("Src.te2"), c.read) << c.what;
        const std::vector<std::string> names =
            c.read ? std::vector<std::string>{"PIT", "CAVE"} : std::vector<std::string>{};
        EXPECT_EQ(items, names) << c.what;
        EXPECT_EQ(ReadLevelInfo(folder, "Src", "PIT", nullptr).info.Name,
                  c.read ? "THE PIT" : kLevelErrorText)
            << c.what;
        EXPECT_TRUE(listed.empty()) << c.what;
    }
}

TEST_F(LevelInfoCache, ListingWithoutTableGivesAnEmptyCache) {
    listing = "Level tool\r\nno levels in this source\r\n";
    std::vector<std::string> items = {"old"};
    RefreshLevelInfoCache(folder, "Src", tool, &items);
    EXPECT_TRUE(items.empty());
    ASSERT_TRUE(dir.Exists("Src.te2"));
    EXPECT_EQ(dir.Read("Src.te2"), "");
    LevelInfoResult r = ReadLevelInfo(folder, "Src", "PIT", tool);
    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.info, LevelInfo{});
}

TEST_F(LevelInfoCache, HostileNamesStayInsideTheFolder) {
    const std::string proj = dir.MakeFolder("proj");
    // Level names as a listing may hold them, and the long names they stand for.
    const std::vector<std::pair<std::string, std::string>> hostile = {
        {"A]B", "BRACKET"}, {"../X", "DOTS"}, {"[Y]", "HEADER"}, {{'C', '\x01', 'D'}, "CONTROL"}};
    std::vector<std::string> rows, keys;
    for (const auto& [key, name] : hostile) {
        rows.push_back(ListingRow(key, name));
        keys.push_back(key);
    }
    RunListing tool = [&](const std::string& source) {
        listed.push_back(source);
        dir.Write("proj/" + source + ".te1", Listing(rows));
    };
    std::vector<std::string> items;
    RefreshLevelInfoCache(proj, "Src", tool, &items);
    EXPECT_EQ(items, keys);
    for (const auto& [key, name] : hostile)
        EXPECT_EQ(ReadLevelInfo(proj, "Src", key, tool).info.Name, name) << key;

    // Source names that would leave the folder are refused before any tool runs.
    for (const std::string& source :
         std::vector<std::string>{"../Src", "a/b", std::string("S\0x", 3)}) {
        EXPECT_EQ(ReadLevelInfo(proj, source, "A]B", tool).info.Name, kLevelErrorText) << source;
        RefreshLevelInfoCache(proj, source, tool);
        DeleteLevelInfoFiles(proj, source);
    }
    EXPECT_EQ(listed, std::vector<std::string>{"Src"});

    EXPECT_EQ(dir.Names(), std::set<std::string>{"proj"});
    EXPECT_EQ(dir.Names("proj"), (std::set<std::string>{"Src.te1", "Src.te2"}));
}

TEST_F(LevelInfoCache, DeleteRemovesListingAndCache) {
    ReadLevelInfo(folder, "Src", "PIT", tool);
    dir.Write("Src.lvs", "source");
    ASSERT_TRUE(dir.Exists("Src.te1") && dir.Exists("Src.te2"));
    DeleteLevelInfoFiles(folder, "Src");
    EXPECT_FALSE(dir.Exists("Src.te1"));
    EXPECT_FALSE(dir.Exists("Src.te2"));
    EXPECT_TRUE(dir.Exists("Src.lvs"));
    DeleteLevelInfoFiles(folder, "Src");  // already gone: nothing to do
}

}  // namespace
}  // namespace gdl
