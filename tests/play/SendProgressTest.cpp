// The status line's bar while a level goes out: bytes that have left the port
// of all the send holds, painted in steps, gone when the send ends.
#include <gtest/gtest.h>

#include "PlayerFixtures.h"
#include "SendProgress.h"

namespace {

using gdl::ProgressView;

class SendProgressTest : public gdltest::PlayerFixture {
protected:
    // Starts the player on a one-level set of a compiled level of size bytes,
    // with the bar recorded at every paint that shows it.
    void StartWithLevel(std::size_t size) {
        auto levels = gdltest::NumberedLevels(1);
        levels[0].compiled = gdltest::CompiledLevelBytes(size, "LEVEL 1");
        gdl::PlayerPorts ports{*registry, runner, prompts, timer, line, dialogs};
        ports.repaint = [this] {
            if (window->View().pSend.visible) bars.push_back(window->View().pSend);
        };
        window = std::make_unique<gdl::PlayerWindow>(ports, std::vector{WriteSet(levels)}, bin);
        window->FormActivate();
        bars.clear();
    }
    std::vector<ProgressView> bars;
};

TEST_F(SendProgressTest, BarCountsTheBytesOutInStepsAndGoesAtTheEnd) {
    struct Case {
        std::size_t compiled;
        long failFrom;  // -1: every write succeeds
        std::size_t lastPosition;
    };
    const std::size_t total = gdl::kPreambleBytes + gdl::kLinkHeaderSize;
    const Case cases[] = {
        {1007, -1, total + 1000},
        {7, -1, total},  // nothing but preamble and header
        {1007, 300, 300},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.compiled);
        line.written.clear();
        line.failFromByte = c.failFrom;
        StartWithLevel(c.compiled);
        window->SpeedButton1Click();
        ASSERT_FALSE(bars.empty());
        EXPECT_TRUE(bars.front().visible);
        EXPECT_EQ(bars.front().position, 0u);
        EXPECT_EQ(bars.front().max, total + c.compiled - 7);
        for (std::size_t i = 1; i < bars.size(); ++i) {
            EXPECT_TRUE(bars[i].visible);
            EXPECT_GT(bars[i].position, bars[i - 1].position);
            EXPECT_EQ(bars[i].max, bars.front().max);
        }
        EXPECT_LE(bars.size(), gdl::SendProgress::kSteps + 2);
        EXPECT_LE(bars.back().position, c.lastPosition);
        EXPECT_GE(bars.back().position + bars.front().max / gdl::SendProgress::kSteps + 1,
                  c.lastPosition);
        if (c.failFrom < 0) {
            EXPECT_EQ(bars.back().position, bars.front().max);
        }
        EXPECT_FALSE(View().pSend.visible);
    }
}

// An adapter takes the whole send into its queue at once; the bar follows
// the queue as it drains, not the writes.
TEST_F(SendProgressTest, BytesStillQueuedInThePortAreNotOut) {
    StartWithLevel(1007);
    line.onWrite = [this](unsigned char) { ++line.queued; };
    std::vector<std::size_t> drained;
    line.onWaitSent = [this, &drained] {
        ASSERT_EQ(bars.size(), 1u) << "the bar moved while everything was still queued";
        while (line.queued > 0) {
            line.queued -= std::min<std::size_t>(line.queued, 100);
            if (line.onDraining) line.onDraining(line.queued);
            drained.push_back(View().pSend.position);
        }
    };
    window->SpeedButton1Click();
    const std::size_t total = bars.front().max;
    ASSERT_EQ(drained.size(), (total + 99) / 100);
    for (std::size_t i = 0; i < drained.size(); ++i)
        EXPECT_EQ(drained[i], std::min(total, (i + 1) * 100)) << i;
    EXPECT_EQ(bars.back().position, total);
    EXPECT_FALSE(View().pSend.visible);
    EXPECT_FALSE(line.onDraining) << "the drain reports outlive the send";
}

TEST_F(SendProgressTest, PortThatWillNotOpenShowsNoBar) {
    line.refuseOpen = true;
    StartWithLevel(100);
    window->SpeedButton1Click();
    EXPECT_EQ(View().Panel14.text, " Unable to open Com1!");
    EXPECT_TRUE(bars.empty());
    EXPECT_FALSE(View().pSend.visible);
}

}  // namespace
