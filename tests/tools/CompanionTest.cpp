// The companion's viewer of projects and its port mapping, in-process and
// through the built GDLTools.exe.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "CommonFakes.h"
#include "FileUtil.h"
#include "LevelSource.h"
#include "PortMap.h"
#include "Registry.h"
#include "RunProgram.h"
#include "SetView.h"
#include "TempDir.h"

namespace gdl {
namespace {

using gdltest::RunProgram;
using testing::HasSubstr;

const std::string kTools = gdltest::KitBin() + "GDLTools.exe";

constexpr char kCaves[] =
    "level PIT\nname The Pit\ntime 3:05\nquota 2\nmap\nXXXXXX\nX@*aAX\nX*~O&X\nXXXEXX\nend\n"
    "level BAD\nname Broken\ntime 1:00\nquota 0\nmap\n@E\nE\nend\n";

constexpr char kProject[] =
    "[^GDP]\r\nName=Caves\r\nCopyright=2026\r\nNotice=Us\r\nComments=\r\nOffset=1\r\n"
    "AssignMusic=Manual\r\nWizard=\r\n"
    "[Source]\r\n1=Caves\r\n"
    "[Levels]\r\n1=Caves:PIT\r\n2=Caves:BAD\r\n3=Gone:X\r\n4=../Caves:PIT\r\n5=LOOSE\r\n"
    "6=NOFILE\r\n"
    "[Level.Caves:PIT]\r\nDesigner=Ada\r\nPassword=ABCD\r\nMusic=2\r\nHint=Dig\r\n";

// Each level of a project shows its map or says why it has none; nothing is
// written into the project folder.
TEST(CompanionView, ProjectLevelsAreCompiledInMemory) {
    gdltest::TempDir dir;
    dir.Write("Caves.lvs", kCaves);
    dir.Write("p.gdp", kProject);
    dir.Write("LOOSE.bin", "not a level");
    std::string problem;
    auto view = LoadSetView(dir.Path("p.gdp"), &problem);
    ASSERT_TRUE(view) << problem;
    EXPECT_TRUE(view->isProject);
    EXPECT_EQ(view->name, "Caves");
    EXPECT_FALSE(view->hasWizard);
    EXPECT_EQ(view->hidden, 1);
    EXPECT_EQ(view->numbered, 5);
    ASSERT_EQ(view->levels.size(), 6u);
    const SetViewLevel& pit = view->levels[0];
    EXPECT_EQ(pit.label, "0");
    EXPECT_EQ(pit.name, "THE PIT");
    EXPECT_EQ(pit.code, "ABCD");
    EXPECT_EQ(pit.music, 2);
    EXPECT_EQ(pit.hint, "Dig");
    EXPECT_EQ(pit.width, 6);
    ASSERT_EQ(pit.tiles.size(), 24u);
    EXPECT_EQ(pit.problem, "");
    struct Expected {
        std::size_t index;
        std::string label, problem;
    };
    const Expected damaged[] = {
        {1, "1", "Caves.lvs has no good level BAD"}, {2, "2", "Gone.lvs cannot be read"},
        {3, "3", "no source file is named"},         {4, "4", "the compiled level cannot be read"},
        {5, "5", "NOFILE.bin cannot be read"},
    };
    for (const auto& e : damaged) {
        SCOPED_TRACE(e.label);
        const SetViewLevel& level = view->levels[e.index];
        EXPECT_EQ(level.label, e.label);
        EXPECT_THAT(level.problem, HasSubstr(e.problem));
        EXPECT_TRUE(level.tiles.empty());
    }
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Folder()))
        files.push_back(entry.path().filename().string());
    EXPECT_THAT(files, testing::UnorderedElementsAre("Caves.lvs", "p.gdp", "LOOSE.bin"));
}

TEST(CompanionView, RefusesWhatIsNoProject) {
    gdltest::TempDir dir;
    dir.Write("empty.gdp", "[^GDP]\r\nName=\r\n");
    std::string problem;
    EXPECT_FALSE(LoadSetView(dir.Path("empty.gdp"), &problem));
    EXPECT_THAT(problem, HasSubstr("is not a project"));
    EXPECT_FALSE(LoadSetView(dir.Path("none.gdp"), &problem));
    EXPECT_THAT(problem, HasSubstr("cannot be read"));
}

// A /dev of our own: two USB adapters, one with a stable name, and a PC port.
struct FakeDev {
    gdltest::TempDir dir;
    std::string root = dir.Folder() + "dev";
    FakeDev() {
        dir.MakeFolder("dev/serial/by-id");
        dir.Write("dev/ttyUSB0", "");
        dir.Write("dev/ttyUSB1", "");
        dir.Write("dev/ttyS0", "");
        std::filesystem::create_symlink(root + "/ttyUSB1",
                                        root + "/serial/by-id/usb-FTDI_Lynx_cable-if00-port0");
    }
};

