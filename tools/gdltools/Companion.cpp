#include "Companion.h"

#include <filesystem>
#include <ostream>

#include "FileUtil.h"
#include "LevelCompile.h"
#include "LevelInfo.h"
#include "LevelSetFile.h"
#include "LynxText.h"
#include "TextUtil.h"

namespace gdl {

namespace {

constexpr char kProgram[] = "GDLTools.exe: ";
// Larger files are no level sets or compiled levels; refuse them unread.
constexpr std::uintmax_t kMaxSetBytes = 64u << 20;
constexpr std::uintmax_t kMaxLevelBytes = 1u << 20;

struct KitFile {
    const char* name;
    const char* role;
};

constexpr KitFile kKitFiles[] = {
    {"GDLEdit", "level set editor"},
    {"gdlplay.exe", "level set player (optional)"},
    {"ld.exe", "level tool"},
    {"ld.pif", "level tool marker"},
    {"ldinfo.pif", "listing marker"},
    {"ldstat.pif", "statistics marker"},
    {"gdlstat.exe", "statistics tool"},
    {"GDLTools.exe", "this program"},
    {"resource.001", "template of a new source"},
    {"music0.wav", "tune 0"},
    {"music1.wav", "tune 1"},
    {"music2.wav", "tune 2"},
    {"../docs/docs.htm", "user guide"},
};

std::optional<std::string> ReadCapped(const std::string& path, std::uintmax_t cap,
                                      std::ostream& err) {
    auto size = FileSize(path);
    if (!size) {
        err << kProgram << path << " cannot be read\n";
        return std::nullopt;
    }
    if (*size > cap) {
        err << kProgram << path << " is too large\n";
        return std::nullopt;
    }
    auto bytes = ReadFileBytes(path);
    if (!bytes) err << kProgram << path << " cannot be read\n";
    return bytes;
}

std::string LevelLabel(int position, int hidden) {
    int n = position - hidden;
    return n < 0 ? "H" + std::to_string(-n) : std::to_string(n);
}

std::string Field(std::string_view caption, const std::string& value) {
    return LeftAlign(caption, 11) + value + "\n";
}

}  // namespace

std::string AboutText(const std::string& toolFolder) {
    std::error_code ec;
    std::string install =
        toolFolder.empty()
            ? std::string("(unknown)")
            : std::filesystem::weakly_canonical(toolFolder + "..", ec).string() + "/";
    std::string text = "GDLKIT Tools " GDLKIT_VERSION "\n";
    text += "The construction kit for Glimmerdeep level sets on the Atari Lynx.\n\n";
    text += Field("Install:", install);
    text += Field("Tools:", toolFolder.empty() ? std::string("(unknown)") : toolFolder);
    text += "\nFiles of the tool folder:\n";
    for (const auto& f : kKitFiles) {
        bool present = !toolFolder.empty() && FileExists(toolFolder + f.name);
        text += "  " + LeftAlign(f.name, 18) + LeftAlign(present ? "present" : "MISSING", 9) +
                f.role + "\n";
    }
    text += "\nMore: GDLTools.exe info FILE.gdl, GDLTools.exe bin FILE.bin, GDLTools.exe --help\n";
    return text;
}

int PrintLevelSetInfo(const std::string& path, std::ostream& out, std::ostream& err) {
    auto bytes = ReadCapped(path, kMaxSetBytes, err);
    if (!bytes) return 1;
    std::string problem;
    auto set = ParseLevelSet(*bytes, &problem);
    std::optional<LevelSetIndex> index = set ? std::optional(set->index) : std::nullopt;
    if (!index) index = ParseLevelSetIndex(*bytes);
    if (!index) {
        err << kProgram << path << " is not a level set: " << problem << '\n';
        return 1;
    }
    const LevelSetHeader& h = index->header;
    out << Field("Level set:", path + " (" + std::to_string(bytes->size()) + " bytes)");
    out << Field("Name:", h.name) << Field("Copyright:", h.year + " " + h.notice)
        << Field("Wizard:", h.wizard) << Field("Comments:", h.comments)
        << Field("Levels:", std::to_string(h.visibleCount) + " numbered, " +
                                std::to_string(h.hiddenCount) + " hidden");
    out << "\n  Pos  Label  Code  Music   Bytes  Name               Size   Quota   Time  "
           "Designer\n";
    for (const auto& e : index->table) {
        if (!e.present) continue;
        LevelInfo info;
        if (set) {
            for (const auto& [record, compiled] : set->levels)
                if (record.position == e.position) info = LevelInfoFromCompiled(compiled).info;
        }
        out << RightAlign(std::to_string(e.position), 5) << "  "
            << RightAlign(LevelLabel(e.position, h.hiddenCount), 5) << "  "
            << LeftAlign(e.password, 4) << "  " << RightAlign(std::to_string(e.music), 5) << "  "
            << RightAlign(std::to_string(e.size), 6) << "  " << FormatLevelInfoLine(info) << "  "
            << e.designer << '\n';
    }
    if (!set) {
        err << kProgram << "the levels of " << path << " cannot be read: " << problem << '\n';
        return 1;
    }
    bool anyHint = false;
    for (const auto& [record, compiled] : set->levels) {
        if (record.hint.empty()) continue;
        if (!anyHint) out << "\nHints:\n";
        anyHint = true;
        out << RightAlign(LevelLabel(record.position, h.hiddenCount), 7) << "  " << record.hint
            << '\n';
    }
    if (!set->hasEndRecord) {
        err << kProgram << path << ": the end record is missing\n";
        return 1;
    }
    return 0;
}

int PrintCompiledLevel(const std::string& path, std::ostream& out, std::ostream& err) {
    auto bytes = ReadCapped(path, kMaxLevelBytes, err);
    if (!bytes) return 1;
    std::string problem;
    auto level = DecodeCompiledLevel(*bytes, &problem);
    if (!level) {
        err << kProgram << path << ": " << problem << '\n';
        return 1;
    }
    const CompiledLevelHeader& h = level->header;
    out << Field("Level:", path + " (" + std::to_string(bytes->size()) + " bytes)");
    out << Field("Name:", DecodeLynxText(h.nameCodes, kCompiledNameCodes))
        << Field("Size:", SizeText(h.width, h.height))
        << Field("Time:", TimeText(h.minutes, h.seconds))
        << Field("Quota:", std::to_string(h.quota))
        << Field("Body:",
                 std::string(level->coding == BodyCoding::RunLength ? "run-length, " : "stored, ") +
                     CompressionText(level->tiles.size(), level->bodySize))
        << Field("Checksum:", level->checksumOk ? "good" : "BAD");
    out << "Map:\n";
    for (std::size_t row = 0; row < h.height; ++row) {
        out << "  ";
        for (std::size_t col = 0; col < h.width; ++col)
            out << TileSymbol(level->tiles[row * h.width + col]);
        out << '\n';
    }
    return level->checksumOk ? 0 : 1;
}

}  // namespace gdl
