// The built ld.exe, run as a process in temp folders.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <set>

#include "CompiledLevel.h"
#include "FileUtil.h"
#include "LevelInfo.h"
#include "LevelSource.h"
#include "LevelTool.h"
#include "RunProgram.h"
#include "TempDir.h"
#include "TextUtil.h"

namespace gdl {
namespace {

using gdltest::KitBin;
using gdltest::RunProgram;
using testing::HasSubstr;
using testing::Not;
namespace fs = std::filesystem;

const std::string kLd = KitBin() + "ld.exe";

std::vector<std::string> BinFiles(const gdltest::TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& name : dir.Names())
        if (name.ends_with(".bin")) names.push_back(name);
    return names;
}

// Lists and compiles, and checks that every listed level has a compiled file
// whose header says what the listing says.
std::vector<ListedLevel> ListAndCompile(const gdltest::TempDir& dir, const std::string& source) {
    auto list = RunProgram({kLd, "-s" + source}, dir.Folder());
    EXPECT_EQ(list.status, 0) << list.err;
    auto lines = SplitLines(list.out);
    EXPECT_GE(lines.size(), 2u);
    if (lines.size() >= 2) {
        EXPECT_EQ(lines[0], kLevelToolBanner1);
        EXPECT_EQ(lines[1], kLevelToolBanner2);
    }
    auto listed = ParseLevelListing(lines);
    auto compile = RunProgram({kLd, "-m" + source}, dir.Folder());
    EXPECT_EQ(compile.status, 0) << compile.err;
    for (const auto& level : listed) {
        auto head = ReadFilePrefix(dir.Path(level.key + ".bin"), kCompiledReadSize);
        EXPECT_TRUE(head) << level.key;
        if (!head) continue;
        LevelInfoResult fromFile = LevelInfoFromCompiled(*head);
        EXPECT_TRUE(fromFile.found) << level.key;
        EXPECT_EQ(fromFile.info, level.info) << level.key;
    }
    return listed;
}

TEST(LevelTool, SampleListingsMatchTheCompiledHeaders) {
    gdltest::TempDir dir;
    std::size_t total = 0;
    std::set<std::string> names;
    for (const auto& file : fs::directory_iterator(gdltest::SampleFolder())) {
        if (file.path().extension() != ".lvs") continue;
        const std::string source = file.path().stem().string();
        fs::copy_file(file.path(), dir.Path(source + ".lvs"));
        auto listed = ListAndCompile(dir, source);
        EXPECT_FALSE(listed.empty()) << source;
        for (const auto& l : listed) {
            EXPECT_FALSE(l.info.Name.empty());
            // The build compiles every source into the one project folder.
            EXPECT_TRUE(names.insert(l.key).second) << l.key << " is in two sources";
        }
        total += listed.size();
        EXPECT_TRUE(dir.Exists("gdl.hsf"));
    }
    EXPECT_GE(total, 12u);
    EXPECT_EQ(BinFiles(dir).size(), total);
}

// Two good levels around four bad ones, each bad in one way.
constexpr char kFaultySource[] =
    "level GOOD1\n"                       // 1
    "time 1:00\nquota 1\n"                // 2-3
    "map\n#####\n#@*E#\n#####\nend\n"     // 4-8
    "level WIDE\n"                        // 9
    "time 1:00\nquota 0\n"                // 10-11
    "map\n#####\n#@E#\n#####\nend\n"      // 12-16: row 2 (line 14) is short
    "level LONGNAME\n"                    // 17
    "name A Name Far Too Long\n"          // 18
    "time 1:00\nquota 0\nmap\n@E\nend\n"  // 19-23
    "level BADTIME\n"                     // 24
    "time 3:75\n"                         // 25
    "quota 0\nmap\n@E\nend\n"             // 26-29
    "level GOOD1\n"                       // 30: duplicate
    "time 1:00\nquota 0\nmap\n@E\nend\n"  // 31-35
    "level GOOD2\n"                       // 36
    "name Still Here\ntime 0:45\nquota 0\nmap\n@.E\nend\n";

TEST(LevelTool, ErrorsNameTheLineAndSpareTheGoodLevels) {
    gdltest::TempDir dir;
    dir.Write("Faulty.lvs", kFaultySource);
    dir.Write("BADTIME.bin", "left from an earlier compile");

    auto list = RunProgram({kLd, "-sFaulty"}, dir.Folder());
    EXPECT_EQ(list.status, 1);
    EXPECT_THAT(list.err, HasSubstr("Faulty.lvs:14: error: map row 2 has 4 tiles, expected 5"));
    EXPECT_THAT(list.err, HasSubstr("Faulty.lvs:18: error: long name"));
    EXPECT_THAT(list.err, HasSubstr("at most 17"));
    EXPECT_THAT(list.err, HasSubstr("Faulty.lvs:25: error: time 3:75: seconds must be 00 to 59"));
    EXPECT_THAT(list.err,
                HasSubstr("Faulty.lvs:30: error: level name GOOD1 is already used on line 1"));
    std::vector<std::string> keys;
    for (const auto& l : ParseLevelListing(SplitLines(list.out))) keys.push_back(l.key);
    EXPECT_EQ(keys, (std::vector<std::string>{"GOOD1", "GOOD2"}));

    auto compile = RunProgram({kLd, "-mFaulty"}, dir.Folder());
    EXPECT_EQ(compile.status, 1);
    EXPECT_EQ(compile.err, list.err);
    // The stale file of a level that no longer compiles is gone.
    EXPECT_EQ(BinFiles(dir), (std::vector<std::string>{"GOOD1.bin", "GOOD2.bin"}));
    auto good2 = LevelInfoFromCompiled(dir.Read("GOOD2.bin"));
    EXPECT_EQ(good2.info, (LevelInfo{"STILL HERE", "3x1", "0:45", "0"}));
}

struct CommandCase {
    std::vector<std::string> args;
    int status;
    const char* inOut;  // expected in standard output, or ""
    const char* inErr;  // expected in standard error, or ""
};

TEST(LevelTool, CommandLines) {
    gdltest::TempDir dir;
    dir.Write("caves.LVS", "level ONE\ntime 1:00\nquota 0\nmap\n@E\nend\n");
    fs::create_directory(dir.Path("Folder.lvs"));
    const CommandCase cases[] = {
        {{"-sCaves", "extra"}, 2, "", "too many arguments"},
        {{"-sCaves"}, 0, "        ONE", ""},
        {{"-s", "caves.lvs"}, 0, "        ONE", ""},
        {{"-sMissing"}, 1, "", "Missing.lvs not found"},
        {{"-s../Caves"}, 1, "", "without a folder"},
        {{"-m/etc/passwd"}, 1, "", "without a folder"},
        {{"-sFolder"}, 1, "", "not a regular file"},
        {{"Missing"}, 1, "", "Missing.lvs not found"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> argv{kLd};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        auto r = RunProgram(argv, dir.Folder());
        const std::string& what = c.args[0];
        EXPECT_EQ(r.status, c.status) << what << ": " << r.err;
        EXPECT_THAT(r.out, HasSubstr(c.inOut)) << what;
        EXPECT_THAT(r.err, HasSubstr(c.inErr)) << what;
    }
    EXPECT_TRUE(BinFiles(dir).empty());
}

// Runs the tool in work/ inside the temp folder and checks nothing appeared
// beside work/.
class HostileSource : public testing::Test {
protected:
    void SetUp() override { fs::create_directory(root_.Path("work")); }
    std::string Work() const { return root_.Path("work/"); }
    void Write(const std::string& text) const {
        std::ofstream(Work() + "Evil.lvs", std::ios::binary) << text;
    }
    gdltest::ProgramResult Run(const std::string& option) const {
        auto r = RunProgram({kLd, option + "Evil"}, Work());
        EXPECT_EQ(root_.Names(), std::set<std::string>{"work"});
        return r;
    }
    std::size_t WorkFiles() const { return root_.Names("work").size(); }
    gdltest::TempDir root_;
};

TEST_F(HostileSource, BinaryGarbage) {
    std::mt19937 rng(7);
    std::string bytes(1 << 20, '\0');
    // No NUL: those make it no source at all, before a line is read.
    for (char& c : bytes) c = static_cast<char>(rng() | 1);
    Write(bytes);
    for (const char* option : {"-s", "-m"}) {
        auto r = Run(option);
        EXPECT_EQ(r.status, 1) << option;
        EXPECT_LT(r.err.size(), 40000u) << "messages are capped";
        EXPECT_THAT(r.err, HasSubstr("not shown"));
        for (char c : r.err) EXPECT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F));
    }
    EXPECT_EQ(WorkFiles(), 2u);  // the source and gdl.hsf
}

