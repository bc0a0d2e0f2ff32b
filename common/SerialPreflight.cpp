#include "SerialPreflight.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "FileUtil.h"
#include "TextUtil.h"

namespace gdl {

namespace fs = std::filesystem;

namespace {

constexpr char kCh340Id[] = "1a86:7523";

std::vector<fs::path> Entries(const fs::path& folder) {
    std::vector<fs::path> entries;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        entries.push_back(it->path());
    std::sort(entries.begin(), entries.end());
    return entries;
}

std::string FirstLine(const fs::path& file) {
    const std::string text = ReadFilePrefix(file.string(), 256).value_or("");
    return TrimBlanks(text.substr(0, text.find('\n')));
}

// The USB vendor:product of the adapter behind a tty, found by walking up
// from its device in sysfs; "" for a port that is not on USB.
std::string UsbIdOf(const std::string& ttyName, const SerialRoots& roots) {
    std::error_code ec;
    fs::path at = fs::canonical(fs::path(roots.sys) / "class/tty" / ttyName / "device", ec);
    const fs::path top = fs::path(roots.sys);
    for (int depth = 0; !ec && depth < 4 && at.has_relative_path() && at != top;
         ++depth, at = at.parent_path()) {
        const std::string vendor = FirstLine(at / "idVendor");
        const std::string product = FirstLine(at / "idProduct");
        if (!vendor.empty() && !product.empty()) return vendor + ":" + product;
    }
    return {};
}

// The processes whose command name is name.
std::vector<DeviceHolder> ProcessesNamed(const std::string& name, const SerialRoots& roots) {
    std::vector<DeviceHolder> found;
    for (const auto& entry : Entries(roots.proc)) {
        const auto pid = ParseDecimal(entry.filename().string());
        if (!pid || *pid <= 0) continue;
        if (FirstLine(entry / "comm") == name) found.push_back({static_cast<int>(*pid), name});
    }
    return found;
}

bool UsbDevicePresent(const std::string& id, const SerialRoots& roots) {
    for (const auto& dev : Entries(fs::path(roots.sys) / "bus/usb/devices")) {
        if (FirstLine(dev / "idVendor") + ":" + FirstLine(dev / "idProduct") == id) return true;
    }
    return false;
}

// The driver of the hardware behind a tty. Newer kernels put the serial
// core's own "port" and "ctrl" devices in between; the chip's driver is above.
std::string DriverOf(const fs::path& tty) {
    std::error_code ec;
    fs::path at = fs::canonical(tty / "device", ec);
    for (int depth = 0; !ec && depth < 4 && at.has_relative_path(); ++depth) {
        const fs::path driver = fs::canonical(at / "driver", ec);
        if (ec) return {};
        if (driver.parent_path().parent_path().filename() != "serial-base")
            return driver.filename().string();
        at = at.parent_path();
    }
    return {};
}

// brltty claims CH340 adapters for braille displays, so their tty vanishes.
std::string BrlttyAdvice(const SerialRoots& roots) {
    const auto brltty = ProcessesNamed("brltty", roots);
    if (brltty.empty() || !UsbDevicePresent(kCh340Id, roots)) return {};
    return " A CH340 USB serial adapter is plugged in, but brltty (process " +
           std::to_string(brltty.front().pid) +
           ") has taken it for a braille display. Without a braille display, remove it: sudo "
           "apt remove brltty, then plug the adapter in again.";
}

// What to do about one of the programs known to take serial adapters; "" for
// any other program.
std::string KnownHolderAdvice(const DeviceHolder& holder, const std::string& device,
                              const SerialRoots& roots) {
    if (holder.name == "ModemManager") {
        const std::string id = UsbIdOf(TtyName(device), roots);
        std::string rule = "ENV{ID_MM_DEVICE_IGNORE}=\"1\"";
        if (id.size() == 9) {
            rule = "ATTRS{idVendor}==\"" + id.substr(0, 4) + "\", ATTRS{idProduct}==\"" +
                   id.substr(5) + "\", " + rule;
        }
        return " ModemManager tries every new serial device as a modem. Stop it (sudo systemctl "
               "stop ModemManager), or make it leave the cable alone for good with this line in "
               "/etc/udev/rules.d/50-lynx-cable.rules: " +
               rule + ".";
    }
    if (holder.name == "brltty") {
        return " brltty takes serial adapters for braille displays. Without a braille display, "
               "remove it: sudo apt remove brltty, then plug the adapter in again.";
    }
    return {};
}

// The advice for all holders at once: each known one's own, and for the
// others one "Close ..., or end it" naming every process to end.
std::string HoldersAdvice(const std::vector<DeviceHolder>& holders, const std::string& device,
                          const SerialRoots& roots) {
    std::string text;
    std::string pids;
    std::size_t others = 0;
    for (const auto& h : holders) {
        const std::string known = KnownHolderAdvice(h, device, roots);
        if (!known.empty()) {
            text += known;
            continue;
        }
        pids += " " + std::to_string(h.pid);
        ++others;
    }
    if (others > 0)
        text += std::string(others > 1 ? " Close those programs" : " Close that program") +
                ", or end " + (others > 1 ? "them" : "it") + ": kill" + pids + ".";
    return text;
}

// Programs known to take serial adapters that are running now: ModemManager
// for ttyACM devices, brltty for CH340 adapters.
std::vector<DeviceHolder> LikelyHolders(const std::string& device, const SerialRoots& roots) {
    const std::string tty = TtyName(device);
    std::vector<DeviceHolder> likely;
    if (tty.rfind("ttyACM", 0) == 0) likely = ProcessesNamed("ModemManager", roots);
    if (UsbIdOf(tty, roots) == kCh340Id) {
        auto brltty = ProcessesNamed("brltty", roots);
        likely.insert(likely.end(), brltty.begin(), brltty.end());
    }
    return likely;
}

std::string HeldText(const std::string& device, const SerialRoots& roots) {
    const auto holders = FindDeviceHolders(device, roots);
    if (holders.empty()) {
        std::string text = device +
                           " is busy: another program has it open, one this user cannot see. sudo "
                           "fuser -v " +
                           device + " names it.";
        // The usual suspects run as root, so only their names are to be seen.
        for (const auto& suspect : LikelyHolders(device, roots)) {
            text += " It is likely " + suspect.name + " (process " + std::to_string(suspect.pid) +
                    ")." + KnownHolderAdvice(suspect, device, roots);
        }
        return text;
    }
    std::string names;
    for (const auto& h : holders) {
        if (!names.empty()) names += ", ";
        names += h.name + " (process " + std::to_string(h.pid) + ")";
    }
    return device + " is busy: " + names + (holders.size() > 1 ? " have" : " has") + " it open." +
           HoldersAdvice(holders, device, roots);
}

// Where the user picks another device, when there is one to pick.
std::string ChooseAnotherText(const SerialRoots& roots) {
    if (ListSerialDevices(roots).empty()) return {};
    return " Options > Choose Device... in GDLPlay picks another.";
}

}  // namespace

std::string TtyName(const std::string& device) {
    std::error_code ec;
    const fs::path real = fs::canonical(device, ec);
    return (ec ? fs::path(device) : real).filename().string();
}

std::vector<SerialDeviceInfo> ListSerialDevices(const SerialRoots& roots) {
    std::vector<fs::path> byId = Entries(fs::path(roots.dev) / "serial/by-id");
    std::vector<SerialDeviceInfo> devices;
    for (const auto& tty : Entries(fs::path(roots.sys) / "class/tty")) {
        std::error_code ec;
        // Consoles and pseudo-terminals have no hardware behind them.
        if (!fs::exists(tty / "device", ec)) continue;
        // A serial port the kernel reserves without finding a chip reads type 0.
        if (FirstLine(tty / "type") == "0") continue;
        SerialDeviceInfo d;
        const std::string name = tty.filename().string();
        d.device = (fs::path(roots.dev) / name).string();
        struct stat st {};
        if (::stat(d.device.c_str(), &st) != 0) continue;
        d.driver = DriverOf(tty);
        d.group = GroupName(st.st_gid);
        d.mayOpen = ::access(d.device.c_str(), R_OK | W_OK) == 0;
        const fs::path real = fs::canonical(d.device, ec);
        for (const auto& link : byId) {
            std::error_code linkEc;
            if (!ec && fs::canonical(link, linkEc) == real && !linkEc) {
                d.byId = link.string();
                break;
            }
        }
        devices.push_back(std::move(d));
    }
    return devices;
}

std::vector<DeviceHolder> FindDeviceHolders(const std::string& device, const SerialRoots& roots) {
    struct stat target {};
    if (::stat(device.c_str(), &target) != 0) return {};
    const bool byNumber = S_ISCHR(target.st_mode);
    // Our own failed attempt may still be open while the reason is written.
    const long self = ::getpid();
    std::vector<DeviceHolder> holders;
    for (const auto& entry : Entries(roots.proc)) {
        const auto pid = ParseDecimal(entry.filename().string());
        if (!pid || *pid <= 0 || *pid == self) continue;
        for (const auto& fd : Entries(entry / "fd")) {
            struct stat st {};
            if (::stat(fd.c_str(), &st) != 0) continue;
            const bool same = byNumber ? S_ISCHR(st.st_mode) && st.st_rdev == target.st_rdev
                                       : st.st_dev == target.st_dev && st.st_ino == target.st_ino;
            if (!same) continue;
            holders.push_back({static_cast<int>(*pid), FirstLine(entry / "comm")});
            break;
        }
    }
    // The program started last is the likely one in the way: a simulator or
    // a terminal that made the line comes before the program that took it.
    std::sort(holders.begin(), holders.end(),
              [](const DeviceHolder& a, const DeviceHolder& b) { return a.pid > b.pid; });
    return holders;
}

std::string DevicesPresentText(const SerialRoots& roots) {
    const auto devices = ListSerialDevices(roots);
    if (devices.empty())
        return "No serial device is plugged in: connect the Lynx cable's USB serial adapter.";
    std::string text = "Serial devices here:";
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const auto& d = devices[i];
        text += (i == 0 ? " " : ", ") + d.device + " (";
        if (!d.driver.empty()) text += d.driver + ", ";
        text += "group " + d.group + (d.mayOpen ? "" : ", not for this user") + ")";
    }
    return text + ".";
}

