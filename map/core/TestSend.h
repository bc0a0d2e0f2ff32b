// "Test on Lynx": the level shown, compiled in memory, sent to the Lynx with
// the player's byte stream (preamble, link header titled "PC LEVEL " + the
// level name, fresh start, new level, music 0, then the level bytes), and the
// Lynx's answer followed by arrival and silence as the player's link does:
// the cable's echo of our own bytes is no answer, nor is endless noise.
// The window feeds it the line's notifications, the watchdog's ticks and a
// step at a time of writing, so a progress bar can follow the send.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "LinkHeader.h"
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

class TestSend {
public:
    enum class State { Idle, Sending, AwaitingReply, Acknowledging, Answered, Failed };

    TestSend(SerialLine& line, Timer& timer) : line_(line), timer_(timer) {}

    // Opens the port and prepares the stream; false (with the status text)
    // when the port cannot be opened. A send already running is dropped.
    bool Start(const std::string& port, const std::string& levelName, const std::string& compiled);
    // Writes up to maxBytes more; true while there is more to write.
    bool Step(std::size_t maxBytes);
    void DataAvailable();
    void ErrorOccurred(const std::string& errorstr);
    void Tick();
    // Closes the port (the window closing); the next send opens it again.
    void Close();

    State CurrentState() const { return state_; }
    bool Busy() const { return state_ == State::Sending; }
    const std::string& Status() const { return status_; }
    // Why the port could not be opened, for a tooltip ("" otherwise).
    const std::string& Problem() const { return problem_; }
    std::size_t Written() const { return at_; }
    std::size_t Total() const { return stream_.size(); }

private:
    void Finish(bool failed);
    // Reads what waits and tells the echo of our bytes from the Lynx.
    Heard Listen();

    SerialLine& line_;
    Timer& timer_;
    State state_ = State::Idle;
    bool open_ = false;
    LinkEcho echo_;
    bool lynxHeard_ = false;
    long long answerSince_ = 0;
    std::vector<unsigned char> stream_;
    std::size_t at_ = 0;
    std::string status_;
    std::string problem_;
};

}  // namespace gdl
