// The steps of a --script: "wait-level; answer; burst 4; wait 200; quit".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gdl {

struct SimStep {
    enum class Kind { WaitLevel, Answer, Burst, Wait, Quit };
    Kind kind = Kind::Quit;
    // Burst: the number of bytes; Wait: milliseconds.
    unsigned value = 0;
};

// Steps separated by ";"; blanks around words do not count. nullopt with the
// reason in error for a step it does not know.
std::optional<std::vector<SimStep>> ParseSimScript(std::string_view text, std::string& error);

// A whole decimal number from 0 to max; nothing else.
std::optional<unsigned> ParseCount(std::string_view text, unsigned max);

}  // namespace gdl
