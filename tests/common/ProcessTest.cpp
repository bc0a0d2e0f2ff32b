#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <filesystem>

#include "Environment.h"
#include "FakeTools.h"
#include "Process.h"

namespace fs = std::filesystem;
using gdl::ProcessStart;
using gdl::ProcessWait;
using gdltest::WriteScript;

namespace {

class ProcessTest : public ::testing::Test {
protected:
    ProcessStart Script(const std::string& name, const std::string& body, bool hidden = true) {
        WriteScript(dir_, name, body);
        ProcessStart s;
        s.program = dir_.Path(name);
        s.folder = dir_.Folder();
        s.hidden = hidden;
        return s;
    }
    gdltest::TempDir dir_;
};

TEST_F(ProcessTest, CollectsTheStandardErrorOfHiddenProgramsInOrder) {
    std::string errors = "left from before";
    int status = 0;
    ProcessWait how;
    how.errorOutput = &errors;
    how.exitStatus = &status;
    auto first = Script("first", "echo 'Caverns.lvs:26: the map has no player start' >&2");
    auto shown = Script("shown", "echo 'to our own error output' >&2; exit 0", false);
    auto filed = Script("filed", "echo 'into a file' >&2");
    filed.errorFile = dir_.Path("err.txt");
    auto last = Script("last", "echo out; echo 'second' >&2; exit 3");
    last.outputFile = dir_.Path("out.txt");
    EXPECT_EQ(gdl::WaitForProcesses({first, shown, filed, last}, how), 0);
    EXPECT_EQ(errors, "Caverns.lvs:26: the map has no player start\nsecond\n");
    EXPECT_EQ(dir_.Read("err.txt"), "into a file\n");
    EXPECT_EQ(dir_.Read("out.txt"), "out\n");
    EXPECT_EQ(status, 3);
}

TEST_F(ProcessTest, AChattyProgramNeverBlocksAndIsCutToWholeLines) {
    // Far more than a pipe holds, written before the program ends.
    auto chatty = Script("chatty",
                         "i=0; while [ $i -lt 20000 ]; do echo \"line $i of the tool\" >&2; "
                         "i=$((i+1)); done; touch ended");
    std::string errors;
    ProcessWait how;
    how.errorOutput = &errors;
    for (bool events : {false, true}) {
        int calls = 0;
        how.processEvents = events ? std::function<void()>([&] { ++calls; }) : nullptr;
        ASSERT_EQ(gdl::WaitForProcesses({chatty}, how), 0) << events;
        EXPECT_TRUE(dir_.Exists("ended"));
        EXPECT_LE(errors.size(), gdl::kMaxErrorOutput);
        EXPECT_GT(errors.size(), gdl::kMaxErrorOutput / 2);
        EXPECT_EQ(errors.rfind("line 0 of the tool\n", 0), 0u);
        EXPECT_EQ(errors.back(), '\n');
        fs::remove(dir_.Path("ended"));
    }
}

TEST_F(ProcessTest, WaitsUntilTheProgramEndsWithOrWithoutEvents) {
    // The program ends only after we have created "go": with events from the
    // handler, without from a second program it starts.
    auto waiter = Script("waiter", "while [ ! -f go ]; do sleep 0.01; done; touch done");
    int calls = 0;
    ProcessWait how;
    how.processEvents = [&] {
        if (++calls == 5) dir_.Write("go", "");
    };
    EXPECT_EQ(gdl::WaitForProcesses({waiter}, how), 0);
    EXPECT_GE(calls, 5);
    EXPECT_TRUE(dir_.Exists("done"));

    fs::remove(dir_.Path("go"));
    fs::remove(dir_.Path("done"));
    auto starter = Script("starter", "(sleep 0.05; touch go) & exec ./waiter");
    EXPECT_EQ(gdl::WaitForProcesses({starter}, ProcessWait{}), 0);
    EXPECT_TRUE(dir_.Exists("done"));
}

// A kernel without pidfds (before 5.3, or a sandbox that forbids them): in a
// child of the test, pidfd_open fails with ENOSYS, and the waits must still
// end with the program and read its error output.
TEST_F(ProcessTest, WaitsWithoutPidfdsToo) {
    auto waiter = Script("waiter",
                         "while [ ! -f go ]; do sleep 0.01; done; i=0; while [ $i -lt 5000 ]; "
                         "do echo \"line $i\" >&2; i=$((i+1)); done; touch done");
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        sock_filter filter[] = {
            BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_pidfd_open, 0, 1),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | ENOSYS),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        };
        sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
        if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
            ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0)
            ::_exit(3);
        if (::syscall(SYS_pidfd_open, ::getpid(), 0) >= 0 || errno != ENOSYS) ::_exit(3);
        for (bool events : {true, false}) {
            std::string errors;
            int calls = 0;
            ProcessWait how;
            how.errorOutput = &errors;
            if (events) {
                how.processEvents = [&] {
                    if (++calls == 5) dir_.Write("go", "");
                };
            } else {
                dir_.Write("go", "");
            }
            bool ok = gdl::WaitForProcesses({waiter}, how) == 0 && dir_.Exists("done") &&
                      errors.rfind("line 0\n", 0) == 0 && errors.size() <= gdl::kMaxErrorOutput &&
                      (!events || calls >= 5);
            if (!ok) ::_exit(1);
            fs::remove(dir_.Path("go"));
            fs::remove(dir_.Path("done"));
        }
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 3) GTEST_SKIP() << "no seccomp filter to take pidfds away";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(ProcessTest, WhatCannotStartIsAnErrorBeforeAnythingRuns) {
    auto good = Script("good", "touch ran");
    ProcessStart missing = good;
    missing.program = dir_.Path("absent");
    ProcessStart noFolder = good;
    noFolder.folder = dir_.Path("nowhere/");
    dir_.Write("plain", "text");
    ProcessStart plain = good;
    plain.program = dir_.Path("plain");
    const std::vector<std::pair<ProcessStart, int>> cases = {
        {missing, ENOENT}, {noFolder, ENOENT}, {plain, EACCES}};
    for (const auto& [bad, error] : cases) {
        EXPECT_EQ(gdl::WaitForProcesses({good, bad}, {}), error) << bad.program;
        EXPECT_EQ(gdl::StartProcesses({good, bad}), error) << bad.program;
        EXPECT_FALSE(dir_.Exists("ran")) << bad.program;
    }
}

