#include "PortNames.h"

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <set>
#include <utility>

#include "FileUtil.h"
#include "Registry.h"
#include "SerialPreflight.h"
#include "TextUtil.h"

namespace gdl {

namespace fs = std::filesystem;

namespace {

std::optional<unsigned long> NumberAfter(std::string_view name, std::string_view prefix,
                                         bool ignoreCase) {
    if (name.size() <= prefix.size() || name.size() > prefix.size() + 6) return std::nullopt;
    std::string_view head = name.substr(0, prefix.size());
    if (ignoreCase ? !EqualsNoCase(head, prefix) : head != prefix) return std::nullopt;
    std::string_view digits = name.substr(prefix.size());
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    return std::stoul(std::string(digits));
}

std::vector<fs::path> Entries(const fs::path& folder) {
    std::vector<fs::path> entries;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        entries.push_back(it->path());
    }
    return entries;
}

// devRoot's devices named prefix + number, in numeric order.
std::vector<fs::path> Numbered(const std::vector<fs::path>& devEntries, std::string_view prefix) {
    std::vector<std::pair<unsigned long, fs::path>> found;
    for (const auto& path : devEntries) {
        if (auto n = NumberAfter(path.filename().string(), prefix, false))
            found.emplace_back(*n, path);
    }
    std::sort(found.begin(), found.end());
    std::vector<fs::path> paths;
    for (auto& [n, path] : found) paths.push_back(std::move(path));
    return paths;
}

// The by-id entries (sorted by name), then DEV/PREFIX* of each prefix in
// numeric order, each device once.
std::vector<std::string> DevicesNamed(const fs::path& root,
                                      std::initializer_list<const char*> prefixes) {
    std::vector<fs::path> candidates = Entries(root / "serial" / "by-id");
    std::sort(candidates.begin(), candidates.end());
    const std::vector<fs::path> devEntries = Entries(root);
    for (const char* prefix : prefixes) {
        auto more = Numbered(devEntries, prefix);
        candidates.insert(candidates.end(), more.begin(), more.end());
    }
    std::vector<std::string> devices;
    std::set<fs::path> seen;
    for (const auto& path : candidates) {
        std::error_code ec;
        fs::path target = fs::canonical(path, ec);
        if (seen.insert(ec ? path : target).second) devices.push_back(path.string());
    }
    return devices;
}

}  // namespace

std::vector<std::string> DefaultPortDevices(const std::string& devRoot) {
    SerialRoots roots;
    roots.dev = devRoot;
    // Only the system's own /dev has the system's /sys beside it.
    if (devRoot != "/dev") roots.sys.clear();
    return DefaultPortDevices(roots);
}

std::vector<std::string> AllPortDevices(const std::string& devRoot) {
    return DevicesNamed(devRoot, {"ttyUSB", "ttyACM", "ttyS"});
}

std::vector<std::string> DefaultPortDevices(const SerialRoots& roots) {
    const fs::path root(roots.dev);
    std::vector<std::string> devices = DevicesNamed(root, {"ttyUSB", "ttyACM"});
    if (!devices.empty()) return devices;
    const std::vector<fs::path> devEntries = Entries(root);
    // No USB adapter: a serial port of the PC's own only when it is the one
    // port there is, so a cable on it works and nothing is taken in silence.
    std::vector<std::string> ports;
    if (roots.sys.empty()) {
        for (const auto& path : Numbered(devEntries, "ttyS")) ports.push_back(path.string());
    } else {
        for (const auto& d : ListSerialDevices(roots)) ports.push_back(d.device);
    }
    if (ports.size() == 1) return ports;
    return {};
}

std::string ResolvePortDevice(const std::string& port, const Registry* registry) {
    return ResolvePortDevice(port, registry, "/dev");
}

std::string ResolvePortDevice(const std::string& port, const Registry* registry,
                              const std::string& devRoot) {
    SerialRoots roots;
    roots.dev = devRoot;
    if (devRoot != "/dev") roots.sys.clear();
    return ResolvePortDevice(port, registry, roots);
}

std::string ResolvePortDevice(const std::string& port, const Registry* registry,
                              const SerialRoots& roots) {
    const std::string& devRoot = roots.dev;
    if (port.empty() || port.front() == '/') return port;
    const auto number = NumberAfter(port, "Com", true);
    if (!number) return WithTrailingSlash(devRoot) + port;
    if (*number == 0) return {};
    if (registry) {
        const std::string name = "Com" + std::to_string(*number);
        const std::string stored = TrimBlanks(
            registry->ReadValue(RegRoot::LocalMachine, kRegKeyGlobal, name).value_or(""));
        if (!stored.empty())
            return stored.front() == '/' ? stored : WithTrailingSlash(devRoot) + stored;
    }
    const auto devices = DefaultPortDevices(roots);
    return *number <= devices.size() ? devices[*number - 1] : std::string();
}

PortResolver RegistryPortResolver(const Registry* registry) {
    return [registry](const std::string& port) { return ResolvePortDevice(port, registry); };
}

}  // namespace gdl
