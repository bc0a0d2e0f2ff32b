// Drawn passwords and the music numbering of the level entries.
#pragma once

#include <cstdint>
#include <deque>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "ProjectFile.h"

namespace gdl {

// The editor's one source of chance: each draw is 0 to 32767.
class Random {
public:
    virtual ~Random() = default;
    virtual int Draw() = 0;
};

// Seeded once when the editor starts.
class ClockRandom : public Random {
public:
    ClockRandom();
    explicit ClockRandom(std::uint32_t seed) : engine_(seed) {}
    int Draw() override;

private:
    std::mt19937 engine_;
};

// Four letters A-Z that are neither the wizard code nor any of the passwords
// (compared without regard to case); a clashing candidate is drawn anew whole.
std::string MakePassword(Random& random, std::string_view wizard,
                         const std::vector<std::string>& passwords);
// The passwords of all entries, in order.
std::vector<std::string> PasswordsOf(const std::vector<LevelEntry>& levels);

// Automatic: 0, 1, 2, 0, ... Random: first 0 or 1, never two equal neighbours.
// Manual: nothing changes.
void AssignMusicNumbers(std::vector<LevelEntry>& levels, MusicMode mode, Random& random);

// The music preview's file for a music number text, or empty when it names no tune.
std::string MusicFileFor(std::string_view musicNumber);

}  // namespace gdl
