#include "SimScript.h"

#include <sstream>

#include "TextUtil.h"

namespace gdl {

namespace {
constexpr unsigned kMaxBurst = 1000;
constexpr unsigned kMaxWaitMs = 3600000;
}  // namespace

std::optional<unsigned> ParseCount(std::string_view text, unsigned max) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value > max) return std::nullopt;
    return value;
}

std::optional<std::vector<SimStep>> ParseSimScript(std::string_view text, std::string& error) {
    std::vector<SimStep> steps;
    std::istringstream parts{std::string(text)};
    std::string part;
    while (std::getline(parts, part, ';')) {
        std::istringstream words(part);
        std::string word, argument, extra;
        if (!(words >> word)) continue;
        words >> argument >> extra;
        const std::string step = TrimBlanks(part);
        auto fail = [&](const std::string& why) {
            error = "step \"" + step + "\": " + why;
            return std::nullopt;
        };
        if (!extra.empty()) return fail("too many words");
        SimStep parsed;
        if (word == "wait-level" || word == "answer" || word == "quit") {
            if (!argument.empty()) return fail("takes no number");
            parsed.kind = word == "quit"     ? SimStep::Kind::Quit
                          : word == "answer" ? SimStep::Kind::Answer
                                             : SimStep::Kind::WaitLevel;
        } else if (word == "burst" || word == "wait") {
            const bool burst = word == "burst";
            auto value = ParseCount(argument, burst ? kMaxBurst : kMaxWaitMs);
            if (!value || (burst && *value == 0)) {
                return fail(burst ? "expected a count from 1 to 1000"
                                  : "expected milliseconds from 0 to 3600000");
            }
            parsed.kind = burst ? SimStep::Kind::Burst : SimStep::Kind::Wait;
            parsed.value = *value;
        } else {
            return fail("expected wait-level, answer, burst N, wait MS or quit");
        }
        steps.push_back(parsed);
    }
    return steps;
}

}  // namespace gdl
