// TfDes, the designers dialog: edits the designer list so that renames and
// removals reach the level entries. Positions 0 to N-1 of its list always
// stand for the designer list it was opened with; an empty entry is a removed
// designer.
#pragma once

#include <string>
#include <vector>

#include "ProjectFile.h"

namespace gdl {

class DesignersDialog {
public:
    enum class Focus { List, Edit };

    // Copies the designer list, remembers its count N, empties and disables the
    // edit box and disables "&Edit" and "&Remove".
    void Open(const std::vector<std::string>& designers);

    // cList items and the selected index (-1: none).
    const std::vector<std::string>& Items() const { return items_; }
    int Selected() const { return selected_; }
    // The edit box. The form sets its text without calling editChange.
    const std::string& EditText() const { return editText_; }
    bool EditBoxEnabled() const { return editBoxEnabled_; }
    bool EditButtonEnabled() const { return editButtonEnabled_; }
    bool RemoveButtonEnabled() const { return removeButtonEnabled_; }
    // Where the form should put the keyboard focus after the last command.
    Focus FocusTarget() const { return focus_; }
    int OpenedCount() const { return openedCount_; }
    // Counts every change of the state above.
    unsigned Revision() const { return revision_; }

    // A click on the list (index -1: no selection).
    void cListClick(int index);
    // "&Edit", a double-click on a name and Enter in the list.
    void bEditClick();
    void cListDblClick() { bEditClick(); }
    // Each change of the edit box text renames the selected entry at once.
    void editChange(const std::string& text);
    // Enter in the edit box.
    void editEnter();
    void bAddClick();
    void bRemoveClick();

    // "&Update": applies the dialog onto the first 255 level entries and makes
    // the non-empty entries the new designer list. A removed designer becomes
    // the entry's source name with populateDesigner, else empty.
    void Apply(std::vector<LevelEntry>& levels, std::vector<std::string>& designers,
               bool populateDesigner);

private:
    void Touch() { ++revision_; }
    std::vector<std::string> items_;
    int selected_ = -1;
    std::string editText_;
    bool editBoxEnabled_ = false;
    bool editButtonEnabled_ = false;
    bool removeButtonEnabled_ = false;
    Focus focus_ = Focus::List;
    int openedCount_ = 0;
    unsigned revision_ = 0;
};

}  // namespace gdl
