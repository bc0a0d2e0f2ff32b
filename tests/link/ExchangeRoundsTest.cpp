// Rounds with the Lynx simulator pacing the wire at 9600 baud over a
// pseudo-terminal: play, the Lynx answers, a burst of end-of-level presses,
// and the level that burst asks for, twenty times over. The window's thread
// is held busy for 300 ms during every send, as a repaint or a dialog would
// hold it; every level must still arrive whole, in one piece.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "EventLoop.h"
#include "PlayerFixtures.h"
#include "PlayerWindow.h"
#include "ZcommLine.h"

namespace {

using namespace std::chrono_literals;

constexpr int kRounds = 20;
constexpr auto kBusyWindow = 300ms;

class ExchangeRounds : public ::testing::Test {
protected:
    // Plays kRounds rounds with bursts of `burst` presses; lynxsim's report
    // of every level it took in.
    std::vector<std::string> PlayRounds(int burst) {
        std::string script;
        // The Lynx answers, falls silent well past the watchdog, presses. The
        // margins are wide (700 ms past the watchdog, 100 ms between presses,
        // all four inside one 500 ms window) so that a loaded machine cannot
        // merge two presses into one arrival or press before the level is in
        // play: what is tested is the stream, not the scheduler.
        for (int i = 0; i < kRounds; ++i)
            script += "wait-level; answer; wait 1200; burst " + std::to_string(burst) + "; ";
        script += "wait-level; answer";
        gdltest::ChildProcess sim({gdltest::KitBin() + "lynxsim", "--baud", "9600", "--burst-gap",
                                   "100", "--script", script});
        auto device = sim.ReadLine(5s);
        EXPECT_TRUE(device && device->rfind("/dev/", 0) == 0) << device.value_or("no device");
        if (!device) return {};

        gdltest::WriteMarkers(bin, {"ld.exe", "ld.pif"});
        auto levels = gdltest::NumberedLevels(kRounds + 1);
        for (auto& level : levels) level.compiled = gdltest::CompiledLevelBytes(207, "LEVEL");
        const std::string set = sets + "rounds.gdl";
        gdl::WriteFileAtomic(set, gdltest::LevelSetFileBytes({}, levels));

        gdl::EventLoop loop;
        gdl::ZcommLine line([&loop](std::function<void()> fn) { loop.Post(std::move(fn)); },
                            &registry);
        gdl::PlayerPorts ports{registry, runner, prompts, loop.WindowTimer(), line, dialogs};
        gdl::PlayerWindow window(ports, {set}, bin);
        // The test hook: a send that a tick started finds the window's thread
        // busy right after it has handed the stream over.
        int blocks = 0;
        auto busyWhileSending = [&] {
            if (!window.LinkLayer().Writing()) return;
            ++blocks;
            std::this_thread::sleep_for(kBusyWindow);
        };
        loop.WindowTimer().onTick = [&] {
            window.Timer1Timer();
            busyWhileSending();
        };
        window.FormActivate();
        window.UsePort(*device);

        int sends = 0, answered = 0;
        auto written = line.onWritten;
        line.onWritten = [&](bool ok) {
            ++sends;
            written(ok);
        };
        window.SpeedButton1Click();
        busyWhileSending();
        gdl::Exchange last = gdl::Exchange::Sending;
        const bool done = loop.RunUntil(
            [&] {
                const gdl::Exchange now = window.LinkLayer().LastExchange();
                if (now == gdl::Exchange::InPlay && last != gdl::Exchange::InPlay) ++answered;
                last = now;
                return answered == kRounds + 1 ||
                       (now != gdl::Exchange::Sending && now != gdl::Exchange::InPlay);
            },
            240s);
        EXPECT_TRUE(done) << "rounds answered: " << answered;
        EXPECT_EQ(answered, kRounds + 1) << window.View().Panel14.text;
        EXPECT_EQ(sends, kRounds + 1);
        EXPECT_EQ(blocks, kRounds + 1) << "every send met a busy window thread";
        window.FormClose();
        window.FormDestroy();

        std::vector<std::string> reports;
        while (auto report = sim.ReadLineWith("\"event\":\"", 5s)) {
            if (report->find("\"event\":\"answer\"") != std::string::npos) continue;
            if (report->find("\"event\":\"burst\"") != std::string::npos) continue;
            reports.push_back(*report);
            if (reports.size() == kRounds + 1) break;
        }
        return reports;
    }

    static void ExpectWhole(const std::string& report, const std::string& title) {
        EXPECT_NE(report.find("\"event\":\"level\""), std::string::npos) << report;
        EXPECT_NE(report.find("\"preamble\":512,"), std::string::npos) << report;
        EXPECT_NE(report.find("\"title\":\"" + title + "\""), std::string::npos) << report;
        EXPECT_NE(report.find("\"headerChecksumOk\":true"), std::string::npos) << report;
        EXPECT_NE(report.find("\"dataChecksumOk\":true"), std::string::npos) << report;
    }

    gdltest::TempDir kit;
    std::string bin = kit.MakeFolder("bin"), sets = kit.MakeFolder("levels");
    gdl::MemoryRegistry registry;
    gdl::RecordingToolRunner runner;
    gdl::ScriptedPrompts prompts;
    gdl::ScriptedPlayerDialogs dialogs;
};

TEST_F(ExchangeRounds, ABurstOfFourBringsTheNextLevelWholeEveryTime) {
    const auto reports = PlayRounds(4);
    ASSERT_EQ(reports.size(), static_cast<std::size_t>(kRounds + 1));
    for (int i = 0; i <= kRounds; ++i) {
        SCOPED_TRACE(i);
        ExpectWhole(reports[static_cast<std::size_t>(i)], "PC LEVEL " + std::to_string(i + 1));
    }
}

TEST_F(ExchangeRounds, ABurstOfOneBringsTheSameLevelWholeEveryTime) {
    const auto reports = PlayRounds(1);
    ASSERT_EQ(reports.size(), static_cast<std::size_t>(kRounds + 1));
    for (int i = 0; i <= kRounds; ++i) {
        SCOPED_TRACE(i);
        ExpectWhole(reports[static_cast<std::size_t>(i)], "PC LEVEL 1");
    }
}

}  // namespace
