// The player's whole road with real programs: the editor builds the sample
// set, gdlplay.exe --send puts a level on the wire, and the Lynx simulator
// on a pseudo-terminal says what arrived.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "ChildProcess.h"
#include "FileUtil.h"
#include "LevelSetFile.h"
#include "RunProgram.h"
#include "TempDir.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class LynxRoad : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string bin = dir.MakeFolder("kit/bin");
        for (auto name : {"GDLEdit", "gdlplay.exe", "ld.exe", "ld.pif", "ldinfo.pif", "gdlstat.exe",
                          "ldstat.pif", "lynxsim", "GDLTools.exe", "GDLMap"}) {
            if (!fs::exists(gdltest::KitBin() + name)) GTEST_SKIP() << "kit lacks " << name;
            fs::copy_file(gdltest::KitBin() + name, bin + name);
        }
        const std::string quest = dir.MakeFolder("GemQuest");
        for (const auto& file : fs::directory_iterator(gdltest::SampleFolder()))
            fs::copy_file(file.path(), quest + file.path().filename().string());
        auto built = Run("GDLEdit", {"--build", dir.Path("GemQuest/GemQuest.gdp"),
                                     "--source-folder", "--overwrite"});
        ASSERT_EQ(built.status, 0) << built.out << built.err;
    }

    gdltest::ProgramResult Run(const std::string& program, std::vector<std::string> args) {
        args.insert(args.begin(), dir.Path("kit/bin/" + program));
        return gdltest::RunProgram(args, dir.Path("GemQuest"), "",
                                   {{"XDG_CONFIG_HOME", dir.Path("config")},
                                    {"XDG_DATA_HOME", dir.Path("data")},
                                    {"GDLKIT_MACHINE_REG", dir.Path("machine.reg")}});
    }

    gdltest::TempDir dir;
};

TEST_F(LynxRoad, SendPutsTheFirstLevelOnTheLynxWithBothChecksumsRight) {
    gdltest::ChildProcess sim({dir.Path("kit/bin/lynxsim"), "--script", "wait-level; answer"});
    auto device = sim.ReadLine(5s);
    ASSERT_TRUE(device && device->rfind("/dev/", 0) == 0) << device.value_or("no device");

    auto sent =
        Run("gdlplay.exe", {"--send", dir.Path("GemQuest/GemQuest.gdl"), "--port", *device});
    EXPECT_EQ(sent.status, 0) << sent.out << sent.err;
    EXPECT_NE(sent.out.find("Panel2: PC LEVEL 1\n"), std::string::npos) << sent.out;
    EXPECT_NE(sent.out.find("Panel8: CODE: "), std::string::npos) << sent.out;
    EXPECT_NE(sent.out.find("Panel14:  Sending Level to Lynx...\n"), std::string::npos);
    EXPECT_NE(sent.out.find("Panel14: \nLevel 1 ("), std::string::npos) << sent.out;
    EXPECT_NE(sent.out.find(") sent to " + *device + " in "), std::string::npos) << sent.out;
    EXPECT_EQ(sent.out.substr(sent.out.size() - 23), " s: the Lynx answered.\n") << sent.out;

    auto level = sim.ReadLineWith("\"event\":\"level\"", 5s);
    ASSERT_TRUE(level);
    EXPECT_NE(level->find("\"title\":\"PC LEVEL 1\""), std::string::npos) << *level;
    EXPECT_NE(level->find("\"headerChecksumOk\":true"), std::string::npos) << *level;
    EXPECT_NE(level->find("\"dataChecksumOk\":true"), std::string::npos) << *level;
    EXPECT_NE(level->find("\"preamble\":512"), std::string::npos) << *level;
}

