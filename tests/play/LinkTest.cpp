// The Lynx link on a manual clock: the bytes of a send, the watchdog's link
// states, the end-of-level bursts, and the line's failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "Link.h"
#include "PlayerFixtures.h"
#include "Progression.h"

namespace gdl {
namespace {

using gdltest::NumberedLevels;

std::vector<std::uint8_t> Bytes(const LinkHeader& h, std::size_t from, std::size_t to) {
    return {h.begin() + static_cast<long>(from), h.begin() + static_cast<long>(to)};
}

TEST(LinkHeader, TitleColumnAndCodesComeFromTheWholeTitle) {
    struct Case {
        std::string label;
        std::uint8_t column;
        std::vector<std::uint8_t> title;
    };
    const std::vector<std::uint8_t> pcLevel{0x1B, 0x0E, 0x01, 0x17, 0x10, 0x21, 0x10, 0x17, 0x01};
    auto title = [&](std::vector<std::uint8_t> tail) {
        std::vector<std::uint8_t> t = pcLevel;
        t.insert(t.end(), tail.begin(), tail.end());
        t.resize(20, 0);
        return t;
    };
    const Case cases[] = {
        {"5", 0x28, title({0x07})},
        {"H2", 0x24, title({0x13, 0x04})},
        {"ab#", 0x20, title({1, 1, 1})},
        {"1234567890123456", 0xEC, title({3, 4, 5, 6, 7, 8, 9, 10, 11, 2, 3})},
    };
    for (const Case& c : cases) {
        LinkHeaderFields fields;
        fields.label = c.label;
        LinkHeader h = BuildLinkHeader(fields);
        EXPECT_EQ(h[5], c.column) << c.label;
        EXPECT_EQ(Bytes(h, 7, 27), c.title) << c.label;
    }
}

TEST(LinkHeader, ChecksumCoversBytesFiveToThirtyThree) {
    LinkHeaderFields fields;
    fields.label = "7";
    fields.music = 2;
    fields.length = 0x1234;
    fields.dataChecksum = 0xFEDC;
    LinkHeader h = BuildLinkHeader(fields);
    unsigned sum = 0;
    for (std::size_t i = 5; i <= 33; ++i) sum += h[i];
    EXPECT_EQ(h[34] | (h[35] << 8), sum & 0xFFFF);
    const LinkHeader built = h;
    for (std::size_t i : {0, 3, 4}) h[i] ^= 0x5A;
    UpdateHeaderChecksum(h);
    EXPECT_EQ(Bytes(h, 34, 36), Bytes(built, 34, 36));
    h[29] += 1;
    UpdateHeaderChecksum(h);
    EXPECT_EQ(h[34] | (h[35] << 8), (sum + 1) & 0xFFFF);
}

TEST(LinkLevelBytes, PositionsSixToTheLastButOneAreSent) {
    const std::pair<std::string, std::string> cases[] = {
        {std::string("\x01\x00\xF0\x12\x09\x09\x01\x02\x03\x09", 10), std::string("\x01\x02\x03")},
        {std::string(6, 'a') + "xyz", "xy"},
        {std::string(7, 'a'), ""},
        {std::string(6, 'a'), ""},
        {"", ""},
    };
    for (const auto& [compiled, sent] : cases) EXPECT_EQ(LevelBytesToSend(compiled), sent);
    EXPECT_EQ(DataChecksum("\x01\x02\x03"), 6);
    EXPECT_EQ(DataChecksum(std::string(300, '\xFF')), (300 * 255) & 0xFFFF);
}

class LinkTest : public gdltest::PlayerFixture {
protected:
    // Level 1 sent, answered, and in play.
    void PlayingLevel1(const std::vector<std::string>& extra = {}) {
        std::vector<std::string> args{WriteSet(NumberedLevels(3), wizardSet)};
        args.insert(args.end(), extra.begin(), extra.end());
        Start(args);
        window->SpeedButton1Click();
        Answer();
        ASSERT_EQ(LinkState(), lsPlaying);
    }
    void ExpectStatus(const std::string& text, Lamp lamp) const {
        EXPECT_EQ(View().Panel14.text, text);
        EXPECT_EQ(View().iStat, lamp);
    }
    gdltest::SetText wizardSet = [] {
        gdltest::SetText set;
        set.wizard = "WIZZ";
        return set;
    }();
};

TEST_F(LinkTest, FirstPlayOfLevelOneSendsTheKnownHeader) {
    auto levels = NumberedLevels(1);
    levels[0].compiled = std::string("\x01\x00\xF0\x12\x00\x00\x01\x02\x03\x00", 10);
    Start({WriteSet(levels)});
    window->SpeedButton1Click();
    const std::vector<std::uint8_t> expected{0x47, 0x44, 0x4C, 0x13, 0xFF, 0x28, 0x1B, 0x1B, 0x0E,
                                             0x01, 0x17, 0x10, 0x21, 0x10, 0x17, 0x01, 0x03, 0x00,
                                             0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                             0x01, 0x00, 0x80, 0x03, 0x00, 0x06, 0x00, 0x6A, 0x01};
    ASSERT_EQ(line.written.size(), 512u + 36 + 3);
    EXPECT_EQ(std::vector<std::uint8_t>(line.written.begin(), line.written.begin() + 512),
              std::vector<std::uint8_t>(512, 0xA5));
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
    enum class Mode { Normal, Wizard, Test };
    struct Case {
        int notifications;
        Mode mode;
        bool next;
    };
    const Case cases[] = {{1, Mode::Normal, false}, {3, Mode::Normal, false},
                          {4, Mode::Normal, true},  {5, Mode::Normal, true},
                          {20, Mode::Normal, true}, {4, Mode::Wizard, false},
                          {20, Mode::Test, false}};
    for (const Case& c : cases) {
        const std::string what = std::to_string(c.notifications) + " in mode " +
                                 std::to_string(static_cast<int>(c.mode));
        line.written.clear();
        if (c.mode == Mode::Wizard) {
            Start({WriteSet(NumberedLevels(3), wizardSet)});
            window->ePWChange("WIZZ");
            prompts.answers = {Answer::Yes};
            window->SpeedButton4Click();
            window->SpeedButton1Click();
            Answer();
        } else {
            PlayingLevel1(c.mode == Mode::Test ? std::vector<std::string>{"1"}
                                               : std::vector<std::string>{});
        }
        Hear(c.notifications);
        EXPECT_EQ(LinkState(), lsEolBurst1 + std::min(c.notifications, 4) - 1) << what;
        repaints.clear();
        Silence();
        auto sends = Sends();
        ASSERT_EQ(sends.size(), 2u) << what;
        EXPECT_EQ(sends[1].Title(), c.next ? "PC LEVEL 2" : "PC LEVEL 1") << what;
        EXPECT_EQ(sends[1].header[27], c.next ? 1 : 0) << what;
        EXPECT_EQ(sends[1].header[29], c.mode == Mode::Normal ? 0 : 128) << what;
        ASSERT_FALSE(repaints.empty()) << what;
        EXPECT_EQ(c.next ? repaints[0].second : repaints[0].first, kClPurple) << what;
        EXPECT_EQ(View().Panel5Color, kClBlue);
        EXPECT_EQ(View().Panel6Color, kClBlue);
        EXPECT_EQ(LinkState(), lsAwaitingReply) << what;
    }
}

TEST_F(LinkTest, IgnoredButtonsKeepThePlayingState) {
    Option(kOptIgnoreButtons, "1");
    PlayingLevel1();
    Hear(20);
    EXPECT_EQ(LinkState(), lsPlaying);
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
    window->zComDataAvailable();
    EXPECT_TRUE(line.incoming.empty());
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
    ExpectStatus(" Sending Level to Lynx...", Lamp::On);
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
    EXPECT_EQ(LinkState(), lsOff);
}

// A line that stops taking bytes drops the rest of the send at once; the
// next play action opens the port again.
TEST_F(LinkTest, FirstFailedWriteDropsTheRestOfTheSend) {
    const long level = 40 - 7;
    for (long failFrom : {100L, 512L + 10, 548L + 1, 548L + level - 1}) {
        line = {};
        Start({WriteSet(NumberedLevels(1))});
        line.failFromByte = failFrom;
        window->SpeedButton1Click();
        // The header is one write: it fails whole.
        const bool inHeader = failFrom >= 512 && failFrom < 548;
        EXPECT_EQ(line.Attempts(), inHeader ? 548 : failFrom + 1) << failFrom;
        ExpectStatus(" Warning: Write Error on Com1.", Lamp::Warn);
        EXPECT_EQ(LinkState(), lsAwaitingReply);
        Silence();
        ExpectStatus(" Lynx not responding on Com1!", Lamp::Err);
        line.failFromByte = -1;
        line.written.clear();
        const int opens = line.opens;
        window->SpeedButton1Click();
        EXPECT_EQ(line.opens, opens + 1);
        EXPECT_EQ(line.written.size(), 548u + level) << failFrom;
    }
}

TEST_F(LinkTest, EverySendRestartsTheWatchdogOnceItsLastByteHasLeft) {
    std::vector<std::pair<int, std::size_t>> atWait;  // timer starts, bytes written
    line.onWaitSent = [&] { atWait.push_back({timer.Starts(), line.written.size()}); };
    Start({WriteSet(NumberedLevels(1))});
    window->SpeedButton1Click();
    ASSERT_EQ(atWait.size(), 1u);
    EXPECT_EQ(atWait[0].second, 548u + 33);
    EXPECT_EQ(timer.Starts(), atWait[0].first + 1);
    timer.Advance(300);
    window->SpeedButton1Click();
    ASSERT_EQ(atWait.size(), 2u);
    EXPECT_EQ(timer.Starts(), atWait[1].first + 1);
    timer.Advance(300);
    ExpectStatus(" Sending Level to Lynx...", Lamp::On);
    timer.Advance(200);
    ExpectStatus(" Lynx not responding on Com1!", Lamp::Err);
}

TEST_F(LinkTest, OwnEchoCountsAsTheLynxsFirstData) {
    for (bool echo : {true, false}) {
        line = {};
        Start({WriteSet(NumberedLevels(1))});
        if (echo) {
            line.onWrite = [this](unsigned char byte) {
                line.incoming.push_back(byte);
                window->zComDataAvailable();
            };
        }
        window->SpeedButton1Click();
        line.onWrite = nullptr;
        EXPECT_EQ(LinkState(), echo ? lsAcknowledging : lsAwaitingReply);
        Silence();
        EXPECT_EQ(LinkState(), echo ? lsPlaying : lsOff);
        if (echo) {
            ExpectStatus("", Lamp::Off);
        } else {
            ExpectStatus(" Lynx not responding on Com1!", Lamp::Err);
        }
    }
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
    auto sends = Sends();
    ASSERT_EQ(sends.size(), 4u);
    EXPECT_EQ(sends[3].Title(), "PC LEVEL 1");
    EXPECT_EQ(LinkState(), lsAcknowledging);
    Silence();
    EXPECT_EQ(LinkState(), lsPlaying);
    EXPECT_EQ(Sends().size(), 4u);
}

TEST_F(LinkTest, ProjectLevelIsReadWholeAtEachSend) {
    Start({WriteProject(NumberedLevels(1))});
    std::string changed = gdltest::CompiledLevelBytes(40, "LEVEL 1", 'Z');
    WriteFileAtomic(sets + "LEV1.bin", changed);
    window->SpeedButton1Click();
    EXPECT_EQ(Sends().at(0).level, changed.substr(6, 33));
    std::filesystem::remove(sets + "LEV1.bin");
    window->SpeedButton1Click();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].caption, "File Error");
    EXPECT_EQ(prompts.shown[0].text,
              "Can't perform one of the following file operations: Open, Seek, Read, Close.");
    ASSERT_EQ(Sends().size(), 2u);
    EXPECT_EQ(Sends()[1].level, "");
}

}  // namespace
}  // namespace gdl
