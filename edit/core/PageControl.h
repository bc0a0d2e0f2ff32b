// The page control and the commands that change pages (Project menu, tool
// bar and each page's arrow buttons).
#pragma once

#include "ProjectView.h"

namespace gdl {

class LevelsPage;
class ProjectSession;

class PageControl {
public:
    PageControl(ProjectSession& session, LevelsPage& levels) : s_(session), levels_(levels) {}

    void bPropsClick();
    void bSourceClick();
    void bLevelsClick();
    void bBuildClick();
    // The page control changed to page (also called by the page commands).
    void gPagesPageChanged(Page page);

private:
    void ShowIfOpen(Page page);
    ProjectSession& s_;
    LevelsPage& levels_;
};

}  // namespace gdl
