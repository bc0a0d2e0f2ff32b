// The File menu: new, open, recent, save and merge of projects, and the
// window's close question. Loading a project replaces the model whole.
#pragma once

#include <string>

namespace gdl {

class LevelsPage;
class PageControl;
class ProjectSession;
class RecentProjects;
class SourcePage;

class ProjectFiles {
public:
    ProjectFiles(ProjectSession& session, RecentProjects& recent, SourcePage& source,
                 LevelsPage& levels, PageControl& pages)
        : s_(session), recent_(recent), source_(source), levels_(levels), pages_(pages) {}

    void bNewClick();
    void bOpenClick();
    void mRecentClick(int n);  // n = 1 .. 5
    void bSaveClick();
    void bMergeClick();
    // The close question; false keeps the window open and drops a pending
    // closeRequested.
    bool FormCloseQuery();
    void FormClose();
    // "E&xit" and the "Exit" button: asks the form to close the window.
    void bCloseClick();

    // Loads path in place of the open project; a file that cannot be loaded
    // leaves the open project as it was (false).
    bool LoadProjectFile(const std::string& path);
    void ResetToNoProject();

private:
    void ShowProjectPages();
    void DeleteSourceTempFiles();

    ProjectSession& s_;
    RecentProjects& recent_;
    SourcePage& source_;
    LevelsPage& levels_;
    PageControl& pages_;
};

}  // namespace gdl
