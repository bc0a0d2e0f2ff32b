#include "LevelReference.h"

namespace gdl {

LevelRef SplitReference(std::string_view reference) {
    auto colon = reference.find(':');
    if (colon == std::string_view::npos) return {std::string(), std::string(reference)};
    return {std::string(reference.substr(0, colon)), std::string(reference.substr(colon + 1))};
}

std::string LevelLabel(long long position, long long offset) {
    std::string s = std::to_string(position - offset);
    if (!s.empty() && s[0] == '-') s[0] = 'H';
    return s;
}

}  // namespace gdl
