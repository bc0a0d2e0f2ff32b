#include "TestSend.h"

#include "LinkHeader.h"
#include "Registry.h"
#include "TextUtil.h"

namespace gdl {

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
    return LinkStream(BuildLinkHeader(fields), level);
}

bool TestSend::Start(const std::string& port, const std::string& levelName,
                     const std::string& compiled) {
    if (exchange_.UnderWay()) {
        status_ = kStillSending;
        return false;
    }
    problem_.clear();
    // The port is opened for each send, so a device changed meanwhile (Com1
    // pointed elsewhere) is the one used, and no other program is kept out.
    exchange_.ClosePort();
    line_.SetPort(port);
    const bool started = exchange_.Start(TestSendStream(levelName, compiled));
    if (!started) problem_ = line_.LastError();
    Follow();
    return started;
}

void TestSend::Follow() {
    status_ = exchange_.StatusText();
    if (!exchange_.UnderWay()) exchange_.ClosePort();
}

void TestSend::DataAvailable() {
    if (!exchange_.UnderWay()) {
        // Nothing is expected: what arrives is dropped.
        unsigned char buffer[64];
        while (line_.ReadComm(buffer, sizeof buffer) == static_cast<long>(sizeof buffer)) {
        }
        return;
    }
    exchange_.DataAvailable();
    Follow();
}

void TestSend::WriteProgress() {
    exchange_.WriteProgress();
}

void TestSend::Written(bool ok) {
    exchange_.Written(ok);
    Follow();
}

void TestSend::ErrorOccurred(const std::string& errorstr) {
    if (!exchange_.UnderWay()) return;
    exchange_.ErrorOccurred(errorstr);
    Follow();
}

void TestSend::Tick() {
    exchange_.Tick();
    Follow();
}

TestSend::State TestSend::CurrentState() const {
    switch (exchange_.Phase()) {
        case ExchangePhase::SendingHeader:
        case ExchangePhase::SendingLevel:
            return State::Sending;
        case ExchangePhase::AwaitingReply:
            return State::AwaitingReply;
        case ExchangePhase::Acknowledging:
            return State::Acknowledging;
        case ExchangePhase::Idle:
            break;
    }
    switch (exchange_.Outcome()) {
        case ExchangeOutcome::None:
            return State::Idle;
        case ExchangeOutcome::InPlay:
            return State::Answered;
        default:
            return State::Failed;
    }
}

}  // namespace gdl
