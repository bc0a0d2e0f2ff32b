// The Level Set page: the order of the levels and each entry's designer,
// password, music and hint.
#pragma once

#include <string>

#include "DesignersDialog.h"
#include "ProjectSession.h"

namespace gdl {

class SourcePage;

class LevelsPage {
public:
    // source: its level details show whether a level is in the set.
    LevelsPage(ProjectSession& session, SourcePage& source) : s_(session), source_(source) {}

    // The level list and the selected entry's details from the model.
    void Render();
    // The level information of the selected entry.
    void RefreshLevelsInfo();

    void cLevelsClick(int index);  // -1: no selection
    void bUpClick();
    void bDownClick();
    void bTopClick();
    void bEndClick();
    void bRemoveClick();
    void cDesignerChange(const std::string& text);
    void ePasswordChange(const std::string& text);
    void eMusicChange(int music);
    void bGenerateClick();
    void bMusicClick();
    void bEditHintClick();
    void bDesignersClick();

private:
    void SelectLevel(int index);
    void MoveSelected(int to);
    // Applies change to the selected level entry, if any, and marks it modified.
    template <class Change>
    void ChangeSelectedEntry(Change change);

    ProjectSession& s_;
    SourcePage& source_;
    DesignersDialog designers_;
};

}  // namespace gdl
