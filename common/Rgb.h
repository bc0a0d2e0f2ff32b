// A colour of the kit's pictures and panels: 8 bits a channel.
#pragma once

#include <cstdint>

namespace gdl {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

}  // namespace gdl