TEST(CompanionPorts, MappingFollowsTheRegistryAndTheDefaultRule) {
    FakeDev dev;
    MemoryRegistry registry;
    struct Step {
        std::string port, device, refusal;
        std::vector<std::string> opens;  // Com1 ... Com4 afterwards
    };
    const std::string byId = dev.root + "/serial/by-id/usb-FTDI_Lynx_cable-if00-port0";
    const Step steps[] = {
        // With USB adapters present, the PC's own ttyS0 is no default.
        {"", "", "", {byId, dev.root + "/ttyUSB0", "", ""}},
        {"com3", "/dev/ttyLynx", "", {byId, dev.root + "/ttyUSB0", "/dev/ttyLynx", ""}},
        {"Com1", "ttyS0", "", {dev.root + "/ttyS0", dev.root + "/ttyUSB0", "/dev/ttyLynx", ""}},
        {"COM1", "default", "", {byId, dev.root + "/ttyUSB0", "/dev/ttyLynx", ""}},
        {"Com5", "/dev/ttyUSB0", "one of Com1", {}},
        {"Com0", "/dev/ttyUSB0", "one of Com1", {}},
        {"Com2", "usb/ttyUSB0", "full path", {}},
        {"Com2", "/dev/tty\nUSB0", "control characters", {}},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.port + " " + s.device);
        if (!s.port.empty()) {
            std::string refusal = SetPortDevice(registry, s.port, s.device);
            if (s.refusal.empty()) {
                EXPECT_EQ(refusal, "");
            } else {
                EXPECT_THAT(refusal, HasSubstr(s.refusal));
            }
        }
        if (s.opens.empty()) continue;
        auto ports = ReadPortMappings(registry, dev.root);
        ASSERT_EQ(ports.size(), 4u);
        for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(ports[i].device, s.opens[i]) << i;
    }
    EXPECT_EQ(registry.ValueNames(RegRoot::LocalMachine, kRegKeyGlobal),
              std::vector<std::string>{"Com3"});
    auto devices = FindSerialDevices(dev.root);
    ASSERT_EQ(devices.size(), 3u);
    EXPECT_EQ(devices[0].path, byId);
    EXPECT_EQ(devices[0].target, dev.root + "/ttyUSB1");
    EXPECT_EQ(devices[1].target, "");
}

// The commands store into the machine file the player reads.
TEST(CompanionPorts, CommandsSetAndShowTheMachineValues) {
    gdltest::TempDir dir;
    const std::string machine = dir.Path("machine.reg");
    const gdltest::EnvChanges env{{"GDLKIT_MACHINE_REG", machine},
                                  {"XDG_CONFIG_HOME", dir.Folder()},
                                  {"DISPLAY", std::nullopt},
                                  {"WAYLAND_DISPLAY", std::nullopt}};
    auto set = RunProgram({kTools, "port", "com2", "/dev/ttyLynx"}, dir.Folder(), "", env);
    EXPECT_EQ(set.status, 0) << set.err;
    EXPECT_THAT(set.out, HasSubstr("Com2  /dev/ttyLynx  (set, not present)\n"));
    FileRegistry registry(machine, dir.Path("user.reg"));
    EXPECT_EQ(registry.ReadValue(RegRoot::LocalMachine, kRegKeyGlobal, "Com2"), "/dev/ttyLynx");

    auto shown = RunProgram({kTools, "ports"}, dir.Folder(), "", env);
    EXPECT_EQ(shown.status, 0);
    EXPECT_EQ(shown.out, set.out);
    EXPECT_THAT(shown.out, HasSubstr("Serial devices found:\n"));

    auto refused = RunProgram({kTools, "port", "Com9", "/dev/ttyS0"}, dir.Folder(), "", env);
    EXPECT_EQ(refused.status, 1);
    EXPECT_THAT(refused.err, HasSubstr("Com1, Com2, Com3 and Com4"));
    EXPECT_EQ(RunProgram({kTools, "port", "Com2"}, dir.Folder(), "", env).status, 2);

    EXPECT_EQ(RunProgram({kTools, "port", "Com2", "default"}, dir.Folder(), "", env).status, 0);
    EXPECT_EQ(registry.ReadValue(RegRoot::LocalMachine, kRegKeyGlobal, "Com2"), std::nullopt);
}

// The maps are drawn in the colours the user guide's tile legend shows.
TEST(CompanionView, TileColoursAreTheGuidesLegend) {
    const std::string guide =
        ReadFileBytes(std::string(GDLKIT_SOURCE_DIR) + "/docs/docs.htm").value_or("");
    const std::string legend = guide.substr(guide.find("id=\"tiles\""));
    std::vector<std::string> shown;
    const std::string mark = "class=\"swatch\" style=\"background:";
    for (auto at = legend.find(mark); at != std::string::npos && at < legend.find("</table>");
         at = legend.find(mark, at + 1))
        shown.push_back(legend.substr(at + mark.size(), 7));
    std::vector<std::string> drawn;
    for (std::uint8_t code = 0; code < kTileCount; ++code) drawn.push_back(TileColour(code));
    EXPECT_EQ(shown, drawn);
}

}  // namespace
}  // namespace gdl
