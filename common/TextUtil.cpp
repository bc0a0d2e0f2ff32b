#include "TextUtil.h"

#include <algorithm>

namespace gdl {

namespace {
char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}
char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}
}  // namespace

std::string TrimBlanks(std::string_view s) {
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return std::string(s.substr(b, e - b));
}

std::string ToUpperAscii(std::string_view s) {
    std::string r(s);
    std::transform(r.begin(), r.end(), r.begin(), UpperAscii);
    return r;
}

std::string ToLowerAscii(std::string_view s) {
    std::string r(s);
    std::transform(r.begin(), r.end(), r.begin(), LowerAscii);
    return r;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
    }
    return true;
}

std::optional<long long> ParseDecimal(std::string_view s) {
    std::string t = TrimBlanks(s);
    std::size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        negative = t[i] == '-';
        ++i;
    }
    if (i == t.size()) return std::nullopt;
    long long value = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9') return std::nullopt;
        if (value > 100'000'000'000'000LL) return std::nullopt;  // far beyond any value we keep
        value = value * 10 + (t[i] - '0');
    }
    return negative ? -value : value;
}

std::string LeftAlign(std::string_view s, std::size_t w) {
    std::string r(s.substr(0, std::min(s.size(), w)));
    r.resize(w, ' ');
    return r;
}

std::string RightAlign(std::string_view s, std::size_t w) {
    if (s.size() >= w) return std::string(s.substr(s.size() - w));
    return std::string(w - s.size(), ' ') + std::string(s);
}

std::string ShowControls(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string r;
    r.reserve(text.size());
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\n' && c != '\t') || u == 0x7F) {
            r += "\\x";
            r += kHex[u >> 4];
            r += kHex[u & 0xF];
        } else {
            r += c;
        }
    }
    return r;
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            ++i;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

std::string JoinLinesCrLf(const std::vector<std::string>& lines) {
    std::string r;
    for (const auto& l : lines) {
        r += l;
        r += "\r\n";
    }
    return r;
}

}  // namespace gdl
