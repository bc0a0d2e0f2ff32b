#include "PortMap.h"

#include <filesystem>

#include "FileUtil.h"
#include "PortNames.h"
#include "Registry.h"
#include "SerialPreflight.h"
#include "TextUtil.h"

namespace gdl {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kDefaultWord = "default";

bool Exists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::exists(path, ec);
}

bool HasControlCharacter(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
    return false;
}

}  // namespace

std::string NormalizePortName(std::string_view name) {
    if (name.size() != 4 || !EqualsNoCase(name.substr(0, 3), "Com")) return {};
    char digit = name[3];
    if (digit < '1' || digit > '0' + kMappedPorts) return {};
    return std::string("Com") + digit;
}

std::vector<PortMapping> ReadPortMappings(const Registry& registry, const std::string& devRoot) {
    std::vector<PortMapping> ports;
    for (int n = 1; n <= kMappedPorts; ++n) {
        PortMapping p;
        p.port = "Com" + std::to_string(n);
        p.configured = TrimBlanks(
            registry.ReadValue(RegRoot::LocalMachine, kRegKeyGlobal, p.port).value_or(""));
        p.device = ResolvePortDevice(p.port, &registry, devRoot);
        p.present = Exists(p.device);
        ports.push_back(std::move(p));
    }
    return ports;
}

std::vector<SerialDevice> FindSerialDevices(const std::string& devRoot) {
    std::vector<SerialDevice> devices;
    for (const std::string& path : AllPortDevices(devRoot)) {
        SerialDevice d{path, {}};
        std::error_code ec;
        if (fs::is_symlink(path, ec)) {
            fs::path target = fs::canonical(path, ec);
            if (!ec) d.target = target.string();
        }
        devices.push_back(std::move(d));
    }
    return devices;
}

std::string SetPortDevice(Registry& registry, std::string_view port, std::string_view device) {
    const std::string name = NormalizePortName(port);
    if (name.empty()) return "the port must be one of Com1, Com2, Com3 and Com4";
    const std::string value = TrimBlanks(device);
    if (value.empty() || EqualsNoCase(value, kDefaultWord)) {
        if (!registry.ReadValue(RegRoot::LocalMachine, kRegKeyGlobal, name)) return {};
        return registry.DeleteValue(RegRoot::LocalMachine, kRegKeyGlobal, name)
                   ? std::string()
                   : "the setting cannot be written";
    }
    if (HasControlCharacter(value)) return "a device name cannot hold control characters";
    if (value.front() != '/' && value.find('/') != std::string::npos)
        return "the device must be a full path such as /dev/ttyUSB0, or a name under /dev";
    return registry.WriteValue(RegRoot::LocalMachine, kRegKeyGlobal, name, value)
               ? std::string()
               : "the setting cannot be written";
}

std::string SerialDevicesText(const SerialRoots& roots) {
    const auto devices = ListSerialDevices(roots);
    if (devices.empty()) return "  none: plug in the Lynx cable's USB serial adapter\n";
    std::string text;
    const SerialDeviceInfo* refused = nullptr;
    for (const SerialDeviceInfo& d : devices) {
        text += "  " + d.device + "\n";
        if (!d.byId.empty()) text += "      by-id   " + d.byId + "\n";
        text += "      driver  " + (d.driver.empty() ? std::string("unknown") : d.driver) + "\n";
        text += "      group   " + d.group + "\n";
        text +=
            std::string("      you     ") + (d.mayOpen ? "may open it" : "may not open it") + "\n";
        if (!d.mayOpen && !refused) refused = &d;
    }
    if (refused) text += "\n" + PermissionAdvice(ReadAccessFacts(refused->device)) + "\n";
    return text;
}

std::string PortsText(const Registry& registry, const std::string& devRoot) {
    std::string text = "Port  Opens\n";
    for (const PortMapping& p : ReadPortMappings(registry, devRoot)) {
        std::string opens = p.device.empty() ? "(no device)" : p.device;
        std::string how = p.configured.empty() ? "default" : "set";
        if (!p.device.empty() && !p.present) how += ", not present";
        text += LeftAlign(p.port, 6) + opens + "  (" + how + ")\n";
    }
    text += "\nSerial devices found:\n" + SerialDevicesText(SerialRoots{devRoot});
    text += "\nChange with: GDLTools.exe port ComN DEVICE   (DEVICE \"default\" for the default)\n";
    return text;
}

}  // namespace gdl
