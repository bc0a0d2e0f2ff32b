#include "PortMenu.h"

#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "FileUtil.h"
#include "PlayerView.h"
#include "PortNames.h"
#include "Registry.h"

namespace fs = std::filesystem;

namespace gdl {

namespace {

MenuItemView* ComItem(PlayerView& v, int k) {
    MenuItemView* items[] = {&v.Com11, &v.Com21, &v.Com31, &v.Com41};
    return items[k - 1];
}

std::string PortName(int k) {
    return "Com" + std::to_string(k);
}

bool SameDevice(const std::string& a, const std::string& b) {
    std::error_code ea;
    std::error_code eb;
    const fs::path ra = fs::canonical(a, ea);
    const fs::path rb = fs::canonical(b, eb);
    return !ea && !eb && ra == rb;
}

}  // namespace

std::string ComCaption(int k, const std::string& where) {
    return "Com&" + std::to_string(k) + "  (" + where + ")";
}

std::string DeviceDisplayName(const SerialDeviceInfo& device) {
    return device.byId.empty() ? device.device : FileNameOf(device.byId);
}

std::string DeviceLine(const SerialDeviceInfo& device) {
    std::string line = DeviceDisplayName(device);
    if (!device.byId.empty()) line += "  " + device.device;
    line += "  " + (device.driver.empty() ? std::string("unknown driver") : device.driver);
    line += device.mayOpen ? "  you may open it" : "  not for you (group " + device.group + ")";
    return line;
}

std::string InPlayText(const std::string& label) {
    return "Level " + label + " is in play on the Lynx";
}

std::string PortMenu::DeviceOf(int k) const {
    return ResolvePortDevice(PortName(k), &registry_, roots_);
}

std::string PortMenu::WhereText(int k) const {
    const std::string device = DeviceOf(k);
    if (device.empty() || !FileExists(device)) return kNotPresent;
    for (const auto& d : devices_) {
        if (d.device == device || d.byId == device || SameDevice(d.device, device))
            return DeviceDisplayName(d);
    }
    return device.rfind(WithTrailingSlash(roots_.dev) + "serial/by-id/", 0) == 0
               ? FileNameOf(device)
               : device;
}

bool PortMenu::Refresh(PlayerView& view) {
    devices_ = ListSerialDevices(roots_);
    std::vector<std::string> captions;
    for (int k = 1; k <= kComPorts; ++k) {
        captions.push_back(ComCaption(k, WhereText(k)));
        ComItem(view, k)->caption = captions.back();
    }
    const bool changed = captions != captions_;
    captions_ = std::move(captions);
    return changed;
}

void PortMenu::Choose(int k, const SerialDeviceInfo& device) {
    if (k < 1 || k > kComPorts) return;
    registry_.CreateKey(RegRoot::LocalMachine, kRegKeyGlobal);
    registry_.WriteValue(RegRoot::LocalMachine, kRegKeyGlobal, PortName(k),
                         device.byId.empty() ? device.device : device.byId);
}

std::string PortMenu::ReasonNow(int k) const {
    const std::string device = DeviceOf(k);
    if (device.empty()) return ExplainNoDevice(PortName(k), roots_);
    if (!FileExists(device)) return ExplainOpenFailure(ENOENT, device, roots_);
    if (::access(device.c_str(), R_OK | W_OK) != 0)
        return ExplainOpenFailure(errno, device, roots_);
    return {};
}

}  // namespace gdl
