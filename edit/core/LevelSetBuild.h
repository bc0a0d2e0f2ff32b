// The build of a level set file from the open project, with its status lines,
// progress and optional level list.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ProjectFile.h"

namespace gdl {

class LevelTool;
class Prompts;
class Random;

struct BuildSettings {
    std::string outputPath;  // folder + level set file name, used as composed
    bool levelList = false;  // "&Generate Level List (text)"
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
};

// The whole build. Music numbers are assigned first by the project's music
// mode (so the model's entries change in the Random and Automatic modes).
BuildResult RunLevelSetBuild(ProjectModel& model, const BuildSettings& settings, LevelTool& tool,
                             Prompts& prompts, Random& random, BuildView& view);

// One level list line (103 characters): label in columns 4-11, the info line,
// the password and the designer.
std::string FormatLevelListLine(std::string_view label, std::string_view infoLine,
                                std::string_view password, std::string_view designer);

}  // namespace gdl
