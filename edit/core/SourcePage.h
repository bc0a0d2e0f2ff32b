// The Source page: the project's source files, the levels the level tool
// lists in each, and including them in the level set.
#pragma once

#include <cstddef>
#include <string>

#include "ProjectSession.h"

namespace gdl {

class SourcePage {
public:
    explicit SourcePage(ProjectSession& session) : s_(session) {}

    // The source list and the selected level's usage from the model.
    void Render();

    void cSourceClick(int index);  // -1: no selection
    void cContentsClick(int index);
    void cContentsDblClick();
    void bNewSClick();
    void bAddSClick();
    void bEditSClick();
    void bRemoveSClick();
    void bIncludeClick();
    void bIncludeAllClick();
    void bExcludeClick();
    void bExcludeAllClick();

    // Selects a source (-1: none) and lists its levels.
    void SelectSource(int index);
    // Appends a source to the project and has the level tool list it afresh.
    void AddSourceAndList(const std::string& name);
    // The selected level's information and whether it is in the set.
    void RefreshLevelDetails();

private:
    void RefreshSourceUsage();
    // The selected level's map and the selected source's problems.
    void RefreshPreview();
    std::string SelectedSource() const;
    std::string ContentsReference(int index) const;
    void AppendLevel(const std::string& reference, bool automate);
    int RemoveReference(const std::string& reference);
    int IncludeAllOfSelected();
    int ExcludeAllOfSelected();
    void SourceAdded();
    bool CopyIntoProject(const std::string& from, bool move);
    std::string NewSourceName() const;

    ProjectSession& s_;
};

}  // namespace gdl
