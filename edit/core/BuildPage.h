// The Build page: the level set file's name and place, the build's options,
// and the build with its status lines and progress.
#pragma once

#include <string>

#include "ProjectSession.h"

namespace gdl {

class BuildPage {
public:
    explicit BuildPage(ProjectSession& session) : s_(session) {}

    // The output path and its options from the window's settings.
    void Render();

    void xBSFClick(bool checked);
    void xGLLClick(bool checked);
    void bDoBuildClick();

    // Build folder (or project folder) + level set file name.
    std::string OutputPath() const;

private:
    ProjectSession& s_;
};

}  // namespace gdl
