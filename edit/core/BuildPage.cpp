#include "BuildPage.h"

#include "LevelSetBuild.h"

namespace gdl {

namespace {

// The Build page as the build reports into it.
class PageBuildView : public BuildView {
public:
    explicit PageBuildView(ProjectSession& session) : s_(session) {}
    void SetStatusBar(const std::string& text) override {
        s_.view.statusText = text;
        s_.Notify();
    }
    void ClearStatusLines() override {
        s_.view.build.cStatus.clear();
        s_.view.build.cStatusSelected = -1;
        s_.Notify();
    }
    void AddStatusLine(const std::string& line) override {
        auto& build = s_.view.build;
        build.cStatus.push_back(line);
        build.cStatusSelected = static_cast<int>(build.cStatus.size()) - 1;
        s_.Notify();
    }
    void SetProgressMax(int maximum) override {
        s_.view.build.pBarMax = maximum;
        s_.Notify();
    }
    void SetProgress(int position) override {
        s_.view.build.pBarPosition = position;
        s_.Notify();
    }
    void SetBuildControlsEnabled(bool enabled) override {
        s_.view.toolbarEnabled = enabled;
        s_.view.build.bDoBuildEnabled = enabled;
        s_.view.build.bPrev4Enabled = enabled;
        s_.Notify();
    }

private:
    ProjectSession& s_;
};

}  // namespace

std::string BuildPage::OutputPath() const {
    return ComposeOutputPath(s_.buildFolder, s_.projectFolder, s_.levelSetFile,
                             s_.buildInSourceFolder);
}

void BuildPage::Render() {
    auto& b = s_.view.build;
    b.xBSFEnabled = !s_.buildFolder.empty();
    if (s_.buildFolder.empty()) s_.buildInSourceFolder = false;
    b.xBSFChecked = s_.buildInSourceFolder;
    b.eLevelSet = s_.levelSetFile;
    b.eLevelSetHint = OutputPath();
}

void BuildPage::xBSFClick(bool checked) {
    s_.buildInSourceFolder = checked && !s_.buildFolder.empty();
    Render();
    s_.Touch();
}

void BuildPage::xGLLClick(bool checked) {
    s_.view.build.xGLLChecked = checked;
    s_.Touch();
}

void BuildPage::bDoBuildClick() {
    if (!s_.model.open || s_.model.NumberedLevels() <= 0) return;
    s_.StopMusicIfPlaying();
    BuildSettings settings;
    settings.outputPath = OutputPath();
    settings.levelList = s_.view.build.xGLLChecked;
    settings.toolOutput = &s_.runner;
    PageBuildView buildView(s_);
    RunLevelSetBuild(s_.model, settings, *s_.levelTool, s_.prompts, s_.random, buildView);
    s_.view.toolbarEnabled = true;
    s_.view.build.bPrev4Enabled = true;
    s_.Sync();
}

}  // namespace gdl
