#include "Link.h"

#include "CompiledLevel.h"
#include "FileUtil.h"
#include "PlatformPath.h"
#include "Prompts.h"
#include "Reader.h"
#include "SerialLine.h"
#include "Timer.h"

namespace gdl {

void Link::Status(const std::string& text, Lamp lamp) {
    c_.view.Panel14.text = text;
    c_.view.iStat = lamp;
}

std::string Link::TakeLevelBytes() {
    PlayerState& s = c_.state;
    if (s.kind == SetKind::LevelSetFile) {
        // Only what was read from the file for this very entry is sent.
        if (s.levelSize == 0 || s.levelData.size() != s.levelSize) return {};
        return std::string(LevelBytesToSend(s.levelData));
    }
    if (s.levelName.empty()) return {};
    std::optional<std::string> bytes;
    const std::string path = PlatformPath(s.setFolder + s.levelName + ".bin");
    // A file larger than any compiled level is not read at all.
    if (IsPlainFileName(s.levelName) && FileSize(path).value_or(0) <= kLargestCompiledLevelSize)
        bytes = ReadFileBytes(path);
    if (!bytes) {
        c_.ports.prompts.ShowMessage(kCaptionFileError, kCantReadLevel, MsgIcon::Error);
        return {};
    }
    s.levelData = *bytes;
    return std::string(LevelBytesToSend(s.levelData));
}

bool Link::Send() {
    PlayerState& s = c_.state;
    LinkHeaderFields fields{s.label, s.newLevel, s.endOfGame, s.freshStart, s.music, 0, 0};
    header_ = BuildLinkHeader(fields);
    s.newLevel = 0;
    if (!s.levelReady && !s.endOfGame) return false;
    const bool endMark = s.endOfGame;
    s.endOfGame = false;
    // The end of the set sends the header alone, never an earlier level.
    std::string level = endMark ? std::string() : TakeLevelBytes();
    if (level.size() > 0xFFFF) level.clear();
    fields.length = static_cast<std::uint16_t>(level.size());
    fields.dataChecksum = DataChecksum(level);
    header_ = BuildLinkHeader(fields);

    const bool started = exchange_.Start(LinkStream(header_, level));
    c_.view.Panel14Hint = started ? std::string() : c_.ports.line.LastError();
    ShowExchange();
    return started;
}

void Link::ShowExchange() {
    const ExchangePhase phase = exchange_.Phase();
    const Exchange outcome = exchange_.Outcome();
    // The bar stays full while the answer is awaited, and goes with the exchange.
    c_.view.pSend = {exchange_.UnderWay(), exchange_.Sent(), exchange_.Total()};
    switch (phase) {
        case ExchangePhase::SendingHeader:
            state_ = lsSendingHeader;
            Status(kSendingLevel, Lamp::On);
            return;
        case ExchangePhase::SendingLevel:
            state_ = lsSendingLevel;
            return;
        case ExchangePhase::AwaitingReply:
        case ExchangePhase::Acknowledging:
            state_ = phase == ExchangePhase::AwaitingReply ? lsAwaitingReply : lsAcknowledging;
            if (outcome == Exchange::WriteError) Status(exchange_.StatusText(), Lamp::Warn);
            return;
        case ExchangePhase::Idle:
            break;
    }
    switch (outcome) {
        case Exchange::InPlay:
            state_ = lsPlaying;
            Status("", Lamp::Off);
            return;
        case Exchange::ReadError:
        case Exchange::CannotOpen:
        case Exchange::NotResponding:
        case Exchange::WriteError:
            // A read that failed after the level went out is a warning; the rest failed the send.
            state_ = lsOff;
            Status(exchange_.StatusText(), outcome == Exchange::ReadError ? Lamp::Warn : Lamp::Err);
            return;
        case Exchange::None:
        case Exchange::Sending:
            return;
    }
}

void Link::WriteProgress() {
    exchange_.WriteProgress();
    if (exchange_.UnderWay()) ShowExchange();
}

void Link::Written(bool ok) {
    if (!exchange_.Writing()) return;
    exchange_.Written(ok);
    ShowExchange();
}

void Link::DataAvailable() {
    if (exchange_.UnderWay()) {
        exchange_.DataAvailable();
        ShowExchange();
        return;
    }
    // The level is in play (or no exchange runs): only arrivals count.
    unsigned char buffer[kReadChunk];
    c_.ports.line.ReadComm(buffer, kReadChunk);
    if (state_ == lsOff) return;  // the read reported a line error
    switch (state_) {
        case lsPlaying:
            if (c_.view.IgnoreLynxButtons1.checked) break;
            state_ = lsEolBurst1;
            c_.ports.timer.Start(kWatchdogMs);
            break;
        case lsEolBurst1:
        case lsEolBurst2:
        case lsEolBurst3:
            state_ = static_cast<LinkState>(state_ + 1);
            break;
        default:
            break;
    }
}

void Link::ErrorOccurred(int, const std::string& errorstr) {
    exchange_.ErrorOccurred(errorstr);
    ShowExchange();
}

EolAction Link::Timer1Timer() {
    c_.ports.timer.Stop();
    if (exchange_.UnderWay()) {
        if (exchange_.Writing()) return EolAction::None;
        exchange_.Tick();
        ShowExchange();
        return EolAction::None;
    }
    if (state_ < lsPlaying || c_.view.IgnoreLynxButtons1.checked) return EolAction::None;
    if (state_ == lsEolBurst4 && !c_.state.wizard && !c_.state.test) return EolAction::NextLevel;
    return EolAction::PlayAgain;
}

}  // namespace gdl
