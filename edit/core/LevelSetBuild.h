// The build of a level set file from the open project, with its status lines,
// progress and optional level list.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Error.h"
#include "LevelList.h"
#include "ProjectFile.h"

namespace gdl {

class LevelTool;
class Prompts;
class Random;
class ToolRunner;

struct BuildSettings {
    std::string outputPath;  // folder + level set file name, used as composed
    bool levelList = false;  // "&Generate Level List (text)"
    // The runner the level tool runs through: what a compile wrote to its
    // error output is shown under the error line of a level it did not make.
    const ToolRunner* toolOutput = nullptr;
    // The sources' listing caches are dropped before and after the build,
    // under its lock (headless: no window holds them).
    bool freshListings = false;
};

// Where the build shows its work (the Build page, or standard output headless).
class BuildView {
public:
    virtual ~BuildView() = default;
    virtual void SetStatusBar(const std::string& text) = 0;  // first status bar panel
    virtual void ClearStatusLines() = 0;
    // Appends a line to the status list and makes it the selected item.
    virtual void AddStatusLine(const std::string& line) = 0;
    virtual void SetProgressMax(int maximum) = 0;
    virtual void SetProgress(int position) = 0;
    // The tool bar, the Build button and the page's back button.
    virtual void SetBuildControlsEnabled(bool enabled) = 0;
};

enum class BuildOutcome { Done, Errors, Cancelled };

struct BuildResult {
    BuildOutcome outcome = BuildOutcome::Done;
    int errors = 0;
    // Why the build stopped before it wrote anything: the project folder is
    // locked by another build (System, EWOULDBLOCK), or the output names one
    // of the build's inputs (Caller).
    std::optional<Error> stopped;
};

// How long a build waits for another build of the same project folder.
inline constexpr std::chrono::milliseconds kBuildLockWait{2000};

// Status lines of the build.
inline constexpr char kBuildingLine[] = "Building Level Set...";
inline constexpr char kCleaningUpLine[] = "Cleaning up...";
inline constexpr char kDoneLine[] = "Done.";
inline constexpr char kCancelledLine[] = "Build Cancelled.";
inline constexpr char kBuildingStatus[] = " Building...";
// A file the level tool leaves in the project folder when it compiles.
inline constexpr char kLevelToolLeftover[] = "gdl.hsf";

// "Done.", "There is 1 error." or "There are N errors.".
std::string FinalBuildLine(int errors);
// The text of the overwrite question for an existing output file.
std::string OverwriteQuestion(std::string_view outputPath);
// "ERROR: Unable to write "PATH"!"
std::string UnableToWriteLine(std::string_view path);
// The line under it: "   " + the system's reason + ".".
std::string WriteReasonLine(std::string_view reason);
// "ERROR: Level LABEL has no Source File "SOURCE.lvs"!"
std::string NoSourceFileLine(std::string_view label, std::string_view source);
// The level tool's own error output under an error line: each of its lines,
// indented, at most kToolOutputLines of them.
inline constexpr std::size_t kToolOutputLines = 5;
std::vector<std::string> ToolOutputLines(std::string_view output);
// "ERROR: "NAME.gdp" (or another project in its folder) is being built by
// another program!"
std::string BeingBuiltLine(std::string_view projectFile);
// The line for an output path that names one of the build's inputs.
std::string OutputIsInputLine(std::string_view outputPath, std::string_view input);

// Output path of the level set: the build folder, or the project folder when
// "Build in &Source Folder" is ticked or no build folder is known, followed by
// the level set file name.
std::string ComposeOutputPath(const std::string& buildFolder, const std::string& projectFolder,
                              const std::string& levelSetName, bool sourceFolder);

// The whole build. Once it goes ahead, music numbers are assigned by the
// project's music mode (so the model's entries change in the Random and
// Automatic modes); a declined overwrite changes nothing.
BuildResult RunLevelSetBuild(ProjectModel& model, const BuildSettings& settings, LevelTool& tool,
                             Prompts& prompts, Random& random, BuildView& view);

}  // namespace gdl
