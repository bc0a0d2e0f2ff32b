#include "LinkHeader.h"

#include "LynxText.h"

namespace gdl {

namespace {

constexpr std::size_t kTitleAt = 7;
constexpr std::size_t kTitleChars = 20;

void PutU16(LinkHeader& h, std::size_t at, std::uint16_t v) {
    h[at] = static_cast<std::uint8_t>(v & 0xFF);
    h[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

}  // namespace

std::string UnableToOpenText(const std::string& port) {
    return " Unable to open " + port + "!";
}

std::string WriteErrorText(const std::string& port) {
    return " Warning: Write Error on " + port + ".";
}

std::string PortErrorText(const std::string& errorstr, const std::string& port) {
    return " Warning: " + errorstr + " on " + port + ".";
}

std::string NotRespondingText(const std::string& port) {
    return " Lynx not responding on " + port + "!";
}

LinkHeader BuildLinkHeader(const LinkHeaderFields& f) {
    LinkHeader h{};
    h[0] = 'G';
    h[1] = 'D';
    h[2] = 'L';
    h[3] = 0x13;
    h[4] = 0xFF;
    const std::string title = kPcLevel + f.label;
    const long long n = static_cast<long long>(title.size());
    // The column comes from the whole title, even when it is cut to 20.
    h[5] = static_cast<std::uint8_t>(((160 - 8 * n) / 2) & 0xFF);
    h[6] = 0x1B;
    std::string codes = EncodeLynxText(title.substr(0, kTitleChars));
    for (std::size_t i = 0; i < codes.size(); ++i)
        h[kTitleAt + i] = static_cast<std::uint8_t>(codes[i]);
    h[27] = f.endOfGame ? kEndOfGameKind : static_cast<std::uint8_t>(f.newLevel);
    h[28] = 0;
    h[29] = static_cast<std::uint8_t>((f.freshStart + f.music) & 0xFF);
    PutU16(h, 30, f.length);
    PutU16(h, 32, f.dataChecksum);
    UpdateHeaderChecksum(h);
    return h;
}

void UpdateHeaderChecksum(LinkHeader& h) {
    unsigned sum = 0;
    for (std::size_t i = 5; i <= 33; ++i) sum += h[i];
    PutU16(h, 34, static_cast<std::uint16_t>(sum & 0xFFFF));
}

std::string_view LevelBytesToSend(std::string_view compiled) {
    if (compiled.size() < 7) return {};
    return compiled.substr(6, compiled.size() - 7);
}

std::uint16_t DataChecksum(std::string_view levelBytes) {
    unsigned sum = 0;
    for (unsigned char b : levelBytes) sum += b;
    return static_cast<std::uint16_t>(sum & 0xFFFF);
}

}  // namespace gdl
