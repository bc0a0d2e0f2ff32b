// The player's ports that need the Qt event loop: the window's one-shot
// Timer1, and the modal dialogs.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

#include "PlayerState.h"
#include "Timer.h"

namespace gdl {

namespace play {
class TfHint;
}
class TfLoad;
class PortReasonDialog;
class ChooseDeviceDialog;

class QtTimer : public Timer {
public:
    explicit QtTimer(QObject* owner);
    // The tick, on the window thread.
    void SetTick(std::function<void()> tick) { tick_ = std::move(tick); }
    void Start(int ms) override { timer_.start(ms); }
    void Stop() override { timer_.stop(); }
    bool Enabled() const override { return timer_.isActive(); }
    QTimer& Timer1() { return timer_; }

private:
    QTimer timer_;
    std::function<void()> tick_;
};

class QtPlayerDialogs : public PlayerDialogs {
public:
    QtPlayerDialogs(TfLoad& load, play::TfHint& hint) : load_(load), hint_(hint) {}
    std::optional<std::string> ShowLoad(const std::string& installFolder, const std::string& folder,
                                        const std::string& fileName) override;
    void ShowHint(const std::string& caption, const std::string& label,
                  const std::string& memo) override;
    void ShowPortReason(const std::string& caption, const std::string& status,
                        const std::string& reason) override;
    std::optional<DeviceChoice> ChooseDevice(const std::vector<std::string>& lines,
                                             int port) override;

private:
    TfLoad& load_;
    play::TfHint& hint_;
    // Made at first use, owned by the window the hint belongs to.
    PortReasonDialog* reason_ = nullptr;
    ChooseDeviceDialog* chooser_ = nullptr;
};

}  // namespace gdl
