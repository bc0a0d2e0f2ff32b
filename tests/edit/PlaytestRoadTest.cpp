// The level test's whole road with real programs: the editor core writes its
// temporary project and starts the built gdlplay.exe on it, the player has
// the level tool compile the level in the project folder and, at a PLAY
// typed on its window, sends it to the Lynx simulator on Com1. The player's
// window runs on an X server of the test's own, driven with xdotool.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <thread>

#include "BatchRunner.h"
#include "ChildProcess.h"
#include "Environment.h"
#include "ProjectFixtures.h"
#include "RunProgram.h"

namespace gdl {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Sets an environment variable of this process (the player inherits it) and
// puts the old value back afterwards.
class EnvValue {
public:
    EnvValue(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~EnvValue() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

class PlaytestRoad : public ::testing::Test {
protected:
    void SetUp() override {
        for (auto name : {"gdlplay.exe", "ld.exe", "ld.pif", "lynxsim"})
            if (!fs::exists(gdltest::KitBin() + name)) GTEST_SKIP() << "kit lacks " << name;
        xvfb = FindInPath("Xvfb").value_or("");
        xdotool = FindInPath("xdotool").value_or("");
        timeout = FindInPath("timeout").value_or("");
        if (xvfb.empty() || xdotool.empty() || timeout.empty())
            GTEST_SKIP() << "Xvfb, xdotool and timeout are needed";
        // Blanks and an 8-bit character in the project folder's path.
        project = dir.MakeFolder("My Levels \xC3\xA9");
        for (const auto& file : fs::directory_iterator(gdltest::SampleFolder()))
            fs::copy_file(file.path(), project + file.path().filename().string());
    }

    gdltest::ProgramResult Xdotool(std::vector<std::string> args) {
        args.insert(args.begin(), xdotool);
        return gdltest::RunProgram(args, dir.Folder());
    }

    // The player's main window, once it is shown (xdotool waits for it).
    std::string PlayerWindow(const std::string& seconds) {
        auto found = gdltest::RunProgram({timeout, seconds, xdotool, "search", "--sync",
                                          "--onlyvisible", "--name", "Level Set Player"},
                                         dir.Folder());
        if (found.status != 0) return {};
        return found.out.substr(0, found.out.find('\n'));
    }

    std::vector<std::string> FilesLeft() const {
        EXPECT_TRUE(fs::exists(project));
        std::vector<std::string> files;
        for (const auto& entry : fs::directory_iterator(project))
            files.push_back(entry.path().filename().string());
        return files;
    }

    gdltest::TempDir dir;
    std::string project, xvfb, xdotool, timeout;
};

TEST_F(PlaytestRoad, LevelTestSendsTheSelectedLevelAndLeavesNoFileBehind) {
    gdltest::ChildProcess server(
        {xvfb, "-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "640x480x24"});
    auto display = server.ReadLine(20s);
    ASSERT_TRUE(display) << "no X server";
    gdltest::ChildProcess sim({gdltest::KitBin() + "lynxsim", "--script", "wait-level; answer"});
    auto device = sim.ReadLine(5s);
    ASSERT_TRUE(device && device->rfind("/dev/", 0) == 0) << device.value_or("no device");

    EnvValue onServer("DISPLAY", ":" + *display);
    EnvValue xcb("QT_QPA_PLATFORM", "xcb");
    // Under the sanitizers: the X11 keyboard library hands strndup a buffer
    // without a terminating zero, which strict string checks report.
    const char* asan = std::getenv("ASAN_OPTIONS");
    EnvValue asanOptions("ASAN_OPTIONS", std::string(asan ? asan : "") + ":strict_string_checks=0");
    EnvValue config("XDG_CONFIG_HOME", dir.Path("config"));
    EnvValue cache("XDG_CACHE_HOME", dir.Path("cache"));
    EnvValue machine("GDLKIT_MACHINE_REG", dir.Path("machine.reg"));
    FileRegistry players(dir.Path("machine.reg"), dir.Path("config/gdlkit/user.reg"));
    ASSERT_TRUE(players.WriteValue(RegRoot::LocalMachine, kRegKeyGlobal, "Com1", *device));

    std::atomic<int> repaints = 0;
    gdltest::RealProcessWindow editor(std::string(GDLKIT_KIT_DIR) + "/", [&] { ++repaints; });
    ProjectWindow& w = editor.Open(project + "GemQuest.gdp");
    // Two hidden levels: the third entry is level 1. An unsaved edit goes along.
    w.Props().eNameChange("Unsaved Quest");
    w.Levels().cLevelsClick(2);

    std::mutex mutex;
    std::condition_variable endedChanged;
    bool ended = false;
    std::optional<std::string> level;
    std::string playerWindow;
    std::thread player([&] {
        playerWindow = PlayerWindow("20");
        if (playerWindow.empty()) return;
        Xdotool({"windowfocus", "--sync", playerWindow});
        Xdotool({"key", "ctrl+p"});
        level = sim.ReadLineWith("\"event\":\"level\"", 20s);
        Xdotool({"key", "ctrl+q"});
        // A player that does not end is ended, so the editor's wait ends too.
        std::unique_lock lock(mutex);
        if (!endedChanged.wait_for(lock, 20s, [&] { return ended; })) {
            auto pid = Xdotool({"getwindowpid", playerWindow});
            if (pid.status == 0) ::kill(std::atoi(pid.out.c_str()), SIGKILL);
        }
    });
    w.Tests().bTestLClick();
    {
        std::lock_guard lock(mutex);
        ended = true;
    }
    endedChanged.notify_all();
    player.join();

    ASSERT_FALSE(playerWindow.empty()) << "the player's window did not show";
    ASSERT_TRUE(level) << "nothing reached the Lynx";
    EXPECT_THAT(*level, testing::HasSubstr("\"title\":\"PC LEVEL 1\""));
    EXPECT_THAT(*level, testing::HasSubstr("\"headerChecksumOk\":true"));
    EXPECT_THAT(*level, testing::HasSubstr("\"dataChecksumOk\":true"));
    EXPECT_GT(repaints.load(), 0) << "the editor did not process its events while it waited";
    // No temporary project, no compiled level, no gdl.hsf: the sample's files
    // and the editor's own listings of its sources.
    for (const std::string& file : FilesLeft()) {
        EXPECT_NE(file, "$gdltmp$.gdp");
        EXPECT_NE(file, "gdl.hsf");
        EXPECT_NE(ExtensionOf(file), ".bin") << file;
    }
    EXPECT_THAT(FilesLeft(), testing::IsSupersetOf(
                                 {"GemQuest.gdp", "Caverns.lvs", "Depths.lvs", "Secrets.lvs"}));
    EXPECT_EQ(ReadFileBytes(project + "GemQuest.gdp"),
              ReadFileBytes(gdltest::SampleFolder() + "GemQuest.gdp"));
}

}  // namespace
}  // namespace gdl
