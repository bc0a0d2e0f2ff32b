// The Lynx link on a manual clock: the bytes of a send, the watchdog's link
// states, the end-of-level bursts, and the line's failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "Link.h"
#include "PlayerFixtures.h"
#include "Progression.h"

namespace gdl {
namespace {

using gdltest::NumberedLevels;

std::string Bytes(const LinkHeader& h, std::size_t from, std::size_t to) {
    return {h.begin() + static_cast<long>(from), h.begin() + static_cast<long>(to)};
}

TEST(LinkHeader, TitleColumnAndCodesComeFromTheWholeTitle) {
    const std::string pcLevel = "\x1B\x0E\x01\x17\x10\x21\x10\x17\x01";
    const std::tuple<std::string, std::uint8_t, std::string> cases[] = {
        {"5", 0x28, pcLevel + "\x07"},
        {"ab#", 0x20, pcLevel + "\x01\x01\x01"},
        {"1234567890123456", 0xEC, pcLevel + "\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x02\x03"}};
    for (auto [label, column, title] : cases) {
        LinkHeaderFields fields;
        fields.label = label;
        const LinkHeader h = BuildLinkHeader(fields);
        EXPECT_EQ(h[5], column) << label;
        title.resize(20, '\0');
        EXPECT_EQ(Bytes(h, 7, 27), title) << label;
    }
}

TEST(LinkHeader, ChecksumCoversBytesFiveToThirtyThree) {
    LinkHeaderFields fields;
    fields.music = 2;
    fields.length = 0x1234;
    fields.dataChecksum = 0xFEDC;
    LinkHeader h = BuildLinkHeader(fields);
    unsigned sum = 0;
    for (std::size_t i = 5; i <= 33; ++i) sum += h[i];
    EXPECT_EQ(h[34] | (h[35] << 8), sum & 0xFFFF);
    for (std::size_t i : {0, 3, 4}) h[i] ^= 0x5A;
    UpdateHeaderChecksum(h);
    EXPECT_EQ(h[34] | (h[35] << 8), sum & 0xFFFF);
    h[29] += 1;
    UpdateHeaderChecksum(h);
    EXPECT_EQ(h[34] | (h[35] << 8), (sum + 1) & 0xFFFF);
}

TEST(LinkLevelBytes, PositionsSixToTheLastButOneAreSent) {
    const std::pair<std::string, std::string> cases[] = {
        {std::string("\x01\x00\xF0\x12\x09\x09\x01\x02\x03\x09", 10), std::string("\x01\x02\x03")},
        {std::string(6, 'a') + "xyz", "xy"},
        {std::string(7, 'a'), ""},
        {"abc", ""},
    };
    for (const auto& [compiled, sent] : cases) EXPECT_EQ(LevelBytesToSend(compiled), sent);
    EXPECT_EQ(DataChecksum("\x01\x02\x03"), 6);
    EXPECT_EQ(DataChecksum(std::string(300, '\xFF')), (300 * 255) & 0xFFFF);
}

enum class Mode { Normal, Wizard, Test };

class LinkTest : public gdltest::PlayerFixture {
protected:
    // Level 1 of a three-level set sent, answered, and in play.
    void PlayingLevel1(Mode mode = Mode::Normal) {
        gdltest::SetText set;
        set.wizard = "WIZZ";
        const std::string path = WriteSet(NumberedLevels(3), set);
        Start(mode == Mode::Test ? std::vector<std::string>{path, "1"}
                                 : std::vector<std::string>{path});
        if (mode == Mode::Wizard) Restart("WIZZ");
        window->SpeedButton1Click();
        Answer();
        ASSERT_EQ(LinkState(), lsPlaying);
    }
    void ExpectStatus(const std::string& text, Lamp lamp) const {
        EXPECT_EQ(View().Panel14.text, text);
        EXPECT_EQ(View().iStat, lamp);
    }
    // The Lynx is given up on `ms` from now, not a millisecond sooner.
    void ExpectGivenUpAfter(long long ms) {
        timer.Advance(ms - 1);
        ExpectStatus(" Sending Level to Lynx...", Lamp::On);
        timer.Advance(1);
        ExpectStatus(" Lynx not responding on Com1!", Lamp::Err);
    }
};

TEST_F(LinkTest, FirstPlayOfLevelOneSendsTheKnownHeader) {
    auto levels = NumberedLevels(1);
    levels[0].compiled = std::string("\x01\x00\xF0\x12\x00\x00\x01\x02\x03\x00", 10);
    Start({WriteSet(levels)});
    window->SpeedButton1Click();
    const std::string expected(
        "\x47\x44\x4C\x13\xFF\x28\x1B\x1B\x0E\x01\x17\x10\x21\x10\x17\x01\x03\x00"
        "\x00\x00\x00\x00\x00\x00\x00\x00\x00\x01\x00\x80\x03\x00\x06\x00\x6A\x01",
        36);
    ASSERT_EQ(line.written.size(), 512u + 36 + 3);
    EXPECT_EQ(std::count(line.written.begin(), line.written.begin() + 512, 0xA5), 512);
    EXPECT_EQ(Bytes(Sends().at(0).header, 0, 36), expected);
    EXPECT_EQ(Sends()[0].level, "\x01\x02\x03");
    ExpectStatus(" Sending Level to Lynx...", Lamp::On);
    EXPECT_EQ(LinkState(), lsAwaitingReply);
}

TEST_F(LinkTest, WithoutAReadyLevelNothingIsSentAndNothingChanges) {
    Start({WriteSet(NumberedLevels(1))});
    window->SpeedButton1Click();
    window->SpeedButton2Click();  // the end of the set, sent once
    const std::size_t written = line.written.size();
    const int starts = timer.Starts();
    window->SpeedButton1Click();
    EXPECT_FALSE(window->LastPlaySent());
    EXPECT_EQ(line.written.size(), written);
    EXPECT_EQ(timer.Starts(), starts);
    EXPECT_EQ(LinkState(), lsAwaitingReply);
    ExpectStatus(" Sending Level to Lynx...", Lamp::On);
}

TEST_F(LinkTest, BurstOfFourOrMoreGoesToTheNextLevelOutsideWizardAndTestMode) {
    const std::tuple<int, Mode, bool> cases[] = {{1, Mode::Normal, false}, {3, Mode::Normal, false},
                                                 {4, Mode::Normal, true},  {5, Mode::Normal, true},
                                                 {20, Mode::Normal, true}, {4, Mode::Wizard, false},
                                                 {20, Mode::Test, false}};
    for (const auto& [notifications, mode, next] : cases) {
        const std::string what =
            std::to_string(notifications) + " in mode " + std::to_string(static_cast<int>(mode));
        line.written.clear();
        PlayingLevel1(mode);
        Hear(notifications);
        EXPECT_EQ(LinkState(), lsEolBurst1 + std::min(notifications, 4) - 1) << what;
        repaints.clear();
        Silence();
        auto sends = Sends();
        ASSERT_EQ(sends.size(), 2u) << what;
        EXPECT_EQ(sends[1].Title(), next ? "PC LEVEL 2" : "PC LEVEL 1") << what;
        EXPECT_EQ(sends[1].header[27], next ? 1 : 0) << what;
        EXPECT_EQ(sends[1].header[29], mode == Mode::Normal ? 0 : 128) << what;
        ASSERT_FALSE(repaints.empty()) << what;
        EXPECT_EQ(next ? repaints[0].second : repaints[0].first, kClPurple) << what;
        EXPECT_EQ(View().Panel5Color, kClBlue);
        EXPECT_EQ(View().Panel6Color, kClBlue);
        EXPECT_EQ(LinkState(), lsAwaitingReply) << what;
    }
}

TEST_F(LinkTest, IgnoredButtonsKeepThePlayingState) {
    Option(kOptIgnoreButtons, "1");
    PlayingLevel1();
    Hear(20);
    Silence();
    EXPECT_EQ(LinkState(), lsPlaying);
    EXPECT_EQ(Sends().size(), 1u);
}

TEST_F(LinkTest, NotificationWithoutAnExchangeOnlyReadsSixBytes) {
    Start({WriteSet(NumberedLevels(1))});
    line.incoming.assign(10, 0x33);
    window->zComDataAvailable();
    EXPECT_EQ(line.incoming.size(), 4u);
    EXPECT_EQ(LinkState(), lsOff);
    EXPECT_EQ(timer.Starts(), 0);
    ExpectStatus("", Lamp::Off);
}

TEST_F(LinkTest, BusyPortIsReportedAtTheNextPlayAction) {
    Start({WriteSet(NumberedLevels(1))});
    line.refuseOpen = true;
    window->Com21Click();
    EXPECT_TRUE(View().Com21.checked && !View().Com11.checked);
    EXPECT_TRUE(prompts.shown.empty());
    ExpectStatus("", Lamp::Off);
    window->SpeedButton1Click();
    ExpectStatus(" Unable to open Com2!", Lamp::Err);
    EXPECT_EQ(LinkState(), lsOff);
    EXPECT_TRUE(line.written.empty());
    EXPECT_FALSE(timer.Enabled());
    line.refuseOpen = false;
    window->SpeedButton1Click();
    EXPECT_EQ(Sends().size(), 1u);
}

TEST_F(LinkTest, ReadErrorEndsTheExchange) {
    Start({WriteSet(NumberedLevels(1))});
    window->SpeedButton1Click();
    line.pendingError = 4;
    Hear();
    ExpectStatus(" Warning: Read Error on Com1.", Lamp::Warn);
    EXPECT_EQ(LinkState(), lsOff);
    Silence();
    ExpectStatus(" Warning: Read Error on Com1.", Lamp::Warn);
}

// The whole stream goes to the port in one write; a port that stops taking
// bytes ends it, and the rest is dropped.
TEST_F(LinkTest, AFailedWriteDropsTheRestOfTheSend) {
    const long level = 40 - 7;
    for (long failFrom : {100L, 512L + 10, 548L + 1, 548L + level - 1}) {
        line = {};
        Start({WriteSet(NumberedLevels(1))});
        line.failFromByte = failFrom;
        window->SpeedButton1Click();
        EXPECT_EQ(line.writes, 1);
        EXPECT_EQ(static_cast<long>(line.written.size()), failFrom);
        ExpectStatus(" Warning: Write Error on Com1.", Lamp::Warn);
        Silence();
        ExpectStatus(" Lynx not responding on Com1!", Lamp::Err);
        line.failFromByte = -1;
        line.written.clear();
        window->SpeedButton1Click();
        EXPECT_EQ(line.written.size(), 548u + level) << failFrom;
    }
}

TEST_F(LinkTest, EverySendRestartsTheWatchdogOnceItsLastByteHasLeft) {
    Start({WriteSet(NumberedLevels(1))});
    line.holdWrites = true;
    window->SpeedButton1Click();
    EXPECT_EQ(LinkState(), lsSendingHeader);
    EXPECT_FALSE(timer.Enabled());
    line.Drain(548);
    EXPECT_EQ(LinkState(), lsSendingLevel);
    timer.Advance(3000);
    ExpectStatus(" Sending Level to Lynx...", Lamp::On);
    line.EndWrite(true);
    EXPECT_EQ(LinkState(), lsAwaitingReply);
    timer.Advance(300);
    window->SpeedButton1Click();
    EXPECT_FALSE(timer.Enabled()) << "the new send stops the old watchdog";
    line.EndWrite(true);
    ExpectGivenUpAfter(500);
}

// PLAY while the stream still leaves the port waits for it, then sends: the
// level goes out twice, one stream after the other, never interleaved.
TEST_F(LinkTest, PlayDuringASendWaitsForIt) {
    Start({WriteSet(NumberedLevels(1))});
    line.holdWrites = true;
    window->SpeedButton1Click();
    window->SpeedButton1Click();
    window->SpeedButton2Click();
    EXPECT_EQ(line.writes, 1);
    line.EndWrite(true);
    EXPECT_EQ(line.writes, 2) << "one waiting click, run once the stream is out";
    EXPECT_EQ(LinkState(), lsSendingHeader);
    line.EndWrite(true);
    EXPECT_EQ(line.writes, 2);
    EXPECT_EQ(LinkState(), lsAwaitingReply);
}

// The one-wire cable hears its own bytes: what repeats the send, in order,
// is the cable's; only bytes beyond it or different from it are the Lynx's.
TEST_F(LinkTest, OwnEchoIsNoAnswerOfTheLynxs) {
    enum class Echo { None, DuringTheSend, AfterTheSend };
    struct Case {
        const char* what;
        Echo echo;
        std::string answer;    // after the echo
        gdl::LinkState after;  // once the line has fallen silent
    };
    const std::string answer(4, '\x5A');
    const Case cases[] = {
        {"echo during the send, Lynx off", Echo::DuringTheSend, "", lsOff},
        {"echo after the send, Lynx off", Echo::AfterTheSend, "", lsOff},
        {"echo, then the answer", Echo::AfterTheSend, answer, lsPlaying},
        {"echo during the send, then the answer", Echo::DuringTheSend, answer, lsPlaying},
        {"no echo, the answer", Echo::None, answer, lsPlaying},
        // A Lynx that answers with the very bytes it was sent still answers
        // once the echo is over.
        {"echo, then an answer like the preamble", Echo::AfterTheSend, "\xA5\xA5", lsPlaying},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        line = {};
        Start({WriteSet(NumberedLevels(1))});
        if (c.echo == Echo::DuringTheSend) {
            line.onWrite = [this](const unsigned char* bytes, long count) {
                line.incoming.insert(line.incoming.end(), bytes, bytes + count);
                window->zComDataAvailable();
            };
        }
        window->SpeedButton1Click();
        line.onWrite = nullptr;
        if (c.echo == Echo::AfterTheSend) {
            line.incoming.assign(line.written.begin(), line.written.end());
            window->zComDataAvailable();
        }
        EXPECT_EQ(LinkState(), lsAwaitingReply);
        EXPECT_TRUE(line.incoming.empty());
        if (!c.answer.empty()) {
            line.incoming.assign(c.answer.begin(), c.answer.end());
            window->zComDataAvailable();
            EXPECT_EQ(LinkState(), lsAcknowledging);
        }
        Silence();
        EXPECT_EQ(LinkState(), c.after);
        if (c.after == lsOff) {
            ExpectStatus(" Lynx not responding on Com1!", Lamp::Err);
            EXPECT_EQ(window->LinkLayer().LastExchange(), Exchange::NotResponding);
        } else {
            // The status line stays blank; the lamp shows the level in play.
            ExpectStatus("", Lamp::InPlay);
            EXPECT_EQ(window->LinkLayer().LastExchange(), Exchange::InPlay);
        }
    }
}

// An echo that comes back slowly (a paced wire) holds the watchdog until its
// last byte; then the Lynx has 500 ms as ever.
TEST_F(LinkTest, SlowEchoHoldsTheWatchdogUntilItsLastByte) {
    Start({WriteSet(NumberedLevels(1))});
    window->SpeedButton1Click();
    const std::vector<unsigned char> sent = line.written;
    for (std::size_t at = 0; at < sent.size(); at += 100) {
        timer.Advance(400);
        const auto end = sent.begin() + static_cast<long>(std::min(at + 100, sent.size()));
        line.incoming.assign(sent.begin() + static_cast<long>(at), end);
        window->zComDataAvailable();
        ASSERT_EQ(LinkState(), lsAwaitingReply) << at;
    }
    ExpectGivenUpAfter(500);
}

// Data that never stops (noise at about 100 bytes a second) is no answer:
// the user learns it well within 2 s of the send's end.
TEST_F(LinkTest, EndlessDataIsNotAnAnswer) {
    Start({WriteSet(NumberedLevels(1))});
    window->SpeedButton1Click();
    const long long sentAt = timer.Now();
    unsigned char noise = 17;
    while (LinkState() != lsOff && timer.Now() - sentAt < 5000) {
        timer.Advance(10);
        noise = static_cast<unsigned char>(noise * 73 + 41);
        line.incoming.push_back(noise);
        window->zComDataAvailable();
    }
    EXPECT_EQ(LinkState(), lsOff);
    EXPECT_LE(timer.Now() - sentAt, 2000);
    ExpectStatus(" Lynx not responding on Com1!", Lamp::Err);
    EXPECT_EQ(window->LinkLayer().LastExchange(), Exchange::NotResponding);
}

// After the level is in play the bytes are button presses, whatever they are.
TEST_F(LinkTest, BurstsAfterPlayAreCountedAsBefore) {
    PlayingLevel1();
    const std::size_t before = Sends().size();
    line.incoming.assign(4, 0xA5);
    for (int i = 0; i < 4; ++i) window->zComDataAvailable();
    EXPECT_EQ(LinkState(), lsEolBurst4);
    Silence();
    EXPECT_EQ(Sends().size(), before + 1);
}

// The hint question and the hint are modal: what the Lynx does meanwhile
// waits until the play action has finished, so no action starts inside it.
TEST_F(LinkTest, NotificationsAndTicksDuringTheHintWaitForThePlayAction) {
    PlayingLevel1();
    for (int i = 0; i < 2; ++i) {
        window->SpeedButton1Click();
        Answer();
    }
    prompts.answers = {Answer::Yes};
    dialogs.duringDialog = [this] {
        Hear(4);
        window->Timer1Timer();
    };
    window->SpeedButton1Click();
    EXPECT_EQ(dialogs.hints.size(), 1u);
    EXPECT_EQ(Asked(kHintQuestion), 1);
    EXPECT_EQ(Sends().size(), 4u);
    EXPECT_EQ(LinkState(), lsAcknowledging);
    Silence();
    EXPECT_EQ(LinkState(), lsPlaying);
    EXPECT_EQ(Sends().size(), 4u);
}

}  // namespace
}  // namespace gdl
