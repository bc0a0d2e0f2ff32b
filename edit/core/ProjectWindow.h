// TfProj, the project window, as state and commands. The window is made of
// parts that share one session: the File menu, the page control, the Options
// and Help menus, the four pages and the playtest. A form binds each control
// straight to the handler of its part and then renders View().
#pragma once

#include <string>
#include <vector>

#include "BuildPage.h"
#include "EditorOptions.h"
#include "EditorPorts.h"
#include "EditorStartUp.h"
#include "LevelsPage.h"
#include "PageControl.h"
#include "Playtest.h"
#include "ProjectFiles.h"
#include "ProjectSession.h"
#include "ProjectView.h"
#include "PropertiesPage.h"
#include "RecentProjects.h"
#include "SourcePage.h"

namespace gdl {

class ProjectWindow {
public:
    explicit ProjectWindow(const EditorPorts& ports);
    ProjectWindow(const ProjectWindow&) = delete;
    ProjectWindow& operator=(const ProjectWindow&) = delete;

    const ProjectView& View() const { return s_.view; }
    const ProjectModel& Model() const { return s_.model; }

    // Start-up, on the window's first activation (later calls do nothing).
    void FormActivate(const std::vector<std::string>& args) { startUp_.FormActivate(args); }

    ProjectFiles& Files() { return files_; }
    PageControl& Pages() { return pages_; }
    EditorOptions& Options() { return options_; }
    PropertiesPage& Props() { return props_; }
    SourcePage& Source() { return source_; }
    LevelsPage& Levels() { return levels_; }
    BuildPage& Build() { return build_; }
    Playtest& Tests() { return playtest_; }
    const RecentProjects& Recent() const { return recent_; }

    // Settings the window holds besides the model.
    const std::string& ToolFolder() const { return s_.toolFolder; }
    const std::string& BuildFolder() const { return s_.buildFolder; }
    const std::string& ProjectFolder() const { return s_.projectFolder; }
    int ComPort() const { return s_.comPort; }

private:
    // Derives the view from the model after a command.
    void Sync();
    void UpdateCaption();
    void UpdateCounters();

    ProjectSession s_;
    PropertiesPage props_{s_};
    SourcePage source_{s_};
    LevelsPage levels_{s_, source_};
    BuildPage build_{s_};
    Playtest playtest_{s_};
    PageControl pages_{s_, levels_};
    RecentProjects recent_{s_};
    EditorOptions options_{s_};
    ProjectFiles files_{s_, recent_, source_, levels_, pages_};
    EditorStartUp startUp_{s_, recent_, options_, files_};
};

}  // namespace gdl
