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
        // With a USB adapter present the PC's own ports are never a default.
        {"Com4", nullptr, ""},
        {"Com5", nullptr, ""},
        {"Com0", nullptr, ""},
        {"ttyUSB2", nullptr, dev.Path("ttyUSB2")},
        {longPath, nullptr, longPath},
    };
    for (const auto& [port, reg, device] : cases) {
        EXPECT_EQ(gdl::ResolvePortDevice(port, reg, root), device) << port;
    }
}

// Without a USB adapter, a PC's own serial port is Com1 only when it is the
// only port; with several, none is guessed.
TEST(ResolvePortDevice, APortOfThePcsOwnOnlyWhenItIsTheOnlyOne) {
    struct Case {
        std::vector<const char*> devices;
        std::string com1;
    } cases[] = {
        {{"ttyS0"}, "ttyS0"},
        {{"ttyS0", "ttyS1"}, ""},
        {{}, ""},
        {{"ttyS3", "ttyACM2"}, "ttyACM2"},
    };
    for (const auto& c : cases) {
        gdltest::TempDir dev;
        for (const char* name : c.devices) dev.Write(name, "");
        const std::string expected = c.com1.empty() ? "" : dev.Path(c.com1);
        EXPECT_EQ(gdl::ResolvePortDevice("Com1", nullptr, dev.Path("")), expected)
            << c.devices.size() << " devices";
    }
}

}  // namespace
