// Whether a program can open a window here. Qt ends the program when it finds
// no display, so the programs ask first and point to their headless modes.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace gdl {

// The environment as a function of a variable's name (nullptr when unset).
using EnvLookup = std::function<const char*(const char*)>;

// An X or Wayland display is named, or a Qt platform is chosen by hand
// (QT_QPA_PLATFORM, e.g. offscreen).
bool DisplayAvailable(const EnvLookup& env);
bool DisplayAvailable();

// One line: the program needs a display, and which mode works without one.
std::string NoDisplayMessage(std::string_view program, std::string_view headlessUse);

}  // namespace gdl
