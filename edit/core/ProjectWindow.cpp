#include "ProjectWindow.h"

namespace gdl {

ProjectWindow::ProjectWindow(const EditorPorts& ports) : s_(ports) {
    s_.sync = [this] { Sync(); };
    files_.ResetToNoProject();
    Sync();
}

void ProjectWindow::UpdateCaption() {
    s_.view.caption = kAppTitle;
    if (s_.model.open && !s_.model.name.empty()) s_.view.caption += " - " + Quoted(s_.model.name);
}

void ProjectWindow::UpdateCounters() {
    if (s_.loading) return;
    int numbered = s_.model.NumberedLevels();
    s_.view.levelsCounter = std::to_string(numbered) + " levels";
    s_.view.hiddenCounter = std::to_string(s_.model.HiddenLevels()) + " hidden levels";
    s_.view.playtestEnabled = numbered > 0;
    s_.view.build.bDoBuildEnabled = numbered > 0;
}

void ProjectWindow::Sync() {
    UpdateCaption();
    s_.view.saveEnabled = s_.model.modified;
    bool open = s_.model.open;
    s_.view.mergeEnabled = open;
    s_.view.propsEnabled = open;
    s_.view.sourceEnabled = open;
    s_.view.levelsEnabled = open;
    s_.view.buildEnabled = open;
    props_.Render();
    source_.Render();
    levels_.Render();
    UpdateCounters();
    build_.Render();
    s_.Touch();
}

}  // namespace gdl
