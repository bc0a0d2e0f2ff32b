#include "Passwords.h"

#include <chrono>

#include "TextUtil.h"

namespace gdl {

ClockRandom::ClockRandom()
    : engine_(
          static_cast<std::uint32_t>(std::chrono::system_clock::now().time_since_epoch().count())) {
}

int ClockRandom::Draw() {
    return static_cast<int>(engine_() % 32768u);
}

std::string MakePassword(Random& random, std::string_view wizard,
                         const std::vector<std::string>& passwords) {
    for (;;) {
        std::string candidate;
        for (int i = 0; i < 4; ++i) candidate += static_cast<char>('A' + random.Draw() % 26);
        bool clash = candidate == wizard;
        for (const auto& p : passwords) clash = clash || EqualsNoCase(candidate, p);
        if (!clash) return candidate;
    }
}

std::vector<std::string> PasswordsOf(const std::vector<LevelEntry>& levels) {
    std::vector<std::string> r;
    r.reserve(levels.size());
    for (const auto& e : levels) r.push_back(e.password);
    return r;
}

void AssignMusicNumbers(std::vector<LevelEntry>& levels, MusicMode mode, Random& random) {
    if (mode == MusicMode::Manual) return;
    int n = 2;
    for (auto& entry : levels) {
        if (mode == MusicMode::Automatic) {
            ++n;
        } else {
            n += (random.Draw() % 2 == 0) ? 1 : -1;
        }
        if (n > 2) n = 0;
        if (n < 0) n = 2;
        entry.music = std::to_string(n);
    }
}

std::string MusicFileFor(std::string_view musicNumber) {
    if (musicNumber == "0" || musicNumber == "1" || musicNumber == "2")
        return "music" + std::string(musicNumber) + ".wav";
    return {};
}

}  // namespace gdl
