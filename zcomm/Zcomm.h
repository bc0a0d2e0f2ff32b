// TZComm: the serial port the player talks to the Lynx through, and its watch
// thread TCommThread. The published properties and operations keep the
// component's own names; the termios side lives in SerialPosix.
//
// Writing: WriteComm hands the bytes over and returns; the watch thread gives
// them to the driver as fast as it takes them, so the driver paces the wire
// and nothing waits on the owner's thread. While they go out the owner hears
// OnWriteProgress (at most every 50 ms), and once the last byte has left the
// port (or the port took nothing for the write time-out) one OnWritten.
//
// Hand-over between the watch thread and the owner: the thread never waits
// for the owner. Each read from the port that queued bytes (or found a line
// error) posts exactly one notification, so the owner gets one
// OnDataAvailable per arrival of bytes, in order, even while it is busy
// sending: nothing is coalesced away and nothing is multiplied. The link's
// end-of-level counting depends on that. A notification raised for an earlier
// connection (still queued after CloseConnection, or after a close and a new
// OpenConnection) is dropped; so is any still queued when the component is
// destroyed.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Clock.h"
#include "Error.h"
#include "LineSettings.h"
#include "ReceiveQueue.h"

namespace gdl {

class SerialPort;
class WakeEvent;

// The Win32 numbers, since callers pass them through: PurgeComm's flags and
// EscapeCommFunction's functions. The error flags (kCeRxParity ...) are in
// ReceiveQueue.h.
inline constexpr unsigned long kPurgeTxAbort = 1;
inline constexpr unsigned long kPurgeRxAbort = 2;
inline constexpr unsigned long kPurgeTxClear = 4;
inline constexpr unsigned long kPurgeRxClear = 8;

inline constexpr unsigned long kSetXoff = 1;
inline constexpr unsigned long kSetXon = 2;
inline constexpr unsigned long kSetRts = 3;
inline constexpr unsigned long kClrRts = 4;
inline constexpr unsigned long kSetDtr = 5;
inline constexpr unsigned long kClrDtr = 6;
inline constexpr unsigned long kSetBreak = 8;
inline constexpr unsigned long kClrBreak = 9;

inline constexpr char kReadErrorText[] = "Read Error";
inline constexpr char kDeviceRemovedText[] = "Device Removed";

class TZComm;

// Waits in poll on the port and on a wake-up event of its own, reads what has
// arrived into the component's receive queue and posts the notifications.
class TCommThread {
public:
    TCommThread(TZComm& owner, SerialPort& port, std::uint64_t generation);
    // Wakes the thread and joins it.
    ~TCommThread();
    TCommThread(const TCommThread&) = delete;
    TCommThread& operator=(const TCommThread&) = delete;

