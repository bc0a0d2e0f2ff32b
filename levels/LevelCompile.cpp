#include "LevelCompile.h"

#include <numeric>

#include "CompiledLevel.h"
#include "LevelSource.h"
#include "LynxText.h"
#include "TextUtil.h"

namespace gdl {

namespace {

constexpr std::size_t kMaxShortRun = 7;
constexpr std::size_t kLongRunBase = 8;
constexpr std::size_t kMaxLongRun = kLongRunBase + 255;
constexpr std::uint8_t kLongRunMark = 0xE0;
constexpr std::uint8_t kTileMask = 0x1F;
// The players refuse anything larger, so the bound must follow the map's.
static_assert(kLargestCompiledLevelSize ==
              kCompiledHeaderSize + std::size_t{kMaxMapSide} * kMaxMapSide + 1);

std::uint8_t ByteSum(std::string_view bytes) {
    unsigned sum = 0;
    for (char c : bytes) sum += static_cast<unsigned char>(c);
    return static_cast<std::uint8_t>(sum & 0xFF);
}

}  // namespace

std::string EncodeRunLength(const std::vector<std::uint8_t>& tiles) {
    std::string out;
    std::size_t i = 0;
    while (i < tiles.size()) {
        std::uint8_t tile = tiles[i] & kTileMask;
        std::size_t run = 1;
        while (i + run < tiles.size() && tiles[i + run] == tiles[i] && run < kMaxLongRun) ++run;
        if (run <= kMaxShortRun) {
            out += static_cast<char>(((run - 1) << 5) | tile);
        } else {
            out += static_cast<char>(kLongRunMark | tile);
            out += static_cast<char>(run - kLongRunBase);
        }
        i += run;
    }
    return out;
}

std::optional<std::vector<std::uint8_t>> DecodeRunLength(std::string_view body,
                                                         std::size_t tileCount) {
    std::vector<std::uint8_t> tiles;
    tiles.reserve(tileCount);
    std::size_t pos = 0;
    while (tiles.size() < tileCount) {
        if (pos >= body.size()) return std::nullopt;
        auto b = static_cast<std::uint8_t>(body[pos++]);
        std::size_t run = (b >> 5) + 1u;
        if ((b & kLongRunMark) == kLongRunMark) {
            if (pos >= body.size()) return std::nullopt;
            run = kLongRunBase + static_cast<std::uint8_t>(body[pos++]);
        }
        if (tiles.size() + run > tileCount) return std::nullopt;
        tiles.insert(tiles.end(), run, static_cast<std::uint8_t>(b & kTileMask));
    }
    if (pos != body.size()) return std::nullopt;
    return tiles;
}

CompiledLevelFile CompileLevel(const SourceLevel& level) {
    CompiledLevelHeader header;
    header.width = level.width;
    header.height = level.height;
    header.nameCodes = EncodeLynxText(level.longName).substr(0, kCompiledNameCodes);
    header.minutes = level.minutes;
    header.seconds = level.seconds;
    header.quota = level.quota;

    std::string body = EncodeRunLength(level.tiles);
    auto coding = BodyCoding::RunLength;
    if (body.size() >= level.tiles.size()) {
        body.assign(level.tiles.begin(), level.tiles.end());
        coding = BodyCoding::Stored;
    }
    header.format = {kLevelFormatVersion, kTileSetVersion, static_cast<std::uint8_t>(coding)};

    CompiledLevelFile file;
    file.bytes = SerializeCompiledLevelHeader(header) + body;
    file.bytes += static_cast<char>((256 - ByteSum(file.bytes)) & 0xFF);
    file.tileCount = level.tiles.size();
    file.bodySize = body.size();
    return file;
}

std::optional<DecodedLevel> DecodeCompiledLevel(std::string_view bytes, std::string* error) {
    auto fail = [&](std::string text) -> std::optional<DecodedLevel> {
        if (error) *error = std::move(text);
        return std::nullopt;
    };
    if (!HasCompiledLevelMark(bytes)) return fail("no compiled level mark 01 00 F0 12");
    if (bytes.size() < kCompiledHeaderSize + 1)
        return fail("only " + std::to_string(bytes.size()) + " bytes, a header needs 32");
    auto header = ParseCompiledLevelHeader(bytes);
    if (!header) return fail("the header cannot be read");
    DecodedLevel level;
    level.header = *header;
    if (header->format[0] != kLevelFormatVersion)
        return fail("format version " + std::to_string(header->format[0]) + " is not known");
    if (header->format[2] > static_cast<std::uint8_t>(BodyCoding::RunLength))
        return fail("body coding " + std::to_string(header->format[2]) + " is not known");
    level.coding = static_cast<BodyCoding>(header->format[2]);
    std::size_t tileCount = std::size_t{header->width} * header->height;
    std::string_view body =
        bytes.substr(kCompiledHeaderSize, bytes.size() - kCompiledHeaderSize - 1);
    level.bodySize = body.size();
    if (level.coding == BodyCoding::Stored) {
        if (body.size() != tileCount)
            return fail("the body has " + std::to_string(body.size()) + " bytes, " +
                        std::to_string(tileCount) + " tiles expected");
        level.tiles.assign(body.begin(), body.end());
    } else {
        auto tiles = DecodeRunLength(body, tileCount);
        if (!tiles)
            return fail("the body does not decode to " + std::to_string(tileCount) + " tiles");
        level.tiles = std::move(*tiles);
    }
    level.checksumOk = ByteSum(bytes) == 0;
    return level;
}

std::string SizeText(int width, int height) {
    return std::to_string(width) + "x" + std::to_string(height);
}

std::string TimeText(int minutes, int seconds) {
    return std::to_string(minutes) + (seconds < 10 ? ":0" : ":") + std::to_string(seconds);
}

std::optional<int> ParseTimeText(std::string_view text) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 2 || text.size() != colon + 3)
        return std::nullopt;
    int minutes = 0, seconds = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i == colon) continue;
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        int& part = i < colon ? minutes : seconds;
        part = part * 10 + (text[i] - '0');
    }
    if (seconds > 59) return std::nullopt;
    return minutes * 60 + seconds;
}

std::string CompressionText(std::size_t tiles, std::size_t bodySize) {
    std::size_t saved = tiles == 0 || bodySize >= tiles ? 0 : (tiles - bodySize) * 100 / tiles;
    return std::to_string(tiles) + " -> " + std::to_string(bodySize) + " (" +
           std::to_string(saved) + "%)";
}

std::string ListingLine(const SourceLevel& level, const CompiledLevelFile& compiled) {
    std::string size = RightAlign(std::to_string(level.width), 2) + "x" +
                       LeftAlign(std::to_string(level.height), 2);
    return RightAlign(level.levelName, 11) + "  " + LeftAlign(level.longName, 17) + "  " +
           LeftAlign(size, 5) + "  " + RightAlign(std::to_string(level.quota), 5) + "  " +
           RightAlign(TimeText(level.minutes, level.seconds), 5) + "  " +
           CompressionText(compiled.tileCount, compiled.bodySize);
}

}  // namespace gdl
