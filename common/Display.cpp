#include "Display.h"

#include <cstdlib>

namespace gdl {

bool DisplayAvailable(const EnvLookup& env) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = env(name);
        if (value && *value) return true;
    }
    return false;
}

bool DisplayAvailable() {
    return DisplayAvailable([](const char* name) { return std::getenv(name); });
}

std::string NoDisplayMessage(std::string_view program, std::string_view headlessUse) {
    return std::string(program) +
           ": a display is needed for the window (DISPLAY or WAYLAND_DISPLAY is not set); "
           "without one, use " +
           std::string(headlessUse) + ".";
}

}  // namespace gdl
