// Why a serial port will not open and what the user can do about it, and
// which serial devices this machine has. A failed open alone says only
// "permission denied" or "busy"; the user needs the device's group, the
// program that holds it, or the devices that do exist.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace gdl {

// Where the system's views live; tests point them at folders of their own.
struct SerialRoots {
    std::string dev = "/dev";
    std::string sys = "/sys";
    std::string proc = "/proc";
};

struct SerialDeviceInfo {
    std::string device;    // "/dev/ttyUSB0"
    std::string byId;      // its stable name under dev/serial/by-id; "" when none
    std::string driver;    // "ftdi_sio", "cdc_acm", "ch341-uart"; "" when unknown
    std::string group;     // the device's group, by name (its number when unnamed)
    bool mayOpen = false;  // this user may read and write it
};

// The serial devices present: those of sys/class/tty that have hardware
// behind them (serial ports the kernel knows but found no chip for are left
// out), in name order.
std::vector<SerialDeviceInfo> ListSerialDevices(const SerialRoots& roots = {});

struct DeviceHolder {
    int pid = 0;
    std::string name;  // the process's command name
};

// The processes other than this one with the device open, found as fuser
// finds them: each process's open files compared with the device's number.
// Processes of other users stay hidden to a user who is not root.
std::vector<DeviceHolder> FindDeviceHolders(const std::string& device,
                                            const SerialRoots& roots = {});

// What decides the advice on a refused open: the device's owner, group and
// mode, and the user's groups, now and as the account lists them.
struct AccessFacts {
    std::string device;
    unsigned mode = 0;  // permission bits
    uid_t owner = 0;
    gid_t group = 0;
    std::string groupName;
    uid_t uid = 0;
    std::vector<gid_t> sessionGroups;  // of this login session (getgroups)
    std::vector<gid_t> accountGroups;  // as the group database lists the user
};
AccessFacts ReadAccessFacts(const std::string& device);
// The cause and the fix for a refused open, as sentences.
std::string PermissionAdvice(const AccessFacts& facts);

// The group's name, or its number when the system has no name for it.
std::string GroupName(gid_t gid);
// The kernel's name of a device's tty ("ttyUSB0"), through links such as
// serial/by-id.
std::string TtyName(const std::string& device);

// The cause and the fix when opening device failed with errno error.
std::string ExplainOpenFailure(int error, const std::string& device, const SerialRoots& roots = {});
// A USB serial adapter (by its stable name or its driver's tty name), not a
// serial port of the PC's own.
bool IsUsbAdapter(const SerialDeviceInfo& device);
// The cause and the fix when port ("Com3") names no device: "No USB serial
// adapter found" when there is none, the devices there are, and how to
// choose one.
std::string ExplainNoDevice(const std::string& port, const SerialRoots& roots = {});
// One sentence naming the serial devices present, or saying there is none.
std::string DevicesPresentText(const SerialRoots& roots = {});

}  // namespace gdl
