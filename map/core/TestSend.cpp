#include "TestSend.h"

#include "LinkHeader.h"
#include "Registry.h"
#include "TextUtil.h"

namespace gdl {

namespace {

constexpr long kReadChunk = 64;
constexpr char kRegValuePort[] = "Port";

}  // namespace

std::string TestSendPort(const std::string& ldCom, const Registry* registry) {
    if (ldCom.size() == 1 && ldCom[0] >= '1' && ldCom[0] <= '4') return "Com" + ldCom;
    long long stored = 0;
    if (registry) {
        auto value = registry->ReadValue(RegRoot::LocalMachine, kRegKeyGlobal, kRegValuePort);
        stored = ParseDecimal(value.value_or("")).value_or(0);
    }
    if (stored < 0 || stored > 3) stored = 0;
    return "Com" + std::to_string(stored + 1);
}

std::vector<unsigned char> TestSendStream(const std::string& levelName,
                                          const std::string& compiled) {
    std::string_view level = LevelBytesToSend(compiled);
    if (level.size() > 0xFFFF) level = {};
    LinkHeaderFields fields;
    fields.label = levelName;
    fields.newLevel = 1;
    fields.freshStart = kFreshStart;
    fields.music = 0;
    fields.length = static_cast<std::uint16_t>(level.size());
    fields.dataChecksum = DataChecksum(level);
    const LinkHeader header = BuildLinkHeader(fields);
    std::vector<unsigned char> stream;
    stream.reserve(kPreambleBytes + header.size() + level.size());
    stream.resize(kPreambleBytes, kPreambleByte);
    for (unsigned char b : header) stream.push_back(b);
    for (char b : level) stream.push_back(static_cast<unsigned char>(b));
    return stream;
}

bool TestSend::Start(const std::string& port, const std::string& levelName,
                     const std::string& compiled) {
    timer_.Stop();
    stream_ = TestSendStream(levelName, compiled);
    at_ = 0;
    problem_.clear();
    // The port stays open between sends, as the player keeps it.
    if (line_.Port() != port || line_.Vanished()) {
        Close();
        line_.SetPort(port);
    }
    if (!open_) open_ = line_.OpenConnection();
    if (!open_) {
        state_ = State::Failed;
        status_ = UnableToOpenText(port);
        problem_ = line_.LastError();
        stream_.clear();
        return false;
    }
    state_ = State::Sending;
    status_ = kSendingLevel;
    return true;
}

bool TestSend::Step(std::size_t maxBytes) {
    if (state_ != State::Sending) return false;
    const std::size_t headerEnd = kPreambleBytes + kLinkHeaderSize;
    bool failed = false;
    for (std::size_t n = 0; n < maxBytes && at_ < stream_.size() && !failed;) {
        if (at_ == kPreambleBytes) {
            // The header goes as one write, as the player sends it.
            failed = !line_.WriteComm(stream_.data() + at_, static_cast<long>(kLinkHeaderSize));
            at_ = headerEnd;
            n += kLinkHeaderSize;
        } else {
            failed = !line_.WriteCommByte(stream_[at_]);
            ++at_;
            ++n;
        }
    }
    if (failed) {
        Finish(true);
        return false;
    }
    if (at_ < stream_.size()) return true;
    Finish(false);
    return false;
}

void TestSend::Finish(bool failed) {
    // The watchdog counts from the moment the last byte is on the wire.
    if (!failed) line_.WaitSent();
    state_ = State::AwaitingReply;
    if (failed) {
        status_ = WriteErrorText(line_.Port());
        Close();  // the next send opens it again
    }
    timer_.Stop();
    timer_.Start(kWatchdogMs);
}

void TestSend::DataAvailable() {
    unsigned char buffer[kReadChunk];
    line_.ReadComm(buffer, kReadChunk);
    if (state_ == State::AwaitingReply || state_ == State::Acknowledging) {
        state_ = State::Acknowledging;
        timer_.Stop();
        timer_.Start(kWatchdogMs);
    }
}

void TestSend::ErrorOccurred(const std::string& errorstr) {
    timer_.Stop();
    state_ = State::Failed;
    status_ = PortErrorText(errorstr, line_.Port());
    if (line_.Vanished()) Close();
}

void TestSend::Close() {
    if (open_) line_.CloseConnection();
    open_ = false;
}

void TestSend::Tick() {
    timer_.Stop();
    if (state_ == State::AwaitingReply) {
        state_ = State::Failed;
        status_ = NotRespondingText(line_.Port());
    } else if (state_ == State::Acknowledging) {
        state_ = State::Answered;
        status_.clear();
    }
}

}  // namespace gdl
