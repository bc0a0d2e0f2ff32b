// The player's ports as the user sees them: where each of "Com &1" to
// "Com &4" goes (its stable device name, or "not present"), the serial
// devices to choose from, the choice stored for a port, and the reason shown
// when a port will not open, kept true as adapters come and go.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "SerialPreflight.h"

namespace gdl {

class Registry;
struct PlayerView;

inline constexpr int kComPorts = 4;
inline constexpr char kNotPresent[] = "not present";

// "Com&1  (usb-FTDI_FT232R_USB_UART_A1-if00-port0)", "Com&2  (not present)".
std::string ComCaption(int k, const std::string& where);
// How a device is named to the user: its by-id name when it has one, else
// its path.
std::string DeviceDisplayName(const SerialDeviceInfo& device);
// One line of the Choose Device list: name, driver, and whether this user
// may open it.
std::string DeviceLine(const SerialDeviceInfo& device);
// The lamp's tooltip while a level is in play.
std::string InPlayText(const std::string& label);

class PortMenu {
public:
    explicit PortMenu(Registry& registry, SerialRoots roots = {})
        : registry_(registry), roots_(std::move(roots)) {}

    // Looks at the devices again and writes the four captions into view;
    // true when anything the user sees changed since the last look.
    bool Refresh(PlayerView& view);
    // The device port k (1 .. 4) opens now ("" when none), and what the menu says of it.
    std::string DeviceOf(int k) const;
    std::string WhereText(int k) const;
    // The serial devices of the last Refresh, in the order the dialog lists them.
    const std::vector<SerialDeviceInfo>& Devices() const { return devices_; }
    // Stores device for port k (by its stable name when it has one).
    void Choose(int k, const SerialDeviceInfo& device);
    // Why port k cannot be used now, before anything is opened: "" when its
    // device is there and this user may open it.
    std::string ReasonNow(int k) const;

private:
    Registry& registry_;
    SerialRoots roots_;
    std::vector<SerialDeviceInfo> devices_;
    std::vector<std::string> captions_;
};

}  // namespace gdl
