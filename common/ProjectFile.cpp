#include "ProjectFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <ctime>
#include <filesystem>

#include "FileUtil.h"
#include "TextUtil.h"

namespace gdl {

namespace {

constexpr char kGdpSection[] = "^GDP";
constexpr char kSourceSection[] = "Source";
constexpr char kLevelsSection[] = "Levels";
constexpr char kLevelSectionPrefix[] = "Level.";

// A line break in a reference would split its section header; the same text
// must name the section and stand in "Levels".
std::string OneLine(std::string_view s) {
    std::string r(s);
    std::replace(r.begin(), r.end(), '\r', ' ');
    std::replace(r.begin(), r.end(), '\n', ' ');
    return r;
}

// A hand-edited project may name a source with a Windows folder.
std::string SourceBaseName(std::string_view value) {
    auto slash = value.find_last_of("/\\");
    if (slash != std::string_view::npos) value.remove_prefix(slash + 1);
    return BaseName(value);
}

MusicMode ReadMusicMode(const IniFile& ini) {
    std::string value = ini.ReadString(kGdpSection, "AssignMusic", kMusicModeManual);
    if (EqualsNoCase(value, kMusicModeRandom)) return MusicMode::Random;
    if (EqualsNoCase(value, kMusicModeManual)) return MusicMode::Manual;
    return MusicMode::Automatic;
}

int ReadYear(const IniFile& ini, int currentYear) {
    auto year = ParseDecimal(ini.ReadString(kGdpSection, "Copyright", std::to_string(currentYear)));
    if (!year || *year < INT_MIN || *year > INT_MAX) return currentYear;
    return static_cast<int>(*year);
}

int ReadOffset(const IniFile& ini) {
    auto offset = ParseDecimal(ini.ReadString(kGdpSection, "Offset", "0"));
    if (!offset || *offset < 0) return 0;
    return static_cast<int>(std::min<long long>(*offset, INT_MAX));
}

std::string Code(std::string text) {
    return Cut(ToUpperAscii(text), kMaxCodeLength);
}

// A project opened by a relative path is known by its full path.
std::string AbsolutePath(const std::string& path) {
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(path, ec);
    if (ec) return path;
    return full.lexically_normal().string();
}

}  // namespace

std::string Cut(std::string text, std::size_t limit) {
    if (text.size() > limit) text.resize(limit);
    return text;
}

int ProjectModel::NumberedLevels() const {
    auto count = static_cast<long long>(levels.size());
    return static_cast<int>(std::max(0LL, count - offset));
}

int ProjectModel::HiddenLevels() const {
    auto count = static_cast<long long>(levels.size());
    return static_cast<int>(std::clamp<long long>(offset, 0, count));
}

int ProjectModel::FindLevel(std::string_view reference) const {
    for (std::size_t i = 0; i < levels.size(); ++i) {
        if (levels[i].reference == reference) return static_cast<int>(i);
    }
    return -1;
}

void ProjectModel::AddDesigner(std::string_view designer) {
    if (designer.empty()) return;
    if (std::find(designers.begin(), designers.end(), designer) == designers.end())
        designers.emplace_back(designer);
}

std::string_view MusicModeName(MusicMode mode) {
    switch (mode) {
        case MusicMode::Random:
            return kMusicModeRandom;
        case MusicMode::Manual:
            return kMusicModeManual;
        case MusicMode::Automatic:
            break;
    }
    return kMusicModeAutomatic;
}

int CurrentYear() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!localtime_r(&now, &local)) return 2000;
    return local.tm_year + 1900;
}

