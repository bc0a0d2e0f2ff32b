#include "RecentProjects.h"

#include "ProjectSession.h"
#include "Registry.h"

namespace gdl {

namespace {

std::string ValueName(std::size_t i) {
    return "Recent" + std::to_string(i + 1);
}

}  // namespace

void RecentProjects::Load() {
    for (std::size_t i = 0; i < paths_.size(); ++i) {
        paths_[i] =
            s_.registry.ReadValue(RegRoot::LocalMachine, kRegKeyEdit, ValueName(i)).value_or("");
        s_.view.recent[i].visible = !paths_[i].empty();
        if (s_.view.recent[i].visible) s_.view.recentSeparatorVisible = true;
    }
    Render();
}

void RecentProjects::Add(const std::string& path) {
    if (path.empty()) return;
    for (std::size_t i = 0; i < paths_.size(); ++i)
        if (s_.view.recent[i].visible && paths_[i] == path) return;
    for (std::size_t i = paths_.size() - 1; i > 0; --i) {
        if (s_.view.recent[i - 1].visible) {
            paths_[i] = paths_[i - 1];
            s_.view.recent[i].visible = true;
        }
    }
    paths_[0] = path;
    s_.view.recent[0].visible = true;
    s_.view.recentSeparatorVisible = true;
    Render();
}

void RecentProjects::Save() {
    for (std::size_t i = 0; i < paths_.size(); ++i)
        if (s_.view.recent[i].visible)
            s_.registry.WriteValue(RegRoot::LocalMachine, kRegKeyEdit, ValueName(i), paths_[i]);
}

const std::string* RecentProjects::PathOf(int n) const {
    if (n < 1 || n > static_cast<int>(paths_.size())) return nullptr;
    auto i = static_cast<std::size_t>(n - 1);
    return s_.view.recent[i].visible ? &paths_[i] : nullptr;
}

void RecentProjects::Render() {
    for (std::size_t i = 0; i < paths_.size(); ++i)
        s_.view.recent[i].caption = "&" + std::to_string(i + 1) + " " + paths_[i];
}

}  // namespace gdl
