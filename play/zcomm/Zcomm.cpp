#include "Zcomm.h"

#include <array>
#include <system_error>

#include "SerialPosix.h"
#include "SerialPreflight.h"

namespace gdl {

namespace {
constexpr std::chrono::milliseconds kWriteByteLimit{2000};
constexpr std::size_t kReadChunk = 4096;
}  // namespace

TCommThread::TCommThread(TZComm& owner, SerialPort& port, std::uint64_t generation)
    : owner_(owner),
      port_(port),
      generation_(generation),
      wake_(std::make_unique<WakeEvent>()),
      thread_([this] { Execute(); }) {}

TCommThread::~TCommThread() {
    wake_->Signal();
    thread_.join();
}

void TCommThread::Execute() {
    LowerThreadPriority();
    std::array<unsigned char, kReadChunk> buffer{};
    for (;;) {
        const auto wake = port_.WaitReadable(*wake_);
        if (wake == SerialPort::Wake::Woken) return;
        SerialPort::ReadResult got;
        if (wake == SerialPort::Wake::Readable) got = port_.ReadSome(buffer.data(), buffer.size());
        if (got.count > 0) {
            const int driverErrors = port_.CounterErrors();
            if (!(owner_.dsrSensitive_ && port_.DsrLow())) {
                owner_.Arrived(generation_, buffer.data(), got.count, driverErrors);
            }
        }
        if (wake == SerialPort::Wake::Hangup || got.vanished) {
            owner_.PortVanished(generation_);
            return;
        }
    }
}

TZComm::TZComm(PostFn post) : post_(std::move(post)), self_(std::make_shared<TZComm*>(this)) {}

TZComm::~TZComm() {
    state_ = 1;
    CloseConnection();
    self_.reset();
}

bool TZComm::FailOpen(std::string why) {
    connected_ = 0;
    thread_.reset();
    port_.reset();
    lastError_ = std::move(why);
    return false;
}

bool TZComm::OpenConnection() {
    if (connected_) {
        lastError_ = "The port is already open.";
        return false;
    }
    devicePath_ = resolvePort_ ? resolvePort_(Port) : Port;
    if (Port.empty()) return FailOpen("No port is chosen.");
    if (devicePath_.empty()) {
        return FailOpen(ExplainNoDevice(Port));
    }
    std::string why;
    port_ = SerialPort::Open(devicePath_, why);
    if (!port_) return FailOpen(why);
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
        return FailOpen(std::string("The port's watch thread cannot start: ") + e.what() + ".");
    }
    port_->SetDtr(true);
    lastError_.clear();
    return true;
}

bool TZComm::CloseConnection() {
    connected_ = 0;
    if (!port_) return true;
    ++generation_;
    thread_.reset();
    port_->SetDtr(false);
    port_->Flush(true, true);
    port_.reset();
    queue_.Reset();
    return true;
}

bool TZComm::SetConnection() {
    if (!port_) {
        lastError_ = "The port is not open.";
        return false;
    }
    ReceiveQueue::Options receive;
    std::string error = port_->Configure(*this, receive);
    if (!error.empty()) {
        lastError_ = std::move(error);
        return false;
    }
    queue_.Configure(receive);
    abortOnError_ = AbortOnError;
    dsrSensitive_ = DSRSensitive;
    if (!CTSFlowCtl) port_->SetRts(true);
    port_->SetDtr(true);
    lastError_.clear();
    return true;
}

bool TZComm::SetTimeouts() {
    if (!port_) return false;
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
    return port_ && port_->SetXonXoff((on & 1) != 0);
}

bool TZComm::PurgeCommPort(unsigned long flags) {
    constexpr unsigned long kAll = kPurgeTxAbort | kPurgeRxAbort | kPurgeTxClear | kPurgeRxClear;
    if (!port_ || (flags & ~kAll) != 0) return false;
    const bool input = (flags & (kPurgeRxAbort | kPurgeRxClear)) != 0;
    const bool output = (flags & (kPurgeTxAbort | kPurgeTxClear)) != 0;
    if (input) queue_.Clear();
    return port_->Flush(input, output);
}

bool TZComm::EscapeComm(unsigned long function) {
    if (!port_) return false;
    switch (function) {
        case kSetXoff:
            return port_->SuspendOutput(true);
        case kSetXon:
            return port_->SuspendOutput(false);
        case kSetRts:
            return port_->SetRts(true);
        case kClrRts:
            return port_->SetRts(false);
        case kSetDtr:
            return port_->SetDtr(true);
        case kClrDtr:
            return port_->SetDtr(false);
        case kSetBreak:
            return port_->Break(true);
        case kClrBreak:
            return port_->Break(false);
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
    bool all = true;
    for (long i = 0; i < count; ++i) {
        if (!WriteCommByte(buffer[i])) all = false;
    }
    return all;
}

bool TZComm::WriteCommByte(unsigned char byte) {
    if (!connected_ || vanished_) return false;
    if (abortOnError_ && queue_.PendingErrors() != 0) return false;
    return Succeeded(port_->WriteByte(byte, kWriteByteLimit));
}

bool TZComm::Succeeded(IoResult result) {
    if (result == IoResult::Vanished) vanished_ = true;
    return result == IoResult::Ok;
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

bool TZComm::WaitSent(const std::function<void(std::size_t unsent)>& unsent) {
    if (!connected_ || vanished_) return false;
    return Succeeded(port_->Drain(timeouts_.writeConstant, timeouts_.writeMultiplier, unsent));
}

std::size_t TZComm::OutputQueued() const {
    return connected_ && port_ ? port_->OutputQueued() : 0;
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