TEST(FindInPath, SearchesOnlyTheNamedFoldersForExecutables) {
    gdltest::TempDir dir;
    const std::string a = dir.MakeFolder("a"), b = dir.MakeFolder("b");
    dir.Write("a/tool", "not executable");
    WriteScript(b + "tool", "exit 0");
    WriteScript(dir.Path("here"), "exit 0");
    gdltest::ScopedEnv path("PATH", a + "::" + b);
    gdltest::ScopedEnv terminal("GDLKIT_TERMINAL");
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"tool", b + "tool"},
        {"here", std::nullopt},  // the empty entry is not the current folder
        {"", std::nullopt},
        {"b/tool", std::nullopt},
    };
    fs::current_path(dir.Folder());
    for (const auto& [name, found] : cases) EXPECT_EQ(gdl::FindInPath(name), found) << name;
    EXPECT_EQ(gdl::FindProgram(b + "tool"), b + "tool");
    EXPECT_EQ(gdl::FindProgram(a + "tool"), std::nullopt);
    EXPECT_EQ(gdl::FindProgram("tool"), b + "tool");

    // A terminal: our own first, else the usual names in PATH.
    EXPECT_EQ(gdl::TerminalCommand("T", {"x"}), std::nullopt);
    terminal.Set(b + "tool");
    EXPECT_EQ(gdl::TerminalCommand("T", {"x", "y"}),
              (std::vector<std::string>{b + "tool", "-T", "T", "-e", "x", "y"}));
    fs::current_path("/");
}

TEST(UserFolder, FollowsTheBaseDirectoryRules) {
    gdltest::ScopedEnv cache("XDG_CACHE_HOME");
    gdltest::ScopedEnv home("HOME", "/home/lynx");
    const std::vector<std::pair<std::optional<std::string>, std::string>> cases = {
        {"/var/cache/", "/var/cache/gdlkit/"},           {"/var/cache", "/var/cache/gdlkit/"},
        {"relative/cache", "/home/lynx/.cache/gdlkit/"}, {"", "/home/lynx/.cache/gdlkit/"},
        {std::nullopt, "/home/lynx/.cache/gdlkit/"},
    };
    for (const auto& [value, folder] : cases) {
        if (value) {
            cache.Set(*value);
        } else {
            cache.Unset();
        }
        EXPECT_EQ(gdl::UserFolder("XDG_CACHE_HOME", ".cache"), folder) << value.value_or("unset");
    }
}

TEST(ProgramFolder, IsTheFolderOfTheRunningProgram) {
    std::string folder = gdl::ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(fs::exists(folder + "common_ProcessTest"));
}

}  // namespace
