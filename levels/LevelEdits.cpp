// The level commands of a source: rename, long name, time and quota, add,
// duplicate, delete and move, each an undoable command over whole lines.
#include "LevelEdits.h"

#include <algorithm>

#include "EditLines.h"
#include "LevelCompile.h"
#include "LynxText.h"
#include "TextUtil.h"

namespace gdl {

using namespace edits;

namespace {

// The lines of a level's block, 0-based [first, last).
std::pair<std::size_t, std::size_t> BlockOf(const LevelDocument& doc, std::size_t level) {
    const DocLevel& l = doc.Level(level);
    return {l.firstLine - 1, l.lastLine};
}

bool IsBlankLine(const SourceLine& line) {
    return TrimBlanks(line.text).empty();
}

std::vector<std::string> TemplateLines(const std::string& name, int width, int height) {
    std::vector<std::string> lines{
        "level " + name, "name  NEW LEVEL", "size  " + SizeText(width, height),
        "time  2:00",    "quota 0",         "map"};
    for (int y = 0; y < height; ++y) {
        std::string row(static_cast<std::size_t>(width), '.');
        for (int x = 0; x < width; ++x)
            if (y == 0 || x == 0 || y == height - 1 || x == width - 1) row[x] = 'X';
        lines.push_back(std::move(row));
    }
    // The start and the exit inside the border (or wherever a tiny map has room).
    std::string& first = lines[6 + std::min(1, height - 1)];
    first[static_cast<std::size_t>(std::min(1, width - 1))] = '@';
    std::string& last = lines[6 + std::max(0, height - 2)];
    std::size_t exitX = static_cast<std::size_t>(std::max(0, width - 2));
    if (&first == &last && first[exitX] == '@') exitX = first.size() - 1;
    last[exitX] = 'E';
    lines.push_back("end");
    return lines;
}

}  // namespace

std::string FreeLevelName(const LevelDocument& doc, std::string_view wanted) {
    std::string base;
    for (char c : ToUpperAscii(wanted))
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_') base += c;
    if (base.empty()) base = "LEVEL";
    base.resize(std::min(base.size(), kMaxLevelNameChars));
    if (doc.FindLevel(base) < 0) return base;
    for (int n = 2;; ++n) {
        std::string suffix = std::to_string(n);
        std::string name = base.substr(0, kMaxLevelNameChars - suffix.size()) + suffix;
        if (doc.FindLevel(name) < 0) return name;
    }
}

namespace {

// Sets the value of a level's keyword line. A missing line is added where the
// kit's layout has it (level, name, size, time, quota, map), after the ones
// before it that are there.
Result<EditCommand> SetKeyword(const LevelDocument& doc, std::size_t level, std::size_t line,
                               const std::string& keyword, const std::string& value,
                               std::string text) {
    LineEditor editor(doc);
    if (line != 0) {
        editor.Replace(line - 1, WithValue(doc.Lines()[line - 1].text, value));
        return editor.Finish(std::move(text), static_cast<int>(level));
    }
    const LevelOutline& o = doc.Outline(level);
    std::size_t after = o.level.line;
    const std::pair<const char*, std::size_t> earlier[] = {
        {"name", o.nameLine}, {"size", o.sizeLine}, {"time", o.timeLine}};
    for (const auto& [word, at] : earlier) {
        if (keyword == word) break;
        after = std::max(after, at);
    }
    if (o.mapLine != 0 && after >= o.mapLine) after = o.mapLine - 1;
    std::string padded = keyword;
    padded.resize(std::max<std::size_t>(keyword.size() + 1, 6), ' ');
    editor.Splice(after, 0, {editor.NewLine(padded + value)});
    return editor.Finish(std::move(text), static_cast<int>(level));
}

}  // namespace

Result<EditCommand> RenameLevel(const LevelDocument& doc, std::size_t level,
                                std::string_view name) {
    if (!IsLevelLine(level, doc)) return NoSuchLevel(doc, level);
    std::string upper = ToUpperAscii(TrimBlanks(name));
    if (!IsValidLevelName(upper))
        return Error::Caller("level name " + QuoteForMessage(name) +
                             " must be 1 to 8 characters of A-Z, 0-9 and _");
    int other = doc.FindLevel(upper);
    if (other >= 0 && static_cast<std::size_t>(other) != level)
        return Error::Caller("level name " + upper + " is already used by level " +
                             std::to_string(other + 1));
    const std::size_t line = doc.Outline(level).level.line;
    return SetKeyword(doc, level, line, "level", upper, "Rename level");
}

Result<EditCommand> SetLongName(const LevelDocument& doc, std::size_t level,
                                std::string_view longName) {
    if (!IsLevelLine(level, doc)) return NoSuchLevel(doc, level);
    std::string value = TrimBlanks(longName);
    auto normal = NormalizeLongName(value);
    if (value.empty()) return Error::Caller("the long name is empty");
    if (!normal)
        return Error::Caller("long name " + QuoteForMessage(value) +
                             " has a character the Lynx cannot show");
    if (normal->size() > kMaxLongNameChars)
        return Error::Caller("long name " + QuoteForMessage(value) + " has " +
                             std::to_string(normal->size()) + " characters, at most 17");
    return SetKeyword(doc, level, doc.Outline(level).nameLine, "name", value, "Set long name");
}

Result<EditCommand> SetTime(const LevelDocument& doc, std::size_t level, int minutes, int seconds) {
    if (!IsLevelLine(level, doc)) return NoSuchLevel(doc, level);
    if (minutes < 0 || minutes > kMaxMinutes || seconds < 0 || seconds > 59)
        return Error::Caller("a time is 0:00 to 99:59");
    return SetKeyword(doc, level, doc.Outline(level).timeLine, "time", TimeText(minutes, seconds),
                      "Set time");
}

Result<EditCommand> SetQuota(const LevelDocument& doc, std::size_t level, int quota) {
    if (!IsLevelLine(level, doc)) return NoSuchLevel(doc, level);
    if (quota < 0 || quota > kMaxQuota) return Error::Caller("a quota is 0 to 65535");
    return SetKeyword(doc, level, doc.Outline(level).quotaLine, "quota", std::to_string(quota),
                      "Set quota");
}

Result<EditCommand> AddLevel(const LevelDocument& doc, std::size_t position, std::string_view name,
                             int width, int height) {
    if (doc.LevelCount() >= kMaxLevelsPerSource)
        return Error::Caller("a source holds at most " + std::to_string(kMaxLevelsPerSource) +
                             " levels");
    if (width < 2 || height < 2 || width > kMaxMapSide || height > kMaxMapSide)
        return Error::Caller("a new map is 2 to 99 tiles wide and high");
    std::string chosen = name.empty()
                             ? FreeLevelName(doc, "LEVEL" + std::to_string(doc.LevelCount() + 1))
                             : ToUpperAscii(TrimBlanks(name));
    if (!IsValidLevelName(chosen))
        return Error::Caller("level name " + QuoteForMessage(name) +
                             " must be 1 to 8 characters of A-Z, 0-9 and _");
    if (doc.FindLevel(chosen) >= 0)
        return Error::Caller("level name " + chosen + " is already used");
    LineEditor editor(doc);
    std::vector<SourceLine> lines;
    for (auto& text : TemplateLines(chosen, width, height)) lines.push_back(editor.NewLine(text));
    position = std::min(position, doc.LevelCount());
    if (position < doc.LevelCount()) {
        lines.push_back(editor.NewLine(""));
        editor.Splice(BlockOf(doc, position).first, 0, std::move(lines));
    } else {
        if (editor.Size() > 0 && !IsBlankLine(editor.At(editor.Size() - 1)))
            lines.insert(lines.begin(), editor.NewLine(""));
        editor.Splice(editor.Size(), 0, std::move(lines));
    }
    return editor.Finish("Add level", static_cast<int>(position));
}

Result<EditCommand> DuplicateLevel(const LevelDocument& doc, std::size_t level) {
    if (!IsLevelLine(level, doc)) return NoSuchLevel(doc, level);
    if (doc.LevelCount() >= kMaxLevelsPerSource)
        return Error::Caller("a source holds at most " + std::to_string(kMaxLevelsPerSource) +
                             " levels");
    auto [first, last] = BlockOf(doc, level);
    LineEditor editor(doc);
    std::vector<SourceLine> copy(doc.Lines().begin() + static_cast<std::ptrdiff_t>(first),
                                 doc.Lines().begin() + static_cast<std::ptrdiff_t>(last));
    const std::size_t levelLine = doc.Level(level).line - 1 - first;
    std::string base = doc.Level(level).name.empty() ? std::string("COPY") : doc.Level(level).name;
    copy[levelLine].text = WithValue(copy[levelLine].text, FreeLevelName(doc, base));
    for (auto& line : copy)
        if (line.end == LineEnd::None) line.end = editor.End();
    if (!IsBlankLine(copy.back()) && last < doc.Lines().size()) copy.push_back(editor.NewLine(""));
    if (!IsBlankLine(copy.back()) && last == doc.Lines().size())
        copy.insert(copy.begin(), editor.NewLine(""));
    editor.Splice(last, 0, std::move(copy));
    return editor.Finish("Duplicate level", static_cast<int>(level + 1));
}

namespace {

// The lines a deletion takes, 0-based [first, last): the level's comments,
// its own lines to its "end", and one blank line after them that kept it
// apart from what follows.
std::pair<std::size_t, std::size_t> DeletedLines(const LevelDocument& doc, std::size_t level) {
    const DocLevel& l = doc.Level(level);
    std::size_t last = l.ownLastLine;
    const auto& lines = doc.Lines();
    if (last < l.lastLine && last < lines.size() && IsBlankLine(lines[last])) ++last;
    return {l.firstLine - 1, last};
}

}  // namespace

std::string DeleteLevelQuestion(const LevelDocument& doc, std::size_t level) {
    if (!IsLevelLine(level, doc)) return {};
    auto [first, last] = DeletedLines(doc, level);
    const std::string& name = doc.Level(level).name;
    return "Delete level " + (name.empty() ? std::string("(no name)") : name) + " (lines " +
           std::to_string(first + 1) + " to " + std::to_string(last) + ")?";
}

Result<EditCommand> DeleteLevel(const LevelDocument& doc, std::size_t level) {
    if (!IsLevelLine(level, doc)) return NoSuchLevel(doc, level);
    auto [first, last] = DeletedLines(doc, level);
    LineEditor editor(doc);
    editor.Splice(first, last - first, {});
    int focus =
        doc.LevelCount() == 1 ? -1 : static_cast<int>(std::min(level, doc.LevelCount() - 2));
    return editor.Finish("Delete level", focus);
}

Result<EditCommand> MoveLevel(const LevelDocument& doc, std::size_t level, int direction) {
    if (!IsLevelLine(level, doc)) return NoSuchLevel(doc, level);
    if (direction != -1 && direction != 1)
        return Error::Caller("a level moves one place at a time");
    if ((direction < 0 && level == 0) || (direction > 0 && level + 1 >= doc.LevelCount()))
        return EditCommand{};
    const std::size_t upper = direction < 0 ? level - 1 : level;
    auto [firstA, lastA] = BlockOf(doc, upper);
    auto [firstB, lastB] = BlockOf(doc, upper + 1);
    LineEditor editor(doc);
    const auto& lines = doc.Lines();
    std::vector<SourceLine> a(lines.begin() + static_cast<std::ptrdiff_t>(firstA),
                              lines.begin() + static_cast<std::ptrdiff_t>(lastA));
    std::vector<SourceLine> b(lines.begin() + static_cast<std::ptrdiff_t>(firstB),
                              lines.begin() + static_cast<std::ptrdiff_t>(lastB));
    // The lower block may be the file's last, without a line end or a blank
    // line after it; it keeps them apart from the block that now follows.
    if (b.back().end == LineEnd::None) b.back().end = editor.End();
    if (!IsBlankLine(b.back()) && IsBlankLine(a.back())) b.push_back(editor.NewLine(""));
    std::vector<SourceLine> swapped = std::move(b);
    swapped.insert(swapped.end(), a.begin(), a.end());
    editor.Splice(firstA, lastB - firstA, std::move(swapped));
    return editor.Finish(direction < 0 ? "Move level up" : "Move level down",
                         static_cast<int>(level) + direction);
}

}  // namespace gdl
