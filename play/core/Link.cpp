#include "Link.h"

#include "CompiledLevel.h"
#include "FileUtil.h"
#include "LynxText.h"
#include "PlatformPath.h"
#include "Prompts.h"
#include "Reader.h"
#include "Registry.h"
#include "SendProgress.h"
#include "SerialLine.h"
#include "TextUtil.h"
#include "Timer.h"

namespace gdl {

const std::string& Link::PortName() const {
    return c_.ports.line.Port();
}

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
    SendProgress line(c_.ports.line, c_.view.pSend, c_.ports.repaint);
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

    echo_.Clear();
    lynxHeard_ = false;
    writeFailed_ = false;
    if (!OpenPort()) {
        exchange_ = Exchange::CannotOpen;
        state_ = lsOff;
        Status(UnableToOpenText(PortName()), Lamp::Err);
        c_.view.Panel14Hint = line.LastError();
        return false;
    }
    c_.view.Panel14Hint.clear();
    exchange_ = Exchange::Sending;
    Status(kSendingLevel, Lamp::On);
    line.Begin(kPreambleBytes + kLinkHeaderSize + level.size());

    // A device that stops taking bytes would hold the window for seconds per
    // byte: after the first failed write the rest of the send is dropped.
    bool failed = false;
    // From the first byte on, what arrives is told apart as echo or answer.
    state_ = lsSendingHeader;
    for (std::size_t i = 0; i < kPreambleBytes && !failed; ++i)
        failed = !Write(line, kPreambleByte);
    if (!failed) {
        failed = !line.WriteComm(header_.data(), static_cast<long>(header_.size()));
        if (!failed) echo_.Sent(header_.data(), header_.size());
    }
    if (!failed) {
        state_ = lsSendingLevel;
        for (std::size_t i = 0; i < level.size() && !failed; ++i)
            failed = !Write(line, static_cast<unsigned char>(level[i]));
    }
    // The watchdog counts from the moment the last byte is on the wire.
    if (!failed) line.WaitSent();
    state_ = lsAwaitingReply;
    if (failed) {
        writeFailed_ = true;
        Status(WriteErrorText(PortName()), Lamp::Warn);
        ClosePort();  // the next play action opens it again
    }
    Timer& timer = c_.ports.timer;
    timer.Stop();
    // The Lynx's data heard while the send was still going counts as its
    // first data, as if it had arrived just after.
    if (lynxHeard_) {
        state_ = lsAcknowledging;
        answerSince_ = timer.NowMs();
    }
    timer.Start(kWatchdogMs);
    return true;
}

bool Link::Write(SerialLine& line, unsigned char byte) {
    if (!line.WriteCommByte(byte)) return false;
    echo_.Sent(byte);
    return true;
}

Heard Link::Listen() {
    unsigned char buffer[kReadChunk];
    Heard heard = Heard::Nothing;
    for (;;) {
        const long n = c_.ports.line.ReadComm(buffer, kReadChunk);
        if (state_ == lsOff) return Heard::Nothing;  // the read reported a line error
        // Once the Lynx is heard, the rest of what waits is its own.
        const Heard now = echo_.Hear(buffer, n);
        if (now == Heard::Lynx) return Heard::Lynx;
        if (now == Heard::Echo) heard = Heard::Echo;
        if (n < kReadChunk) return heard;
    }
}

void Link::NotResponding() {
    c_.ports.timer.Stop();
    state_ = lsOff;
    exchange_ = Exchange::NotResponding;
    Status(NotRespondingText(PortName()), Lamp::Err);
}

void Link::DataAvailable() {
    Timer& timer = c_.ports.timer;
    switch (state_) {
        case lsSendingHeader:
        case lsSendingLevel:
            if (Listen() == Heard::Lynx) lynxHeard_ = true;
            return;
        case lsAwaitingReply: {
            const Heard heard = Listen();
            if (heard == Heard::Nothing) return;
            // The echo is our own bytes still leaving: the watchdog counts
            // from the last of them.
            timer.Stop();
            if (heard == Heard::Lynx) {
                state_ = lsAcknowledging;
                answerSince_ = timer.NowMs();
            }
            timer.Start(kWatchdogMs);
            return;
        }
        default:
            break;
    }
    unsigned char buffer[kReadChunk];
    c_.ports.line.ReadComm(buffer, kReadChunk);
    switch (state_) {
        case lsAcknowledging:
            timer.Stop();
            if (timer.NowMs() - answerSince_ >= kLongestAnswerMs) {
                NotResponding();
                break;
            }
            timer.Start(kWatchdogMs);
            break;
        case lsPlaying:
            if (c_.view.IgnoreLynxButtons1.checked) break;
            state_ = lsEolBurst1;
            timer.Start(kWatchdogMs);
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
    state_ = lsOff;
    exchange_ = Exchange::ReadError;
    Status(PortErrorText(errorstr, PortName()), Lamp::Warn);
    if (c_.ports.line.Vanished()) ClosePort();
}

EolAction Link::Timer1Timer() {
    c_.ports.timer.Stop();
    switch (state_) {
        case lsAwaitingReply:
            NotResponding();
            return EolAction::None;
        case lsAcknowledging:
            state_ = lsPlaying;
            exchange_ = Exchange::InPlay;
            Status("", Lamp::Off);
            return EolAction::None;
        default:
            break;
    }
    if (state_ < lsPlaying || c_.view.IgnoreLynxButtons1.checked) return EolAction::None;
    if (state_ == lsEolBurst4 && !c_.state.wizard && !c_.state.test) return EolAction::NextLevel;
    return EolAction::PlayAgain;
}

bool Link::OpenPort() {
    if (!portOpen_) portOpen_ = c_.ports.line.OpenConnection();
    return portOpen_;
}

void Link::ClosePort() {
    if (!portOpen_) return;
    c_.ports.line.CloseConnection();
    portOpen_ = false;
}

void Link::ChoosePort(int k) {
    PlayerView& v = c_.view;
    MenuItemView* items[] = {&v.Com11, &v.Com21, &v.Com31, &v.Com41};
    for (int i = 0; i < 4; ++i) items[i]->checked = i == k - 1;
    ClosePort();
    c_.ports.line.SetPort("Com" + std::to_string(k));
    OpenPort();
    if (!c_.state.cd)
        c_.ports.registry.WriteValue(RegRoot::LocalMachine, kRegKeyGlobal, kRegValuePort,
                                     std::to_string(k - 1));
}

long long Link::StoredPort() const {
    if (c_.state.cd) return 0;
    Registry& reg = c_.ports.registry;
    reg.CreateKey(RegRoot::LocalMachine, kRegKeyGlobal);
    return ParseDecimal(
               reg.ReadValue(RegRoot::LocalMachine, kRegKeyGlobal, kRegValuePort).value_or(""))
        .value_or(0);
}

}  // namespace gdl
