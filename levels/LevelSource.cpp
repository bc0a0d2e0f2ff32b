// The level source parser's reading of lines and keywords, and the level
// it hands on when the next one starts or the text ends.
#include "LevelSource.h"

#include <algorithm>
#include <map>

#include "LynxText.h"
#include "SourceParser.h"
#include "TextUtil.h"

namespace gdl {

namespace parse {

namespace {

// The keyword as written, and the value of a trimmed line.
std::pair<std::string_view, std::string> SplitWords(std::string_view line) {
    std::size_t end = 0;
    while (end < line.size() && !IsBlank(line[end])) ++end;
    return {line.substr(0, end), TrimBlanks(line.substr(end))};
}

}  // namespace

// Keyword (lower case) and value of a trimmed line.
std::pair<std::string, std::string> SplitKeyword(std::string_view line) {
    auto [word, value] = SplitWords(line);
    return {ToLowerAscii(word), std::move(value)};
}

std::optional<int> ParseDigits(std::string_view s) {
    if (s.empty()) return std::nullopt;
    long long value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        if (value <= kMaxQuota) value = value * 10 + (c - '0');
    }
    return value > kMaxQuota ? kTooLarge : static_cast<int>(value);
}

void Parser::Message(std::size_t line, std::string text, bool warning, const char* code) {
    if (out_.messages.size() >= kMaxSourceMessages) {
        ++out_.droppedMessages;
        return;
    }
    out_.messages.push_back({line, std::move(text), warning, code});
}

void Parser::Error(std::size_t line, std::string text) {
    ++out_.errorCount;
    if (cur_) cur_->bad = true;
    Message(line, std::move(text), false);
}

ParsedSource Parser::Run(std::string_view text) {
    std::size_t line = 0;
    // Some Windows editors put a UTF-8 byte order mark first.
    std::size_t start = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    while (start < text.size() && !stopped_) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        HandleLine(++line, text.substr(start, end - start));
        start = end;
        if (start < text.size()) {
            bool crLf = text[start] == '\r' && start + 1 < text.size() && text[start + 1] == '\n';
            start += crLf ? 2 : 1;
        }
    }
    FinishLevel();
    std::stable_sort(
        out_.messages.begin(), out_.messages.end(),
        [](const SourceMessage& a, const SourceMessage& b) { return a.line < b.line; });
    return std::move(out_);
}

// Lines of any length are read: a long comment is no fault, and a long
// keyword line is judged by its keyword like any other.
void Parser::HandleLine(std::size_t line, std::string_view raw) {
    std::string trimmed = TrimBlanks(raw);
    if (cur_ && cur_->mapOpen && HandleMapLine(line, trimmed)) return;
    if (trimmed.empty() || trimmed[0] == ';') return;
    auto [word, value] = SplitWords(trimmed);
    HandleKeyword(line, word, value);
}

// True when the line belonged to the map.
void Parser::HandleKeyword(std::size_t line, std::string_view written, const std::string& value) {
    const std::string word = ToLowerAscii(written);
    static constexpr std::array<std::string_view, 6> kProperties{"name",  "size", "time",
                                                                 "quota", "map",  "end"};
    bool known = std::find(kProperties.begin(), kProperties.end(), word) != kProperties.end();
    if (word == "level") {
        StartLevel(line, value);
    } else if (!known) {
        Error(line, "unknown keyword " + QuoteForMessage(written) +
                        " (expected level, name, size, time, quota or map)");
    } else if (!cur_) {
        Error(line, "'" + word + "' comes before the first 'level' line");
    } else if (word == "name") {
        SetName(line, value);
    } else if (word == "size") {
        SetSize(line, value);
    } else if (word == "time") {
        SetTime(line, value);
    } else if (word == "quota") {
        SetQuota(line, value);
    } else if (word == "end") {
        Error(line, "'end' without 'map'");
    } else if (!value.empty()) {
        Error(line, "'map' takes no value; the rows follow on the next lines");
    } else if (FirstTime(line, cur_->mapLine, "map")) {
        cur_->mapOpen = true;
    }
}

void Parser::StartLevel(std::size_t line, const std::string& value) {
    FinishLevel();
    if (levelCount_ == kMaxLevelsPerSource) {
        Error(line, "too many levels: a source holds at most " +
                        std::to_string(kMaxLevelsPerSource) + "; the rest is ignored");
        stopped_ = true;
        return;
    }
    ++levelCount_;
    cur_.emplace();
    cur_->level.line = line;
    std::string name = ToUpperAscii(value);
    cur_->level.levelName = name;
    if (name.empty()) {
        Error(line, "'level' needs a level name");
    } else if (!IsValidLevelName(name)) {
        Error(line, "level name " + QuoteForMessage(value) +
                        " must be 1 to 8 characters of A-Z, 0-9 and _");
    } else if (auto it = usedNames_.find(name); it != usedNames_.end()) {
        Error(line,
              "level name " + name + " is already used on line " + std::to_string(it->second));
    } else {
        usedNames_.emplace(name, line);
        cur_->nameUsable = true;
    }
}

