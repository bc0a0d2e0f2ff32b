// Port names to devices: "Com1" ... "Com4" stay the names the user sees; the
// serial component only ever opens a device path.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace gdl {

class Registry;

// The device a port name opens:
// - a name starting with "/" is itself (whatever its length);
// - "ComN" (any case, N from 1) is the machine registry value "ComN" under
//   Software\Vandrel\GDLKIT\global when it holds a path, else the N-th device
//   of DefaultPortDevices, so one USB adapter plugged in is Com1;
// - any other name is a device under /dev ("ttyUSB0").
// "" when the default rule has no N-th device.
std::string ResolvePortDevice(const std::string& port, const Registry* registry);
std::string ResolvePortDevice(const std::string& port, const Registry* registry,
                              const std::string& devRoot);
struct SerialRoots;
std::string ResolvePortDevice(const std::string& port, const Registry* registry,
                              const SerialRoots& roots);
// The devices Com1, Com2, ... take by default, in order: the USB adapters,
// the entries of DEV/serial/by-id/ (sorted by name), then DEV/ttyUSB* and
// ttyACM* (each in numeric order), leaving out a device already listed
// through a by-id link. Without any, the PC's own serial port when it is the
// only serial device with hardware behind it (for a DEVROOT other than /dev,
// the only ttyS*); else none.
std::vector<std::string> DefaultPortDevices(const std::string& devRoot = "/dev");
std::vector<std::string> DefaultPortDevices(const SerialRoots& roots);
// Every serial device by name, to choose from: the by-id entries, then
// DEVROOT/ttyUSB*, ttyACM* and ttyS*, each device once.
std::vector<std::string> AllPortDevices(const std::string& devRoot = "/dev");

// Port name -> device path, as the serial component asks for it at open.
using PortResolver = std::function<std::string(const std::string& port)>;
// ResolvePortDevice over registry (which must outlive the resolver; may be null).
PortResolver RegistryPortResolver(const Registry* registry);

}  // namespace gdl