TEST_F(HostileSource, OneHugeLine) {
    Write(std::string(8 << 20, 'A'));
    auto r = Run("-m");
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err,
                HasSubstr("Evil.lvs:1: error: unknown keyword 'AAAAAAAAAAAAAAAAAAAAAAAA...'"));
}

TEST_F(HostileSource, TooLargeToRead) {
    Write(std::string(17 << 20, '\n'));
    auto r = Run("-s");
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr("too large"));
}

TEST_F(HostileSource, TenThousandLevels) {
    std::string text;
    for (int i = 0; i < 10000; ++i)
        text += "level L" + std::to_string(i) + "\ntime 0:10\nquota 0\nmap\n@E\nend\n";
    Write(text);
    auto list = Run("-s");
    EXPECT_EQ(list.status, 1);
    EXPECT_THAT(list.err, HasSubstr("too many levels"));
    // The editor reads the first 255 lines of a listing: all of them must fit.
    EXPECT_EQ(ParseLevelListing(SplitLines(list.out)).size(), kMaxLevelsPerSource);
    auto compile = Run("-m");
    EXPECT_EQ(compile.status, 1);
    EXPECT_EQ(WorkFiles(), kMaxLevelsPerSource + 2u);
}

// A fake editor and a fake terminal, both shell scripts that leave traces.
class EditSource : public testing::Test {
protected:
    void SetUp() override {
        dir_.Write("Caves.lvs", "level ONE\ntime 1:00\nquota 0\nmap\n@E\nend\n");
        gdltest::WriteScript(
            dir_, "editor.sh",
            "printf 'level TWO\\ntime 1:00\\nquota 0\\nmap\\n@E\\nend\\n' >> \"$1\"\n"
            "echo \"$1\" > \"${0%/*}/edited\"");
        gdltest::WriteFakeTerminal(dir_.Path("term.sh"));
    }
    gdltest::EnvChanges Env(std::optional<std::string> terminal) const {
        return {{"VISUAL", dir_.Path("editor.sh")},
                {"EDITOR", std::nullopt},
                {"LD_COM", "2"},
                {"GDLKIT_TERMINAL", std::move(terminal)},
                {"PATH", dir_.Path("nothing-here")},
                {"DISPLAY", std::nullopt},
                {"WAYLAND_DISPLAY", std::nullopt}};
    }
    // ld.exe copied into a folder of its own (the program's folder is where
    // it looks for the map editor), with a fake GDLMap beside it.
    std::string LdWithMapEditor() const {
        const std::string bin = dir_.MakeFolder("bin");
        std::filesystem::copy_file(kLd, bin + "ld.exe");
        gdltest::WriteScript(
            bin + "GDLMap",
            "echo \"$# $1 LD_COM=$LD_COM\" > \"${0%/*}/map-args\"\n"
            "printf 'level TWO\\ntime 1:00\\nquota 0\\nmap\\n@E\\nend\\n' >> \"$1\"");
        return bin + "ld.exe";
    }
    gdltest::TempDir dir_;
};

