#include "LevelCheck.h"

#include <algorithm>
#include <optional>
#include <ostream>

#include "LevelDoctor.h"
#include "LevelDocument.h"
#include "LevelToolCommands.h"

namespace gdl {

namespace {

struct Entry {
    std::size_t line = 0;
    std::optional<std::string> level;
    bool error = false;
    std::string code;
    std::string message;
    std::optional<TilePosition> position;
};

std::string JsonString(std::string_view s) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    for (char c : s) {
        auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20 || u == 0x7F) {
            out += "\\u00";
            out += kHex[u >> 4];
            out += kHex[u & 15];
        } else {
            out += c;
        }
    }
    return out + "\"";
}

void PrintJson(const std::string& file, const Entry& e, std::ostream& out) {
    out << "{\"file\":" << JsonString(file) << ",\"line\":" << e.line
        << ",\"level\":" << (e.level ? JsonString(*e.level) : "null") << ",\"severity\":\""
        << (e.error ? "error" : "warning") << "\",\"code\":" << JsonString(e.code)
        << ",\"message\":" << JsonString(e.message);
    if (e.position) out << ",\"x\":" << e.position->x << ",\"y\":" << e.position->y;
    out << "}\n";
}

void PrintLine(const std::string& file, const Entry& e, std::ostream& out) {
    out << file;
    if (e.line != 0) out << ':' << e.line;
    out << ": ";
    if (e.level) out << "level " << *e.level << ": ";
    out << (e.error ? "error: " : "warning: ") << e.message << '\n';
}

std::vector<Entry> Entries(const LevelDocument& doc) {
    std::vector<Entry> entries;
    for (const auto& m : doc.FileMessages())
        entries.push_back({m.line, std::nullopt, !m.warning, m.code, m.text, std::nullopt});
    for (std::size_t i = 0; i < doc.LevelCount(); ++i) {
        const DocLevel& level = doc.Level(i);
        const std::string name = level.name.empty() ? "(unnamed)" : level.name;
        // The parser warns of a door without its key only for a good level,
        // which the doctor judges too, and says where the door is.
        for (const auto& m : level.messages) {
            if (!level.hasErrors && m.code == kDoorWithoutKey) continue;
            entries.push_back({m.line, name, !m.warning, m.code, m.text, std::nullopt});
        }
        const LevelOutline& outline = doc.Outline(i);
        for (auto& f : DoctorLevel(doc, i)) {
            std::size_t line =
                f.position ? outline.rowLines[static_cast<std::size_t>(f.position->y)] : level.line;
            entries.push_back({line, name, f.severity == Severity::Error, f.code,
                               std::move(f.message), f.position});
        }
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.line < b.line; });
    return entries;
}

}  // namespace

int CheckSources(const std::vector<std::string>& files, bool json, std::ostream& out,
                 std::ostream& err) {
    bool failed = false;
    for (const auto& file : files) {
        auto doc = LevelDocument::FromFile(file);
        if (!doc) {
            err << "ld.exe: " << doc.Err().Message() << '\n';
            failed = true;
            continue;
        }
        for (const Entry& e : Entries(*doc)) {
            failed = failed || e.error;
            if (json) {
                PrintJson(file, e, out);
            } else {
                PrintLine(file, e, out);
            }
        }
        failed = failed || doc->Parsed().HasErrors();
        const std::size_t dropped = doc->Parsed().droppedMessages;
        if (dropped > 0) {
            err << "ld.exe: " << file << ": " << dropped << " more parser message"
                << (dropped == 1 ? "" : "s") << " not shown\n";
        }
    }
    return failed ? kToolErrors : kToolOk;
}

}  // namespace gdl