std::string ProjectToBytes(const ProjectModel& model) {
    IniFile ini;
    ini.WriteString(kGdpSection, "Name", model.name);
    ini.WriteString(kGdpSection, "Copyright", std::to_string(model.copyrightYear));
    ini.WriteString(kGdpSection, "Notice", model.notice);
    ini.WriteString(kGdpSection, "Comments", model.comments);
    ini.WriteString(kGdpSection, "Offset", std::to_string(model.offset));
    ini.WriteString(kGdpSection, "AssignMusic", MusicModeName(model.musicMode));
    ini.WriteString(kGdpSection, "Wizard", model.wizard);

    // Keys are numbered without gaps: a reader stops at the first missing one,
    // so an empty item must not hide the items behind it.
    std::size_t key = 0;
    for (std::size_t i = 0; i < model.sources.size() && i < kMaxProjectEntries; ++i) {
        if (model.sources[i].empty()) continue;
        ini.WriteString(kSourceSection, std::to_string(++key), model.sources[i]);
    }
    key = 0;
    for (std::size_t i = 0; i < model.levels.size() && i < kMaxProjectEntries; ++i) {
        const LevelEntry& entry = model.levels[i];
        if (entry.reference.empty()) continue;
        std::string reference = OneLine(entry.reference);
        ini.WriteString(kLevelsSection, std::to_string(++key), reference);
        std::string section = kLevelSectionPrefix + reference;
        ini.WriteString(section, "Designer", entry.designer);
        ini.WriteString(section, "Password", entry.password);
        ini.WriteString(section, "Music", entry.music);
        ini.WriteString(section, "Hint", entry.hint);
    }
    return ini.ToBytes();
}

bool SaveProjectAs(const ProjectModel& model, const std::string& path) {
    return WriteFileAtomic(path, ProjectToBytes(model), Durability::Disk);
}

bool SaveProject(ProjectModel& model) {
    if (!SaveProjectAs(model, model.FullPath())) return false;
    model.modified = false;
    return true;
}

bool LoadProjectFromIni(ProjectModel& model, const IniFile& ini, int currentYear) {
    ProjectModel loaded;
    loaded.name = Cut(ini.ReadString(kGdpSection, "Name"), kMaxNameLength);
    if (loaded.name.empty()) return false;
    loaded.copyrightYear = ReadYear(ini, currentYear);
    loaded.notice = Cut(ini.ReadString(kGdpSection, "Notice"), kMaxNoticeLength);
    loaded.comments = Cut(ini.ReadString(kGdpSection, "Comments"), kMaxCommentsLength);
    loaded.offset = ReadOffset(ini);
    loaded.musicMode = ReadMusicMode(ini);
    loaded.wizard = Code(ini.ReadString(kGdpSection, "Wizard"));

    for (std::size_t n = 1; n <= kMaxProjectEntries; ++n) {
        std::string value = ini.ReadString(kSourceSection, std::to_string(n));
        if (value.empty()) break;
        std::string source = SourceBaseName(value);
        if (!source.empty()) loaded.sources.push_back(std::move(source));
    }
    for (std::size_t n = 1; n <= kMaxProjectEntries; ++n) {
        LevelEntry entry;
        entry.reference = ini.ReadString(kLevelsSection, std::to_string(n));
        if (entry.reference.empty()) break;
        std::string section = kLevelSectionPrefix + entry.reference;
        entry.designer = ini.ReadString(section, "Designer");
        entry.password = Code(ini.ReadString(section, "Password"));
        entry.music = ini.ReadString(section, "Music", "0");
        entry.hint = Cut(ini.ReadString(section, "Hint"), kMaxHintLength);
        loaded.AddDesigner(entry.designer);
        loaded.levels.push_back(std::move(entry));
    }

    loaded.folder = std::move(model.folder);
    loaded.fileName = std::move(model.fileName);
    loaded.open = model.open;
    loaded.modified = false;
    model = std::move(loaded);
    return true;
}

bool LoadProject(ProjectModel& model, const std::string& path) {
    if (!LoadProjectFromIni(model, IniFile::Load(path), CurrentYear())) return false;
    const std::string full = AbsolutePath(path);
    model.folder = FolderOf(full);
    model.fileName = FileNameOf(full);
    model.open = true;
    return true;
}

Result<ProjectModel> ReadProject(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Error::System("cannot read " + path, errno);
    ::close(fd);
    ProjectModel model;
    if (!LoadProject(model, path))
        return Error::BadFormat(path, 0, "expected a project with a [^GDP] Name, got none");
    return model;
}

}  // namespace gdl
