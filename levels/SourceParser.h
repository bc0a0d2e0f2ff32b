// The level source's parser, for levels/ alone: the level being read and
// the parser's steps. LevelSource.cpp reads the lines and keywords,
// SourceMap.cpp the map and its checks.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "LevelSource.h"

namespace gdl::parse {

// Keyword (lower case) and value of a trimmed line.
std::pair<std::string, std::string> SplitKeyword(std::string_view line);

// A number of digits only: its value, kTooLarge when it is more than any
// value a level can hold, nullopt when it is no number at all.
inline constexpr int kTooLarge = -1;
std::optional<int> ParseDigits(std::string_view s);

struct SizeValue {
    int width;
    int height;
};

// Outside the parser, so that clang sees the member initialisers when the
// optional member below needs them.
struct MapRow {
    std::size_t line;
    std::string text;
};
// A level being read: its outline as far as it goes, and the reading's state.
struct Pending : LevelOutline {
    bool nameUsable = false;  // well formed and not taken by an earlier level
    SizeValue size{0, 0};
    std::vector<MapRow> rows;
    bool mapOpen = false;
    std::size_t rowCount = 0;  // every row, also those not kept
};

class Parser {
public:
    ParsedSource Run(std::string_view text);

private:
    void Message(std::size_t line, std::string text, bool warning, const char* code = "source");
    void Error(std::size_t line, std::string text);
    void Warning(std::size_t line, std::string text, const char* code) {
        Message(line, std::move(text), true, code);
    }
    void HandleLine(std::size_t line, std::string_view raw);
    bool HandleMapLine(std::size_t line, std::string_view trimmed);
    void HandleKeyword(std::size_t line, std::string_view written, const std::string& value);
    void StartLevel(std::size_t line, const std::string& value);
    bool FirstTime(std::size_t line, std::size_t& seenLine, const char* keyword);
    void SetName(std::size_t line, const std::string& value);
    void SetSize(std::size_t line, const std::string& value);
    void SetTime(std::size_t line, const std::string& value);
    void SetQuota(std::size_t line, const std::string& value);
    void FinishLevel();
    bool CheckMapBounds();
    bool CheckMapShape(SizeValue& shape);
    void CheckMapContents(const SizeValue& shape);

    std::optional<Pending> cur_;
    std::map<std::string, std::size_t> usedNames_;
    std::size_t levelCount_ = 0;
    bool stopped_ = false;
    ParsedSource out_;
};

}  // namespace gdl::parse
