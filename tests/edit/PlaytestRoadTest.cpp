// The level test's whole road with real programs: the editor core writes its
// temporary project and starts the built gdlplay.exe on it, the player has
// the level tool compile the level in the project folder and, at a PLAY
// typed on its window, sends it to the Lynx simulator on Com1. The player's
// window runs on an X server of the test's own, driven with xdotool.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>

#include "BatchRunner.h"
#include "ChildProcess.h"
#include "Environment.h"
#include "ProjectFixtures.h"
#include "RunProgram.h"
#include "XSession.h"

namespace gdl {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class PlaytestRoad : public ::testing::Test {
protected:
    void SetUp() override {
        for (auto name : {"gdlplay.exe", "ld.exe", "ld.pif", "lynxsim"})
            if (!fs::exists(gdltest::KitBin() + name)) GTEST_SKIP() << "kit lacks " << name;
        if (auto missing = gdltest::XSession::Missing(); !missing.empty()) GTEST_SKIP() << missing;
        // Blanks and an 8-bit character in the project folder's path.
        project = dir.MakeFolder("My Levels \xC3\xA9");
        for (const auto& file : fs::directory_iterator(gdltest::SampleFolder()))
            fs::copy_file(file.path(), project + file.path().filename().string());
    }

    std::vector<std::string> FilesLeft() const {
        EXPECT_TRUE(fs::exists(project));
        std::vector<std::string> files;
        for (const auto& entry : fs::directory_iterator(project))
            files.push_back(entry.path().filename().string());
        return files;
    }

    gdltest::TempDir dir;
    gdltest::XSession x;
    std::string project;
};

TEST_F(PlaytestRoad, LevelTestSendsTheSelectedLevelAndLeavesNoFileBehind) {
    ASSERT_TRUE(x.Start(dir.Folder())) << "no X server";
    gdltest::ChildProcess sim({gdltest::KitBin() + "lynxsim", "--script", "wait-level; answer"});
    auto device = sim.ReadLine(5s);
    ASSERT_TRUE(device && device->rfind("/dev/", 0) == 0) << device.value_or("no device");

    gdltest::ScopedEnv config("XDG_CONFIG_HOME", dir.Path("config"));
    gdltest::ScopedEnv data("XDG_DATA_HOME", dir.Path("data"));
    gdltest::ScopedEnv machine("GDLKIT_MACHINE_REG", dir.Path("machine.reg"));
    FileRegistry players(dir.Path("machine.reg"), dir.Path("config/gdlkit/user.reg"));
    ASSERT_TRUE(players.WriteValue(RegRoot::LocalMachine, kRegKeyGlobal, "Com1", *device));

    std::atomic<int> repaints = 0;
    gdltest::RealProcessWindow editor(std::string(GDLKIT_KIT_DIR) + "/", [&] { ++repaints; });
    ProjectWindow& w = editor.Open(project + "GemQuest.gdp");
    // Two hidden levels: the third entry is level 1. An unsaved edit goes along.
    w.Props().eNameChange("Unsaved Quest");
    w.Levels().cLevelsClick(2);

    std::optional<std::string> level;
    gdltest::WindowUser player(x, 20s, [&] {
        const std::string window = x.WaitForWindow("Level Set Player", 20);
        if (window.empty()) return window;
        x.Focus(window);
        x.Xdotool({"key", "ctrl+p"});
        level = sim.ReadLineWith("\"event\":\"level\"", 20s);
        x.Xdotool({"key", "ctrl+q"});
        return window;
    });
    w.Tests().bTestLClick();
    const std::string playerWindow = player.Returned();

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
