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
using testing::Not;

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

TEST(GdlTools, ShowsACompiledLevel) {
    gdltest::TempDir dir;
    dir.Write("PIT.bin", kPit);
    auto r = RunProgram({kTools, "bin", "PIT.bin"}, dir.Folder());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr("Name:      THE PIT\n"));
    EXPECT_THAT(r.out, HasSubstr("Size:      6x4\n"));
    EXPECT_THAT(r.out, HasSubstr("Time:      3:05\n"));
    EXPECT_THAT(r.out, HasSubstr("Checksum:  good\n"));
    EXPECT_THAT(r.out, HasSubstr("Map:\n  XXXXXX\n  X@*aAX\n  X*~O&X\n  XXXEXX\n"));
}

TEST(GdlTools, RefusesDamagedCompiledLevels) {
    gdltest::TempDir dir;
    std::string damaged = kPit;
    damaged[28] = 6;  // seconds changed, check byte left alone
    dir.Write("DAMAGED.bin", damaged);
    dir.Write("SHORT.bin", kPit.substr(0, 30));
    dir.Write("OTHER.bin", "GIF89a" + std::string(100, '\0'));
    auto bad = RunProgram({kTools, "bin", "DAMAGED.bin"}, dir.Folder());
    EXPECT_EQ(bad.status, 1);
    EXPECT_THAT(bad.out, HasSubstr("Checksum:  BAD"));
    for (const char* name : {"SHORT.bin", "OTHER.bin", "MISSING.bin"}) {
        auto r = RunProgram({kTools, "bin", name}, dir.Folder());
        EXPECT_EQ(r.status, 1) << name;
        EXPECT_THAT(r.err, HasSubstr(name));
    }
}

std::string SampleSet() {
    LevelSetHeader header;
    header.name = "GemTest";
    header.year = "2025";
    header.notice = "The Testers";
    header.wizard = "GLIM";
    header.hiddenCount = 1;
    header.visibleCount = 1;
    LevelSetLevel secret;
    secret.entry.password = "QXTR";
    secret.entry.designer = "Cleo Marsh";
    secret.entry.music = 0;
    secret.hint = "Look under the boulder";
    secret.compiled = kPit;
    LevelSetLevel first;
    first.entry.password = "BRIM";
    first.entry.designer = "Ada Stone";
    first.entry.music = 1;
    first.compiled = Compiled("level ONE\nname First\ntime 1:00\nquota 0\nmap\n@E\nend\n");
    return SerializeLevelSet(header, {secret, first});
}

TEST(GdlTools, ShowsALevelSet) {
    gdltest::TempDir dir;
    dir.Write("Gem.gdl", SampleSet());
    auto r = RunProgram({kTools, "info", "Gem.gdl"}, dir.Folder());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr("Name:      GemTest\n"));
    EXPECT_THAT(r.out, HasSubstr("Wizard:    GLIM\n"));
    EXPECT_THAT(r.out, HasSubstr("Levels:    1 numbered, 1 hidden\n"));
    EXPECT_THAT(r.out, HasSubstr("QXTR"));
    EXPECT_THAT(r.out, HasSubstr("THE PIT"));
    EXPECT_THAT(r.out, HasSubstr("Ada Stone"));
    EXPECT_THAT(r.out, HasSubstr("      0  Look under the boulder\n"));
}

TEST(GdlTools, RefusesBrokenLevelSets) {
    gdltest::TempDir dir;
    std::string set = SampleSet();
    dir.Write("Short.gdl", set.substr(0, 500));
    dir.Write("Cut.gdl", set.substr(0, set.size() - kLevelRecordSize - 10));
    dir.Write("NoEnd.gdl", set.substr(0, set.size() - 40));
    dir.Write("Other.gdl", std::string(30000, 'x'));
    for (const char* name : {"Short.gdl", "Other.gdl", "Missing.gdl"}) {
        auto r = RunProgram({kTools, "info", name}, dir.Folder());
        EXPECT_EQ(r.status, 1) << name;
        EXPECT_THAT(r.err, HasSubstr(name)) << name;
    }
    // The header and table still show when only the levels are damaged.
    auto cut = RunProgram({kTools, "info", "Cut.gdl"}, dir.Folder());
    EXPECT_EQ(cut.status, 1);
    EXPECT_THAT(cut.out, HasSubstr("GemTest"));
    EXPECT_THAT(cut.err, HasSubstr("cannot be read"));
    auto noEnd = RunProgram({kTools, "info", "NoEnd.gdl"}, dir.Folder());
    EXPECT_EQ(noEnd.status, 1);
    EXPECT_THAT(noEnd.err, HasSubstr("end record"));
}

TEST(GdlTools, CommandLine) {
    gdltest::TempDir dir;
    EXPECT_EQ(RunProgram({kTools, "--help"}, dir.Folder()).status, 0);
    EXPECT_THAT(RunProgram({kTools, "--version"}, dir.Folder()).out,
                HasSubstr("GDLTools.exe (GDLKIT) "));
    auto bad = RunProgram({kTools, "frobnicate"}, dir.Folder());
    EXPECT_EQ(bad.status, 2);
    EXPECT_THAT(bad.err, Not(HasSubstr("Segmentation")));
}

}  // namespace
}  // namespace gdl
