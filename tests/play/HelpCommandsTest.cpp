// The player's help commands with the real runner: each really starts its
// program (the documentation's opener, the companion program with the right
// file), whichever way the install folder was recorded.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Chooser.h"
#include "FakeTools.h"
#include "PlayerFixtures.h"
#include "ToolRunner.h"

namespace gdl {
namespace {

using gdltest::EventuallyRead;
using gdltest::NumberedLevels;
using gdltest::WriteScript;

class HelpCommandsTest : public gdltest::PlayerFixture {
protected:
    void SetUp() override {
        PlayerFixture::SetUp();
        kit.MakeFolder("docs");
        kit.MakeFolder("opener");
        kit.Write("docs/docs.htm", "<html></html>");
        const std::string record = "printf '%s|' \"$(pwd)\" \"$#\" \"$@\" >> \"" +
                                   kit.Path("started.txt") + "\"; echo >> \"" +
                                   kit.Path("started.txt") + "\"";
        WriteScript(kit, "bin/GDLTools.exe", record);
        WriteScript(kit, "opener/xdg-open", record);
    }
    PlayerWindow& StartReal(std::vector<std::string> args) {
        PlayerPorts ports{*registry, real, prompts, timer, line, dialogs};
        ports.serialRoots = machine.roots;
        window = std::make_unique<PlayerWindow>(ports, std::move(args), bin);
        window->FormActivate();
        return *window;
    }
    std::string Started() {
        std::string text = EventuallyRead(kit, "started.txt");
        kit.Write("started.txt", "");
        return text;
    }

    // The companion program has a window of its own on a display; the
    // documentation's opener is the test's.
    gdltest::ScopedEnv display{"DISPLAY", ":4242"};
    gdltest::ScopedEnv path{"PATH", kit.Path("opener")};
    PosixToolRunner real;
};

TEST_F(HelpCommandsTest, EachStartsItsProgram) {
    // With and without the trailing "/" the folders were once joined without.
    const std::string folder = kit.Folder();
    for (const std::string& recorded : {folder, folder.substr(0, folder.size() - 1)}) {
        SCOPED_TRACE(recorded);
        registry->WriteValue(RegRoot::LocalMachine, kRegKeyRoot, "", recorded);
        const std::string set = WriteSet(NumberedLevels(1));
        StartReal({set});
        prompts.shown.clear();

        window->Contents1Click();
        EXPECT_EQ(Started(), kit.Path("docs") + "|1|" + kit.Path("docs/docs.htm") + "|\n");
        window->About1Click();
        EXPECT_EQ(Started(), kit.Path("bin") + "|0|\n");
        window->Info1Click();
        EXPECT_EQ(Started(), kit.Path("levels") + "|1|set.gdl|\n");
        EXPECT_TRUE(prompts.shown.empty()) << prompts.shown[0].text;

        Chooser chooser(*registry, prompts, real);
        registry->WriteValue(RegRoot::LocalMachine, kRegKeyLevelSets, "Set", set);
        chooser.Prepare(State().installFolder, sets, "set.gdl");
        chooser.FormActivate();
        chooser.Select(0);
        chooser.About1Click();
        EXPECT_EQ(Started(), kit.Path("levels") + "|1|set.gdl|\n");
    }
}

TEST_F(HelpCommandsTest, AMissingCompanionIsSaid) {
    std::filesystem::remove(kit.Path("bin/GDLTools.exe"));
    StartReal({WriteSet(NumberedLevels(1))});
    prompts.shown.clear();
    window->About1Click();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].caption, "File Error");
    EXPECT_EQ(prompts.shown[0].text, "Unable to start " + kit.Path("bin/GDLTools.exe") +
                                         ".\r\n\r\nThe file " + kit.Path("bin/GDLTools.exe") +
                                         " could not be found.");
}

}  // namespace
}  // namespace gdl
