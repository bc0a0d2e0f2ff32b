// A machine of our own for the serial pre-flight: dev/, sys/ and proc/
// under a temp folder, with ttys, USB adapters and processes as the kernel
// shows them.
#pragma once

#include <filesystem>
#include <string>

#include "SerialPreflight.h"
#include "TempDir.h"

namespace gdltest {

struct FakeMachine {
    gdltest::TempDir dir;
    gdl::SerialRoots roots{dir.Path("dev"), dir.Path("sys"), dir.Path("proc")};
    FakeMachine() {
        for (const char* folder : {"dev/serial/by-id", "sys/class/tty", "sys/bus/usb/devices",
                                   "sys/bus/usb-serial/drivers", "proc"})
            dir.MakeFolder(folder);
    }
    // A tty with hardware: sys/class/tty/NAME/device -> a device folder
    // below usbDevice (a USB adapter) or alone; its driver; a /dev node.
    void Tty(const std::string& name, const std::string& driver, const std::string& usbId = {},
             const std::string& type = {}) {
        std::string device = "sys/devices/platform/" + name;
        if (!usbId.empty()) {
            const std::string usb = "sys/devices/usb1/1-" + name;
            dir.MakeFolder(usb);
            dir.Write(usb + "/idVendor", usbId.substr(0, 4) + "\n");
            dir.Write(usb + "/idProduct", usbId.substr(5) + "\n");
            std::filesystem::create_directory_symlink(dir.Path(usb),
                                                      dir.Path("sys/bus/usb/devices/1-" + name));
            device = usb + "/1-" + name + ":1.0";
        }
        dir.MakeFolder(device);
        dir.MakeFolder("sys/bus/usb-serial/drivers/" + driver);
        std::filesystem::create_directory_symlink(dir.Path("sys/bus/usb-serial/drivers/" + driver),
                                                  dir.Path(device + "/driver"));
        dir.MakeFolder("sys/class/tty/" + name);
        std::filesystem::create_directory_symlink(dir.Path(device),
                                                  dir.Path("sys/class/tty/" + name + "/device"));
        if (!type.empty()) dir.Write("sys/class/tty/" + name + "/type", type + "\n");
        dir.Write("dev/" + name, "");
    }
    // A process named name with file open.
    void Process(int pid, const std::string& name, const std::string& file = {}) {
        const std::string folder = "proc/" + std::to_string(pid);
        dir.MakeFolder(folder + "/fd");
        dir.Write(folder + "/comm", name + "\n");
        if (!file.empty()) std::filesystem::create_symlink(file, dir.Path(folder + "/fd/3"));
    }
};

}  // namespace gdltest
