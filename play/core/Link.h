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

// How the last exchange went, for a front end to decide on.
enum class Exchange {
    None,           // nothing sent yet
    Sending,        // sent, the answer not yet known
    InPlay,         // the Lynx answered and fell silent
    CannotOpen,     // the port could not be opened; nothing sent
    NotResponding,  // no answer of the Lynx's (silence, only the echo, or endless data)
    ReadError,      // the port reported a line error while reading
};

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
    Exchange LastExchange() const { return exchange_; }
    // A write of the last send failed.
    bool WriteFailed() const { return writeFailed_; }
    bool PortOpen() const { return portOpen_; }
    const LinkHeader& LastHeader() const { return header_; }

private:
    // Fills the level bytes of the current level; false when they cannot be read.
    std::string TakeLevelBytes();
    void Status(const std::string& text, Lamp lamp);
    const std::string& PortName() const;
    bool Write(SerialLine& line, unsigned char byte);
    // Reads what has arrived, six bytes at a time, until a byte is not the
    // echo of what this send wrote, in order: that one is the Lynx's.
    Heard Listen();
    void NotResponding();

    PlayerContext& c_;
    LinkState state_ = lsOff;
    bool portOpen_ = false;
    LinkHeader header_{};
    Exchange exchange_ = Exchange::None;
    bool writeFailed_ = false;
    // The bytes this send wrote, and how many of them have come back: a
    // one-wire cable hears its own bytes.
    LinkEcho echo_;
    bool lynxHeard_ = false;
    long long answerSince_ = 0;
};

}  // namespace gdl
