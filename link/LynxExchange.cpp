#include "LynxExchange.h"

#include <algorithm>

namespace gdl {

std::vector<unsigned char> LinkStream(const LinkHeader& header, std::string_view level) {
    std::vector<unsigned char> stream;
    stream.reserve(kPreambleBytes + header.size() + level.size());
    stream.resize(kPreambleBytes, kPreambleByte);
    stream.insert(stream.end(), header.begin(), header.end());
    for (char b : level) stream.push_back(static_cast<unsigned char>(b));
    return stream;
}

bool LynxExchange::OpenPort() {
    if (open_ && line_.Vanished()) ClosePort();
    if (!open_) open_ = line_.OpenConnection();
    return open_;
}

void LynxExchange::ClosePort() {
    if (!open_) return;
    line_.CloseConnection();
    open_ = false;
}

bool LynxExchange::Start(std::vector<unsigned char> stream) {
    timer_.Stop();
    echo_.Clear();
    lynxHeard_ = false;
    writeFailed_ = false;
    portError_.clear();
    sent_ = 0;
    total_ = stream.size();
    phase_ = ExchangePhase::Idle;
    if (!OpenPort()) {
        outcome_ = ExchangeOutcome::CannotOpen;
        return false;
    }
    outcome_ = ExchangeOutcome::Sending;
    // From the first byte on, what arrives is told apart as echo or answer.
    echo_.Sent(stream.data(), stream.size());
    phase_ = ExchangePhase::SendingHeader;
    if (!line_.WriteComm(stream.data(), static_cast<long>(stream.size()))) Written(false);
    return true;
}

void LynxExchange::UpdateSent() {
    const std::size_t unsent = std::min(line_.Unsent(), total_);
    // What has left the port stays out, whatever a driver's count says next.
    sent_ = std::max(sent_, total_ - unsent);
    if (phase_ == ExchangePhase::SendingHeader && sent_ >= kPreambleBytes + kLinkHeaderSize)
        phase_ = ExchangePhase::SendingLevel;
}

void LynxExchange::WriteProgress() {
    if (Writing()) UpdateSent();
}

void LynxExchange::Written(bool ok) {
    if (!Writing()) return;
    if (ok) {
        sent_ = total_;
    } else {
        UpdateSent();
        writeFailed_ = true;
        outcome_ = ExchangeOutcome::WriteError;
        ClosePort();  // the next exchange opens it again
    }
    phase_ = ExchangePhase::AwaitingReply;
    timer_.Stop();
    // The Lynx's data heard while the stream was still leaving counts as its
    // first data, as if it had come just after.
    if (ok && lynxHeard_) {
        phase_ = ExchangePhase::Acknowledging;
        answerSince_ = timer_.NowMs();
    }
    // The watchdog counts from the moment the last byte is on the wire.
    timer_.Start(kWatchdogMs);
}

Heard LynxExchange::Listen() {
    unsigned char buffer[kReadChunk];
    Heard heard = Heard::Nothing;
    for (;;) {
        const long n = line_.ReadComm(buffer, kReadChunk);
        if (!UnderWay()) return Heard::Nothing;  // the read reported a line error
        // Once the Lynx is heard, the rest of what waits is its own.
        const Heard now = echo_.Hear(buffer, n);
        if (now == Heard::Lynx) return Heard::Lynx;
        if (now == Heard::Echo) heard = Heard::Echo;
        if (n < kReadChunk) return heard;
    }
}

void LynxExchange::DataAvailable() {
    switch (phase_) {
        case ExchangePhase::SendingHeader:
        case ExchangePhase::SendingLevel:
            if (Listen() == Heard::Lynx) lynxHeard_ = true;
            UpdateSent();
            return;
        case ExchangePhase::AwaitingReply: {
            const Heard heard = Listen();
            if (heard == Heard::Nothing || !UnderWay()) return;
            // The echo is our own bytes still leaving: the watchdog counts
            // from the last of them.
            timer_.Stop();
            if (heard == Heard::Lynx) {
                phase_ = ExchangePhase::Acknowledging;
                answerSince_ = timer_.NowMs();
            }
            timer_.Start(kWatchdogMs);
            return;
        }
        case ExchangePhase::Acknowledging: {
            unsigned char buffer[kReadChunk];
            line_.ReadComm(buffer, kReadChunk);
            if (phase_ != ExchangePhase::Acknowledging) return;
            timer_.Stop();
            // Data without end is noise on the line, not an answer.
            if (timer_.NowMs() - answerSince_ >= kLongestAnswerMs) {
                End(ExchangeOutcome::NotResponding);
                return;
            }
            timer_.Start(kWatchdogMs);
            return;
        }
        case ExchangePhase::Idle:
            return;
    }
}

void LynxExchange::ErrorOccurred(const std::string& errorstr) {
    portError_ = errorstr;
    End(ExchangeOutcome::ReadError);
    if (line_.Vanished()) ClosePort();
}

void LynxExchange::Tick() {
    timer_.Stop();
    if (phase_ == ExchangePhase::AwaitingReply) {
        End(ExchangeOutcome::NotResponding);
    } else if (phase_ == ExchangePhase::Acknowledging) {
        End(ExchangeOutcome::InPlay);
    }
}

void LynxExchange::End(ExchangeOutcome outcome) {
    timer_.Stop();
    phase_ = ExchangePhase::Idle;
    // A failed write stays the outcome: what came after it was no real answer.
    outcome_ = writeFailed_ && outcome != ExchangeOutcome::ReadError ? ExchangeOutcome::WriteError
                                                                     : outcome;
}

std::string LynxExchange::StatusText() const {
    const std::string& port = line_.Port();
    switch (outcome_) {
        case ExchangeOutcome::Sending:
            return writeFailed_ ? WriteErrorText(port) : kSendingLevel;
        case ExchangeOutcome::CannotOpen:
            return UnableToOpenText(port);
        case ExchangeOutcome::WriteError:
            return phase_ == ExchangePhase::Idle ? NotRespondingText(port) : WriteErrorText(port);
        case ExchangeOutcome::NotResponding:
            return NotRespondingText(port);
        case ExchangeOutcome::ReadError:
            return PortErrorText(portError_, port);
        case ExchangeOutcome::None:
        case ExchangeOutcome::InPlay:
            break;
    }
    return {};
}

}  // namespace gdl
