#include "SetView.h"

#include <array>
#include <map>

#include "FileUtil.h"
#include "LevelCompile.h"
#include "LevelInfo.h"
#include "LevelReference.h"
#include "LevelSetFile.h"
#include "LevelSource.h"
#include "LynxText.h"
#include "PathJoin.h"
#include "ProjectFile.h"
#include "TextUtil.h"

namespace gdl {

namespace {

// Larger files are no level sets or projects; they are refused unread.
constexpr std::uintmax_t kMaxSetBytes = 64u << 20;
constexpr std::uintmax_t kMaxProjectBytes = 1u << 20;
constexpr std::uintmax_t kMaxLevelBytes = 1u << 20;

}  // namespace

std::optional<std::string> ReadFileCapped(const std::string& path, std::uintmax_t cap,
                                          std::string* problem) {
    auto size = FileSize(path);
    if (!size) {
        *problem = path + " cannot be read";
        return std::nullopt;
    }
    if (*size > cap) {
        *problem = path + " is too large";
        return std::nullopt;
    }
    auto bytes = ReadFileBytes(path);
    if (!bytes) *problem = path + " cannot be read";
    return bytes;
}

namespace {

void SetMap(SetViewLevel& level, const std::string& compiled) {
    LevelInfoResult info = LevelInfoFromCompiled(compiled.substr(0, 32));
    level.name = info.info.Name;
    level.size = info.info.Size;
    level.time = info.info.Time;
    level.quota = info.info.Quota;
    std::string why;
    auto decoded = DecodeCompiledLevel(compiled, &why);
    if (!decoded) {
        level.problem = "the compiled level cannot be read: " + why;
        return;
    }
    if (decoded->tiles.size() != std::size_t{decoded->header.width} * decoded->header.height) {
        level.problem = "the compiled level's map has the wrong size";
        return;
    }
    level.width = decoded->header.width;
    level.height = decoded->header.height;
    level.tiles = std::move(decoded->tiles);
    if (!decoded->checksumOk) level.problem = "the compiled level's check byte is wrong";
}

std::optional<SetView> LoadLevelSetFile(const std::string& path, std::string* problem) {
    auto bytes = ReadFileCapped(path, kMaxSetBytes, problem);
    if (!bytes) return std::nullopt;
    std::string why;
    auto set = ParseLevelSet(*bytes, &why);
    std::optional<LevelSetIndex> index = set ? std::optional(set->index) : std::nullopt;
    if (!index) index = ParseLevelSetIndex(*bytes);
    if (!index) {
        *problem = path + " is not a level set: " + why;
        return std::nullopt;
    }
    SetView view;
    view.path = path;
    view.fileBytes = bytes->size();
    const LevelSetHeader& h = index->header;
    view.name = h.name;
    view.year = h.year;
    view.notice = h.notice;
    view.comments = h.comments;
    view.hasWizard = !h.wizard.empty();
    view.hidden = h.hiddenCount;
    view.numbered = h.visibleCount;
    std::map<int, const std::pair<LevelRecord, std::string>*> levels;
    if (set)
        for (const auto& level : set->levels) levels[level.first.position] = &level;
    for (const auto& e : index->table) {
        if (!e.present) continue;
        SetViewLevel level;
        level.position = e.position;
        level.label = LevelLabel(e.position, h.hiddenCount);
        level.designer = e.designer;
        level.code = e.password;
        level.music = e.music;
        level.bytes = e.size;
        if (auto it = levels.find(e.position); it != levels.end()) {
            level.hint = it->second->first.hint;
            SetMap(level, it->second->second);
        } else {
            level.problem = "the level's data cannot be read";
        }
        view.levels.push_back(std::move(level));
    }
    if (!set) view.warnings.push_back("the levels cannot be read: " + why);
    if (set && !set->hasEndRecord) view.warnings.push_back("the end record is missing");
    return view;
}

// A source name is a file name in the project folder, never a path.
bool IsPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && FileNameOf(name) == name;
}

// The parsed sources of a project, each read once.
class SourceCache {
public:
    explicit SourceCache(std::string folder) : folder_(std::move(folder)) {}

