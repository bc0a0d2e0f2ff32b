// The Properties page: the set-wide fields of the project.
#pragma once

#include <string>

#include "ProjectSession.h"

namespace gdl {

class PropertiesPage {
public:
    explicit PropertiesPage(ProjectSession& session) : s_(session) {}

    // The page's fields from the model.
    void Render();

    void eNameChange(const std::string& text);
    void ePreDateChange(int year);
    void eNoticeChange(const std::string& text);
    void cCommentsChange(const std::string& text);
    void cOffsetChange(int offset);
    void xAMusicClick(MusicMode mode);  // all three music radio buttons
    void eWizardChange(const std::string& text);
    void bGenWizClick();

private:
    // Applies change to the open project and marks it modified.
    template <class Change>
    void ChangeProject(Change change);

    ProjectSession& s_;
};

}  // namespace gdl
