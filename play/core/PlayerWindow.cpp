#include "PlayerWindow.h"

#include <utility>

#include "FileUtil.h"
#include "SerialLine.h"
#include "TextUtil.h"

namespace gdl {

namespace {
constexpr std::size_t kCodeLength = 4;
}

PlayerWindow::PlayerWindow(PlayerPorts ports, std::vector<std::string> args,
                           std::string playerFolder)
    : c_{std::move(ports), {}, {}, std::move(args)},
      reader_(c_),
      progression_(c_, reader_),
      link_(c_),
      portChoice_(c_, link_),
      startUp_(c_),
      portMenu_(c_.ports.registry, c_.ports.serialRoots) {
    c_.state.playerFolder = WithTrailingSlash(playerFolder);
    c_.ports.line.SetPort("Com1");
    c_.ports.line.onDataAvailable = [this] { zComDataAvailable(); };
    c_.ports.line.onErrorOccurred = [this](int error, const std::string& errorstr) {
        zComErrorOccurred(error, errorstr);
    };
    c_.ports.line.onWriteProgress = [this] { zComWriteProgress(); };
    c_.ports.line.onWritten = [this](bool ok) { zComWritten(ok); };
}

void PlayerWindow::FormActivate() {
    if (activated_) return;
    activated_ = true;
    if (!startUp_.ReadFolders()) return;
    const std::vector<std::string>& args = c_.args;
    if (args.size() >= 2 && args[1] == kCdArgument) progression_.EnterCdMode();
    portMenu_.Refresh(c_.view);
    long long port = portChoice_.Stored();
    if (port >= 0) ChoosePort(port <= 3 ? static_cast<int>(port) + 1 : 1);
    startUp_.ReadOptions();
    std::string path = startUp_.SetPathToStart(
        c_.view.AutoLoadLevelSet1.checked ? progression_.LoadLastLevelSet() : std::string());
    if (path.empty()) {
        progression_.Load();
        return;
    }
    progression_.TakeSetPath(path);
    if (args.size() < 2 || c_.state.cd) {
        progression_.StartLevelSet();
    } else {
        progression_.EnterTestMode(ParseDecimal(args[1]).value_or(1));
    }
}

void PlayerWindow::FormClose() {
    progression_.FormClose();
}

void PlayerWindow::FormDestroy() {
    if (destroyed_) return;
    destroyed_ = true;
    link_.ClosePort();
}

void PlayerWindow::UsePort(const std::string& port) {
    portChoice_.Use(port);
}

void PlayerWindow::BeginAction() {
    ++actionDepth_;
}

void PlayerWindow::EndAction() {
    if (--actionDepth_ > 0) return;
    // What arrived meanwhile belongs after the action: the bytes heard during
    // a send are the Lynx's first data, and a send restarted the watchdog.
    auto held = std::exchange(held_, {});
    bool tick = std::exchange(heldTick_, false);
    for (const auto& event : held) event();
    if (tick && !lastPlaySent_) Timer1Timer();
}

bool PlayerWindow::Defer(void (PlayerWindow::*click)()) {
    if (!link_.Writing()) return false;
    deferredClick_ = click;
    return true;
}

void PlayerWindow::SpeedButton1Click() {
    if (Defer(&PlayerWindow::SpeedButton1Click)) return;
    BeginAction();
    c_.view.iStatHint.clear();
    progression_.PlayStep();
    lastPlaySent_ = link_.Send();
    EndAction();
}

void PlayerWindow::SpeedButton2Click() {
    if (Defer(&PlayerWindow::SpeedButton2Click)) return;
    BeginAction();
    lastPlaySent_ = false;
    if (progression_.Next()) SpeedButton1Click();
    EndAction();
}

void PlayerWindow::ePWChange(const std::string& text) {
    c_.view.ePW = ToUpperAscii(text).substr(0, kCodeLength);
}

void PlayerWindow::zComDataAvailable() {
    if (actionDepth_ > 0) {
        held_.emplace_back([this] { zComDataAvailable(); });
        return;
    }
    link_.DataAvailable();
}

void PlayerWindow::zComErrorOccurred(int error, const std::string& errorstr) {
    if (actionDepth_ > 0) {
        held_.emplace_back([this, error, errorstr] { zComErrorOccurred(error, errorstr); });
        return;
    }
    link_.ErrorOccurred(error, errorstr);
    ShowInPlay();
}

void PlayerWindow::zComWriteProgress() {
    if (actionDepth_ > 0) return;  // the action's own send shows its bar when it ends
    link_.WriteProgress();
}

void PlayerWindow::zComWritten(bool ok) {
    if (actionDepth_ > 0) {
        held_.emplace_back([this, ok] { zComWritten(ok); });
        return;
    }
    link_.Written(ok);
    if (auto click = std::exchange(deferredClick_, nullptr)) (this->*click)();
}

void PlayerWindow::Timer1Timer() {
    if (actionDepth_ > 0) {
        heldTick_ = true;
        return;
    }
    const EolAction action = link_.Timer1Timer();
    ShowInPlay();
    switch (action) {
        case EolAction::NextLevel:
            Flash(&PlayerView::Panel6Color, &PlayerWindow::SpeedButton2Click);
            break;
        case EolAction::PlayAgain:
            Flash(&PlayerView::Panel5Color, &PlayerWindow::SpeedButton1Click);
            break;
        case EolAction::None:
            break;
    }
}

void PlayerWindow::Flash(Rgb PlayerView::*panel, void (PlayerWindow::*click)()) {
    c_.view.*panel = kClPurple;
    c_.ports.repaint();
    (this->*click)();
    c_.view.*panel = kClBlue;
}

void PlayerWindow::ShowInPlay() {
    PlayerView& v = c_.view;
    const bool inPlay = link_.LastExchange() == Exchange::InPlay && link_.State() >= lsPlaying &&
                        (v.iStat == Lamp::Off || v.iStat == Lamp::InPlay);
    if (inPlay && v.iStat == Lamp::Off) v.iStatHint = InPlayText(c_.state.label);
    if (!inPlay) v.iStatHint.clear();
    v.iStat = inPlay ? Lamp::InPlay : (v.iStat == Lamp::InPlay ? Lamp::Off : v.iStat);
}

int PlayerWindow::CheckedPort() const {
    const PlayerView& v = c_.view;
    const MenuItemView* items[] = {&v.Com11, &v.Com21, &v.Com31, &v.Com41};
    for (int k = 1; k <= kComPorts; ++k)
        if (items[k - 1]->checked) return k;
    return 1;
}

void PlayerWindow::ChoosePort(int k) {
    portChoice_.Choose(k);
    portMenu_.Refresh(c_.view);
}

void PlayerWindow::ChooseDevice1Click() {
    portMenu_.Refresh(c_.view);
    const auto& devices = portMenu_.Devices();
    std::vector<std::string> lines;
    for (const auto& d : devices) lines.push_back(DeviceLine(d));
    auto chosen = c_.ports.dialogs.ChooseDevice(lines, CheckedPort());
    if (!chosen || chosen->line >= devices.size() || chosen->port < 1 || chosen->port > kComPorts)
        return;
    // CD mode stores nothing, the device no more than the port.
    if (!c_.state.cd) portMenu_.Choose(chosen->port, devices[chosen->line]);
    ChoosePort(chosen->port);
    if (link_.LastExchange() == Exchange::CannotOpen)
        c_.view.Panel14Hint = portMenu_.ReasonNow(chosen->port);
}

void PlayerWindow::Panel14Click() {
    const PlayerView& v = c_.view;
    if (v.Panel14Hint.empty()) return;
    c_.ports.dialogs.ShowPortReason("Com" + std::to_string(CheckedPort()),
                                    TrimBlanks(v.Panel14.text), v.Panel14Hint);
}

void PlayerWindow::DevicesChanged() {
    if (!portMenu_.Refresh(c_.view)) return;
    // Only a port that failed has a reason to keep true; a port in use
    // speaks for itself at the next send.
    if (link_.LastExchange() != Exchange::CannotOpen) return;
    const std::string reason = portMenu_.ReasonNow(CheckedPort());
    c_.view.Panel14Hint = reason.empty() ? "Com" + std::to_string(CheckedPort()) + " is now " +
                                               portMenu_.WhereText(CheckedPort()) +
                                               ": press PLAY to send the level."
                                         : reason;
}

}  // namespace gdl
