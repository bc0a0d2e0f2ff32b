#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "CommonFakes.h"
#include "FakeTools.h"
#include "ToolRunner.h"

namespace fs = std::filesystem;
using gdl::PosixToolRunner;
using gdl::ToolKind;
using gdltest::EventuallyRead;
using gdltest::NoChildLeft;
using gdltest::WriteScript;

namespace {

// Started from no terminal, as from a window: standard input from /dev/null.
class NoTerminal {
public:
    NoTerminal() : saved_(::dup(STDIN_FILENO)) {
        int null = ::open("/dev/null", O_RDONLY);
        ::dup2(null, STDIN_FILENO);
        ::close(null);
    }
    ~NoTerminal() {
        ::dup2(saved_, STDIN_FILENO);
        ::close(saved_);
    }
    NoTerminal(const NoTerminal&) = delete;
    NoTerminal& operator=(const NoTerminal&) = delete;

private:
    int saved_;
};

// A terminal emulator for the console tools to open (they are scripts here
// and never do).
struct WithTerminal {
    gdltest::TempDir dir;
    gdltest::ScopedEnv terminal{"GDLKIT_TERMINAL", dir.Path("term")};
    WithTerminal() { gdltest::WriteFakeTerminal(dir.Path("term")); }
};

TEST(ClassifyTool, TellsBatchesProgramsAndDocumentsApart) {
    gdltest::TempDir dir;
    dir.Write("ldinfo.bat", "@prog");
    dir.Write("LDEDIT.BAT", "@prog");
    dir.Write("GDLTools.exe", "not yet executable");
    WriteScript(dir, "GDLEdit", "exit 0");
    dir.Write("docs.htm", "<html></html>");
    dir.Write("copied.htm", "<html></html>");
    fs::permissions(dir.Path("copied.htm"), fs::perms::owner_all);
    fs::copy_file("/bin/true", dir.Path("elf"));
    fs::create_directory(dir.Path("docs"));
    const std::vector<std::pair<std::string, ToolKind>> cases = {
        {"ldinfo.bat", ToolKind::Batch},     {"LDEDIT.BAT", ToolKind::Batch},
        {"GDLTools.exe", ToolKind::Program}, {"GDLEdit", ToolKind::Program},
        {"elf", ToolKind::Program},          {"docs.htm", ToolKind::Document},
        {"copied.htm", ToolKind::Document},  {"docs", ToolKind::Document},
    };
    for (const auto& [name, kind] : cases) {
        EXPECT_EQ(gdl::ClassifyTool(dir.Path(name)), kind) << name;
    }
}

TEST(PosixToolRunner, WaitsForAProgramWhileProcessingEvents) {
    gdltest::TempDir dir;
    fs::create_directory(dir.Path("bin"));
    fs::create_directory(dir.Path("work"));
    // It ends only after the event handler has run a few times.
    WriteScript(dir, "bin/gdlplay.exe",
                "while [ ! -f go ]; do sleep 0.01; done\n"
                "printf '%s|' \"$(pwd)\" \"$#\" \"$@\" > ran.txt");
    int events = 0;
    PosixToolRunner runner([&] {
        if (++events == 3) dir.Write("work/go", "");
    });
    EXPECT_EQ(runner.RunTool(dir.Path("bin/gdlplay.exe"), "/p/$gdltmp$.gdp 4", dir.Path("work/"),
                             true, true),
              0);
    EXPECT_GE(events, 3);
    std::string work = fs::canonical(dir.Path("work")).string();
    EXPECT_EQ(dir.Read("work/ran.txt"), work + "|1|/p/$gdltmp$.gdp 4|");

    EXPECT_EQ(runner.RunToolArgs(dir.Path("bin/gdlplay.exe"), {"/p/a b.gdp", "4"},
                                 dir.Path("work/"), true, true),
              0);
    EXPECT_EQ(dir.Read("work/ran.txt"), work + "|2|/p/a b.gdp|4|");
    EXPECT_TRUE(runner.LastError().empty());
}

// A file named alone is looked up in the folder; waited for, what it wrote
// is there at once; started without waiting, it is not left as a zombie.
TEST(PosixToolRunner, RelativeFileIsLookedUpInTheFolderWaitedForOrNot) {
    const struct {
        const char* what;
        const char* argument;
        bool wait;
        const char* wrote;
    } cases[] = {
        {"an empty argument is none", "", true, "0|\n"},
        {"not waited for", "set.gdl", false, "1|set.gdl\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WithTerminal terminal;
        gdltest::TempDir dir;
        WriteScript(dir, "GDLTools.exe", "echo \"$#|$1\" > ran.txt");
        PosixToolRunner runner;
        EXPECT_EQ(runner.RunTool("GDLTools.exe", c.argument, dir.Folder(), true, c.wait), 0);
        EXPECT_EQ(c.wait ? dir.Read("ran.txt") : EventuallyRead(dir, "ran.txt"), c.wrote);
        EXPECT_TRUE(NoChildLeft());
    }
}

TEST(PosixToolRunner, ReportsWhatCannotBeStarted) {
    WithTerminal terminal;
    gdltest::TempDir dir;
    dir.Write("GDLTools.exe", "no execute bit");
    dir.Write("bad.bat", "@echo off");
    PosixToolRunner runner;
    EXPECT_EQ(runner.RunTool("absent.exe", "", dir.Folder(), true, true), ENOENT);
    EXPECT_NE(runner.LastError().find(dir.Path("absent.exe")), std::string::npos);
    EXPECT_EQ(runner.RunTool("absent.bat", "x", dir.Folder(), false, true), ENOENT);
    EXPECT_EQ(runner.RunTool("GDLTools.exe", "", dir.Folder(), true, false), EACCES);
    EXPECT_EQ(runner.RunTool("bad.bat", "", dir.Folder(), false, true), EINVAL);
    EXPECT_NE(runner.LastError().find("line 1"), std::string::npos);
    EXPECT_EQ(runner.RunTool("", "", dir.Folder(), false, true), ENOENT);
}

TEST(PosixToolRunner, RunsBatchFilesWithTheirArgument) {
    WithTerminal terminal;
    gdltest::TempDir dir;
    fs::create_directory(dir.Path("tool dir"));
    fs::create_directory(dir.Path("project"));
    WriteScript(dir, "tool dir/ld.exe",
                "printf '%s|' \"$LD_COM\" \"$@\" > args.txt; echo >> args.txt");
    dir.Write("tool dir/ldedit.bat",
              "@set LD_COM=4\r\n@\"" + dir.Path("tool dir/ld.exe") + "\" %1");
    PosixToolRunner runner;
    EXPECT_EQ(runner.RunTool(dir.Path("tool dir/ldedit.bat"), "my source", dir.Path("project/"),
                             true, true),
              0);
    EXPECT_EQ(dir.Read("project/args.txt"), "4|my source|\n");

    dir.Write("project/args.txt", "");
    EXPECT_EQ(
        runner.RunTool(dir.Path("tool dir/ldedit.bat"), "later", dir.Path("project/"), true, false),
        0);
    EXPECT_EQ(EventuallyRead(dir, "project/args.txt"), "4|later|\n");
    EXPECT_TRUE(NoChildLeft());
}

TEST(PosixToolRunner, DocumentsOpenThroughXdgOpen) {
    gdltest::TempDir dir;
    fs::create_directory(dir.Path("opener"));
    fs::create_directory(dir.Path("docs"));
    dir.Write("docs/docs.htm", "<html></html>");
    WriteScript(dir, "opener/xdg-open", "echo \"$#:$1\" >> \"" + dir.Path("opened.txt") + "\"");
    gdltest::ScopedEnv path("PATH", dir.Path("opener"));
    PosixToolRunner runner;

    EXPECT_EQ(runner.RunTool("docs.htm", "ignored", dir.Path("docs/"), true, true), 0);
    EXPECT_EQ(dir.Read("opened.txt"), "1:" + dir.Path("docs/docs.htm") + "\n");

    fs::create_directory(dir.Path("bin"));
    fs::remove(dir.Path("opened.txt"));
    EXPECT_EQ(runner.RunTool("docs.htm", "", dir.Path("bin/../docs/"), true, false), 0);
    EXPECT_EQ(EventuallyRead(dir, "opened.txt"), "1:" + dir.Path("bin/../docs/docs.htm") + "\n");
    EXPECT_TRUE(NoChildLeft());
}

// xdg-open's exit status 1 to 4 means it started and could not open the
// document: a failure, with what it said; waited for or not.
TEST(PosixToolRunner, AnOpenerThatFailsIsAFailureWithItsMessage) {
    gdltest::TempDir dir;
    fs::create_directory(dir.Path("opener"));
    dir.Write("docs.htm", "<html></html>");
    gdltest::ScopedEnv path("PATH", dir.Path("opener"));
    PosixToolRunner runner;
    const std::pair<int, std::string> cases[] = {
        {1, ": it was given a wrong command line"},
        {2, ": the file does not exist"},
        {3, ": a program it needs is not installed"},
        {4, ": the program for this kind of file failed"},
        {9, " (exit status 9)"},
    };
    for (const auto& [status, meaning] : cases) {
        for (bool wait : {true, false}) {
            SCOPED_TRACE(std::to_string(status) + (wait ? " waited" : " not waited"));
            WriteScript(dir, "opener/xdg-open",
                        "echo \"xdg-open: no method available for opening '$1'\" >&2; exit " +
                            std::to_string(status));
            EXPECT_EQ(runner.RunTool("docs.htm", "", dir.Folder(), true, wait), gdl::kOpenerFailed);
            EXPECT_EQ(runner.LastError(), "xdg-open could not open " + dir.Path("docs.htm") +
                                              meaning +
                                              ". It says: xdg-open: no method available for "
                                              "opening '" +
                                              dir.Path("docs.htm") + "'.");
        }
    }
    // Success stays success, and nothing is left behind.
    WriteScript(dir, "opener/xdg-open", "exit 0");
    EXPECT_EQ(runner.RunTool("docs.htm", "", dir.Folder(), true, false), 0);
    EXPECT_EQ(runner.LastError(), "");
    EXPECT_TRUE(NoChildLeft());
}

// A PATH without xdg-open, or an empty one (no fallback to the system's
// folders then), has no opener.
TEST(PosixToolRunner, DocumentWithoutAnOpenerIsAnError) {
    gdltest::TempDir dir;
    fs::create_directory(dir.Path("empty"));
    dir.Write("docs.htm", "<html></html>");
    for (const std::string& folders : {dir.Path("empty"), std::string()}) {
        SCOPED_TRACE(folders);
        gdltest::ScopedEnv path("PATH", folders);
        PosixToolRunner runner;
        EXPECT_EQ(runner.RunTool("docs.htm", "", dir.Folder(), true, true), ENOENT);
        EXPECT_EQ(runner.LastError(), "No program to open " + dir.Path("docs.htm") +
                                          " was found: xdg-open is not installed (package "
                                          "xdg-utils).");
    }
}

TEST(PosixToolRunner, ShownConsoleToolsWithoutATerminalToOpenAreAnError) {
    gdltest::TempDir dir;
    fs::create_directory(dir.Path("empty"));
    WriteScript(dir, "ld.exe", "echo ran >> ran.txt");
    WriteScript(dir, "GDLTools.exe", "echo ran >> ran.txt");
    WriteScript(dir, "gdlplay.exe", "echo ran >> ran.txt");
    dir.Write("ldedit.bat", "@\"" + dir.Path("ld.exe") + "\" %1");
    gdltest::ScopedEnv path("PATH", dir.Path("empty"));
    gdltest::ScopedEnv terminal("GDLKIT_TERMINAL");
    gdltest::ScopedEnv display("DISPLAY"), wayland("WAYLAND_DISPLAY");
    display.Unset();
    wayland.Unset();
    NoTerminal fromAWindow;
    PosixToolRunner runner;
    struct Case {
        const char* file;
        bool shown;
        int result;
    };
    const Case cases[] = {
        {"ldedit.bat", true, ENOENT}, {"GDLTools.exe", true, ENOENT}, {"ld.exe", true, ENOENT},
        {"ldedit.bat", false, 0},     {"GDLTools.exe", false, 0},     {"gdlplay.exe", true, 0},
    };
    int ran = 0;
    for (const auto& c : cases) {
        EXPECT_EQ(runner.RunTool(c.file, "x", dir.Folder(), c.shown, true), c.result) << c.file;
        if (c.result == 0) {
            ++ran;
            EXPECT_EQ(runner.LastError(), "") << c.file;
        } else {
            EXPECT_EQ(runner.LastError(), "No terminal window can be opened to show " +
                                              dir.Path(c.file) +
                                              ": no terminal emulator was found; install xterm "
                                              "or set GDLKIT_TERMINAL.");
        }
    }
    EXPECT_EQ(dir.Read("ran.txt").size(), ran * std::string("ran\n").size());
    // On a desktop with the map editor beside ld.exe, the edit needs none,
    // nor does the companion, which opens its own window there.
    WriteScript(dir, "GDLMap", "exit 0");
    display.Set(":77");
    EXPECT_EQ(runner.RunTool("ldedit.bat", "x", dir.Folder(), true, true), 0);
    EXPECT_EQ(runner.RunTool("ld.exe", "x", dir.Folder(), true, true), 0);
    EXPECT_EQ(runner.RunTool("GDLTools.exe", "x", dir.Folder(), true, true), 0);
    fs::remove(dir.Path("GDLMap"));
    EXPECT_EQ(runner.RunTool("ldedit.bat", "x", dir.Folder(), true, true), ENOENT);
    display.Unset();
    // With one to open, the tool runs and opens it itself.
    terminal.Set(dir.Path("gdlplay.exe"));
    EXPECT_EQ(runner.RunTool("ldedit.bat", "x", dir.Folder(), true, true), 0);
}

TEST(PosixToolRunner, HiddenWaitedRunsHandOverWhatTheToolWroteToItsErrorOutput) {
    gdltest::TempDir dir;
    WithTerminal terminal;
    WriteScript(dir, "ld.exe", "echo \"${1#-m}.lvs:26: the map has no player start\" >&2; exit 1");
    WriteScript(dir, "gdlstat.exe", "echo \"summary: $1\" >&2");
    dir.Write("ldinfo.bat", "@ld.exe -m%1\r\n@gdlstat.exe %1");
    PosixToolRunner runner;
    EXPECT_EQ(runner.RunTool("ldinfo.bat", "Caverns", dir.Folder(), false, true), 0);
    EXPECT_EQ(runner.LastErrorOutput(),
              "Caverns.lvs:26: the map has no player start\nsummary: Caverns\n");
    EXPECT_EQ(runner.RunTool("ld.exe", "Mines", dir.Folder(), false, true), 0);
    EXPECT_EQ(runner.LastErrorOutput(), "Mines.lvs:26: the map has no player start\n");
    // Shown or not waited for, the output is not ours to read; each call clears it.
    EXPECT_EQ(runner.RunTool("gdlstat.exe", "x", dir.Folder(), true, true), 0);
    EXPECT_EQ(runner.LastErrorOutput(), "");
    EXPECT_EQ(runner.RunTool("ld.exe", "Mines", dir.Folder(), false, true), 0);
    EXPECT_EQ(runner.RunTool("ld.exe", "Mines", dir.Folder(), false, false), 0);
    EXPECT_EQ(runner.LastErrorOutput(), "");
    EXPECT_TRUE(gdltest::Eventually([] { return NoChildLeft(); }));
}

TEST(RecordingToolRunner, RecordsCallsAndLetsTheTestAnswer) {
    gdl::RecordingToolRunner runner;
    runner.onRun = [](const gdl::ToolCall& call) { return call.wait ? 0 : 2; };
    EXPECT_EQ(runner.RunTool("a.bat", "src", "/p/", false, true), 0);
    EXPECT_EQ(runner.RunToolArgs("gdlplay.exe", {"/t.gdp", "3"}, "/p/", true, false), 2);
    ASSERT_EQ(runner.calls.size(), 2u);
    EXPECT_EQ(runner.calls[0].arguments, std::vector<std::string>{"src"});
    EXPECT_EQ(runner.calls[1].argument, "/t.gdp 3");
    EXPECT_EQ(runner.calls[1].arguments, (std::vector<std::string>{"/t.gdp", "3"}));
    EXPECT_TRUE(runner.calls[1].shown);
}

}  // namespace
