#include "LevelCheck.h"

#include <ostream>

#include "LevelDocument.h"
#include "LevelToolCommands.h"
#include "SourceProblems.h"
#include "TextUtil.h"

namespace gdl {

namespace {

// A valid UTF-8 sequence at the start of s: its length, or 0.
std::size_t Utf8Length(std::string_view s) {
    const auto u = static_cast<unsigned char>(s[0]);
    const std::size_t n = u >= 0xF0 && u <= 0xF4  ? 4
                          : u >= 0xE0             ? 3
                          : u >= 0xC2 && u < 0xE0 ? 2
                                                  : 0;
    if (n == 0 || s.size() < n) return 0;
    for (std::size_t i = 1; i < n; ++i)
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return 0;
    const auto v = static_cast<unsigned char>(s[1]);
    if ((u == 0xE0 && v < 0xA0) || (u == 0xED && v >= 0xA0) || (u == 0xF0 && v < 0x90) ||
        (u == 0xF4 && v >= 0x90))
        return 0;
    return n;
}

// Valid UTF-8 whatever the bytes: UTF-8 text (file names) stays as it is, any
// other 8-bit byte is taken as the Latin-1 character of its number.
std::string JsonString(std::string_view s) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u >= 0x80 && Utf8Length(s.substr(i)) > 0) {
            const std::size_t n = Utf8Length(s.substr(i));
            out.append(s.substr(i, n));
            i += n - 1;
        } else if (u < 0x20 || u >= 0x7F) {
            out += "\\u00";
            out += kHex[u >> 4];
            out += kHex[u & 15];
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// A name from the file system or the source, made harmless for a terminal.
std::string Shown(std::string_view name) {
    std::string r;
    for (char c : ShowControls(name)) r += c == '\n' ? std::string("\\x0a") : std::string(1, c);
    return r;
}

void PrintJson(const std::string& file, const SourceProblem& p, std::ostream& out) {
    out << "{\"file\":" << JsonString(file) << ",\"line\":" << p.line
        << ",\"level\":" << (p.levelName.empty() ? "null" : JsonString(p.levelName))
        << ",\"severity\":\"" << (p.error ? "error" : "warning")
        << "\",\"code\":" << JsonString(p.code) << ",\"message\":" << JsonString(p.message);
    if (p.tile) out << ",\"x\":" << p.tile->x << ",\"y\":" << p.tile->y;
    out << "}\n";
}

void PrintLine(const std::string& file, const SourceProblem& p, std::ostream& out) {
    out << Shown(file);
    if (p.line != 0) out << ':' << p.line;
    out << ": ";
    if (!p.levelName.empty()) out << "level " << Shown(p.levelName) << ": ";
    out << (p.error ? "error: " : "warning: ") << Shown(p.message) << '\n';
}

}  // namespace

int CheckSources(const std::vector<std::string>& files, bool json, std::ostream& out,
                 std::ostream& err) {
    bool failed = false;
    for (const auto& file : files) {
        auto doc = LevelDocument::FromFile(file);
        if (!doc) {
            err << "ld.exe: " << Shown(doc.Err().Message()) << '\n';
            failed = true;
            continue;
        }
        for (const SourceProblem& p : SourceProblems(*doc)) {
            failed = failed || p.error;
            if (json) {
                PrintJson(file, p, out);
            } else {
                PrintLine(file, p, out);
            }
        }
        failed = failed || doc->Parsed().HasErrors();
        const std::size_t dropped = doc->Parsed().droppedMessages;
        if (dropped > 0) {
            err << "ld.exe: " << Shown(file) << ": " << dropped << " more parser message"
                << (dropped == 1 ? "" : "s") << " not shown\n";
        }
    }
    return failed ? kToolErrors : kToolOk;
}

}  // namespace gdl