bool Parser::FirstTime(std::size_t line, std::size_t& seenLine, const char* keyword) {
    if (seenLine != 0) {
        Error(line, std::string("'") + keyword + "' is given twice (first on line " +
                        std::to_string(seenLine) + ")");
        return false;
    }
    seenLine = line;
    return true;
}

void Parser::SetName(std::size_t line, const std::string& value) {
    if (!FirstTime(line, cur_->nameLine, "name")) return;
    auto name = NormalizeLongName(value);
    if (value.empty()) {
        Error(line, "the long name is empty");
    } else if (!name) {
        Error(line, "long name " + QuoteForMessage(value) +
                        " has a character the Lynx cannot show (allowed: A-Z, 0-9, blank and "
                        "! \" ' ( ) , - . : ; ?)");
    } else if (name->size() > kMaxLongNameChars) {
        Error(line, "long name " + QuoteForMessage(value) + " has " + std::to_string(name->size()) +
                        " characters, at most 17");
    } else {
        cur_->level.longName = *name;
    }
}

void Parser::SetSize(std::size_t line, const std::string& value) {
    if (!FirstTime(line, cur_->sizeLine, "size")) return;
    auto x = value.find_first_of("xX");
    std::optional<int> w, h;
    if (x != std::string::npos) {
        w = ParseDigits(TrimBlanks(std::string_view(value).substr(0, x)));
        h = ParseDigits(TrimBlanks(std::string_view(value).substr(x + 1)));
    }
    if (!w || !h) {
        Error(line, "size " + QuoteForMessage(value) + " is not WIDTHxHEIGHT (e.g. 16x9)");
    } else if (*w == kTooLarge || *h == kTooLarge || *w > kMaxMapSide || *h > kMaxMapSide) {
        Error(line,
              "size " + QuoteForMessage(value) + " is too large: width and height are at most 99");
    } else if (*w < 1 || *h < 1) {
        Error(line, "size " + value + ": width and height must be 1 to 99");
    } else {
        cur_->size = {*w, *h};
    }
}

void Parser::SetTime(std::size_t line, const std::string& value) {
    if (!FirstTime(line, cur_->timeLine, "time")) return;
    auto colon = value.find(':');
    std::optional<int> m, s;
    if (colon != std::string::npos && value.size() - colon - 1 == 2) {
        m = ParseDigits(std::string_view(value).substr(0, colon));
        s = ParseDigits(std::string_view(value).substr(colon + 1));
    }
    if (!m || !s) {
        Error(line, "time " + QuoteForMessage(value) + " is not minutes:seconds (e.g. 3:05)");
    } else if (*s > 59) {
        Error(line, "time " + value + ": seconds must be 00 to 59");
    } else if (*m == kTooLarge || *m > kMaxMinutes) {
        Error(line, "time " + QuoteForMessage(value) + " is too large: minutes are at most 99");
    } else {
        cur_->level.minutes = static_cast<std::uint8_t>(*m);
        cur_->level.seconds = static_cast<std::uint8_t>(*s);
    }
}

void Parser::SetQuota(std::size_t line, const std::string& value) {
    if (!FirstTime(line, cur_->quotaLine, "quota")) return;
    auto q = ParseDigits(value);
    if (!q) {
        Error(line, "quota " + QuoteForMessage(value) + " is not a number");
    } else if (*q == kTooLarge) {
        Error(line, "quota " + QuoteForMessage(value) + " is too large: at most 65535");
    } else {
        cur_->level.quota = static_cast<std::uint16_t>(*q);
    }
}

// A map past 99 rows or columns is refused whole, with one message: a
// judgement of the part that fits would be wrong, and drawing it all costs
// without end.
void Parser::FinishLevel() {
    if (!cur_) return;
    Pending& p = *cur_;
    const std::string& name = p.level.levelName;
    if (p.mapOpen) Error(p.mapLine, "the map of " + name + " has no 'end' line");
    if (p.mapLine == 0) {
        Error(p.level.line, "level " + name + " has no map");
    } else {
        SizeValue shape{0, 0};
        if (CheckMapShape(shape)) {
            CheckMapContents(shape);
            p.level.width = static_cast<std::uint8_t>(shape.width);
            p.level.height = static_cast<std::uint8_t>(shape.height);
        }
    }
    if (p.timeLine == 0) Error(p.level.line, "level " + name + " has no time");
    if (p.quotaLine == 0) Error(p.level.line, "level " + name + " has no quota");
    if (p.nameLine == 0) p.level.longName = name.substr(0, kMaxLongNameChars);
    LevelOutline& outline = out_.outlines.emplace_back(p);
    outline.sizeWidth = p.size.width;
    outline.sizeHeight = p.size.height;
    outline.rowLines.reserve(p.rows.size());
    for (const MapRow& row : p.rows) outline.rowLines.push_back(row.line);
    if (p.bad) outline.level.tiles.clear();
    if (!p.bad) {
        out_.levels.push_back(std::move(p.level));
    } else if (p.nameUsable) {
        out_.failedLevelNames.push_back(name);
    }
    cur_.reset();
}

}  // namespace parse

ParsedSource ParseLevelSource(std::string_view text) {
    return parse::Parser().Run(text);
}

}  // namespace gdl
