// TfPlay, the player's main window, as state and commands. A form (or the
// headless sender) forwards each event to the handler of the same name and
// then renders View().
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "Link.h"
#include "PlayerState.h"
#include "PortChoice.h"
#include "PortMenu.h"
#include "Progression.h"
#include "Reader.h"
#include "StartUp.h"

namespace gdl {

class PlayerWindow {
public:
    // args: the command line's arguments (without the program); playerFolder:
    // the program's own folder with trailing "/".
    PlayerWindow(PlayerPorts ports, std::vector<std::string> args, std::string playerFolder);

    // Start-up, once, at the first activation.
    void FormActivate();
    void FormClose();
    void FormDestroy();

    void SpeedButton1Click();                                // PLAY / RE-PLAY, Play1, WPlay1
    void SpeedButton2Click();                                // NEXT, Next1
    void SpeedButton3Click() { progression_.Load(); }        // LOAD, Load1
    void SpeedButton4Click() { progression_.Restart(); }     // RESTART, Restart1
    void SpeedButton5Click() { progression_.Quit(); }        // QUIT, Quit1
    void SpeedButton6Click() { progression_.WizardBack(); }  // <BACK, WBack1
    void SpeedButton7Click() { progression_.WizardNext(); }  // NEXT>, WNext1
    void Hint1Click() { progression_.Hint1Click(); }
    void ePWChange(const std::string& text);

    void zComDataAvailable();
    void zComErrorOccurred(int error, const std::string& errorstr);
    void Timer1Timer();
    // The line's write events: the stream is leaving the port, or has left.
    void zComWriteProgress();
    void zComWritten(bool ok);

    // The headless sender's --port: this run only, nothing stored.
    void UsePort(const std::string& port);

    void Com11Click() { ChoosePort(1); }
    void Com21Click() { ChoosePort(2); }
    void Com31Click() { ChoosePort(3); }
    void Com41Click() { ChoosePort(4); }
    // Options > Choose Device...: a device for one of the ports, then that port.
    void ChooseDevice1Click();
    // A click on the status line or the lamp: the whole reason, when there is one.
    void Panel14Click();
    // A serial device came or went: the menu and the reason follow.
    void DevicesChanged();
    void SavePassword1Click() { startUp_.SavePassword1Click(); }
    void AutoLoadLevelSet1Click() { startUp_.AutoLoadLevelSet1Click(); }
    void IgnoreLynxButtons1Click() { startUp_.IgnoreLynxButtons1Click(); }
    void Contents1Click() { startUp_.Contents1Click(); }
    void About1Click() { startUp_.About1Click(); }
    void Info1Click() { startUp_.Info1Click(); }

    const PlayerView& View() const { return c_.view; }
    const PlayerState& State() const { return c_.state; }
    const Link& LinkLayer() const { return link_; }
    // Whether the last play action sent anything.
    bool LastPlaySent() const { return lastPlaySent_; }

private:
    // Runs a click with its panel purple, repainted before the click runs.
    void Flash(Rgb PlayerView::*panel, void (PlayerWindow::*click)());
    // PLAY or NEXT while a stream still leaves the port: noted for later.
    bool Defer(void (PlayerWindow::*click)());
    void BeginAction();
    void EndAction();
    void ChoosePort(int k);
    // The checked Com item, 1 .. 4.
    int CheckedPort() const;
    // The lamp shows a level in play until anything else lights it.
    void ShowInPlay();

    PlayerContext c_;
    Reader reader_;
    Progression progression_;
    Link link_;
    PortChoice portChoice_;
    StartUp startUp_;
    PortMenu portMenu_;
    bool activated_ = false;
    bool destroyed_ = false;
    // A play action is running: notifications and ticks of the previous
    // exchange wait until it has finished.
    int actionDepth_ = 0;
    std::vector<std::function<void()>> held_;
    bool heldTick_ = false;
    // PLAY or NEXT pressed while the last stream still leaves the port: it
    // runs once the stream is out, as a click waited behind the send.
    void (PlayerWindow::*deferredClick_)() = nullptr;
    bool lastPlaySent_ = false;
};

}  // namespace gdl
