// One exchange with the Lynx's loader: the level's stream (preamble, link
// header, level bytes) handed to the port in one piece, the cable's echo told
// from the Lynx's answer, the answer timed on the window's timer (500 ms of
// silence ends it; data for longer than 1.5 s is noise, not an answer), and
// one outcome. GDLPlay's link, GDLMap's test send and the web player each
// drive one; what they show of it is theirs.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "LinkEcho.h"
#include "LinkHeader.h"
#include "SerialLine.h"
#include "Timer.h"

namespace gdl {

enum class ExchangeOutcome {
    None,           // nothing sent yet
    Sending,        // under way, the answer not yet known
    InPlay,         // the Lynx answered and fell silent
    NotResponding,  // no answer of the Lynx's (silence, only the echo, or endless data)
    CannotOpen,     // the port could not be opened; nothing sent
    WriteError,     // the port stopped taking the stream
    ReadError,      // the port reported a line error, or the device went away
};

enum class ExchangePhase {
    Idle,           // no exchange under way
    SendingHeader,  // the preamble or the header is still leaving the port
    SendingLevel,   // the level bytes are leaving the port
    AwaitingReply,  // all of it has left; the watchdog waits for the Lynx's first data
    Acknowledging,  // the Lynx is answering; waiting for it to fall silent
};

// Bytes read at each notification, as the player's receive handler reads them.
inline constexpr long kReadChunk = 6;

// 512 x 0xA5, the header, the level bytes.
std::vector<unsigned char> LinkStream(const LinkHeader& header, std::string_view level);

class LynxExchange {
public:
    LynxExchange(SerialLine& line, Timer& timer) : line_(line), timer_(timer) {}

    // Opens the port when it is not open; the port stays open between
    // exchanges until ClosePort.
    bool OpenPort();
    void ClosePort();
    bool PortOpen() const { return open_; }

    // Opens the port and hands it the whole stream; false (CannotOpen) when
    // it cannot be opened. An exchange still under way is dropped.
    bool Start(std::vector<unsigned char> stream);

    // The line's events, on the window thread. Each returns at once.
    void DataAvailable();
    void WriteProgress();
    void Written(bool ok);
    void ErrorOccurred(const std::string& errorstr);
    // The watchdog's tick.
    void Tick();

    ExchangePhase Phase() const { return phase_; }
    // Still writing: a second stream must wait for this one.
    bool Writing() const {
        return phase_ == ExchangePhase::SendingHeader || phase_ == ExchangePhase::SendingLevel;
    }
    bool UnderWay() const { return phase_ != ExchangePhase::Idle; }
    ExchangeOutcome Outcome() const { return outcome_; }
    // A write of this exchange failed (the outcome may be a later one).
    bool WriteFailed() const { return writeFailed_; }
    // The errorstr of a ReadError.
    const std::string& PortError() const { return portError_; }
    // The status line for the outcome so far (" Sending Level to Lynx...", ...).
    std::string StatusText() const;
    // Bytes of the stream that have left the port, and the stream's length.
    std::size_t Sent() const { return sent_; }
    std::size_t Total() const { return total_; }

private:
    // Reads what waits and tells the echo of our bytes from the Lynx.
    Heard Listen();
    void UpdateSent();
    void End(ExchangeOutcome outcome);

    SerialLine& line_;
    Timer& timer_;
    bool open_ = false;
    ExchangePhase phase_ = ExchangePhase::Idle;
    ExchangeOutcome outcome_ = ExchangeOutcome::None;
    bool writeFailed_ = false;
    bool lynxHeard_ = false;
    long long answerSince_ = 0;
    LinkEcho echo_;
    std::size_t sent_ = 0;
    std::size_t total_ = 0;
    std::string portError_;
};

}  // namespace gdl
