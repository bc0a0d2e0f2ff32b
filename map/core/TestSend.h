// "Test on Lynx": the level shown, compiled in memory, sent to the Lynx with
// the player's byte stream (preamble, link header titled "PC LEVEL " + the
// level name, fresh start, new level, music 0, then the level bytes) through
// the Lynx exchange, and GDLMap's view of it: a status line and a bar.
// The window feeds it the line's events and the watchdog's ticks.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "LynxExchange.h"
#include "SerialLine.h"
#include "Timer.h"

namespace gdl {

class Registry;

// The port of the test: $LD_COM "1" to "4" names Com1 to Com4; otherwise the
// stored "Port" as the player reads it ("0" to "3"; anything else is Com1).
std::string TestSendPort(const std::string& ldCom, const Registry* registry);

// 512 x 0xA5, the 36-byte link header and the level bytes of `compiled`.
std::vector<unsigned char> TestSendStream(const std::string& levelName,
                                          const std::string& compiled);

// Said when a second send is asked for while one is still under way.
inline constexpr char kStillSending[] = " Still sending to the Lynx: one level at a time.";

class TestSend {
public:
    enum class State { Idle, Sending, AwaitingReply, Acknowledging, Answered, Failed };

    TestSend(SerialLine& line, Timer& timer) : line_(line), exchange_(line, timer) {}

    // Opens the port and hands it the stream; false (with the status text)
    // when the port cannot be opened, or while the last send is still under
    // way (it goes on; the status says why nothing new was sent).
    bool Start(const std::string& port, const std::string& levelName, const std::string& compiled);
    void DataAvailable();
    void WriteProgress();
    void Written(bool ok);
    void ErrorOccurred(const std::string& errorstr);
    void Tick();
    // Closes the port (the window closing).
    void Close() { exchange_.ClosePort(); }

    State CurrentState() const;
    bool Busy() const { return exchange_.UnderWay(); }
    const std::string& Status() const { return status_; }
    // Why the port could not be opened, for a tooltip ("" otherwise).
    const std::string& Problem() const { return problem_; }
    std::size_t Written() const { return exchange_.Sent(); }
    std::size_t Total() const { return exchange_.Total(); }
    const LynxExchange& Exchange() const { return exchange_; }

private:
    // The status from the exchange; the port closes once it has ended.
    void Follow();

    SerialLine& line_;
    LynxExchange exchange_;
    std::string status_;
    std::string problem_;
};

}  // namespace gdl
