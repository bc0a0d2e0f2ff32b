// Which device each of the player's ports Com1 ... Com4 opens: the machine
// registry values "Com1" ... "Com4" under Software\Vandrel\GDLKIT\global, or
// the default rule that makes the first USB serial adapter Com1.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "SerialPreflight.h"

namespace gdl {

class Registry;

inline constexpr int kMappedPorts = 4;

struct PortMapping {
    std::string port;        // "Com1"
    std::string configured;  // the registry value; "" when the default rule applies
    std::string device;      // what opening the port opens now; "" when nothing
    bool present = false;    // the device exists now
};

std::vector<PortMapping> ReadPortMappings(const Registry& registry,
                                          const std::string& devRoot = "/dev");

struct SerialDevice {
    std::string path;    // a stable name under serial/by-id/ where there is one
    std::string target;  // the device it leads to ("" when path is the device)
};

// The serial devices present, in the order the default rule numbers them.
std::vector<SerialDevice> FindSerialDevices(const std::string& devRoot = "/dev");

// "Com1" for "com1", "COM1", "Com1"; "" for anything but Com1 ... Com4.
std::string NormalizePortName(std::string_view name);

// Stores device as the port's value, or removes the value (back to the
// default rule) for "" or "default". Returns "" on success, else the reason.
std::string SetPortDevice(Registry& registry, std::string_view port, std::string_view device);

// Each serial device present with its by-id name, driver, group and whether
// this user may open it; the fix for the first one the user may not open.
std::string SerialDevicesText(const SerialRoots& roots);

// "GDLTools.exe ports": the four ports and the devices found.
std::string PortsText(const Registry& registry, const std::string& devRoot = "/dev");

}  // namespace gdl
