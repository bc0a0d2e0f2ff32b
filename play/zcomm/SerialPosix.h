// The Linux side of TZComm: termios, poll, eventfd and the serial ioctls.
// Kept in one file behind this header so that the component stays plain C++
// and a port to another system replaces only this pair.
#pragma once

#include <termios.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "ReceiveQueue.h"
#include "UniqueFd.h"

namespace gdl {

class TZComm;

// The termios a port gets from the component's properties, computed as data
// so that what a pseudo-terminal cannot hold (it forces 8 data bits without
// parity) can still be checked.
struct LineSettings {
    termios tio{};
    ReceiveQueue::Options receive;
    // Why Linux cannot give these settings; "" when it can.
    std::string error;
};
// current: the port's settings as read, kept where the component says nothing.
LineSettings ComputeLineSettings(const TZComm& comm, const termios& current);
std::optional<speed_t> BaudConstant(std::uint32_t rate);

// Why opening path failed with errno error, as a sentence for the user.
std::string OpenErrorText(int error, const std::string& path);

// The watch thread's own wake-up: an eventfd that CloseConnection signals.
class WakeEvent {
public:
    // Throws std::system_error when the system has no descriptor left.
    WakeEvent();
    int Fd() const { return fd_.Get(); }
    void Signal();

private:
    UniqueFd fd_;
};

enum class IoResult { Ok, TimedOut, Failed, Vanished };

class SerialPort {
public:
    // Opens path exclusively; nullptr with the reason in why.
    static std::unique_ptr<SerialPort> Open(const std::string& path, std::string& why);
    explicit SerialPort(UniqueFd fd);
    // Gives up the exclusive hold and closes.
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    bool GetSettings(termios& tio) const;
    bool Apply(const termios& tio);
    // SetConnection: the component's settings onto the port; the reason when
    // Linux cannot give them or the driver refuses, else "" and receive set.
    std::string Configure(const TZComm& comm, ReceiveQueue::Options& receive);
    // False where the device has no modem lines (a pty).
    bool SetDtr(bool on);
    bool SetRts(bool on);
    bool DsrLow() const;
    void AskLowLatency();
    bool Flush(bool input, bool output);
    // As if XOFF (true) or XON (false) had been received.
    bool SuspendOutput(bool suspend);
    bool Break(bool on);
    bool SetXonXoff(bool on);

    IoResult WriteByte(unsigned char byte, std::chrono::milliseconds limit);
    // Until the output queue is empty and the driver has sent it, at most
    // constant + multiplier * pending ms. unsent, when given, hears the bytes
    // still queued at least every 50 ms.
    IoResult Drain(std::uint32_t constantMs, std::uint32_t multiplierMs,
                   const std::function<void(std::size_t)>& unsent = {});
    // Bytes written that the driver has not sent yet; 0 where it cannot tell
    // (a pseudo-terminal hands each byte on at once).
    std::size_t OutputQueued() const;

    // For the watch thread.
    enum class Wake { Readable, Woken, Hangup };
    Wake WaitReadable(const WakeEvent& wake) const;
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
