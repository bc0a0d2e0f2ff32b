// The built ld.exe check: its lines, its JSON and its exit codes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "RunProgram.h"
#include "TempDir.h"

namespace gdl {
namespace {

using gdltest::RunProgram;
using testing::HasSubstr;

const std::string kLd = gdltest::KitBin() + "ld.exe";

// Level GOOD has nothing to find; WALLED cannot be solved (its exit behind
// steel, too few gems for its quota) and its border is open; SPARE has a key
// without a door.
const std::string kSource =
    "; doctor test\n"
    "level GOOD\ntime 1:00\nquota 1\nmap\nXXXXX\nX@*EX\nXXXXX\nend\n"
    "\n"
    "level WALLED\ntime 1:00\nquota 2\nmap\nXXXXXXX\nX@*X#E.\nXXXXXXX\nend\n"
    "level SPARE\ntime 1:00\nquota 0\nmap\nXXXXX\nX@bEX\nXXXXX\nend\n";

TEST(LevelCheck, PrintsFileLineLevelAndSeverity) {
    gdltest::TempDir dir;
    dir.Write("Doc.lvs", kSource);
    dir.Write("Fine.lvs", "level A\ntime 1:00\nquota 0\nmap\nXXXX\nX@EX\nXXXX\nend\n");
    auto r = RunProgram({kLd, "check", "Doc.lvs", "Fine.lvs"}, dir.Folder());
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out,
              "Doc.lvs:11: level WALLED: error: quota 2 cannot be met: only 1 gem can be "
              "reached\n"
              "Doc.lvs:13: level WALLED: warning: quota 2 is more than the 1 gem on the map\n"
              "Doc.lvs:16: level WALLED: error: no exit 'E' can be reached from the start\n"
              "Doc.lvs:16: level WALLED: warning: the map's edge is open at column 7 of map row "
              "2: it should be wall '#' or steel 'X'\n"
              "Doc.lvs:24: level SPARE: warning: key 'b' has no door 'B' on the map\n");
    EXPECT_EQ(r.err, "");
}

TEST(LevelCheck, JsonHasOneObjectPerFinding) {
    gdltest::TempDir dir;
    dir.Write("Doc.lvs", kSource);
    auto r = RunProgram({kLd, "check", "--json", "Doc.lvs"}, dir.Folder());
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.out,
                HasSubstr("{\"file\":\"Doc.lvs\",\"line\":16,\"level\":\"WALLED\",\"severity\":"
                          "\"error\",\"code\":\"exit-unreachable\",\"message\":\"no exit 'E' can "
                          "be reached from the start\",\"x\":5,\"y\":1}\n"));
    EXPECT_THAT(r.out, HasSubstr("\"code\":\"quota-unreachable\",\"message\":\"quota 2 cannot be "
                                 "met: only 1 gem can be reached\"}\n"));
    EXPECT_THAT(r.out, HasSubstr("\"code\":\"key-without-door\""));
    std::size_t lines = 0;
    for (char c : r.out) lines += c == '\n';
    EXPECT_EQ(lines, 5u);
}

TEST(LevelCheck, ParserMessagesAndUnreadableFiles) {
    gdltest::TempDir dir;
    dir.Write("Bad.lvs", "colour red\nlevel A\ntime 9:99\nquota 0\nmap\nXXXX\nX@EX\nXXXX\nend\n");
    dir.Write("Bin.lvs", std::string("\0\1\2\3", 4));
    auto r = RunProgram({kLd, "check", "Bad.lvs", "Bin.lvs", "None.lvs"}, dir.Folder());
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.out, HasSubstr("Bad.lvs:1: error: unknown keyword 'colour'"));
    EXPECT_THAT(r.out, HasSubstr("Bad.lvs:3: level A: error: time 9:99: seconds must be"));
    EXPECT_THAT(r.err, HasSubstr("ld.exe: Bin.lvs: is not a level source: it holds binary data"));
    EXPECT_THAT(r.err, HasSubstr("ld.exe: cannot read None.lvs: No such file or directory"));
    auto json = RunProgram({kLd, "check", "--json", "Bad.lvs"}, dir.Folder());
    EXPECT_THAT(json.out, HasSubstr("{\"file\":\"Bad.lvs\",\"line\":1,\"level\":null,"
                                    "\"severity\":\"error\",\"code\":\"source\""));
}

TEST(LevelCheck, ExitCodes) {
    gdltest::TempDir dir;
    dir.Write("Fine.lvs", "level A\ntime 1:00\nquota 0\nmap\nXXXX\nX@EX\nXXXX\nend\n");
    dir.Write("Warn.lvs", "level A\ntime 1:00\nquota 0\nmap\nXXXX\nX@E.\nXXXX\nend\n");
    EXPECT_EQ(RunProgram({kLd, "check", "Fine.lvs"}, dir.Folder()).status, 0);
    auto warn = RunProgram({kLd, "check", "Warn.lvs"}, dir.Folder());
    EXPECT_EQ(warn.status, 0);
    EXPECT_THAT(warn.out, HasSubstr("warning: the map's edge is open"));
    // The parser's warning and the doctor's finding are one line.
    dir.Write("Door.lvs", "level A\ntime 1:00\nquota 0\nmap\nXXXXX\nX@EAX\nXXXXX\nend\n");
    auto door = RunProgram({kLd, "check", "Door.lvs"}, dir.Folder());
    EXPECT_EQ(door.status, 0);
    EXPECT_EQ(door.out, "Door.lvs:6: level A: warning: door 'A' has no key 'a' on the map\n");
    EXPECT_EQ(RunProgram({kLd, "check"}, dir.Folder()).status, 2);
    EXPECT_EQ(RunProgram({kLd, "check", "--xml", "Fine.lvs"}, dir.Folder()).status, 2);
    // The sample project's sources have nothing to find.
    for (const char* source : {"Caverns.lvs", "Depths.lvs", "Secrets.lvs"}) {
        auto r = RunProgram(
            {kLd, "check", std::string(GDLKIT_SOURCE_DIR) + "/samples/GemQuest/" + source},
            dir.Folder());
        EXPECT_EQ(r.status, 0) << source;
        EXPECT_EQ(r.out, "") << source;
    }
}

}  // namespace
}  // namespace gdl