TEST_F(EditSource, OpensTheEditorInATerminalWindowAndWaits) {
    auto r = RunProgram({kLd, "Caves"}, dir_.Folder(), "", Env(dir_.Path("term.sh")));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.err, HasSubstr("editing Caves.lvs (Lynx link on COM2)"));
    EXPECT_THAT(dir_.Read("title"), HasSubstr("Caves.lvs"));
    EXPECT_THAT(dir_.Read("title"), HasSubstr("COM2"));
    EXPECT_EQ(dir_.Read("edited"), "./Caves.lvs\n");
    // The edit finished before ld.exe ended and checked the source again.
    EXPECT_THAT(dir_.Read("Caves.lvs"), HasSubstr("level TWO"));
    EXPECT_THAT(r.err, HasSubstr("Caves.lvs: 2 good levels, 0 errors"));
}

TEST_F(EditSource, WithoutTerminalSaysSoAndLeavesTheFile) {
    auto r = RunProgram({kLd, "Caves"}, dir_.Folder(), "", Env(std::nullopt));
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr("no terminal window"));
    EXPECT_THAT(dir_.Read("Caves.lvs"), Not(HasSubstr("TWO")));
}

TEST_F(EditSource, OnADesktopTheMapEditorTakesTheEditWithoutATerminal) {
    const std::string ld = LdWithMapEditor();
    auto env = Env(std::nullopt);
    env.push_back({"DISPLAY", ":77"});
    auto r = RunProgram({ld, "Caves"}, dir_.Folder(), "", env);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(dir_.Read("bin/map-args"), "1 ./Caves.lvs LD_COM=2\n");
    EXPECT_FALSE(dir_.Exists("edited"));
    EXPECT_THAT(r.err, HasSubstr("Caves.lvs: 2 good levels, 0 errors"));
}

TEST_F(EditSource, TextOptionAndNoDisplayKeepTheTextEditor) {
    const std::string ld = LdWithMapEditor();
    auto onDesktop = Env(dir_.Path("term.sh"));
    onDesktop.push_back({"DISPLAY", ":77"});
    struct Case {
        const char* what;
        std::vector<std::string> argv;
        gdltest::EnvChanges env;
    };
    const Case cases[] = {
        {"--text on a desktop", {ld, "--text", "Caves"}, onDesktop},
        {"no display", {ld, "Caves"}, Env(dir_.Path("term.sh"))},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(dir_.Path("edited"));
        auto r = RunProgram(c.argv, dir_.Folder(), "", c.env);
        EXPECT_EQ(r.status, 0) << c.what << r.err;
        EXPECT_TRUE(dir_.Exists("edited")) << c.what;
        EXPECT_FALSE(dir_.Exists("bin/map-args")) << c.what;
    }
    auto usage = RunProgram({ld, "--text"}, dir_.Folder(), "", onDesktop);
    EXPECT_EQ(usage.status, 2);
}

TEST_F(EditSource, EditorFromEditorVariable) {
    auto env = Env(dir_.Path("term.sh"));
    env[0] = {"VISUAL", std::nullopt};
    env[1] = {"EDITOR", dir_.Path("editor.sh")};
    auto r = RunProgram({kLd, "Caves.lvs"}, dir_.Folder(), "", env);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(dir_.Exists("edited"));
}

}  // namespace
}  // namespace gdl
