// The built GDLTools.exe: the about text, compiled levels and level sets.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "LevelCompile.h"
#include "LevelSetFile.h"
#include "LevelSource.h"
#include "RunProgram.h"
#include "TempDir.h"

namespace gdl {
namespace {

using gdltest::RunProgram;
using testing::HasSubstr;

const std::string kTools = gdltest::KitBin() + "GDLTools.exe";
// No window may open from a test.
const gdltest::EnvChanges kNoDisplay{{"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}};

std::string Compiled(const std::string& source) {
    ParsedSource parsed = ParseLevelSource(source);
    EXPECT_FALSE(parsed.HasErrors());
    return CompileLevel(parsed.levels.at(0)).bytes;
}

const std::string kPit = Compiled(
    "level PIT\nname The Pit\ntime 3:05\nquota 2\nmap\nXXXXXX\nX@*aAX\nX*~O&X\nXXXEXX\nend\n");

TEST(GdlTools, AboutNamesTheFoldersAndTheFilesPresent) {
    gdltest::TempDir dir;
    auto r = RunProgram({kTools}, dir.Folder(), "", kNoDisplay);
    EXPECT_EQ(r.status, 0) << r.err;
    std::string kit = std::filesystem::canonical(GDLKIT_KIT_DIR).string() + "/";
    EXPECT_THAT(r.out, HasSubstr("Install:   " + kit + "\n"));
    EXPECT_THAT(r.out, HasSubstr("Tools:     " + kit + "bin/\n"));
    for (const char* name : {"ld.exe", "gdlstat.exe", "ld.pif", "resource.001", "music2.wav"})
        EXPECT_THAT(r.out, HasSubstr(std::string(name) + std::string(18 - std::strlen(name), ' ') +
                                     "present"))
            << name;
    EXPECT_EQ(RunProgram({kTools, "about"}, dir.Folder()).out, r.out);
}

LevelSetLevel Level(std::string password, std::string designer, std::uint8_t music,
                    std::string hint, std::string compiled) {
    return {{.password = password, .designer = designer, .music = music}, hint, compiled};
}

std::string SampleSet() {
    return SerializeLevelSet(
        {.name = "GemTest",
         .year = "2025",
         .notice = "The Testers",
         .wizard = "GLIM",
         .comments = "",
         .hiddenCount = 1,
         .visibleCount = 1},
        {Level("QXTR", "Cleo Marsh", 0, "Look under the boulder", kPit),
         Level("BRIM", "Ada Stone", 1, "",
               Compiled("level ONE\nname First\ntime 1:00\nquota 0\nmap\n@E\nend\n"))});
}

struct ShowCase {
    std::vector<std::string> args;
    int status;
    std::vector<std::string> inOut, inErr;
};

// Good files are shown whole; damaged ones say what is wrong with them.
TEST(GdlTools, ShowsCompiledLevelsAndLevelSets) {
    gdltest::TempDir dir;
    std::string damaged = kPit;
    damaged[28] = 6;  // seconds changed, check byte left alone
    const std::string set = SampleSet();
    dir.Write("PIT.bin", kPit);
    dir.Write("DAMAGED.bin", damaged);
    dir.Write("SHORT.bin", kPit.substr(0, 30));
    dir.Write("OTHER.bin", "GIF89a" + std::string(100, '\0'));
    dir.Write("Gem.gdl", set);
    dir.Write("Short.gdl", set.substr(0, 500));
    dir.Write("Cut.gdl", set.substr(0, set.size() - kLevelRecordSize - 10));
    dir.Write("NoEnd.gdl", set.substr(0, set.size() - 40));
    dir.Write("Other.gdl", std::string(30000, 'x'));
    std::string badLevel = set;
    ASSERT_NE(badLevel.find(kPit), std::string::npos);
    badLevel.replace(badLevel.find(kPit), kPit.size(), damaged);
    dir.Write("BadLevel.gdl", badLevel);
    const ShowCase cases[] = {
        {{"bin", "PIT.bin"},
         0,
         {"Name:      THE PIT\n", "Size:      6x4\n", "Time:      3:05\n", "Checksum:  good\n",
          "Map:\n  XXXXXX\n  X@*aAX\n  X*~O&X\n  XXXEXX\n"},
         {}},
        {{"bin", "DAMAGED.bin"}, 1, {"Checksum:  BAD"}, {}},
        {{"bin", "SHORT.bin"}, 1, {}, {"SHORT.bin"}},
        {{"bin", "OTHER.bin"}, 1, {}, {"OTHER.bin"}},
        {{"bin", "MISSING.bin"}, 1, {}, {"MISSING.bin"}},
        {{"info", "Gem.gdl"},
         0,
         {"Name:      GemTest\n", "Wizard:    a wizard code is set\n",
          "Levels:    1 numbered, 1 hidden\n", "QXTR", "THE PIT", "Ada Stone",
          "      0  Look under the boulder\n", "Level 0, THE PIT:\n  XXXXXX\n  X@*aAX\n"},
         {}},
        // A file name alone is the same viewer (as text without a display).
        {{"Gem.gdl"}, 0, {"Level 1, FIRST:\n  @E\n"}, {}},
        {{"Cut.gdl"}, 1, {"GemTest"}, {"cannot be read"}},
        {{"Short.gdl"}, 1, {}, {"Short.gdl is not a level set"}},
        {{"info", "Short.gdl"}, 1, {}, {"Short.gdl"}},
        {{"info", "Other.gdl"}, 1, {}, {"Other.gdl"}},
        {{"info", "Missing.gdl"}, 1, {}, {"Missing.gdl"}},
        // The header and table still show when only the levels are damaged.
        {{"info", "Cut.gdl"}, 1, {"GemTest"}, {"cannot be read"}},
        {{"info", "NoEnd.gdl"}, 1, {}, {"end record"}},
        // A damaged compiled level in a set that reads otherwise.
        {{"info", "BadLevel.gdl"},
         1,
         {"Level 0, THE PIT:\n  (the compiled level's check byte"},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args.back());
        std::vector<std::string> argv{kTools};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        auto r = RunProgram(argv, dir.Folder(), "", kNoDisplay);
        EXPECT_EQ(r.status, c.status) << r.err;
        for (const auto& text : c.inOut) EXPECT_THAT(r.out, HasSubstr(text));
        for (const auto& text : c.inErr) EXPECT_THAT(r.err, HasSubstr(text));
    }
}

}  // namespace
}  // namespace gdl
