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
      startUp_(c_) {
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
    long long port = portChoice_.Stored();
    if (port >= 0) portChoice_.Choose(port <= 3 ? static_cast<int>(port) + 1 : 1);
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
    switch (link_.Timer1Timer()) {
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

}  // namespace gdl
