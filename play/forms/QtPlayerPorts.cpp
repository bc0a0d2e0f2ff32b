#include "QtPlayerPorts.h"

#include "Cphint.h"
#include "Cpload.h"
#include "PortDialogs.h"

namespace gdl {

QtTimer::QtTimer(QObject* owner) {
    timer_.setObjectName("Timer1");
    // Timer1's handler stops it first; a single shot is the same timer.
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, owner, [this] {
        if (tick_) tick_();
    });
}

std::optional<std::string> QtPlayerDialogs::ShowLoad(const std::string& installFolder,
                                                     const std::string& folder,
                                                     const std::string& fileName) {
    return load_.ShowLoad(installFolder, folder, fileName);
}

void QtPlayerDialogs::ShowHint(const std::string& caption, const std::string& label,
                               const std::string& memo) {
    hint_.ShowHint(caption, label, memo);
}

void QtPlayerDialogs::ShowPortReason(const std::string& caption, const std::string& status,
                                     const std::string& reason) {
    if (!reason_) reason_ = new PortReasonDialog(hint_.parentWidget());
    reason_->ShowReason(caption, status, reason);
}

std::optional<PlayerDialogs::DeviceChoice> QtPlayerDialogs::ChooseDevice(
    const std::vector<std::string>& lines, int port) {
    if (!chooser_) chooser_ = new ChooseDeviceDialog(hint_.parentWidget());
    return chooser_->Choose(lines, port);
}

}  // namespace gdl
