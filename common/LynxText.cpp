#include "LynxText.h"

namespace gdl {

namespace {
// Characters of codes 1 to 48, in code order.
constexpr std::string_view kLynxChars = " 0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ!\"'(),-.:;?";
static_assert(kLynxChars.size() == 48);
}  // namespace

std::uint8_t LynxCharCode(char c) {
    auto pos = kLynxChars.find(c);
    return pos == std::string_view::npos ? 1 : static_cast<std::uint8_t>(pos + 1);
}

char LynxCodeChar(std::uint8_t code) {
    if (code >= 1 && code <= 48) return kLynxChars[code - 1];
    return kUnknownLynxChar;
}

std::string DecodeLynxText(std::string_view codes, std::size_t maxCodes) {
    std::string text;
    for (std::size_t i = 0; i < codes.size() && i < maxCodes; ++i) {
        auto code = static_cast<std::uint8_t>(codes[i]);
        if (code == 0) break;
        text += LynxCodeChar(code);
    }
    return text;
}

std::string EncodeLynxText(std::string_view text) {
    auto end = text.find('\0');
    if (end != std::string_view::npos) text = text.substr(0, end);
    std::string codes;
    codes.reserve(text.size());
    for (char c : text) codes += static_cast<char>(LynxCharCode(c));
    return codes;
}

}  // namespace gdl
