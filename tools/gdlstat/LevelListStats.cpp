#include "LevelListStats.h"

#include <algorithm>
#include <map>
#include <string_view>
#include <tuple>

#include "TextUtil.h"

namespace gdl {

namespace {

constexpr std::string_view kTableRule = "   --------";
constexpr std::size_t kEndRuleLength = 106;
constexpr std::size_t kMaxListLineChars = 4096;
constexpr char kNoDesigner[] = "(no designer)";

// Columns from..to (1-based, inclusive), trimmed; short lines give what they have.
std::string Columns(const std::string& line, std::size_t from, std::size_t to) {
    if (line.size() < from) return {};
    return TrimBlanks(std::string_view(line).substr(from - 1, to - from + 1));
}

std::optional<int> Digits(std::string_view s) {
    if (s.empty() || s.size() > 6) return std::nullopt;
    int v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return v;
}

std::string Quote(std::string_view s) {
    std::string r = "'";
    for (char c : s.substr(0, 24)) r += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
    return r + "'";
}

// Reads Size, Quota and Time; an error text when one of them is malformed.
std::string ReadFigures(ListedEntry& e, const std::string& size, const std::string& quota,
                        const std::string& time) {
    if (size.empty() && quota.empty() && time.empty()) return {};
    auto x = size.find('x');
    auto w = x == std::string::npos ? std::nullopt : Digits(size.substr(0, x));
    auto h = x == std::string::npos ? std::nullopt : Digits(size.substr(x + 1));
    if (!w || !h) return "size " + Quote(size) + " is not WIDTHxHEIGHT";
    auto q = Digits(quota);
    if (!q) return "quota " + Quote(quota) + " is not a number";
    auto colon = time.find(':');
    auto m = colon == std::string::npos ? std::nullopt : Digits(time.substr(0, colon));
    auto s = colon == std::string::npos ? std::nullopt : Digits(time.substr(colon + 1));
    if (!m || !s || *s > 59) return "time " + Quote(time) + " is not minutes:seconds";
    e.width = *w;
    e.height = *h;
    e.quota = *q;
    e.seconds = *m * 60 + *s;
    e.hasInfo = true;
    return {};
}

std::string TimeText(long long seconds) {
    long long s = seconds % 60;
    return std::to_string(seconds / 60) + (s < 10 ? ":0" : ":") + std::to_string(s);
}

std::string LevelText(const ListedEntry& e) {
    return e.label + "  " + (e.name.empty() ? std::string("(no name)") : e.name) + " (" +
           TimeText(e.seconds) + ")";
}

bool IsHidden(const ListedEntry& e) {
    return e.label == "0" || e.label.starts_with('H');
}

std::string Row(std::string_view caption, const std::string& value) {
    return "   " + LeftAlign(caption, 18) + value;
}

void AddPasswordLine(const std::vector<ListedEntry>& entries, std::vector<std::string>& out) {
    std::map<std::string, int> seen;
    int missing = 0, repeated = 0;
    for (const auto& e : entries) {
        if (e.password.empty()) {
            ++missing;
        } else if (++seen[ToUpperAscii(e.password)] == 2) {
            ++repeated;
        }
    }
    std::string text =
        std::to_string(entries.size() - static_cast<std::size_t>(missing)) + " given";
    if (missing > 0) text += ", " + std::to_string(missing) + " missing";
    text += repeated == 0 ? ", all different" : ", " + std::to_string(repeated) + " used twice";
    out.push_back(Row("Passwords:", text));
}

void AddFigureLines(const std::vector<const ListedEntry*>& withInfo,
                    std::vector<std::string>& out) {
    long long totalTime = 0, totalQuota = 0;
    const ListedEntry* longest = withInfo.front();
    const ListedEntry* shortest = withInfo.front();
    int minQuota = withInfo.front()->quota, maxQuota = minQuota;
    for (const auto* e : withInfo) {
        totalTime += e->seconds;
        totalQuota += e->quota;
        if (e->seconds > longest->seconds) longest = e;
        if (e->seconds < shortest->seconds) shortest = e;
        minQuota = std::min(minQuota, e->quota);
        maxQuota = std::max(maxQuota, e->quota);
    }
    const auto n = static_cast<long long>(withInfo.size());
    out.push_back(Row("Total time:", TimeText(totalTime)));
    out.push_back(Row("Average time:", TimeText((totalTime + n / 2) / n)));
    out.push_back(Row("Longest level:", LevelText(*longest)));
    out.push_back(Row("Shortest level:", LevelText(*shortest)));
    long long tenths = (totalQuota * 10 + n / 2) / n;
    out.push_back(Row(
        "Quota:", "total " + std::to_string(totalQuota) + ", smallest " + std::to_string(minQuota) +
                      ", largest " + std::to_string(maxQuota) + ", average " +
                      std::to_string(tenths / 10) + "." + std::to_string(tenths % 10)));
}

void AddSizeLines(const std::vector<const ListedEntry*>& withInfo, std::vector<std::string>& out) {
    // Smallest area first, then the narrower; the height is kept, not divided
    // out of the area, as a 0 figure is a size like any other.
    std::map<std::tuple<int, int, int>, int> sizes;
    for (const auto* e : withInfo) ++sizes[{e->width * e->height, e->width, e->height}];
    out.push_back("");
    out.push_back("   Sizes:");
    for (const auto& [key, count] : sizes) {
        const int w = std::get<1>(key), h = std::get<2>(key);
        out.push_back("      " + LeftAlign(std::to_string(w) + "x" + std::to_string(h), 8) +
                      RightAlign(std::to_string(count), 4) + (count == 1 ? " level" : " levels"));
    }
}

void AddDesignerLines(const std::vector<ListedEntry>& entries, std::vector<std::string>& out) {
    // In order of first appearance, then by count; the index keeps it n log n.
    std::vector<std::pair<std::string, int>> designers;
    std::map<std::string_view, std::size_t> index;
    for (const auto& e : entries) {
        const std::string_view name =
            e.designer.empty() ? std::string_view(kNoDesigner) : std::string_view(e.designer);
        auto [it, added] = index.try_emplace(name, designers.size());
        if (added) {
            designers.emplace_back(name, 1);
        } else {
            ++designers[it->second].second;
        }
    }
    std::stable_sort(designers.begin(), designers.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    out.push_back("");
    out.push_back("   Levels per designer:");
    for (const auto& [name, count] : designers)
        out.push_back("      " + LeftAlign(name, 40) + RightAlign(std::to_string(count), 4));
}

}  // namespace

LevelListReadResult ReadLevelList(const std::vector<std::string>& lines) {
    LevelListReadResult result;
    auto fail = [&](std::size_t line, std::string text) {
        result.entries.clear();
        result.error = (line ? "line " + std::to_string(line) + ": " : std::string()) + text;
        return result;
    };
    std::size_t i = 0;
    while (i < lines.size() && !lines[i].starts_with(kTableRule)) ++i;
    if (i == lines.size())
        return fail(0, "no level table: the line starting with \"   --------\" is missing");
    for (++i; i < lines.size() && !lines[i].empty(); ++i) {
        const std::string& line = lines[i];
        if (line.size() > kMaxListLineChars) return fail(i + 1, "the line is too long");
        ListedEntry e;
        e.line = i + 1;
        e.label = Columns(line, 4, 11);
        if (e.label.empty()) return fail(i + 1, "no level label in columns 4 to 11");
        e.name = Columns(line, 14, 30);
        e.password = Columns(line, 54, 61);
        e.designer = Columns(line, 64, 103);
        std::string problem =
            ReadFigures(e, Columns(line, 33, 37), Columns(line, 40, 44), Columns(line, 47, 51));
        if (!problem.empty()) return fail(i + 1, problem);
        result.entries.push_back(std::move(e));
    }
    if (i == lines.size()) return fail(0, "the level table has no empty line after it");
    std::size_t rule = i + 1;
    if (rule >= lines.size() || TrimBlanks(lines[rule]) != std::string(kEndRuleLength, '-'))
        return fail(rule + 1, "expected the line of 106 hyphens that ends the level list");
    return result;
}

std::vector<std::string> SummarizeLevelList(const std::vector<ListedEntry>& entries) {
    std::vector<std::string> out{
        "gdlstat.exe - summary of a GDLKIT level list",
        "",
        "Read " + std::to_string(entries.size()) + " level lines.",
        "",
        std::string(kEndRuleLength, '='),
        "",
        "",
    };
    std::vector<const ListedEntry*> withInfo;
    for (const auto& e : entries)
        if (e.hasInfo) withInfo.push_back(&e);
    auto hidden = std::count_if(entries.begin(), entries.end(), IsHidden);
    out.push_back("Summary:");
    out.push_back("");
    out.push_back(
        Row("Levels:", std::to_string(entries.size()) + " (" +
                           std::to_string(entries.size() - static_cast<std::size_t>(hidden)) +
                           " numbered, " + std::to_string(hidden) + " hidden)"));
    if (withInfo.size() != entries.size())
        out.push_back(Row("Without info:", std::to_string(entries.size() - withInfo.size()) +
                                               " (their level information could not be read)"));
    if (entries.empty()) return out;
    if (!withInfo.empty()) AddFigureLines(withInfo, out);
    AddPasswordLine(entries, out);
    if (!withInfo.empty()) AddSizeLines(withInfo, out);
    AddDesignerLines(entries, out);
    return out;
}

}  // namespace gdl
