#include "DesignersDialog.h"

#include <algorithm>

#include "LevelReference.h"

namespace gdl {

namespace {

bool Contains(const std::vector<std::string>& list, const std::string& name) {
    return std::find(list.begin(), list.end(), name) != list.end();
}

}  // namespace

void DesignersDialog::Open(const std::vector<std::string>& designers) {
    items_ = designers;
    openedCount_ = static_cast<int>(items_.size());
    selected_ = -1;
    editText_.clear();
    editBoxEnabled_ = false;
    editButtonEnabled_ = false;
    removeButtonEnabled_ = false;
    focus_ = Focus::List;
    Touch();
}

void DesignersDialog::cListClick(int index) {
    editBoxEnabled_ = false;
    focus_ = Focus::List;
    if (index >= 0 && index < static_cast<int>(items_.size())) {
        selected_ = index;
        editText_ = items_[static_cast<std::size_t>(index)];
        editButtonEnabled_ = true;
        removeButtonEnabled_ = !editText_.empty();
    } else {
        selected_ = -1;
        editText_.clear();
        editButtonEnabled_ = false;
        removeButtonEnabled_ = false;
    }
    Touch();
}

void DesignersDialog::bEditClick() {
    if (selected_ >= 0) {
        editBoxEnabled_ = true;
        focus_ = Focus::Edit;
    } else {
        editText_.clear();
        editButtonEnabled_ = false;
        removeButtonEnabled_ = false;
    }
    Touch();
}

void DesignersDialog::editChange(const std::string& text) {
    editText_ = text;
    if (selected_ >= 0) items_[static_cast<std::size_t>(selected_)] = text;
    removeButtonEnabled_ = selected_ >= 0 && !text.empty();
    Touch();
}

void DesignersDialog::editEnter() {
    editBoxEnabled_ = false;
    focus_ = Focus::List;
    Touch();
}

void DesignersDialog::bAddClick() {
    // One empty added entry at a time: a second Add reuses it.
    bool pendingEmpty = static_cast<int>(items_.size()) > openedCount_ && items_.back().empty();
    if (!pendingEmpty) items_.emplace_back();
    selected_ = static_cast<int>(items_.size()) - 1;
    editText_.clear();
    editButtonEnabled_ = true;
    removeButtonEnabled_ = false;
    bEditClick();
}

void DesignersDialog::bRemoveClick() {
    if (selected_ < 0) return;
    editChange("");
}

void DesignersDialog::Apply(std::vector<LevelEntry>& levels, std::vector<std::string>& designers,
                            bool populateDesigner) {
    const std::vector<std::string> old = designers;
    std::size_t limit = std::min(levels.size(), kMaxProjectEntries);
    for (std::size_t i = 0; i < limit; ++i) {
        LevelEntry& entry = levels[i];
        if (entry.reference.empty()) continue;
        auto it = std::find(old.begin(), old.end(), entry.designer);
        auto c = static_cast<std::size_t>(it - old.begin());
        if (it == old.end() || c >= items_.size()) continue;
        const std::string replacement = items_[c];
        if (!replacement.empty()) {
            entry.designer = replacement;
        } else if (populateDesigner) {
            entry.designer = SplitReference(entry.reference).source;
            if (!entry.designer.empty() && !Contains(items_, entry.designer))
                items_.push_back(entry.designer);
        } else {
            entry.designer.clear();
        }
    }
    designers.clear();
    for (const auto& name : items_)
        if (!name.empty() && !Contains(designers, name)) designers.push_back(name);
    Touch();
}

}  // namespace gdl
