// The project model and its file (".gdp"), an INI file with a fixed layout.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "Error.h"
#include "IniFile.h"

namespace gdl {

enum class MusicMode { Automatic, Random, Manual };

// The format holds at most this many sources and level entries.
inline constexpr std::size_t kMaxProjectEntries = 255;
// The longest texts a project holds; longer ones are cut, also on load.
inline constexpr std::size_t kMaxNameLength = 40;
inline constexpr std::size_t kMaxNoticeLength = 60;
inline constexpr std::size_t kMaxCommentsLength = 512;
inline constexpr std::size_t kMaxCodeLength = 4;  // level passwords and the wizard code
inline constexpr std::size_t kMaxHintLength = 320;
// The text cut to limit characters.
std::string Cut(std::string text, std::size_t limit);

struct LevelEntry {
    std::string reference;  // source name + ":" + level name
    std::string designer;
    std::string password;  // at most 4 characters, upper case
    std::string music = "0";
    std::string hint;  // at most 320 characters
    bool operator==(const LevelEntry&) const = default;
};

struct ProjectModel {
    std::string name;  // at most 40 characters; empty: not a project
    int copyrightYear = 2000;
    std::string notice;    // at most 60
    std::string comments;  // at most 512, no line breaks
    int offset = 0;        // number of hidden levels
    MusicMode musicMode = MusicMode::Automatic;
    std::string wizard;  // at most 4, upper case

    std::vector<std::string> sources;
    std::vector<LevelEntry> levels;
    std::vector<std::string> designers;  // rebuilt from the entries on load

    std::string folder;    // with trailing "/"
    std::string fileName;  // project file name within folder
    bool open = false;
    bool modified = false;

    std::string FullPath() const { return folder + fileName; }
    int NumberedLevels() const;  // max(0, count - offset)
    int HiddenLevels() const;    // min(offset, count)
    // Index of the entry with this reference, or -1.
    int FindLevel(std::string_view reference) const;
    // Appends a non-empty name that is not yet in the designer list.
    void AddDesigner(std::string_view designer);
};

inline constexpr char kMusicModeRandom[] = "Random";
inline constexpr char kMusicModeManual[] = "Manual";
inline constexpr char kMusicModeAutomatic[] = "Automatic";
std::string_view MusicModeName(MusicMode mode);

int CurrentYear();

// The file text exactly as saved: CR LF lines, every key written.
std::string ProjectToBytes(const ProjectModel& model);
// Writes folder + fileName (atomically) and clears the modified flag. Empty
// sources and references are left out and the keys numbered without gaps.
bool SaveProject(ProjectModel& model);
// Writes the model's layout to another path (playtest copies).
bool SaveProjectAs(const ProjectModel& model, const std::string& path);

// Reads a project from parsed INI content, replacing every stored field and
// list and clearing the modified flag; folder, file name and the open flag are
// kept. Texts longer than their limits are cut, passwords and the wizard code
// made upper case, as the window's fields would take them. Returns false,
// leaving model untouched, when "Name" is empty or missing.
bool LoadProjectFromIni(ProjectModel& model, const IniFile& ini, int currentYear);
// Reads the file at path; on success sets folder (absolute) and file name from
// the path, clears the modified flag and sets the open flag.
bool LoadProject(ProjectModel& model, const std::string& path);
// As LoadProject, saying why there is no project: a file that cannot be read
// (System, with its errno) or one without a project's name (BadFormat).
Result<ProjectModel> ReadProject(const std::string& path);

}  // namespace gdl
