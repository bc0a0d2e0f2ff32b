// One send as the player's link writes it, for the link stream target. Kept
// apart because the player's and the simulator's headers both name the link's
// constants.
#pragma once

#include <string>

namespace gdlfuzz {

struct SendFields {
    std::string label;
    int newLevel = 1;
    int freshStart = 128;
    int music = 0;
};

// The preamble, the link header and the level bytes.
std::string PlayerSend(const SendFields& fields, const std::string& levelBytes);
inline constexpr std::size_t kPlayerPreamble = 512;

}  // namespace gdlfuzz
