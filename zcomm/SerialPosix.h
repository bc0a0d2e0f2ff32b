// The Linux side of TZComm: termios, poll, eventfd and the serial ioctls.
// Kept behind this header (SerialPosix.cpp, and SerialTermios.cpp for the
// line's settings) so that the component stays plain C++ and a port to
// another system replaces only these files; no system record shows through
// here. Every call answers with a Result of its kind.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "Error.h"
#include "LineSettings.h"
#include "ReceiveQueue.h"
#include "UniqueFd.h"

namespace gdl {

// The rates a port can run at (the system's standard ones), for every
// program of the kit that opens a line.
bool IsStandardBaud(std::uint32_t rate);

// Unsupported, with the reason, for what Linux cannot give.
Result<void> CheckLineSettings(const LineSettings& settings);
// The termios words the settings give a port, as numbers, so that what a
// pseudo-terminal cannot hold (it forces 8 data bits without parity) can be
// checked as data.
struct TermiosWords {
    unsigned long iflag = 0, oflag = 0, cflag = 0, lflag = 0;
    unsigned long speed = 0;  // the system's speed constant
    unsigned char vstart = 0, vstop = 0;
};
Result<TermiosWords> LineTermios(const LineSettings& settings);
// How the receive queue decodes what the port delivers with these settings.
ReceiveQueue::Options ReceiveOptions(const LineSettings& settings);

// Why opening path failed with errno error, as a sentence for the user.
std::string OpenErrorText(int error, const std::string& path);
// The device went away (unplugged, hung up): no later call will work.
bool IsGone(const Error& error);

// Raw mode (no translation, echo or line editing), with the settings when
// given (none: rate and framing stay as they are), for a line the kit's
// tools drive themselves.
Result<void> MakeRawLine(int fd, const std::optional<LineSettings>& settings);

// The watch thread's own wake-up: an eventfd that the owner signals.
class WakeEvent {
public:
    // Throws std::system_error when the system has no descriptor left.
    WakeEvent();
    int Fd() const { return fd_.Get(); }
    void Signal();
    // Takes back every signal so far.
    void Clear();

private:
    UniqueFd fd_;
};

class SerialPort {
public:
    // Opens path exclusively (NotFound, Permission, Busy, NotSerial, System).
    static Result<std::unique_ptr<SerialPort>> Open(const std::string& path);
    explicit SerialPort(UniqueFd fd);
    // Gives up the exclusive hold and closes.
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // SetConnection: the settings onto the port.
    Result<void> Configure(const LineSettings& settings);
    // Unsupported where the device has no modem lines (a pty).
    Result<void> SetDtr(bool on);
    Result<void> SetRts(bool on);
    bool DsrLow() const;
    void AskLowLatency();
    Result<void> Flush(bool input, bool output);
    // As if XOFF (true) or XON (false) had been received.
    Result<void> SuspendOutput(bool suspend);
    Result<void> Break(bool on);
    Result<void> SetXonXoff(bool on);

    // As much of count bytes as the driver takes now, never waiting (0 when
    // its buffer is full).
    Result<std::size_t> WriteSome(const unsigned char* bytes, std::size_t count);
    // Bytes written that the driver has not sent yet.
    Result<std::size_t> OutputQueued() const;
    // Until the adapter's own buffer is empty too (the driver bounds it).
    Result<void> DrainDriver();

    // For the watch thread: waits for input, for room to write (when asked)
    // or for the wake-up, at most timeoutMs (-1: no limit).
    struct Ready {
        bool woken = false, readable = false, writable = false, hangup = false;
    };
    Ready Wait(const WakeEvent& wake, bool wantWrite, int timeoutMs) const;
    struct ReadResult {
        std::size_t count = 0;
        bool vanished = false;
    };
    ReadResult ReadSome(unsigned char* buffer, std::size_t size);
    // Line error flags the driver counted since the last call; -1 when the
    // device keeps no counters.
    int CounterErrors();

private:
    bool IsPseudoTerminal() const;
    UniqueFd fd_;
    struct Counts {
        int frame = 0, parity = 0, overrun = 0, bufOverrun = 0, brk = 0;
    };
    std::optional<Counts> lastCounts_;
    bool countersChecked_ = false;
};

// One step below the process's priority, for the calling thread.
void LowerThreadPriority();

}  // namespace gdl
