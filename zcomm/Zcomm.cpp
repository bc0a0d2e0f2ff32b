#include "Zcomm.h"

#include <algorithm>
#include <array>
#include <system_error>

#include "SerialPosix.h"
#include "SerialPreflight.h"

namespace gdl {

namespace {
constexpr std::size_t kReadChunk = 4096;
// How often the owner hears how far a write is.
constexpr int kWriteReportMs = 50;
constexpr std::size_t kNoneYet = static_cast<std::size_t>(-1);
}  // namespace

TCommThread::TCommThread(TZComm& owner, SerialPort& port, std::uint64_t generation)
    : owner_(owner),
      port_(port),
      generation_(generation),
      wake_(std::make_unique<WakeEvent>()),
      thread_([this] { Execute(); }) {}

TCommThread::~TCommThread() {
    stop_ = true;
    wake_->Signal();
    thread_.join();
}

void TCommThread::Wake() {
    wake_->Signal();
}

void TCommThread::Execute() {
    LowerThreadPriority();
    std::array<unsigned char, kReadChunk> buffer{};
    int lookAgainMs = -1;
    for (;;) {
        bool wantWrite = false;
        {
            std::lock_guard lock(owner_.outMutex_);
            wantWrite = owner_.outAt_ < owner_.out_.size();
        }
        const auto ready = port_.Wait(*wake_, wantWrite, lookAgainMs);
        if (ready.woken) {
            wake_->Clear();
            if (stop_) return;
        }
        SerialPort::ReadResult got;
        if (ready.readable) got = port_.ReadSome(buffer.data(), buffer.size());
        if (got.count > 0) {
            const int driverErrors = port_.CounterErrors();
            if (!(owner_.dsrSensitive_ && port_.DsrLow())) {
                owner_.Arrived(generation_, buffer.data(), got.count, driverErrors);
            }
        }
        if (ready.hangup || got.vanished) {
            owner_.PortVanished(generation_);
            return;
        }
        lookAgainMs = owner_.PushOutput();
    }
}

TZComm::TZComm(PostFn post, const Clock& clock)
    : post_(std::move(post)), clock_(clock), self_(std::make_shared<TZComm*>(this)) {}

TZComm::~TZComm() {
    state_ = 1;
    CloseConnection();
    self_.reset();
}

bool TZComm::FailOpen(Error why) {
    connected_ = 0;
    thread_.reset();
    port_.reset();
    lastError_ = std::move(why);
    return false;
}

bool TZComm::OpenConnection() {
    if (connected_) {
        lastError_ = Error::Caller("The port is already open.");
        return false;
    }
    devicePath_ = resolvePort_ ? resolvePort_(Port) : Port;
    if (Port.empty()) return FailOpen(Error::Caller("No port is chosen."));
    if (devicePath_.empty()) return FailOpen({ErrorKind::NotFound, ExplainNoDevice(Port)});
    auto opened = SerialPort::Open(devicePath_);
    if (!opened) return FailOpen(opened.Err());
    port_ = std::move(*opened);
    vanished_ = false;
    queue_.Reset();
    SetTimeouts();
    if (!SetConnection()) return FailOpen(lastError_);
    port_->AskLowLatency();
    connected_ = 1;
    const std::uint64_t generation = ++generation_;
    try {
        thread_ = std::make_unique<TCommThread>(*this, *port_, generation);
    } catch (const std::system_error& e) {
        return FailOpen(Error::FromErrno(
            e.code().value(),
            std::string("The port's watch thread cannot start: ") + e.what() + "."));
    }
    (void)port_->SetDtr(true);  // a pty has no modem lines
    lastError_ = {ErrorKind::Caller, ""};
    return true;
}

bool TZComm::CloseConnection() {
    connected_ = 0;
    if (!port_) return true;
    ++generation_;
    thread_.reset();
    {
        std::lock_guard lock(outMutex_);
        out_.clear();
        outAt_ = 0;
        writing_ = false;
    }
    (void)port_->SetDtr(false);
    (void)port_->Flush(true, true);
    port_.reset();
    queue_.Reset();
    return true;
}

bool TZComm::SetConnection() {
    if (!port_) {
        lastError_ = Error::Caller("The port is not open.");
        return false;
    }
    const LineSettings settings = Settings();
    if (auto configured = port_->Configure(settings); !configured) {
        lastError_ = configured.Err();
        return false;
    }
    queue_.Configure(ReceiveOptions(settings));
    abortOnError_ = AbortOnError;
    dsrSensitive_ = DSRSensitive;
    // A pty has no modem lines; a real port without them still sends.
    if (!CTSFlowCtl) (void)port_->SetRts(true);
    (void)port_->SetDtr(true);
    lastError_ = {ErrorKind::Caller, ""};
    return true;
}

LineSettings TZComm::Settings() const {
    return {.baudRate = BaudRate,
            .dataBits = DataBits,
            .parity = Parity,
            .stopBits = StopBits,
            .parityCheck = EnableParity,
            .flow = {CTSFlowCtl, DSRFlowCtl, XOuputFlowCtl, XInputFlowCtl,
                     static_cast<unsigned char>(XOnChar), static_cast<unsigned char>(XOffChar)},
            .discardNull = DiscardNULL,
            .errorChar = ErrorReplace
                             ? std::optional<unsigned char>(static_cast<unsigned char>(ErrorChar))
                             : std::nullopt,
            .inputQueue = InputQueueSize,
            .timeouts = {TimeoutReadInterval, TimeoutReadMultiplier, TimeoutReadConstant,
                         TimeoutWriteMultiplier, TimeoutWriteConstant}};
}

bool TZComm::SetTimeouts() {
    if (!port_) return false;
    std::lock_guard lock(outMutex_);
    timeouts_ = {TimeoutReadInterval, TimeoutReadMultiplier, TimeoutReadConstant,
                 TimeoutWriteMultiplier, TimeoutWriteConstant};
    return true;
}

bool TZComm::GetTimeouts() {
    if (!port_) return false;
    TimeoutReadInterval = timeouts_.readInterval;
    TimeoutReadMultiplier = timeouts_.readMultiplier;
    TimeoutReadConstant = timeouts_.readConstant;
    TimeoutWriteMultiplier = timeouts_.writeMultiplier;
    TimeoutWriteConstant = timeouts_.writeConstant;
    return true;
}

bool TZComm::SetFlowCtl(int on) {
    return port_ && port_->SetXonXoff((on & 1) != 0).Ok();
}

bool TZComm::PurgeCommPort(unsigned long flags) {
    constexpr unsigned long kAll = kPurgeTxAbort | kPurgeRxAbort | kPurgeTxClear | kPurgeRxClear;
    if (!port_ || (flags & ~kAll) != 0) return false;
    const bool input = (flags & (kPurgeRxAbort | kPurgeRxClear)) != 0;
    const bool output = (flags & (kPurgeTxAbort | kPurgeTxClear)) != 0;
    if (input) queue_.Clear();
    if (output) {
        std::lock_guard lock(outMutex_);
        out_.clear();
        outAt_ = 0;
    }
    return port_->Flush(input, output).Ok();
}

bool TZComm::EscapeComm(unsigned long function) {
    if (!port_) return false;
    switch (function) {
        case kSetXoff:
            return port_->SuspendOutput(true).Ok();
        case kSetXon:
            return port_->SuspendOutput(false).Ok();
        case kSetRts:
            return port_->SetRts(true).Ok();
        case kClrRts:
            return port_->SetRts(false).Ok();
        case kSetDtr:
            return port_->SetDtr(true).Ok();
        case kClrDtr:
            return port_->SetDtr(false).Ok();
        case kSetBreak:
            return port_->Break(true).Ok();
        case kClrBreak:
            return port_->Break(false).Ok();
        default:
            return false;
    }
}

long TZComm::ReadComm(unsigned char* buffer, long count) {
    if (!connected_) return 0;
    const std::size_t wanted = buffer && count > 0 ? static_cast<std::size_t>(count) : 0;
    const auto taken = queue_.Take(buffer, wanted);
    if (taken.errors != 0 && OnErrorOccurred) OnErrorOccurred(this, taken.errors, kReadErrorText);
    return static_cast<long>(taken.count);
}

bool TZComm::WriteComm(const unsigned char* buffer, long count) {
    if (count < 0 || (!buffer && count > 0)) return false;
    if (!connected_ || vanished_ || !thread_) return false;
    if (abortOnError_ && queue_.PendingErrors() != 0) return false;
    {
        std::lock_guard lock(outMutex_);
        if (outAt_ == out_.size()) {
            out_.clear();
            outAt_ = 0;
        }
        out_.insert(out_.end(), buffer, buffer + count);
        if (!writing_) {
            writing_ = true;
            lastUnsent_ = kNoneYet;
            movedMs_ = reportedMs_ = clock_.NowMs();
        }
    }
    thread_->Wake();
    return true;
}

int TZComm::PushOutput() {
    std::unique_lock lock(outMutex_);
    if (!writing_ || !port_) return -1;
    const std::uint64_t generation = generation_.load();
    if (outAt_ < out_.size()) {
        auto taken = port_->WriteSome(out_.data() + outAt_, out_.size() - outAt_);
        if (!taken) {
            if (IsGone(taken.Err())) vanished_ = true;
            out_.clear();
            outAt_ = 0;
            writing_ = false;
            lock.unlock();
            EndWrite(generation, false);
            return -1;
        }
        outAt_ += *taken;
    }
    const std::size_t unsent = (out_.size() - outAt_) + port_->OutputQueued().value_or(0);
    const long long now = clock_.NowMs();
    if (unsent < lastUnsent_) movedMs_ = now;
    lastUnsent_ = unsent;
    if (unsent == 0) {
        writing_ = false;
        lock.unlock();
        // With the queue empty only the adapter's FIFO is left.
        const bool drained = port_->DrainDriver().Ok();
        EndWrite(generation, drained);
        return -1;
    }
    const auto limit = static_cast<long long>(timeouts_.WriteLimitMs(unsent));
    if (now - movedMs_ >= limit) {
        // As a timed-out write: what has not left by now is not sent.
        out_.clear();
        outAt_ = 0;
        writing_ = false;
        lock.unlock();
        (void)port_->Flush(false, true);
        EndWrite(generation, false);
        return -1;
    }
    const bool report = now - reportedMs_ >= kWriteReportMs;
    if (report) reportedMs_ = now;
    lock.unlock();
    if (report) PostWriteProgress(generation);
    // The driver's queue empties without an event: look again soon.
    return static_cast<int>(std::min<long long>(kWriteReportMs, limit - (now - movedMs_)));
}

void TZComm::EndWrite(std::uint64_t generation, bool ok) {
    if (!post_) return;
    post_([self = std::weak_ptr<TZComm*>(self_), generation, ok] {
        auto alive = self.lock();
        if (!alive || !(*alive)->Current(generation)) return;
        TZComm* comm = *alive;
        if (comm->OnWritten) comm->OnWritten(comm, ok);
    });
}

void TZComm::PostWriteProgress(std::uint64_t generation) {
    if (!post_) return;
    post_([self = std::weak_ptr<TZComm*>(self_), generation] {
        auto alive = self.lock();
        if (!alive || !(*alive)->Current(generation)) return;
        TZComm* comm = *alive;
        if (comm->OnWriteProgress) comm->OnWriteProgress(comm);
    });
}

std::string TZComm::GetText() {
    if (MaxReadLength == 0) return {};
    std::vector<unsigned char> buffer(MaxReadLength);
    const long got = ReadComm(buffer.data(), static_cast<long>(buffer.size()));
    if (got <= 0) return {};
    std::string text(buffer.begin(), buffer.begin() + got);
    // Like the C string the text was read into.
    text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
    lastText_ = text;
    return text;
}

void TZComm::SetText(const std::string& text) {
    WriteComm(reinterpret_cast<const unsigned char*>(text.data()), static_cast<long>(text.size()));
}

int TZComm::MessageCOMM() {
    if (!connected_) return 0;
    if (OnDataAvailable) OnDataAvailable(this);
    return 1;
}

std::size_t TZComm::OutputQueued() const {
    if (!connected_ || !port_) return 0;
    std::lock_guard lock(outMutex_);
    return (out_.size() - outAt_) + port_->OutputQueued().value_or(0);
}

void TZComm::ReceiveFromPort(const unsigned char* bytes, std::size_t count) {
    Arrived(generation_.load(), bytes, count, -1);
}

void TZComm::Arrived(std::uint64_t generation, const unsigned char* bytes, std::size_t count,
                     int driverErrors) {
    if (queue_.Feed(bytes, count, driverErrors)) Notify(generation);
}

void TZComm::PortVanished(std::uint64_t generation) {
    vanished_ = true;
    {
        // What was still to be written is lost with the device.
        std::lock_guard lock(outMutex_);
        out_.clear();
        outAt_ = 0;
        writing_ = false;
    }
    ReportError(generation, kCeIoe, kDeviceRemovedText);
}

void TZComm::Notify(std::uint64_t generation) {
    if (!post_) return;
    post_([self = std::weak_ptr<TZComm*>(self_), generation] {
        auto alive = self.lock();
        if (alive && (*alive)->Current(generation)) (*alive)->MessageCOMM();
    });
}

void TZComm::ReportError(std::uint64_t generation, int errors, std::string text) {
    if (!post_) return;
    post_([self = std::weak_ptr<TZComm*>(self_), generation, errors, text = std::move(text)] {
        auto alive = self.lock();
        if (!alive || !(*alive)->Current(generation)) return;
        TZComm* comm = *alive;
        if (comm->OnErrorOccurred) comm->OnErrorOccurred(comm, errors, text);
    });
}

}  // namespace gdl