    // More to write: the thread adds it to its wait.
    void Wake();

private:
    void Execute();
    TZComm& owner_;
    SerialPort& port_;
    std::uint64_t generation_;
    std::unique_ptr<WakeEvent> wake_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class TZComm {
public:
    // post hands a function to the owner's thread (the window's event loop;
    // a queue in tests). Every event is raised from a posted function. post
    // is called from the watch thread and must not wait for the owner.
    using PostFn = std::function<void(std::function<void()>)>;
    // clock: what the write time-out is measured by.
    explicit TZComm(PostFn post, const Clock& clock = SteadyClock::Instance());
    // Closes an open connection too, so no fd or thread outlives the component.
    ~TZComm();
    TZComm(const TZComm&) = delete;
    TZComm& operator=(const TZComm&) = delete;

    // Turns Port into the device to open ("Com1" -> "/dev/ttyUSB0"); without
    // one, Port is the device path itself.
    using PortResolver = std::function<std::string(const std::string& port)>;
    void SetPortResolver(PortResolver resolver) { resolvePort_ = std::move(resolver); }

    // Published properties, in the component's order.
    std::string Port;
    std::uint32_t BaudRate = 9600;
    TParity Parity = no_parity;
    TDataBits DataBits = databits8;
    TStopBits StopBits = stop1;
    std::uint32_t MaxReadLength = 8192;
    std::uint32_t InputQueueSize = 8192;
    std::uint32_t OutputQueueSize = 8192;
    std::uint32_t XOnLimit = 150;
    std::uint32_t XOffLimit = 150;
    bool CTSFlowCtl = false;
    bool DSRFlowCtl = false;
    bool EnableParity = true;
    bool DSRSensitive = false;
    bool TXResume = false;
    bool XOuputFlowCtl = true;
    bool XInputFlowCtl = true;
    bool ErrorReplace = false;
    bool DiscardNULL = false;
    bool AbortOnError = true;
    char ErrorChar = '~';
    char XOnChar = 17;
    char XOffChar = 19;
    std::uint32_t TimeoutReadInterval = 0xFFFFFFFF;
    std::uint32_t TimeoutReadMultiplier = 0;
    std::uint32_t TimeoutReadConstant = 0;
    std::uint32_t TimeoutWriteMultiplier = 0;
    std::uint32_t TimeoutWriteConstant = 5000;

    std::function<void(TZComm* Sender)> OnDataAvailable;
    std::function<void(TZComm* Sender, int error, const std::string& errorstr)> OnErrorOccurred;
    std::function<void(TZComm* Sender)> OnWriteProgress;
    std::function<void(TZComm* Sender, bool ok)> OnWritten;

    // 2, 1 once destruction has begun.
    int State() const { return state_; }
    std::string Version() const { return "1.0.1"; }
    // A stored form may write it; nothing reads what it wrote.
    void SetVersion(std::string version) { versionWritten_ = std::move(version); }
    // 1 while open.
    int Connected() const { return connected_; }

    bool OpenConnection();
    bool CloseConnection();
    bool SetConnection();
    bool SetTimeouts();
    bool GetTimeouts();
    bool SetFlowCtl(int on);
    bool PurgeCommPort(unsigned long flags);
    bool EscapeComm(unsigned long function);
    // Line errors found since the last call are reported first, once, through
    // OnErrorOccurred with "Read Error"; then min(count, waiting) bytes are
    // taken. Never waits: 0 at once when nothing has arrived.
    long ReadComm(unsigned char* buffer, long count);
    // Hands the bytes to the watch thread to write and returns at once; false
    // when not connected, on a vanished device, and while a line error waits
    // to be read when the port's AbortOnError is on (then no OnWritten).
    bool WriteComm(const unsigned char* buffer, long count);
    bool WriteCommByte(unsigned char byte) { return WriteComm(&byte, 1); }
    std::string GetText();
    void SetText(const std::string& text);
    // The data-available handler: raises OnDataAvailable when connected.
    // Result 0 when not connected, else 1.
    int MessageCOMM();

    // Bytes written that have not left the port yet (0 when not connected).
    std::size_t OutputQueued() const;
    // Why the last OpenConnection or SetConnection failed, as a sentence for
    // the user ("" after success), and the failure with its kind.
    const std::string& LastError() const { return lastError_.Message(); }
    const Error& LastFailure() const { return lastError_; }
    // The settings SetConnection hands the port, from the properties.
    LineSettings Settings() const;
    // The device path the last OpenConnection resolved Port to.
    const std::string& DevicePath() const { return devicePath_; }
    // True once the device went away (hang-up, EIO): writes then fail at once.
    bool Vanished() const { return vanished_; }

    // Bytes as the port delivers them (bad bytes marked FF 00 x when parity
    // checking is on). The watch thread hands each read in here; it queues
    // the bytes and posts one notification. Tests feed marked streams the
    // same way, since a pseudo-terminal cannot make line errors.
    void ReceiveFromPort(const unsigned char* bytes, std::size_t count);

private:
    friend class TCommThread;
    bool FailOpen(Error why);
    // The watch thread's side of writing: as much as the driver takes, then
    // the progress and the end. Returns how long the thread may wait before
    // it must look again (-1: no write under way).
    int PushOutput();
    void EndWrite(std::uint64_t generation, bool ok);
    void PostWriteProgress(std::uint64_t generation);
    void Arrived(std::uint64_t generation, const unsigned char* bytes, std::size_t count,
                 int driverErrors);
    void PortVanished(std::uint64_t generation);
    void Notify(std::uint64_t generation);
    void ReportError(std::uint64_t generation, int errors, std::string text);
    bool Current(std::uint64_t generation) const {
        return connected_ && generation == generation_.load();
    }

    PostFn post_;
    const Clock& clock_;
    PortResolver resolvePort_;
    int state_ = 2;
    int connected_ = 0;
    std::string versionWritten_;
    std::unique_ptr<SerialPort> port_;
    std::unique_ptr<TCommThread> thread_;
    ReceiveQueue queue_;
    PortTimeouts timeouts_{0, 0, 0, 0, 0};
    // What WriteComm handed over and the driver has not taken yet; the
    // window thread adds, the watch thread takes.
    mutable std::mutex outMutex_;
    std::vector<unsigned char> out_;
    std::size_t outAt_ = 0;
    bool writing_ = false;
    std::size_t lastUnsent_ = 0;
    long long movedMs_ = 0;     // when the port last took or sent a byte
    long long reportedMs_ = 0;  // when progress was last posted
    // As the port was last set; the watch thread reads the second.
    bool abortOnError_ = false;
    std::atomic<bool> dsrSensitive_{false};
    std::atomic<bool> vanished_{false};
    // Raised at every open and close; posted functions carry the one they
    // were made for.
    std::atomic<std::uint64_t> generation_{0};
    // Posted functions hold it weakly: none runs after the component is gone.
    std::shared_ptr<TZComm*> self_;
    std::string lastText_;
    Error lastError_{ErrorKind::Caller, ""};
    std::string devicePath_;
};

}  // namespace gdl
