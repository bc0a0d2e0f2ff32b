// The editor's start-up, on the window's first activation: the install
// folders, the level tool's files, the recent list, the port and options,
// and the command line (a project to open, or a source to edit and end).
#pragma once

#include <string>
#include <vector>

namespace gdl {

class EditorOptions;
class ProjectFiles;
class ProjectSession;
class RecentProjects;

class EditorStartUp {
public:
    EditorStartUp(ProjectSession& session, RecentProjects& recent, EditorOptions& options,
                  ProjectFiles& files)
        : s_(session), recent_(recent), options_(options), files_(files) {}

    // Later calls do nothing; args are the arguments after the program name.
    void FormActivate(const std::vector<std::string>& args);

private:
    // False (and the window asked to close) when the kit is not installed.
    bool FindInstallFolders();
    void OpenCommandLine(const std::vector<std::string>& args);

    ProjectSession& s_;
    RecentProjects& recent_;
    EditorOptions& options_;
    ProjectFiles& files_;
    bool activated_ = false;
};

}  // namespace gdl
