#include <gtest/gtest.h>

#include "EditorFakes.h"
#include "Passwords.h"

namespace gdl {
namespace {

// Draws that spell a four-letter candidate.
void Queue(ScriptedRandom& r, std::string_view letters) {
    for (char c : letters) r.draws.push_back(c - 'A' + 26);  // modulo 26 brings it back
}

TEST(PasswordsTest, MakePasswordDiscardsWizardAndExistingPasswordsWhole) {
    ScriptedRandom r;
    Queue(r, "WIZZ");  // the wizard code
    Queue(r, "ABCD");  // a level password, stored in lower case
    Queue(r, "QRST");
    EXPECT_EQ(MakePassword(r, "WIZZ", {"abcd", "XXXX"}), "QRST");
    EXPECT_TRUE(r.draws.empty());
}

std::vector<std::string> Music(const std::vector<LevelEntry>& levels) {
    std::vector<std::string> r;
    for (const auto& e : levels) r.push_back(e.music);
    return r;
}

TEST(PasswordsTest, MusicNumbersByMode) {
    std::vector<LevelEntry> levels(5);
    ScriptedRandom r;
    AssignMusicNumbers(levels, MusicMode::Automatic, r);
    EXPECT_EQ(Music(levels), (std::vector<std::string>{"0", "1", "2", "0", "1"}));
    levels.erase(levels.begin());
    AssignMusicNumbers(levels, MusicMode::Automatic, r);
    EXPECT_EQ(Music(levels), (std::vector<std::string>{"0", "1", "2", "0"}));

    // Even draws step up, odd draws step down, wrapping at both ends.
    levels.resize(6);
    r.draws = {1, 1, 0, 0, 3, 2};
    AssignMusicNumbers(levels, MusicMode::Random, r);
    EXPECT_EQ(Music(levels), (std::vector<std::string>{"1", "0", "1", "2", "1", "2"}));
    for (std::size_t i = 1; i < levels.size(); ++i) EXPECT_NE(levels[i].music, levels[i - 1].music);

    levels[0].music = "2";
    levels[1].music = "2";
    AssignMusicNumbers(levels, MusicMode::Manual, r);
    EXPECT_EQ(levels[0].music, "2");
    EXPECT_EQ(levels[1].music, "2");
}

}  // namespace
}  // namespace gdl