    // The source's level, or nullptr with the reason.
    const SourceLevel* Find(const std::string& source, const std::string& level, std::string& why) {
        if (!IsPlainName(source)) {
            why = "no source file is named";
            return nullptr;
        }
        auto [it, fresh] = sources_.try_emplace(source);
        Entry& entry = it->second;
        if (fresh) {
            auto text =
                ReadFileCapped(JoinPath(folder_, source + ".lvs"), kMaxSourceBytes, &entry.problem);
            if (text) entry.parsed = ParseLevelSource(*text);
        }
        if (!entry.problem.empty()) {
            why = entry.problem;
            return nullptr;
        }
        for (const auto& candidate : entry.parsed.levels)
            if (EqualsNoCase(candidate.levelName, level)) return &candidate;
        why = source + ".lvs has no good level " + level;
        return nullptr;
    }

private:
    struct Entry {
        ParsedSource parsed;
        std::string problem;
    };
    std::string folder_;
    std::map<std::string, Entry> sources_;
};

std::optional<SetView> LoadProjectView(const std::string& path, std::string* problem) {
    if (!ReadFileCapped(path, kMaxProjectBytes, problem)) return std::nullopt;
    ProjectModel project;
    if (!LoadProject(project, path)) {
        *problem = path + " is not a project: it has no name";
        return std::nullopt;
    }
    SetView view;
    view.path = path;
    view.isProject = true;
    view.fileBytes = FileSize(path).value_or(0);
    view.name = project.name;
    view.year = std::to_string(project.copyrightYear);
    view.notice = project.notice;
    view.comments = project.comments;
    view.hasWizard = !project.wizard.empty();
    view.hidden = project.HiddenLevels();
    view.numbered = project.NumberedLevels();
    SourceCache sources(project.folder);
    int position = 0;
    for (const LevelEntry& entry : project.levels) {
        SetViewLevel level;
        level.position = ++position;
        level.label = LevelLabel(position, project.offset);
        level.reference = entry.reference;
        level.designer = entry.designer;
        level.code = entry.password;
        level.music = static_cast<int>(ParseDecimal(entry.music).value_or(0));
        level.hint = entry.hint;
        LevelRef ref = SplitReference(entry.reference);
        std::string why;
        if (ref.source.empty()) {
            // A level named without a source is a compiled level file of its own.
            std::optional<std::string> compiled;
            if (IsPlainName(ref.level))
                compiled = ReadFileCapped(JoinPath(project.folder, ref.level + ".bin"),
                                          kMaxLevelBytes, &why);
            else
                why = "the level name is no file name";
            if (compiled) {
                level.bytes = static_cast<std::uint32_t>(compiled->size());
                SetMap(level, *compiled);
            } else {
                level.problem = why;
            }
        } else if (const SourceLevel* source = sources.Find(ref.source, ref.level, why)) {
            CompiledLevelFile compiled = CompileLevel(*source);
            level.bytes = static_cast<std::uint32_t>(compiled.bytes.size());
            SetMap(level, compiled.bytes);
        } else {
            level.problem = why;
        }
        view.levels.push_back(std::move(level));
    }
    return view;
}

}  // namespace

std::string FieldLine(std::string_view caption, const std::string& value) {
    return LeftAlign(caption, 11) + value + "\n";
}

std::optional<SetView> LoadSetView(const std::string& path, std::string* problem) {
    std::string ignored;
    if (!problem) problem = &ignored;
    if (EqualsNoCase(ExtensionOf(path), ".gdp")) return LoadProjectView(path, problem);
    return LoadLevelSetFile(path, problem);
}

std::string SetViewText(const SetView& view) {
    std::string text;
    text += FieldLine(view.isProject ? "Project:" : "Level set:",
                      view.path + " (" + std::to_string(view.fileBytes) + " bytes)");
    text += FieldLine("Name:", view.name);
    text += FieldLine("Copyright:", view.year + " " + view.notice);
    text += FieldLine("Comments:", view.comments);
    text += FieldLine("Wizard:", view.hasWizard ? "a wizard code is set" : "none");
    text += FieldLine("Levels:", std::to_string(view.numbered) + " numbered, " +
                                     std::to_string(view.hidden) + " hidden");
    text +=
        "\n  Pos  Label  Code  Music   Bytes  Name               Size   Quota   Time  "
        "Designer\n";
    for (const auto& l : view.levels) {
        text += RightAlign(std::to_string(l.position), 5) + "  " + RightAlign(l.label, 5) + "  " +
                LeftAlign(l.code, 4) + "  " + RightAlign(std::to_string(l.music), 5) + "  " +
                RightAlign(std::to_string(l.bytes), 6) + "  " +
                FormatLevelInfoLine({l.name, l.size, l.time, l.quota}) + "  " + l.designer + "\n";
    }
    bool anyHint = false;
    for (const auto& l : view.levels) {
        if (l.hint.empty()) continue;
        if (!anyHint) text += "\nHints:\n";
        anyHint = true;
        text += RightAlign(l.label, 7) + "  " + l.hint + "\n";
    }
    for (const auto& l : view.levels) {
        text += "\nLevel " + l.label + (l.name.empty() ? "" : ", " + l.name) + ":\n";
        if (!l.problem.empty()) text += "  (" + l.problem + ")\n";
        for (int row = 0; row < l.height && !l.tiles.empty(); ++row) {
            text += "  ";
            for (int col = 0; col < l.width; ++col)
                text += TileSymbol(l.tiles[static_cast<std::size_t>(row * l.width + col)]);
            text += "\n";
        }
    }
    for (const auto& w : view.warnings) text += "\nWarning: " + w + "\n";
    return text;
}

}  // namespace gdl
