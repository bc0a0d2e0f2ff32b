// GDLPlay's link: one Lynx exchange per play action, the end-of-level bursts
// that follow it, and what the window shows of both (LinkState, the status
// line, the lamp, the send's bar).
#pragma once

#include <string>

#include "LinkHeader.h"
#include "LynxExchange.h"
#include "PlayerState.h"

namespace gdl {

enum LinkState : int {
    lsOff = -1,
    lsSendingHeader = 0,
    lsSendingLevel = 1,
    lsAwaitingReply = 2,
    lsAcknowledging = 3,
    lsPlaying = 4,
    lsEolBurst1 = 5,
    lsEolBurst2 = 6,
    lsEolBurst3 = 7,
    lsEolBurst4 = 8,
};

inline constexpr char kCantReadLevel[] =
    "Can't perform one of the following file operations: Open, Seek, Read, Close.";

// How the last exchange went, for a front end to decide on.
using Exchange = ExchangeOutcome;

// What the watchdog's end-of-level tick asks the window to do.
enum class EolAction { None, PlayAgain, NextLevel };

class Link {
public:
    explicit Link(PlayerContext& context)
        : c_(context), exchange_(context.ports.line, context.ports.timer) {}

    // Steps 2 to 14 of the play action, after the progression step; whether
    // anything was sent. The stream leaves the port after this returns.
    bool Send();
    void DataAvailable();
    void ErrorOccurred(int error, const std::string& errorstr);
    void WriteProgress();
    void Written(bool ok);
    // The watchdog tick; an end-of-level decision comes back for the window.
    EolAction Timer1Timer();

    bool OpenPort() { return exchange_.OpenPort(); }
    void ClosePort() { exchange_.ClosePort(); }
    bool PortOpen() const { return exchange_.PortOpen(); }

    LinkState State() const { return state_; }
    // The stream of the last send is still leaving the port.
    bool Writing() const { return exchange_.Writing(); }
    Exchange LastExchange() const { return exchange_.Outcome(); }
    // A write of the last send failed.
    bool WriteFailed() const { return exchange_.WriteFailed(); }
    const LinkHeader& LastHeader() const { return header_; }

private:
    // The level bytes of the current level; empty when they cannot be read.
    std::string TakeLevelBytes();
    void Status(const std::string& text, Lamp lamp);
    // LinkState, the status line, the lamp and the bar from the exchange.
    void ShowExchange();

    PlayerContext& c_;
    LynxExchange exchange_;
    LinkState state_ = lsOff;
    LinkHeader header_{};
};

}  // namespace gdl
