// The Lynx link: the byte stream that loads a level, the watchdog that turns
// the Lynx's answers and silences into link states, and the choice of port.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "LinkHeader.h"
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

inline constexpr long kReadChunk = 6;
inline constexpr char kCantReadLevel[] =
    "Can't perform one of the following file operations: Open, Seek, Read, Close.";
inline constexpr char kRegValuePort[] = "Port";

// What the watchdog's end-of-level tick asks the window to do.
enum class EolAction { None, PlayAgain, NextLevel };

class Link {
public:
    explicit Link(PlayerContext& context) : c_(context) {}

    // Steps 2 to 14 of the play action, after the progression step; whether
    // anything was sent (a send restarts the watchdog).
    bool Send();
    void DataAvailable();
    void ErrorOccurred(int error, const std::string& errorstr);
    // The watchdog tick; an end-of-level decision comes back for the window.
    EolAction Timer1Timer();

    // Port choice k = 1 .. 4 (the Com menu items).
    void ChoosePort(int k);
    bool OpenPort();
    void ClosePort();
    // The stored "Port" as an integer (0 when missing or not a number; 0 in CD mode).
    long long StoredPort() const;

    LinkState State() const { return state_; }
    bool PortOpen() const { return portOpen_; }
    const LinkHeader& LastHeader() const { return header_; }

private:
    // Fills the level bytes of the current level; false when they cannot be read.
    std::string TakeLevelBytes();
    void Status(const std::string& text, Lamp lamp);
    const std::string& PortName() const;

    PlayerContext& c_;
    LinkState state_ = lsOff;
    bool portOpen_ = false;
    LinkHeader header_{};
};

}  // namespace gdl
