#include "TestSend.h"

#include "LinkHeader.h"
#include "Registry.h"
#include "TextUtil.h"

namespace gdl {

namespace {

constexpr long kListenChunk = 64;

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
    echo_.Clear();
    lynxHeard_ = false;
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
            if (!failed) echo_.Sent(stream_.data() + at_, kLinkHeaderSize);
            at_ = headerEnd;
            n += kLinkHeaderSize;
        } else {
            failed = !line_.WriteCommByte(stream_[at_]);
            if (!failed) echo_.Sent(stream_[at_]);
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
    // The Lynx's data heard while the send was still going counts as its
    // first data.
    if (!failed && lynxHeard_) {
        state_ = State::Acknowledging;
        answerSince_ = timer_.NowMs();
    }
    timer_.Start(kWatchdogMs);
}

Heard TestSend::Listen() {
    unsigned char buffer[kListenChunk];
    Heard heard = Heard::Nothing;
    for (;;) {
        const long n = line_.ReadComm(buffer, kListenChunk);
        if (state_ == State::Failed) return Heard::Nothing;  // the read reported a line error
        const Heard now = echo_.Hear(buffer, n);
        if (now == Heard::Lynx) return Heard::Lynx;
        if (now == Heard::Echo) heard = Heard::Echo;
        if (n < kListenChunk) return heard;
    }
}

void TestSend::DataAvailable() {
    switch (state_) {
        case State::Sending:
            if (Listen() == Heard::Lynx) lynxHeard_ = true;
            return;
        case State::AwaitingReply: {
            const Heard heard = Listen();
            if (heard == Heard::Nothing) return;
            // The echo is our own bytes still leaving: the watchdog counts
            // from the last of them.
            timer_.Stop();
            if (heard == Heard::Lynx) {
                state_ = State::Acknowledging;
                answerSince_ = timer_.NowMs();
            }
            timer_.Start(kWatchdogMs);
            return;
        }
        case State::Acknowledging: {
            unsigned char buffer[kListenChunk];
            while (line_.ReadComm(buffer, kListenChunk) == kListenChunk) {
            }
            if (state_ != State::Acknowledging) return;
            timer_.Stop();
            // Data without end is noise on the line, not an answer.
            if (timer_.NowMs() - answerSince_ >= kLongestAnswerMs) {
                state_ = State::Failed;
                status_ = NotRespondingText(line_.Port());
                return;
            }
            timer_.Start(kWatchdogMs);
            return;
        }
        default: {
            unsigned char buffer[kListenChunk];
            while (line_.ReadComm(buffer, kListenChunk) == kListenChunk) {
            }
        }
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
