#include "PathJoin.h"

namespace gdl {

std::string JoinPath(std::string_view folder, std::string_view name) {
    if (!name.empty() && name.front() == '/') return std::string(name);
    if (folder.empty()) return std::string(name);
    std::string joined(folder);
    if (joined.back() != '/') joined += '/';
    joined += name;
    return joined;
}

}  // namespace gdl
