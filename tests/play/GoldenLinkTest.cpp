// Link transcripts: a scenario played against the player on a manual clock,
// written down as the exact bytes that went out on the wire and each status
// line the window showed. The transcripts under tests/data/link/ are what
// the Lynx's loader relies on; a change of them must be deliberate.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Golden.h"
#include "PlayerFixtures.h"
#include "SetDump.h"

namespace gdl {
namespace {

using gdltest::NumberedLevels;

class GoldenLinkTest : public gdltest::PlayerFixture {
protected:
    // Runs step, then notes what it wrote and the status line it left.
    void Step(const std::string& what, const std::function<void()>& step) {
        step();
        transcript_ += "> " + what + "\n";
        const std::string out(line.written.begin() + static_cast<long>(seen_), line.written.end());
        seen_ = line.written.size();
        if (!out.empty())
            transcript_ += "wire " + std::to_string(out.size()) + " bytes:\n" + gdltest::HexOf(out);
        transcript_ += "status:" + View().Panel14.text + "\n";
    }
    // The cable hears every byte just written, in order.
    void Echo() {
        line.incoming.insert(line.incoming.end(), line.written.begin(), line.written.end());
        window->zComDataAvailable();
    }
    void Expect(const std::string& name) {
        gdltest::ExpectGolden(gdltest::GoldenData("link/" + name + ".txt"), transcript_);
    }

    std::string transcript_;
    std::size_t seen_ = 0;
};

// Levels of few bytes, so the transcript shows the whole level.
std::vector<gdltest::PlayLevel> SmallLevels(int n) {
    auto levels = NumberedLevels(n);
    for (int i = 0; i < n; ++i)
        levels[static_cast<std::size_t>(i)].compiled =
            std::string("\x01\x00\xF0\x12\x00\x00", 6) + std::string(3, char('A' + i)) + '\x00';
    return levels;
}

TEST_F(GoldenLinkTest, PlayAnswerAndABurstForTheNextLevel) {
    Start({WriteSet(SmallLevels(2))});
    Step("PLAY", [&] { window->SpeedButton1Click(); });
    Step("the Lynx answers and falls silent", [&] { Answer(); });
    Step("a burst of four", [&] {
        Hear(4);
        Silence();
    });
    Step("the Lynx answers and falls silent", [&] { Answer(); });
    Expect("play-answer-burst");
}

TEST_F(GoldenLinkTest, ALynxThatIsOffHearsOnlyTheEcho) {
    Start({WriteSet(SmallLevels(1))});
    Step("PLAY", [&] { window->SpeedButton1Click(); });
    Step("the cable's echo", [&] { Echo(); });
    Step("silence", [&] { Silence(); });
    Expect("echo-only");
}

// The set these transcripts play, kept beside them: the browser player's
// end-to-end test sends it and compares the wire with the transcripts.
TEST_F(GoldenLinkTest, TheSetOfTheTranscripts) {
    gdltest::ExpectGolden(gdltest::GoldenData("link/two-levels.gdl"),
                          gdltest::LevelSetFileBytes({}, SmallLevels(2)));
}

TEST_F(GoldenLinkTest, ASilentLynx) {
    Start({WriteSet(SmallLevels(1))});
    Step("PLAY", [&] { window->SpeedButton1Click(); });
    Step("silence", [&] { Silence(); });
    Expect("silent");
}

}  // namespace
}  // namespace gdl
