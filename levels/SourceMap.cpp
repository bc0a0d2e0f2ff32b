// The map part of a level source: its rows as they come, then the checks
// once the level ends (its size against the limit and the "size" line, the
// tiles known, one start, an exit, a quota the gems can meet, keys for doors).
#include <algorithm>

#include "SourceParser.h"
#include "TextUtil.h"

namespace gdl::parse {

bool Parser::HandleMapLine(std::size_t line, std::string_view trimmed) {
    if (trimmed.empty() || trimmed[0] == ';') return true;
    auto [word, value] = SplitKeyword(trimmed);
    if (word == "end") {
        if (!value.empty()) Error(line, "'end' takes no value");
        cur_->mapOpen = false;
        cur_->endLine = line;
        return true;
    }
    if (word == "level") {
        Error(cur_->mapLine, "the map of " + cur_->level.levelName + " has no 'end' line");
        cur_->mapOpen = false;
        return false;
    }
    // Rows past the most a map may have are counted, not kept.
    if (cur_->rows.size() < kMaxMapSide + 1) cur_->rows.push_back({line, std::string(trimmed)});
    ++cur_->rowCount;
    return true;
}

bool Parser::CheckMapBounds() {
    Pending& p = *cur_;
    const std::string& name = p.level.levelName;
    if (p.rowCount > static_cast<std::size_t>(kMaxMapSide)) {
        p.mapTooLarge = true;
        Error(p.mapLine,
              "the map of " + name + " has " + std::to_string(p.rowCount) + " rows, at most 99");
        return false;
    }
    for (std::size_t r = 0; r < p.rows.size(); ++r) {
        if (p.rows[r].text.size() <= static_cast<std::size_t>(kMaxMapSide)) continue;
        p.mapTooLarge = true;
        Error(p.rows[r].line, "map row " + std::to_string(r + 1) + " has " +
                                  std::to_string(p.rows[r].text.size()) + " tiles, at most 99");
        return false;
    }
    return true;
}

// Width and height of the map; false (with the error given) when rows and
// size cannot be matched at all.
bool Parser::CheckMapShape(SizeValue& shape) {
    Pending& p = *cur_;
    if (p.rows.empty()) {
        Error(p.mapLine, "the map of " + p.level.levelName + " has no rows");
        return false;
    }
    if (!CheckMapBounds()) return false;
    if (p.sizeLine != 0) {
        if (p.size.width == 0) return false;  // the size line had its own error
        shape = p.size;
    } else {
        shape = {static_cast<int>(p.rows.front().text.size()), static_cast<int>(p.rows.size())};
    }
    if (static_cast<int>(p.rows.size()) != shape.height) {
        Error(p.mapLine, "the map has " + std::to_string(p.rows.size()) + " rows, size " +
                             std::to_string(shape.width) + "x" + std::to_string(shape.height) +
                             " needs " + std::to_string(shape.height));
    }
    return true;
}

void Parser::CheckMapContents(const SizeValue& shape) {
    Pending& p = *cur_;
    std::array<int, kTileCount> counts{};
    p.level.tiles.clear();
    p.level.tiles.reserve(static_cast<std::size_t>(shape.width * shape.height));
    for (std::size_t r = 0; r < p.rows.size(); ++r) {
        const MapRow& row = p.rows[r];
        const std::string rowNo = std::to_string(r + 1);
        if (static_cast<int>(row.text.size()) != shape.width) {
            Error(row.line, "map row " + rowNo + " has " + std::to_string(row.text.size()) +
                                " tiles, expected " + std::to_string(shape.width));
            continue;
        }
        for (std::size_t c = 0; c < row.text.size(); ++c) {
            auto tile = TileFromSymbol(row.text[c]);
            if (!tile) {
                Error(row.line, "unknown tile " + QuoteForMessage(row.text.substr(c, 1)) +
                                    " in column " + std::to_string(c + 1) + " of map row " + rowNo);
                break;
            }
            ++counts[static_cast<std::size_t>(*tile)];
            p.level.tiles.push_back(static_cast<std::uint8_t>(*tile));
        }
    }
    if (p.bad) return;
    auto count = [&](Tile t) { return counts[static_cast<std::size_t>(t)]; };
    if (count(Tile::Start) != 1)
        Error(p.mapLine, count(Tile::Start) == 0
                             ? "the map has no player start '@'"
                             : "the map has " + std::to_string(count(Tile::Start)) +
                                   " player starts '@', one is needed");
    if (count(Tile::Exit) == 0) Error(p.mapLine, "the map has no exit 'E'");
    if (p.quotaLine != 0 && p.level.quota > count(Tile::Gem))
        Warning(p.quotaLine,
                "quota " + std::to_string(p.level.quota) + " is more than the " +
                    std::to_string(count(Tile::Gem)) +
                    (count(Tile::Gem) == 1 ? " gem on the map" : " gems on the map"),
                "quota-above-gems");
    for (int k = 0; k < 4; ++k) {
        auto door = static_cast<Tile>(static_cast<int>(Tile::DoorA) + k);
        auto key = static_cast<Tile>(static_cast<int>(Tile::KeyA) + k);
        if (count(door) > 0 && count(key) == 0)
            Warning(p.mapLine,
                    std::string("door '") + static_cast<char>('A' + k) + "' has no key '" +
                        static_cast<char>('a' + k) + "' on the map",
                    "door-without-key");
    }
}

}  // namespace gdl::parse