std::string ExplainOpenFailure(int error, const std::string& device, const SerialRoots& roots) {
    switch (error) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return "There is no device " + device + ". " + DevicesPresentText(roots) +
                   BrlttyAdvice(roots) + ChooseAnotherText(roots);
        case EACCES:
        case EPERM:
            return PermissionAdvice(ReadAccessFacts(device));
        case EBUSY:
        case EWOULDBLOCK:
            return HeldText(device, roots);
        case ENOTTY:
        case EISDIR:
            return device + " is not a serial device. " + DevicesPresentText(roots);
        case EIO:
            return device + " does not answer: the port may have no hardware behind it. " +
                   DevicesPresentText(roots);
        default:
            return device + ": " + std::strerror(error) + ".";
    }
}

bool IsUsbAdapter(const SerialDeviceInfo& device) {
    const std::string tty = fs::path(device.device).filename().string();
    return !device.byId.empty() || tty.rfind("ttyUSB", 0) == 0 || tty.rfind("ttyACM", 0) == 0;
}

std::string ExplainNoDevice(const std::string& port, const SerialRoots& roots) {
    const auto devices = ListSerialDevices(roots);
    const bool usb = std::any_of(devices.begin(), devices.end(), IsUsbAdapter);
    // The PC's own serial ports are never taken in silence: the cable is a USB one.
    std::string text = usb ? "No serial device was found for " + port + ". "
                           : "No USB serial adapter found for " + port + ". ";
    text += DevicesPresentText(roots);
    text += BrlttyAdvice(roots);
    if (!devices.empty())
        text += " Options > Choose Device... in GDLPlay (or gdltools port " + port +
                " DEVICE) makes " + port + " open one of them.";
    return text;
}

}  // namespace gdl
