#include "CompiledLevel.h"

#include <algorithm>

namespace gdl {

namespace {
std::uint8_t ByteAt(std::string_view b, std::size_t i) {
    return static_cast<std::uint8_t>(b[i]);
}
}  // namespace

bool HasCompiledLevelMark(std::string_view bytes) {
    if (bytes.size() < kCompiledLevelMark.size()) return false;
    return std::equal(kCompiledLevelMark.begin(), kCompiledLevelMark.end(), bytes.begin(),
                      [](std::uint8_t m, char c) { return m == static_cast<std::uint8_t>(c); });
}

std::optional<CompiledLevelHeader> ParseCompiledLevelHeader(std::string_view bytes) {
    if (bytes.size() < kCompiledHeaderSize || !HasCompiledLevelMark(bytes)) return std::nullopt;
    CompiledLevelHeader h;
    for (std::size_t i = 0; i < 3; ++i) h.format[i] = ByteAt(bytes, 4 + i);
    h.width = ByteAt(bytes, 7);
    h.height = ByteAt(bytes, 8);
    std::string_view name = bytes.substr(9, kCompiledNameCodes);
    h.nameCodes = std::string(name.substr(0, std::min(name.find('\0'), name.size())));
    h.spare = ByteAt(bytes, 26);
    h.minutes = ByteAt(bytes, 27);
    h.seconds = ByteAt(bytes, 28);
    h.quota = static_cast<std::uint16_t>(ByteAt(bytes, 29) | (ByteAt(bytes, 30) << 8));
    return h;
}

std::string SerializeCompiledLevelHeader(const CompiledLevelHeader& h) {
    std::string out(kCompiledHeaderSize, '\0');
    for (std::size_t i = 0; i < 4; ++i) out[i] = static_cast<char>(kCompiledLevelMark[i]);
    for (std::size_t i = 0; i < 3; ++i) out[4 + i] = static_cast<char>(h.format[i]);
    out[7] = static_cast<char>(h.width);
    out[8] = static_cast<char>(h.height);
    for (std::size_t i = 0; i < h.nameCodes.size() && i < kCompiledNameCodes; ++i)
        out[9 + i] = h.nameCodes[i];
    out[26] = static_cast<char>(h.spare);
    out[27] = static_cast<char>(h.minutes);
    out[28] = static_cast<char>(h.seconds);
    out[29] = static_cast<char>(h.quota & 0xFF);
    out[30] = static_cast<char>(h.quota >> 8);
    return out;
}

}  // namespace gdl
