#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "BatchRunner.h"
#include "FakeTools.h"

namespace fs = std::filesystem;
using gdl::BatchParseResult;
using gdl::ParseBatch;
using gdltest::WriteScript;

namespace {

struct ParseCase {
    std::string text;
    std::string argument;
    std::string program;
    std::vector<std::string> arguments;
    std::string input;
    std::string output;
};

TEST(ParseBatch, UnderstandsTheKitsLines) {
    const std::vector<ParseCase> cases = {
        {"@\"/k i t/ld.exe\" -s%1 > %1.te1", "lev", "/k i t/ld.exe", {"-slev"}, "", "lev.te1"},
        {"@\"/kit/ld.exe\" -s%1>%1.te1", "lev", "/kit/ld.exe", {"-slev"}, "", "lev.te1"},
        {"@\"/kit/gdlstat.exe\" -g < %1.te3 > %1.te4",
         "p",
         "/kit/gdlstat.exe",
         {"-g"},
         "p.te3",
         "p.te4"},
        {"prog<in>out", "", "prog", {}, "in", "out"},
        {"  @  prog  a   b  ", "", "prog", {"a", "b"}, "", ""},
        {"prog %1", "", "prog", {}, "", ""},
        {"prog \"%1\" x", "", "prog", {"", "x"}, "", ""},
        {"prog \"a b\"c -x\"y z\"", "", "prog", {"a bc", "-xy z"}, "", ""},
        {"prog \"a|b&c>d\"", "", "prog", {"a|b&c>d"}, "", ""},
        {"prog 100%% %10", "n", "prog", {"100%", "n0"}, "", ""},
        {"prog 2 >out", "", "prog", {"2"}, "", "out"},
        {"frobnicate echo", "", "frobnicate", {"echo"}, "", ""},
        // Whatever the argument holds stays inside its word.
        {"@\"/kit/ld.exe\" -s%1 > %1.te1",
         "x & rm -rf y",
         "/kit/ld.exe",
         {"-sx & rm -rf y"},
         "",
         "x & rm -rf y.te1"},
        {"@\"/kit/ld.exe\" -s%1 > %1.te1", "a\" b", "/kit/ld.exe", {"-sa\" b"}, "", "a\" b.te1"},
        {"prog %1", "%2 | > x", "prog", {"%2 | > x"}, "", ""},
    };
    for (const auto& c : cases) {
        BatchParseResult r = ParseBatch(c.text, c.argument);
        ASSERT_TRUE(r.ok) << c.text << ": " << r.error;
        ASSERT_EQ(r.script.commands.size(), 1u) << c.text;
        const auto& cmd = r.script.commands[0];
        EXPECT_EQ(cmd.program, c.program) << c.text;
        EXPECT_EQ(cmd.arguments, c.arguments) << c.text;
        EXPECT_EQ(cmd.inputFile, c.input) << c.text;
        EXPECT_EQ(cmd.outputFile, c.output) << c.text;
    }
}

TEST(ParseBatch, SetLinesBecomeTheEnvironmentOfLaterCommands) {
    BatchParseResult r =
        ParseBatch("@set LD_COM=3\r\nfirst\r\n\r\nSET Other=%1 b\r\nsecond", "arg");
    ASSERT_TRUE(r.ok) << r.error;
    using Var = std::pair<std::string, std::string>;
    EXPECT_EQ(r.script.environment, (std::vector<Var>{{"LD_COM", "3"}, {"Other", "arg b"}}));
    ASSERT_EQ(r.script.commands.size(), 2u);
    EXPECT_EQ(r.script.commands[0].environmentCount, 1u);
    EXPECT_EQ(r.script.commands[1].environmentCount, 2u);
}

TEST(ParseBatch, RefusesEverythingElseNamingTheLine) {
    std::vector<std::pair<std::string, std::string>> cases = {
        {"@set A=1\r\n@prog\r\nprog | x\r\nprog", "line 3:"},
        {"prog\nprog\n\nprog %2", "line 4:"},
    };
    for (const std::string text :
         {"prog | more", "prog & other",    "prog && other",  "prog >> out",
          "prog 2> err", "prog 2>&1",       "prog > a > b",   "prog < a <b",
          "prog >",      "prog > | x",      "prog ^& x",      "prog \"open",
          "prog %2",     "prog %~1",        "prog %PATH%",    "prog %*",
          "goto end",    "if exist x prog", "call other.bat", "@echo off",
          "ECHO. hi",    "rem note",        ":label",         "set",
          "set X",       "set /a X=1",      "set X=a & prog", "> out"})
        cases.emplace_back(text, "line 1:");
    for (const auto& [text, prefix] : cases) {
        BatchParseResult r = ParseBatch(text, "arg");
        EXPECT_FALSE(r.ok) << text;
        EXPECT_EQ(r.error.rfind(prefix, 0), 0u) << text << " -> " << r.error;
        EXPECT_TRUE(r.script.commands.empty()) << text;
    }
}

class BatchRun : public ::testing::Test {
protected:
    int Run(const std::string& text, const std::string& argument, bool shown = false) {
        BatchParseResult r = ParseBatch(text, argument);
        EXPECT_TRUE(r.ok) << r.error;
        return gdl::RunBatchScript(r.script, dir_.Folder(), shown, [this] { ++polls_; });
    }
    std::string Tool(const std::string& name) { return "\"" + dir_.Path(name) + "\""; }
    gdltest::TempDir dir_;
    int polls_ = 0;
};

TEST_F(BatchRun, RedirectsBothWaysInTheWorkingFolder) {
    WriteScript(dir_, "upper", "tr a-z A-Z");
    dir_.Write("lev.te3", "level one\n");
    EXPECT_EQ(Run("@" + Tool("upper") + " -g < %1.te3 > %1.te4", "lev"), 0);
    EXPECT_EQ(dir_.Read("lev.te4"), "LEVEL ONE\n");
    dir_.Write("lev.te4", "an older, longer summary\n");
    EXPECT_EQ(Run("@" + Tool("upper") + "<%1.te3>%1.te4", "lev"), 0);
    EXPECT_EQ(dir_.Read("lev.te4"), "LEVEL ONE\n");
}

TEST_F(BatchRun, ArgumentsVariablesAndFolderReachTheProgram) {
    WriteScript(dir_, "tool",
                "printf '%s|' \"$(pwd)\" \"$LD_COM\" \"$B\" \"$#\" \"$@\" >> out.txt");
    EXPECT_EQ(Run("@set LD_COM=2\r\n" + Tool("tool") + " -m%1\r\nset B=x y\r\n@" + Tool("tool") +
                      " %1 \"\"",
                  "my level"),
              0);
    std::string cwd = fs::canonical(dir_.Folder()).string();
    EXPECT_EQ(dir_.Read("out.txt"), cwd + "|2||1|-mmy level|" + cwd + "|2|x y|2|my level||");
}

TEST_F(BatchRun, HostileArgumentNeverBecomesACommand) {
    WriteScript(dir_, "ld.exe", "printf '%s\\n' \"$#\" \"$@\" > args.txt");
    fs::create_directory(dir_.Path("y"));
    for (const std::string arg : {"x & rm -rf y", "a\" b", "z\" & touch injected & \"",
                                  "$(touch injected)", "`touch injected`; touch injected"}) {
        EXPECT_EQ(Run("@" + Tool("ld.exe") + " -s%1 > %1.te1", arg), 0) << arg;
        EXPECT_EQ(dir_.Read("args.txt"), "1\n-s" + arg + "\n") << arg;
        EXPECT_TRUE(dir_.Exists(arg + ".te1")) << arg;
        EXPECT_TRUE(dir_.Exists("y"));
        EXPECT_FALSE(dir_.Exists("injected"));
    }
}

TEST_F(BatchRun, HiddenProgramsReadAndWriteNothing) {
    WriteScript(dir_, "probe",
                "i=$(readlink /proc/$$/fd/0); o=$(readlink /proc/$$/fd/1)\n"
                "echo \"$i\" > in.txt; echo \"$o\" > out.txt");
    EXPECT_EQ(Run(Tool("probe"), ""), 0);
    EXPECT_EQ(dir_.Read("in.txt"), "/dev/null\n");
    EXPECT_EQ(dir_.Read("out.txt"), "/dev/null\n");
}

TEST_F(BatchRun, ExitStatusIsNotAnErrorButAMissingProgramIs) {
    WriteScript(dir_, "fails", "touch ran; exit 3");
    EXPECT_EQ(Run(Tool("fails"), ""), 0);
    EXPECT_TRUE(dir_.Exists("ran"));
    EXPECT_EQ(Run(Tool("missing.exe") + " x > out", ""), ENOENT);
    EXPECT_EQ(Run("missing-program-of-the-kit x", ""), ENOENT);
    EXPECT_FALSE(dir_.Exists("out"));
    dir_.Write("plain", "not a program");
    EXPECT_EQ(Run(Tool("plain"), ""), EACCES);
    // A missing input file keeps the program from starting.
    EXPECT_EQ(Run(Tool("fails") + " < absent.te3", ""), ENOENT);
}

TEST_F(BatchRun, BareProgramIsFoundInTheWorkingFolder) {
    WriteScript(dir_, "gdlstat.exe", "echo here > found.txt");
    EXPECT_EQ(Run("@gdlstat.exe -g", ""), 0);
    EXPECT_EQ(dir_.Read("found.txt"), "here\n");
}

TEST_F(BatchRun, EventsAreProcessedWhileTheProgramRuns) {
    // The program ends only once an event handler has run.
    WriteScript(dir_, "waiter", "while [ ! -f go ]; do sleep 0.01; done");
    BatchParseResult r = ParseBatch(Tool("waiter"), "");
    ASSERT_TRUE(r.ok);
    int polls = 0;
    EXPECT_EQ(gdl::RunBatchScript(r.script, dir_.Folder(), false,
                                  [&] {
                                      if (++polls == 3) dir_.Write("go", "");
                                  }),
              0);
    EXPECT_GE(polls, 3);
}

TEST_F(BatchRun, DetachedScriptRunsOnAndLeavesNoChildBehind) {
    WriteScript(dir_, "step", "while [ ! -f go ]; do sleep 0.01; done; echo \"$1\" >> done.txt");
    BatchParseResult r = ParseBatch(Tool("step") + " one\r\n" + Tool("step") + " two", "");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(gdl::StartBatchScript(r.script, dir_.Folder(), false), 0);
    // The call came back while the script still waits.
    EXPECT_FALSE(dir_.Exists("done.txt"));
    EXPECT_TRUE(gdltest::NoChildLeft());
    dir_.Write("go", "");
    gdltest::Eventually([&] { return dir_.Read("done.txt") == "one\ntwo\n"; });
    EXPECT_EQ(dir_.Read("done.txt"), "one\ntwo\n");
    EXPECT_EQ(gdl::StartBatchScript(r.script, dir_.Path("nowhere/"), false), ENOENT);
}

}  // namespace
