#include "Companion.h"

#include <filesystem>
#include <ostream>

#include "FileUtil.h"
#include "LevelCompile.h"
#include "LynxText.h"
#include "PathJoin.h"
#include "SetView.h"
#include "TextUtil.h"

namespace gdl {

namespace {

constexpr char kProgram[] = "GDLTools.exe: ";
// Larger files are no level sets or compiled levels; refuse them unread.
constexpr std::uintmax_t kMaxLevelBytes = 1u << 20;

struct KitFile {
    const char* name;
    const char* role;
};

constexpr KitFile kKitFiles[] = {
    {"GDLEdit", "level set editor"},
    {"gdlplay.exe", "level set player"},
    {"GDLMap", "map editor"},
    {"lynxsim", "Lynx simulator"},
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

}  // namespace

std::vector<KitFileState> KitFileStates(const std::string& toolFolder) {
    std::vector<KitFileState> files;
    for (const auto& f : kKitFiles)
        files.push_back(
            {f.name, f.role, !toolFolder.empty() && FileExists(JoinPath(toolFolder, f.name))});
    return files;
}

std::string InstallFolderText(const std::string& toolFolder) {
    if (toolFolder.empty()) return "(unknown)";
    std::error_code ec;
    return std::filesystem::weakly_canonical(JoinPath(toolFolder, ".."), ec).string() + "/";
}

std::string AboutText(const std::string& toolFolder) {
    std::string text = "GDLKIT Tools " GDLKIT_VERSION "\n";
    text += "The construction kit for Glimmerdeep level sets on the Atari Lynx.\n\n";
    text += FieldLine("Install:", InstallFolderText(toolFolder));
    text += FieldLine("Tools:", toolFolder.empty() ? std::string("(unknown)") : toolFolder);
    text += "\nFiles of the tool folder:\n";
    for (const auto& f : KitFileStates(toolFolder))
        text += "  " + LeftAlign(f.name, 18) + LeftAlign(f.present ? "present" : "MISSING", 9) +
                f.role + "\n";
    text += "\nMore: GDLTools.exe FILE.gdl|FILE.gdp, GDLTools.exe ports, GDLTools.exe --help\n";
    return text;
}

int PrintLevelSetInfo(const std::string& path, std::ostream& out, std::ostream& err) {
    std::string problem;
    auto view = LoadSetView(path, &problem);
    if (!view) {
        err << kProgram << ShowControls(problem) << '\n';
        return 1;
    }
    out << ShowControls(SetViewText(*view));
    bool damaged = !view->warnings.empty();
    for (const auto& warning : view->warnings)
        err << kProgram << ShowControls(path + ": " + warning) << '\n';
    // A level whose compiled data cannot be shown is damage too, and the
    // exit status is never the only word of it.
    for (const auto& level : view->levels) {
        if (level.problem.empty()) continue;
        damaged = true;
        err << kProgram << ShowControls(path + ": level " + level.label + ": " + level.problem)
            << '\n';
    }
    return damaged ? 1 : 0;
}

int PrintCompiledLevel(const std::string& path, std::ostream& out, std::ostream& err) {
    std::string problem;
    auto bytes = ReadFileCapped(path, kMaxLevelBytes, &problem);
    if (!bytes) {
        err << kProgram << ShowControls(problem) << '\n';
        return 1;
    }
    auto level = DecodeCompiledLevel(*bytes, &problem);
    if (!level) {
        err << kProgram << path << ": " << problem << '\n';
        return 1;
    }
    const CompiledLevelHeader& h = level->header;
    out << FieldLine("Level:", path + " (" + std::to_string(bytes->size()) + " bytes)");
    out << FieldLine("Name:", DecodeLynxText(h.nameCodes, kCompiledNameCodes))
        << FieldLine("Size:", SizeText(h.width, h.height))
        << FieldLine("Time:", TimeText(h.minutes, h.seconds))
        << FieldLine("Quota:", std::to_string(h.quota))
        << FieldLine("Body:", std::string(level->coding == BodyCoding::RunLength ? "run-length, "
                                                                                 : "stored, ") +
                                  CompressionText(level->tiles.size(), level->bodySize))
        << FieldLine("Checksum:", level->checksumOk ? "good" : "BAD");
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
