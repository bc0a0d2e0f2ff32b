// "Test on Lynx": the byte stream, the port choice, the status texts by
// arrival and silence, and the sender over the real serial component to the
// Lynx simulator on a pseudo-terminal.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

#include "../zcomm/ZcommFixtures.h"
#include "ChildProcess.h"
#include "CommonFakes.h"
#include "LevelCompile.h"
#include "LinkFakes.h"
#include "LinkHeader.h"
#include "TestSend.h"
#include "ZcommLine.h"

namespace gdl {
namespace {

using namespace std::chrono_literals;

std::string SampleLevel() {
    SourceLevel level;
    level.levelName = "CAVE01";
    level.longName = "GLIMMER GATE";
    level.width = 4;
    level.height = 3;
    level.minutes = 1;
    level.quota = 0;
    level.tiles = {3, 3, 3, 3, 3, 8, 7, 3, 3, 3, 3, 3};
    return CompileLevel(level).bytes;
}

TEST(TestSendStream, IsThePlayersStreamTitledWithTheLevelName) {
    const std::string compiled = SampleLevel();
    const auto stream = TestSendStream("CAVE01", compiled);
    const std::size_t level = compiled.size() - 7;
    ASSERT_EQ(stream.size(), kPreambleBytes + kLinkHeaderSize + level);
    for (std::size_t i = 0; i < kPreambleBytes; ++i) ASSERT_EQ(stream[i], 0xA5) << i;
    LinkHeaderFields fields;
    fields.label = "CAVE01";
    fields.length = static_cast<std::uint16_t>(level);
    fields.dataChecksum = DataChecksum(LevelBytesToSend(compiled));
    const LinkHeader header = BuildLinkHeader(fields);
    EXPECT_TRUE(std::equal(header.begin(), header.end(), stream.begin() + kPreambleBytes));
    EXPECT_EQ(stream[kPreambleBytes + 27], 1) << "new level";
    EXPECT_EQ(stream[kPreambleBytes + 29], 128) << "fresh start, music 0";
    EXPECT_EQ(std::string(stream.end() - static_cast<long>(level), stream.end()),
              std::string(LevelBytesToSend(compiled)));
}

TEST(TestSendPort, LdComFirstThenTheStoredPort) {
    MemoryRegistry registry;
    struct Case {
        const char* ldCom;
        const char* stored;  // nullptr: none
        const char* port;
    };
    const Case cases[] = {
        {"3", "0", "Com3"}, {"1", nullptr, "Com1"}, {"", "2", "Com3"},  {"5", "1", "Com2"},
        {"", "7", "Com1"},  {"", "-1", "Com1"},     {"", "x", "Com1"},  {"", nullptr, "Com1"},
        {"4", "3", "Com4"}, {"12", "3", "Com4"},    {"0", "1", "Com2"},
    };
    for (const auto& c : cases) {
        registry.DeleteValue(RegRoot::LocalMachine, kRegKeyGlobal, "Port");
        if (c.stored) registry.WriteValue(RegRoot::LocalMachine, kRegKeyGlobal, "Port", c.stored);
        EXPECT_EQ(TestSendPort(c.ldCom, &registry), c.port) << c.ldCom << " " << c.stored;
    }
    EXPECT_EQ(TestSendPort("", nullptr), "Com1");
}

class TestSendFlow : public ::testing::Test {
protected:
    void SetUp() override {
        timer.onTick = [this] { send.Tick(); };
        line.onErrorOccurred = [this](int, const std::string& errorstr) {
            send.ErrorOccurred(errorstr);
        };
        line.onWriteProgress = [this] { send.WriteProgress(); };
        line.onWritten = [this](bool ok) { send.Written(ok); };
    }
    // The stream handed to the port in one piece, and out.
    void SendAll() {
        line.holdWrites = true;
        ASSERT_TRUE(send.Start("Com2", "CAVE01", SampleLevel()));
        EXPECT_EQ(send.Status(), kSendingLevel);
        EXPECT_EQ(send.CurrentState(), TestSend::State::Sending);
        line.Drain(100);
        EXPECT_EQ(send.Written(), 100u);
        line.EndWrite(true);
        EXPECT_EQ(line.writes, ++sends);
    }
    // The send is over as `state`, its status line saying `status`.
    void ExpectEnded(TestSend::State state, const std::string& status) const {
        EXPECT_EQ(send.CurrentState(), state);
        EXPECT_EQ(send.Status(), status);
    }
    int sends = 0;
    FakeSerialLine line;
    ManualTimer timer;
    TestSend send{line, timer};
};

TEST_F(TestSendFlow, AnAnswerAndSilenceEndTheSendWithAnEmptyStatus) {
    SendAll();
    EXPECT_EQ(line.written, TestSendStream("CAVE01", SampleLevel()));
    EXPECT_EQ(line.Port(), "Com2");
    EXPECT_EQ(send.CurrentState(), TestSend::State::AwaitingReply);
    timer.Advance(400);
    line.incoming = {1, 2, 3, 4, 5, 6, 7, 8};
    send.DataAvailable();
    timer.Advance(400);
    EXPECT_EQ(send.CurrentState(), TestSend::State::Acknowledging);
    timer.Advance(100);
    ExpectEnded(TestSend::State::Answered, "");
}

// The port is opened for each send and closed once it has ended, so the
// device a Com name stands for is looked up again at every Ctrl+T.
TEST_F(TestSendFlow, ThePortIsOpenedForEachSendAndClosedAfterIt) {
    SendAll();
    EXPECT_TRUE(line.open);
    timer.Advance(500);
    EXPECT_FALSE(line.open) << "no answer: the send is over";
    SendAll();
    EXPECT_EQ(line.opens, 2);
    timer.Advance(500);
    ASSERT_TRUE(send.Start("Com3", "CAVE01", SampleLevel()));
    EXPECT_EQ(line.Port(), "Com3");
    EXPECT_EQ(line.opens, 3);
    send.Close();
    EXPECT_FALSE(line.open);
}

// Ctrl+T while a send is under way: refused with a word; the first send goes
// on to its own end, and the level goes out once.
TEST_F(TestSendFlow, ASecondSendWhileOneIsUnderWayIsRefused) {
    line.holdWrites = true;
    ASSERT_TRUE(send.Start("Com2", "CAVE01", SampleLevel()));
    EXPECT_FALSE(send.Start("Com2", "CAVE01", SampleLevel()));
    EXPECT_EQ(send.Status(), kStillSending);
    EXPECT_EQ(line.writes, 1);
    line.EndWrite(true);
    EXPECT_FALSE(send.Start("Com2", "CAVE01", SampleLevel())) << "the answer is still awaited";
    line.incoming = {0x5A};
    send.DataAvailable();
    timer.Advance(500);
    ExpectEnded(TestSend::State::Answered, "");
    EXPECT_EQ(line.writes, 1);
    EXPECT_TRUE(send.Start("Com2", "CAVE01", SampleLevel()));
    EXPECT_EQ(line.writes, 2);
}

TEST_F(TestSendFlow, TheCablesEchoAndEndlessNoiseAreNoAnswer) {
    SendAll();
    const auto stream = TestSendStream("CAVE01", SampleLevel());
    line.incoming.assign(stream.begin(), stream.end());
    send.DataAvailable();
    EXPECT_EQ(send.CurrentState(), TestSend::State::AwaitingReply)
        << "only our own bytes came back";
    timer.Advance(500);
    EXPECT_EQ(send.Status(), " Lynx not responding on Com2!");

    SendAll();
    for (int i = 0; i < 40; ++i) {
        line.incoming = {0x55};
        send.DataAvailable();
        timer.Advance(100);
    }
    ExpectEnded(TestSend::State::Failed, " Lynx not responding on Com2!");
}

TEST_F(TestSendFlow, SilenceAfterTheSendIsNoAnswer) {
    SendAll();
    timer.Advance(499);
    EXPECT_EQ(send.CurrentState(), TestSend::State::AwaitingReply);
    timer.Advance(1);
    ExpectEnded(TestSend::State::Failed, " Lynx not responding on Com2!");
}

TEST_F(TestSendFlow, PortAndWriteFailuresSayWhichPort) {
    line.refuseOpen = true;
    EXPECT_FALSE(send.Start("Com4", "CAVE01", SampleLevel()));
    EXPECT_EQ(send.Status(), " Unable to open Com4!");
    EXPECT_EQ(send.Problem(), "busy");
    EXPECT_TRUE(line.written.empty());

    line.refuseOpen = false;
    line.failFromByte = 100;
    ASSERT_TRUE(send.Start("Com4", "CAVE01", SampleLevel()));
    EXPECT_EQ(send.Status(), " Warning: Write Error on Com4.");
    EXPECT_EQ(line.written.size(), 100u) << "the rest of the stream is dropped";
    timer.Advance(500);

    line.failFromByte = -1;
    line.written.clear();
    ASSERT_TRUE(send.Start("Com4", "CAVE01", SampleLevel()));
    line.pendingError = 1;
    line.incoming = {1};
    send.DataAvailable();
    EXPECT_EQ(send.Status(), " Warning: Read Error on Com4.");
}

// The real component on a pseudo-terminal, the simulator at the other end.
TEST(TestSendToLynxSim, BothChecksumsAreRightAndTheTitleIsTheLevelName) {
    const std::string sim = std::string(GDLKIT_KIT_DIR) + "/bin/lynxsim";
    gdltest::ChildProcess lynx({sim, "--script", "wait-level; answer"});
    auto device = lynx.ReadLine(5s);
    ASSERT_TRUE(device && device->rfind("/dev/", 0) == 0) << device.value_or("no device");

    MemoryRegistry registry;
    registry.WriteValue(RegRoot::LocalMachine, kRegKeyGlobal, "Com3", *device);
    std::mutex mutex;
    std::condition_variable posted;
    std::deque<std::function<void()>> queue;
    ZcommLine line(
        [&](std::function<void()> fn) {
            std::lock_guard lock(mutex);
            queue.push_back(std::move(fn));
            posted.notify_all();
        },
        &registry);
    ManualTimer timer;
    TestSend send(line, timer);
    line.onDataAvailable = [&] { send.DataAvailable(); };
    line.onWritten = [&](bool ok) { send.Written(ok); };
    ASSERT_TRUE(send.Start(TestSendPort("3", &registry), "CAVE01", SampleLevel()))
        << send.Problem();
    auto report = lynx.ReadLineWith("\"event\":\"level\"", 20s);
    ASSERT_TRUE(report) << "nothing reached the Lynx";
    EXPECT_NE(report->find("\"title\":\"PC LEVEL CAVE01\""), std::string::npos) << *report;
    EXPECT_NE(report->find("\"headerChecksumOk\":true"), std::string::npos) << *report;
    EXPECT_NE(report->find("\"dataChecksumOk\":true"), std::string::npos) << *report;

    // The echo and then the answer arrive as notifications on the window's
    // queue; the answer moves the send on.
    const auto end = std::chrono::steady_clock::now() + 20s;
    while (send.CurrentState() == TestSend::State::Sending ||
           send.CurrentState() == TestSend::State::AwaitingReply) {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(posted.wait_until(lock, end, [&] { return !queue.empty(); }))
            << "the Lynx's answer did not arrive";
        auto fn = std::move(queue.front());
        queue.pop_front();
        lock.unlock();
        fn();
    }
    EXPECT_EQ(send.CurrentState(), TestSend::State::Acknowledging);
    send.Close();
}

// Com1 pointed at another device while GDLMap runs: the next send goes there.
TEST(TestSendToLynxSim, APortChangedMeanwhileIsUsedAtTheNextSend) {
    gdltest::PtyPair first, second;
    MemoryRegistry registry;
    // The line's events are not needed here: the test plays them itself.
    ZcommLine line([](std::function<void()>) {}, &registry);
    ManualTimer timer;
    TestSend send(line, timer);
    for (const gdltest::PtyPair* pty : {&first, &second}) {
        registry.WriteValue(RegRoot::LocalMachine, kRegKeyGlobal, "Com1", pty->Path());
        ASSERT_TRUE(send.Start("Com1", "CAVE01", SampleLevel())) << send.Problem();
        EXPECT_EQ(line.Component().DevicePath(), pty->Path());
        const auto got = pty->Receive(kPreambleBytes);
        EXPECT_EQ(got.size(), kPreambleBytes) << "the stream went to " << pty->Path();
        send.Written(true);
        send.Tick();
        EXPECT_FALSE(send.Busy());
    }
}

}  // namespace
}  // namespace gdl
