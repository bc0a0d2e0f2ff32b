// The state the project window's pages share: the open project, the window's
// settings, the ports to the outside world and the view they all fill. Each
// page class works on one session; the window owns it.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "EditorPorts.h"
#include "LevelInfo.h"
#include "LevelTool.h"
#include "ProjectFile.h"
#include "ProjectView.h"

namespace gdl {

class EditorDialogs;
struct FileDialogRequest;
class Prompts;
class Random;
class Registry;
class SoundPlayer;
class ToolRunner;

// Texts and names as the window's commands compare and compose them.
std::string Quoted(const std::string& text);
std::string WithoutLineBreaks(const std::string& text);
bool Contains(const std::vector<std::string>& list, std::string_view item);
// A level name is joined to the project folder (LEVEL.bin): it must stay a
// plain file name there.
bool SafeLevelName(std::string_view name);
// A source name is joined to the project folder as NAME.lvs, NAME.te1 ...
bool SafeSourceName(std::string_view name);
// Folders compared as the file system sees them, so "./" and its full path match.
bool SameFolder(const std::string& a, const std::string& b);
// The folder made absolute and normal, with its trailing "/".
std::string FullFolder(const std::string& folder);

// The ports are the session's own members (registry, runner, prompts, ...);
// programFolder always ends in "/".
class ProjectSession : public EditorPorts {
public:
    explicit ProjectSession(const EditorPorts& ports);

    // The window's revision moves on (the form repaints).
    void Touch();
    // As Touch, and the form is told at once (a long command is running).
    void Notify();
    // Derives the whole view from the model after a command (the window's).
    void Sync();
    void SetModified(bool modified);

    // The level tool lists a source into the project folder; what it wrote
    // to its error output is kept in listingOutput.
    RunListing Listing();
    // The level information of a reference, from its listing or compiled level.
    LevelInfoResult ReadInfo(const std::string& reference);

    // The selected entry of the Level Set page, or nullptr.
    LevelEntry* SelectedEntry();
    // Removes an entry; the Level Set page's selection follows it.
    void EraseLevel(std::size_t index);
    void ReassignMusic();
    // Entries were added, removed or moved: the music follows the new order.
    void LevelListChanged();
    // Starts or stops the music preview of the Level Set page.
    void ToggleMusic();
    void StopMusicIfPlaying();

    // The format's limits; each shows its message when reached.
    bool CanAddLevels(std::size_t count);
    bool CanAddSource();
    // A program or document could not be started: says so with the runner's
    // reason ("File Error"). what names it ("the documentation ...").
    void ReportStartFailure(const std::string& what);
    // Opens a source in the level tool (the caller has checked the tool
    // files), reporting a start that fails.
    bool EditSource(const std::string& source, const std::string& folder, bool wait);
    // An open dialog for an existing file, starting in the project folder.
    FileDialogRequest OpenRequest(const char* title, const char* filter,
                                  const char* defaultExt) const;

    std::function<void()> sync;  // the window's Sync

    ProjectView view;
    ProjectModel model;
    std::optional<LevelTool> levelTool;
    // Source name -> the level tool's error output of its last listing.
    std::map<std::string, std::string> listingOutput;
    // The sources read for the pages' maps and problems.
    LevelPreviews previews;

    std::string toolFolder;
    std::string buildFolder;
    std::string projectFolder;
    // The recorded install folder ("" when none), and whether the build and
    // project folders are the user's own kit folder's instead of its own.
    std::string installFolder;
    bool userFolders = false;
    std::string levelSetFile;
    bool loading = false;
    bool sourceInfoFound = true;
    bool buildInSourceFolder = false;
    bool includeLevels = false;
    bool populateDesigner = false;
    bool generatePassword = false;
    int comPort = 1;
};

}  // namespace gdl