// What comes back over the pseudo-terminal decides: the cable's echo alone is
// no answer, the Lynx's answer after its echo or without one is, and a line
// full of noise is reported within a couple of seconds.
TEST_F(LynxRoad, EchoAnswerAndNoiseOverThePseudoTerminal) {
    struct Case {
        const char* what;
        std::vector<std::string> sim;
        int status;
        std::string ending;
    };
    const Case cases[] = {
        {"echo only", {"--lynx-off"}, 1, ": the Lynx did not answer.\n"},
        {"echo then answer", {}, 0, ": the Lynx answered.\n"},
        {"no echo, answer", {"--no-echo"}, 0, ": the Lynx answered.\n"},
        {"noise", {"--no-echo", "--lynx-off", "--noise", "100"}, 1, ": the Lynx did not answer.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> args{dir.Path("kit/bin/lynxsim")};
        args.insert(args.end(), c.sim.begin(), c.sim.end());
        gdltest::ChildProcess sim(args);
        auto device = sim.ReadLine(5s);
        ASSERT_TRUE(device);
        auto sent = Run("gdlplay.exe", {"--send", "GemQuest.gdl", "--port", *device});
        EXPECT_EQ(sent.status, c.status) << sent.out << sent.err;
        ASSERT_GE(sent.out.size(), c.ending.size());
        EXPECT_EQ(sent.out.substr(sent.out.size() - c.ending.size()), c.ending) << sent.out;
        if (c.status != 0) {
            EXPECT_NE(sent.out.find("Panel14:  Lynx not responding on " + *device + "!\n"),
                      std::string::npos)
                << sent.out;
        }
    }
}

TEST_F(LynxRoad, SilentLynxIsReportedAsNotResponding) {
    gdltest::ChildProcess sim({dir.Path("kit/bin/lynxsim"), "--no-echo", "--script", "wait-level"});
    auto device = sim.ReadLine(5s);
    ASSERT_TRUE(device);
    auto sent =
        Run("gdlplay.exe", {"--send", dir.Path("GemQuest/GemQuest.gdl"), "2", "--port", *device});
    EXPECT_EQ(sent.status, 1) << sent.out << sent.err;
    EXPECT_NE(sent.out.find("Panel14:  Lynx not responding on " + *device + "!"), std::string::npos)
        << sent.out;
}

// A 5 GB sparse file with a set's header and table is refused as it opens,
// without reading it into memory.
TEST_F(LynxRoad, HugeSetIsRefusedWithoutReadingIt) {
    fs::copy_file(dir.Path("GemQuest/GemQuest.gdl"), dir.Path("GemQuest/huge.gdl"));
    fs::resize_file(dir.Path("GemQuest/huge.gdl"), std::uintmax_t{5} << 30);
    auto sent = Run("gdlplay.exe", {"--send", "huge.gdl", "--port", "/nonexistent/tty"});
    EXPECT_EQ(sent.status, 3) << sent.out << sent.err;
    EXPECT_NE(sent.out.find("Panel3: INVALID LEVEL SET\n"), std::string::npos) << sent.out;
    EXPECT_NE(sent.out.find("Nothing was sent: ERROR / INVALID LEVEL SET\n"), std::string::npos)
        << sent.out;
    EXPECT_LT(sent.maxRssKb, 50 * 1024);
}

TEST_F(LynxRoad, CommandLineOutcomes) {
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string inOut;
    };
    const Case cases[] = {
        {{"--send"}, 2, ""},
        {{"--send", "x.gdl", "1", "2"}, 2, ""},
        {{"--send", "x.gdl", "--port"}, 2, ""},
        {{"--help"}, 0, "--send SET [INDEX]"},
        {{"--version"}, 0, "gdlplay.exe (GDLKIT) "},
        // No such set, or an index that is no whole number: usage errors.
        {{"--send", "missing.gdl"}, 2, ""},
        {{"--send", "GemQuest.gdl", "abc"}, 2, ""},
        {{"--send", "GemQuest.gdl", "147573952589676412928"}, 2, ""},
        {{"--send", "GemQuest.gdl", "1", "--port", "/nonexistent/tty"},
         1,
         "Panel14:  Unable to open /nonexistent/tty!\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.size() > 1 ? c.args[1] : c.args[0]);
        auto r = Run("gdlplay.exe", c.args);
        EXPECT_EQ(r.status, c.status) << r.out << r.err;
        EXPECT_NE(r.out.find(c.inOut), std::string::npos) << r.out;
    }
}

// A set name written to escape the terminal is printed with its control
// bytes shown, never raw.
TEST_F(LynxRoad, ControlBytesInASetNameArePrintedVisibly) {
    auto bytes = gdl::ReadFileBytes(dir.Path("GemQuest/GemQuest.gdl"));
    ASSERT_TRUE(bytes);
    const std::string name = "X\x1b]0;owned\x07\x1b[2J";
    const std::string coded = gdl::EncodeSetText(name);
    bytes->replace(11, coded.size(), coded);
    (*bytes)[11 + coded.size()] = 0;
    ASSERT_TRUE(gdl::WriteFileAtomic(dir.Path("GemQuest/evil.gdl"), *bytes));
    const std::string shown = "X\\x1b]0;owned\\x07\\x1b[2J";
    auto sent = Run("gdlplay.exe", {"--send", "evil.gdl", "--port", "/nonexistent/tty"});
    EXPECT_NE(sent.out.find("Panel1: Glimmerdeep: " + shown + "\n"), std::string::npos) << sent.out;
    auto info = Run("GDLTools.exe", {"info", "evil.gdl"});
    EXPECT_NE(info.out.find(shown), std::string::npos) << info.out;
    for (const auto& out : {sent.out, sent.err, info.out, info.err})
        EXPECT_EQ(out.find('\x1b'), std::string::npos);
}

// Without a display the windowed programs say so in one line and name
// their headless mode, instead of aborting in Qt.
TEST_F(LynxRoad, NoDisplayIsSaidInOneLine) {
    const gdltest::EnvChanges noDisplay{
        {"DISPLAY", std::nullopt},           {"WAYLAND_DISPLAY", std::nullopt},
        {"QT_QPA_PLATFORM", std::nullopt},   {"XDG_CONFIG_HOME", dir.Path("config")},
        {"XDG_DATA_HOME", dir.Path("data")}, {"GDLKIT_MACHINE_REG", dir.Path("machine.reg")}};
    const std::pair<const char*, const char*> programs[] = {
        {"GDLEdit", "--build"}, {"gdlplay.exe", "--send"}, {"GDLMap", "ld.exe check"}};
    for (const auto& [program, mode] : programs) {
        auto r = gdltest::RunProgram({dir.Path("kit/bin/") + program, "GemQuest.gdl"},
                                     dir.Path("GemQuest"), "", noDisplay);
        EXPECT_EQ(r.status, 2) << program << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_NE(r.err.find("a display is needed"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(mode), std::string::npos) << r.err;
    }
}

}  // namespace
