// Paths handed to the system. The original platform needed short 8.3 forms;
// Linux takes every path as it is.
#pragma once

#include <string>
#include <string_view>

namespace gdl {

inline std::string PlatformPath(std::string_view path) {
    return std::string(path);
}
inline std::string ShortPath(std::string_view path) {
    return std::string(path);
}

}  // namespace gdl
