// The Lynx exchange on a manual clock with a scripted line: one table of
// what the line and the Lynx do, driven through the exchange alone, through
// GDLPlay's link (the player's window) and through GDLMap's test send. Each
// sender must end in the same outcome, with the same status line.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "LinkFakes.h"
#include "LynxExchange.h"
#include "PlayerFixtures.h"
#include "TestSend.h"

namespace gdl {
namespace {

// What a sender shows of its exchange.
class Sender {
public:
    virtual ~Sender() = default;
    virtual void Start() = 0;
    virtual ExchangeOutcome Outcome() const = 0;
    virtual std::string Status() const = 0;
    virtual bool WriteFailed() const = 0;
    FakeSerialLine* line = nullptr;
    ManualTimer* timer = nullptr;
};

// The line's events and the timer's ticks to an exchange or a test send, as
// a front end wires them.
template <typename Target>
void Wire(FakeSerialLine& line, ManualTimer& timer, Target& target) {
    timer.onTick = [&target] { target.Tick(); };
    line.onDataAvailable = [&target] { target.DataAvailable(); };
    line.onErrorOccurred = [&target](int, const std::string& e) { target.ErrorOccurred(e); };
    line.onWriteProgress = [&target] { target.WriteProgress(); };
    line.onWritten = [&target](bool ok) { target.Written(ok); };
}

// Readies the line before the sender starts up.
using LineSetup = std::function<void(FakeSerialLine&)>;

// The exchange alone, wired to the line as a front end wires it.
class BareSender : public Sender {
public:
    explicit BareSender(const LineSetup& setup = nullptr) {
        if (setup) setup(line_);
        line = &line_;
        timer = &timer_;
        line_.SetPort("Com1");
        Wire(line_, timer_, exchange_);
    }
    void Start() override {
        LinkHeaderFields fields;
        fields.label = "1";
        fields.length = 300;
        exchange_.Start(LinkStream(BuildLinkHeader(fields), std::string(300, 'L')));
    }
    ExchangeOutcome Outcome() const override { return exchange_.Outcome(); }
    std::string Status() const override { return exchange_.StatusText(); }
    bool WriteFailed() const override { return exchange_.WriteFailed(); }

private:
    FakeSerialLine line_;
    ManualTimer timer_;
    LynxExchange exchange_{line_, timer_};
};

// GDLPlay's window with its ports faked, open on a one-level set.
class PlayerRig : public gdltest::PlayerFixture {
public:
    explicit PlayerRig(const LineSetup& setup) {
        SetUp();
        if (setup) setup(line);
        auto levels = gdltest::NumberedLevels(1);
        levels[0].compiled = gdltest::CompiledLevelBytes(307, "LEVEL 1");
        Start({WriteSet(levels)});
    }
    void TestBody() override {}
    gdl::FakeSerialLine& Line() { return line; }
    ManualTimer& Clock() { return timer; }
    PlayerWindow& Window() { return *window; }
};

// GDLPlay: PLAY.
class PlayerSender : public Sender {
public:
    explicit PlayerSender(const LineSetup& setup) : rig_(setup) {
        line = &rig_.Line();
        timer = &rig_.Clock();
    }
    void Start() override { rig_.Window().SpeedButton1Click(); }
    ExchangeOutcome Outcome() const override { return rig_.Window().LinkLayer().LastExchange(); }
    std::string Status() const override { return rig_.Window().View().Panel14.text; }
    bool WriteFailed() const override { return rig_.Window().LinkLayer().WriteFailed(); }

private:
    mutable PlayerRig rig_;
};

// GDLMap: Ctrl+T on a level.
class MapSender : public Sender {
public:
    explicit MapSender(const LineSetup& setup) {
        if (setup) setup(line_);
        line = &line_;
        timer = &timer_;
        Wire(line_, timer_, send_);
    }
    void Start() override {
        send_.Start("Com1", "CAVE01",
                    std::string("\x01\x00\xF0\x12\x00\x00", 6) + std::string(300, 'L') + '\0');
    }
    ExchangeOutcome Outcome() const override { return send_.Exchange().Outcome(); }
    std::string Status() const override { return send_.Status(); }
    bool WriteFailed() const override { return send_.Exchange().WriteFailed(); }

private:
    FakeSerialLine line_;
    ManualTimer timer_;
    TestSend send_{line_, timer_};
};

// The Lynx's side: a notification with these bytes.
void Hear(Sender& s, const std::vector<unsigned char>& bytes) {
    s.line->incoming.insert(s.line->incoming.end(), bytes.begin(), bytes.end());
    if (s.line->onDataAvailable) s.line->onDataAvailable();
}
// The cable hears everything written so far.
void Echo(Sender& s) {
    Hear(s, s.line->written);
}
const std::vector<unsigned char> kAnswer = {0x5A, 0x5A, 0x5A, 0x5A};

struct Case {
    const char* what;
    LineSetup before;                     // the line as it is from start-up on
    std::function<void(Sender&)> script;  // what happens after the start
    ExchangeOutcome outcome;
    const char* status;
    bool writeFailed = false;
};

const std::vector<Case>& Cases() {
    static const std::vector<Case> cases = {
        {"silence", nullptr, [](Sender& s) { s.timer->Advance(kWatchdogMs); },
         ExchangeOutcome::NotResponding, " Lynx not responding on Com1!"},
        {"the echo only", nullptr,
         [](Sender& s) {
             Echo(s);
             s.timer->Advance(kWatchdogMs);
         },
         ExchangeOutcome::NotResponding, " Lynx not responding on Com1!"},
        {"the echo, then the answer", nullptr,
         [](Sender& s) {
             Echo(s);
             s.timer->Advance(200);
             Hear(s, kAnswer);
             s.timer->Advance(kWatchdogMs);
         },
         ExchangeOutcome::InPlay, ""},
        {"the answer without an echo", nullptr,
         [](Sender& s) {
             Hear(s, kAnswer);
             s.timer->Advance(kWatchdogMs);
         },
         ExchangeOutcome::InPlay, ""},
        {"the echo and the answer in one read", nullptr,
         [](Sender& s) {
             auto both = s.line->written;
             both.insert(both.end(), kAnswer.begin(), kAnswer.end());
             Hear(s, both);
             s.timer->Advance(kWatchdogMs);
         },
         ExchangeOutcome::InPlay, ""},
        {"the answer while the stream still leaves the port",
         [](FakeSerialLine& l) { l.holdWrites = true; },
         [](Sender& s) {
             s.line->Drain(100);
             Hear(s, kAnswer);
             s.timer->Advance(2000);  // no watchdog runs while the stream leaves
             s.line->EndWrite(true);
             s.timer->Advance(kWatchdogMs);
         },
         ExchangeOutcome::InPlay, ""},
        {"noise: data without end", nullptr,
         [](Sender& s) {
             for (int i = 0; i < 20; ++i) {
                 Hear(s, {0x13, 0x37});
                 s.timer->Advance(100);
             }
             s.timer->Advance(kWatchdogMs);
         },
         ExchangeOutcome::NotResponding, " Lynx not responding on Com1!"},
        {"a write error midway", [](FakeSerialLine& l) { l.failFromByte = 300; },
         [](Sender& s) { s.timer->Advance(kWatchdogMs); }, ExchangeOutcome::WriteError,
         " Lynx not responding on Com1!", true},
        {"a write error, and the Lynx answers the broken stream",
         [](FakeSerialLine& l) { l.failFromByte = 600; },
         [](Sender& s) {
             Hear(s, kAnswer);
             s.timer->Advance(kWatchdogMs);
         },
         ExchangeOutcome::WriteError, " Lynx not responding on Com1!", true},
        {"the device removed midway", [](FakeSerialLine& l) { l.holdWrites = true; },
         [](Sender& s) {
             s.line->Drain(200);
             s.line->vanished = true;
             s.line->onErrorOccurred(0x400, "Device Removed");
             s.timer->Advance(kWatchdogMs);
         },
         ExchangeOutcome::ReadError, " Warning: Device Removed on Com1."},
        {"a line error while answering", nullptr,
         [](Sender& s) {
             Hear(s, kAnswer);
             s.line->pendingError = 4;
             Hear(s, kAnswer);
             s.timer->Advance(kWatchdogMs);
         },
         ExchangeOutcome::ReadError, " Warning: Read Error on Com1."},
        {"the port cannot be opened", [](FakeSerialLine& l) { l.refuseOpen = true; }, nullptr,
         ExchangeOutcome::CannotOpen, " Unable to open Com1!"},
    };
    return cases;
}

using MakeSender = std::function<std::unique_ptr<Sender>(const LineSetup&)>;

class ExchangeTable : public ::testing::TestWithParam<std::pair<const char*, MakeSender>> {};

TEST_P(ExchangeTable, EveryCaseEndsInItsOutcome) {
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.what);
        auto sender = GetParam().second(c.before);
        sender->Start();
        if (c.outcome != ExchangeOutcome::CannotOpen && !c.writeFailed) {
            EXPECT_EQ(sender->Outcome(), ExchangeOutcome::Sending);
            EXPECT_EQ(sender->Status(), kSendingLevel);
        }
        if (c.script) c.script(*sender);
        EXPECT_EQ(sender->Outcome(), c.outcome);
        EXPECT_EQ(sender->Status(), c.status);
        EXPECT_EQ(sender->WriteFailed(), c.writeFailed);
        // The whole stream was handed to the port in one write.
        EXPECT_EQ(sender->line->writes, c.outcome == ExchangeOutcome::CannotOpen ? 0 : 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Senders, ExchangeTable,
    ::testing::Values(
        std::pair<const char*, MakeSender>{
            "Exchange", [](const LineSetup& setup) { return std::make_unique<BareSender>(setup); }},
        std::pair<const char*, MakeSender>{
            "Player", [](const LineSetup& setup) { return std::make_unique<PlayerSender>(setup); }},
        std::pair<const char*, MakeSender>{
            "Map", [](const LineSetup& setup) { return std::make_unique<MapSender>(setup); }}),
    [](const auto& info) { return std::string(info.param.first); });

TEST(LynxExchange, ProgressIsWhatHasLeftThePortAndOnlyGrows) {
    FakeSerialLine line;
    ManualTimer timer;
    LynxExchange exchange(line, timer);
    line.onWriteProgress = [&] { exchange.WriteProgress(); };
    line.holdWrites = true;
    ASSERT_TRUE(exchange.Start(LinkStream(BuildLinkHeader({}), std::string(452, 'x'))));
    std::vector<std::size_t> seen;
    for (std::size_t n : {100u, 300u, 0u, 200u}) {
        line.Drain(n);
        seen.push_back(exchange.Sent());
    }
    EXPECT_EQ(seen, (std::vector<std::size_t>{100, 400, 400, 600}));
    // A driver that counts more queued than before does not move the bar back.
    line.queued += 50;
    line.Drain(0);
    EXPECT_EQ(exchange.Sent(), 600u);
}

TEST(LynxExchange, PhasesFollowTheBytesOnTheWire) {
    FakeSerialLine line;
    ManualTimer timer;
    LynxExchange exchange(line, timer);
    line.onWriteProgress = [&] { exchange.WriteProgress(); };
    line.onWritten = [&](bool ok) { exchange.Written(ok); };
    line.holdWrites = true;
    ASSERT_TRUE(exchange.Start(LinkStream(BuildLinkHeader({}), std::string(100, 'x'))));
    EXPECT_EQ(exchange.Phase(), ExchangePhase::SendingHeader);
    EXPECT_EQ(exchange.Total(), kPreambleBytes + kLinkHeaderSize + 100);
    line.Drain(kPreambleBytes + kLinkHeaderSize - 1);
    EXPECT_EQ(exchange.Phase(), ExchangePhase::SendingHeader);
    EXPECT_EQ(exchange.Sent(), kPreambleBytes + kLinkHeaderSize - 1);
    line.Drain(1);
    EXPECT_EQ(exchange.Phase(), ExchangePhase::SendingLevel);
    EXPECT_FALSE(timer.Enabled()) << "the watchdog waits for the last byte";
    line.EndWrite(true);
    EXPECT_EQ(exchange.Phase(), ExchangePhase::AwaitingReply);
    EXPECT_EQ(exchange.Sent(), exchange.Total());
    EXPECT_TRUE(timer.Enabled());
}

TEST(LynxExchange, AStartDuringAnExchangeDropsTheFirstAndWritesOnce) {
    FakeSerialLine line;
    ManualTimer timer;
    LynxExchange exchange(line, timer);
    line.onWritten = [&](bool ok) { exchange.Written(ok); };
    timer.onTick = [&] { exchange.Tick(); };
    ASSERT_TRUE(exchange.Start(LinkStream(BuildLinkHeader({}), "ab")));
    EXPECT_TRUE(timer.Enabled());
    ASSERT_TRUE(exchange.Start(LinkStream(BuildLinkHeader({}), "cd")));
    EXPECT_EQ(line.opens, 1) << "the port stays open between exchanges";
    EXPECT_EQ(line.writes, 2);
    timer.Advance(kWatchdogMs);
    EXPECT_EQ(exchange.Outcome(), ExchangeOutcome::NotResponding);
}

}  // namespace
}  // namespace gdl
