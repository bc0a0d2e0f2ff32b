// A level reference names a level everywhere: source name + ":" + level name.
#pragma once

#include <string>
#include <string_view>

namespace gdl {

struct LevelRef {
    std::string source;  // empty: the level is a compiled level file of its own
    std::string level;
};

// Splits at the first ":"; without one the whole text is the level name.
LevelRef SplitReference(std::string_view reference);

// Label of the entry at 1-based position p: p - offset in decimal, a leading
// "-" shown as "H" (H2, H1, 0, 1, 2, ...).
std::string LevelLabel(long long position, long long offset);

}  // namespace gdl
