// The send's bar in the real window over the real serial component, with the
// simulated Lynx at the far end of a pseudo-terminal: the core's bar values
// over the whole send, and the window's bar showing each of them.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProgressBar>
#include <QToolButton>
#include <chrono>
#include <sstream>

#include "ChildProcess.h"
#include "Cpmain.h"
#include "FormsTestSupport.h"
#include "HeadlessSend.h"
#include "PlayFormsSupport.h"
#include "PlayerFixtures.h"
#include "QtPlayerPorts.h"
#include "ZcommLine.h"

namespace {

using namespace std::chrono_literals;

TEST(SendProgressRoad, BarRunsFromNothingToTheWholeSendAndGoes) {
    gdltest::EnsureApp();
    gdltest::ChildProcess sim({gdltest::KitBin() + "lynxsim", "--script", "wait-level; answer"});
    auto device = sim.ReadLine(5s);
    ASSERT_TRUE(device);
    gdltest::TempDir dir;
    gdltest::WriteMarkers(dir.Folder(), {"ld.exe", "ld.pif"});
    auto levels = gdltest::NumberedLevels(1);
    levels[0].compiled = gdltest::CompiledLevelBytes(1207, "LEVEL 1");
    dir.Write("road.gdl", gdltest::LevelSetFileBytes({}, levels));
    gdltest::WindowOnDevice window(*device, {dir.Path("road.gdl")}, dir.Folder());
    auto& form = window.form;
    auto* bar = form.findChild<QProgressBar*>("pSend");
    ASSERT_NE(bar, nullptr);
    struct Seen {
        gdl::ProgressView core;
        bool shown;
        int value, maximum;
    };
    std::vector<Seen> seen;
    auto look = [&] {
        const auto& v = window.core.View().pSend;
        if (v.visible && (seen.empty() || seen.back().core.position != v.position))
            seen.push_back({v, bar->isVisible(), bar->value(), bar->maximum()});
    };
    form.show();
    form.FormActivate();
    EXPECT_FALSE(bar->isVisible());
    form.findChild<QToolButton*>("SpeedButton1")->click();
    // The stream leaves the port while the window goes on: its events move the bar.
    const auto until = std::chrono::steady_clock::now() + 20s;
    do {
        look();
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    } while (window.core.LinkLayer().LastExchange() == gdl::Exchange::Sending &&
             std::chrono::steady_clock::now() < until);

    const std::size_t total = gdl::kPreambleBytes + gdl::kLinkHeaderSize + 1200;
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen.front().core.position, 0u);
    for (std::size_t i = 0; i < seen.size(); ++i) {
        SCOPED_TRACE(i);
        const Seen& s = seen[i];
        EXPECT_EQ(s.core.max, total);
        if (i > 0) {
            EXPECT_GT(s.core.position, seen[i - 1].core.position);
        }
        EXPECT_TRUE(s.shown);
        EXPECT_EQ(s.maximum, static_cast<int>(total));
        EXPECT_EQ(s.value, static_cast<int>(s.core.position));
    }
    EXPECT_EQ(seen.back().core.position, total);
    EXPECT_EQ(window.core.LinkLayer().LastExchange(), gdl::Exchange::InPlay);
    EXPECT_FALSE(window.core.View().pSend.visible);
    EXPECT_FALSE(bar->isVisible());

    auto level = sim.ReadLineWith("\"event\":\"level\"", 5s);
    ASSERT_TRUE(level);
    EXPECT_NE(level->find("\"dataChecksumOk\":true"), std::string::npos) << *level;
    form.close();
}

// --send on a terminal: one line redrawn in place with the bytes out, erased
// before the next status line; off a terminal, nothing of it.
TEST(SendProgressRoad, SendOnATerminalRedrawsOneProgressLine) {
    gdltest::TempDir dir;
    gdltest::WriteMarkers(dir.Folder(), {"ld.exe", "ld.pif"});
    auto levels = gdltest::NumberedLevels(1);
    levels[0].compiled = gdltest::CompiledLevelBytes(407, "LEVEL 1");
    dir.Write("road.gdl", gdltest::LevelSetFileBytes({}, levels));
    const std::string total = std::to_string(gdl::kPreambleBytes + gdl::kLinkHeaderSize + 400);
    for (const bool terminal : {true, false}) {
        SCOPED_TRACE(terminal);
        gdltest::ChildProcess sim(
            {gdltest::KitBin() + "lynxsim", "--script", "wait-level; answer"});
        auto device = sim.ReadLine(5s);
        ASSERT_TRUE(device);
        gdl::MemoryRegistry registry;
        gdl::PlayCommand command;
        command.kind = gdl::PlayCommandKind::Send;
        command.set = dir.Path("road.gdl");
        command.port = *device;
        std::ostringstream out, err;
        EXPECT_EQ(gdl::RunSend(command, registry, dir.Folder(), out, err, terminal),
                  gdl::kSendAnswered)
            << out.str() << err.str();
        const std::string shown = out.str();
        if (!terminal) {
            EXPECT_EQ(shown.find("Sending:"), std::string::npos) << shown;
            EXPECT_EQ(shown.find('\r'), std::string::npos) << shown;
            continue;
        }
        const auto first = shown.find("Panel14:  Sending Level to Lynx...\n\r\033[KSending: 0 of " +
                                      total + " bytes");
        const auto last = shown.find("\r\033[KSending: " + total + " of " + total + " bytes");
        ASSERT_NE(first, std::string::npos) << shown;
        ASSERT_NE(last, std::string::npos) << shown;
        EXPECT_LT(first, last);
        // The line is erased, and no newline ends it, before the next status.
        EXPECT_EQ(shown.substr(last).find("bytes\r\033[KPanel14: \n"),
                  std::string("\r\033[KSending: " + total + " of " + total + " ").size())
            << shown;
        EXPECT_EQ(shown.substr(first, last - first).find('\n'),
                  std::string("Panel14:  Sending Level to Lynx...").size());
    }
}

}  // namespace
