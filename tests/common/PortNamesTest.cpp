#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "CommonFakes.h"
#include "PortNames.h"
#include "Registry.h"
#include "TempDir.h"

namespace fs = std::filesystem;

namespace {

TEST(ResolvePortDevice, FollowsTheRegistryThenTheDefaultRule) {
    gdltest::TempDir dev;
    for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyACM0", "ttyS1", "ttyS0", "ttySX", "null"}) {
        dev.Write(name, "");
    }
    dev.MakeFolder("serial/by-id");
    fs::create_symlink("../../ttyUSB10", dev.Path("serial/by-id/usb-FTDI_A"));
    const std::string root = dev.Path("");
    gdl::MemoryRegistry registry;
    registry.WriteValue(gdl::RegRoot::LocalMachine, gdl::kRegKeyGlobal, "Com3", "/dev/ttyCable");
    registry.WriteValue(gdl::RegRoot::LocalMachine, gdl::kRegKeyGlobal, "Com4", " ttyACM7 ");
    const std::string longPath = "/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0";
    const std::vector<std::tuple<std::string, const gdl::Registry*, std::string>> cases = {
        {"Com1", nullptr, dev.Path("serial/by-id/usb-FTDI_A")},
        {"com2", nullptr, dev.Path("ttyUSB2")},
        {"COM3", nullptr, dev.Path("ttyACM0")},
        {"Com3", &registry, "/dev/ttyCable"},
        {"Com4", &registry, dev.Path("ttyACM7")},
        {"Com4", nullptr, dev.Path("ttyS0")},
        {"Com5", nullptr, dev.Path("ttyS1")},
        {"Com6", nullptr, ""},
        {"Com0", nullptr, ""},
        {"ttyUSB2", nullptr, dev.Path("ttyUSB2")},
        {longPath, nullptr, longPath},
    };
    for (const auto& [port, reg, device] : cases) {
        EXPECT_EQ(gdl::ResolvePortDevice(port, reg, root), device) << port;
    }
}

}  // namespace
