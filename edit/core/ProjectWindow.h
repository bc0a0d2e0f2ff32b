// TfProj, the project window, as state and commands. Every rule of the window
// lives in the core: the window keeps the menus, the file commands and the
// page changes, and hands each page's events to that page's class. A form
// forwards each event to the handler of the same name and then renders View().
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "BuildPage.h"
#include "LevelsPage.h"
#include "Playtest.h"
#include "ProjectSession.h"
#include "ProjectView.h"
#include "PropertiesPage.h"
#include "SourcePage.h"

namespace gdl {

class EditorDialogs;
class Prompts;
class Random;
class Registry;
class SoundPlayer;
class ToolRunner;

class ProjectWindow {
public:
    // programFolder: the editor's own folder, trailing "/". changed is called
    // whenever the state changes while a long command runs (each build line,
    // the loading status) so the form can repaint before the command returns.
    ProjectWindow(Registry& registry, ToolRunner& runner, Prompts& prompts, EditorDialogs& dialogs,
                  SoundPlayer& sound, Random& random, std::string programFolder,
                  std::function<void()> changed = {});
    ~ProjectWindow();
    ProjectWindow(const ProjectWindow&) = delete;
    ProjectWindow& operator=(const ProjectWindow&) = delete;

    const ProjectView& View() const { return s_.view; }
    const ProjectModel& Model() const { return s_.model; }

    // --- Window and File menu ---
    // Start-up, on the window's first activation (later calls do nothing);
    // args are the command-line arguments after the program name.
    void FormActivate(const std::vector<std::string>& args);
    void bNewClick();
    void bOpenClick();
    void mRecentClick(int n);  // n = 1 .. 5
    void mRecent1Click() { mRecentClick(1); }
    void mRecent2Click() { mRecentClick(2); }
    void mRecent3Click() { mRecentClick(3); }
    void mRecent4Click() { mRecentClick(4); }
    void mRecent5Click() { mRecentClick(5); }
    void bSaveClick();
    void bMergeClick();
    // The close question; false keeps the window open and drops a pending
    // closeRequested.
    bool FormCloseQuery();
    void FormClose();
    // "E&xit" and the "Exit" button: asks the form to close the window.
    void bCloseClick();

    // --- Project menu and pages ---
    void bPropsClick();
    void bSourceClick();
    void bLevelsClick();
    void bBuildClick();
    void bPlaytestClick() { playtest_.bPlaytestClick(); }
    // The page control changed to page (also called by the page commands).
    void gPagesPageChanged(Page page);
    // The arrow buttons: bNextN on page N steps forward, bPrevN back
    // (1 Properties, 2 Source, 3 Levels, 4 Build).
    void bNext1Click() { bSourceClick(); }
    void bPrev2Click() { bPropsClick(); }
    void bNext2Click() { bLevelsClick(); }
    void bPrev3Click() { bSourceClick(); }
    void bNext3Click() { bBuildClick(); }
    void bPrev4Click() { bLevelsClick(); }

    // --- Properties page ---
    void eNameChange(const std::string& text) { props_.eNameChange(text); }
    void ePreDateChange(int year) { props_.ePreDateChange(year); }
    void eNoticeChange(const std::string& text) { props_.eNoticeChange(text); }
    void cCommentsChange(const std::string& text) { props_.cCommentsChange(text); }
    void cOffsetChange(int offset) { props_.cOffsetChange(offset); }
    void xAMusicClick(MusicMode mode) { props_.xAMusicClick(mode); }
    void eWizardChange(const std::string& text) { props_.eWizardChange(text); }
    void bGenWizClick() { props_.bGenWizClick(); }

    // --- Options and Help menus ---
    void ComClick(int port);  // 1 .. 4
    void Com11Click() { ComClick(1); }
    void Com21Click() { ComClick(2); }
    void Com31Click() { ComClick(3); }
    void Com41Click() { ComClick(4); }
    void IncludeLevels1Click();
    void PopulateDesigner1Click();
    void GeneratePassword1Click();
    void bHelpClick();
    void About1Click();

    // --- Source page ---
    void cSourceClick(int index) { source_.cSourceClick(index); }  // -1: no selection
    void cSourceDblClick() { bEditSClick(); }
    void cContentsClick(int index) { source_.cContentsClick(index); }
    void cContentsDblClick() { source_.cContentsDblClick(); }
    void bNewSClick() { source_.bNewSClick(); }
    void bAddSClick() { source_.bAddSClick(); }
    void bEditSClick() { source_.bEditSClick(); }
    void bRemoveSClick() { source_.bRemoveSClick(); }
    void bIncludeClick() { source_.bIncludeClick(); }
    void bIncludeAllClick() { source_.bIncludeAllClick(); }
    void bExcludeClick() { source_.bExcludeClick(); }
    void bExcludeAllClick() { source_.bExcludeAllClick(); }

    // --- Level Set page ---
    void cLevelsClick(int index) { levels_.cLevelsClick(index); }  // -1: no selection
    void cLevelsDblClick() { bTestLClick(); }
    void bUpClick() { levels_.bUpClick(); }
    void bDownClick() { levels_.bDownClick(); }
    void bTopClick() { levels_.bTopClick(); }
    void bEndClick() { levels_.bEndClick(); }
    void bRemoveClick() { levels_.bRemoveClick(); }
    // As bPlaytestClick, with the player's test mode starting at the selected
    // level (SelectedLevelIndex).
    void bTestLClick() { playtest_.bTestLClick(); }
    void cDesignerChange(const std::string& text) { levels_.cDesignerChange(text); }
    void ePasswordChange(const std::string& text) { levels_.ePasswordChange(text); }
    void eMusicChange(int music) { levels_.eMusicChange(music); }
    void bGenerateClick() { levels_.bGenerateClick(); }
    void bMusicClick() { levels_.bMusicClick(); }
    void bEditHintClick() { levels_.bEditHintClick(); }
    void bDesignersClick() { levels_.bDesignersClick(); }

    // --- Build page ---
    void xBSFClick(bool checked) { build_.xBSFClick(checked); }
    void xGLLClick(bool checked) { build_.xGLLClick(checked); }
    void bDoBuildClick() { build_.bDoBuildClick(); }

    // Settings the window holds besides the model.
    const std::string& ToolFolder() const { return s_.toolFolder; }
    const std::string& BuildFolder() const { return s_.buildFolder; }
    const std::string& ProjectFolder() const { return s_.projectFolder; }
    int ComPort() const { return s_.comPort; }
    std::string OutputPath() const { return build_.OutputPath(); }
    std::string PlaytestPath() const { return playtest_.PlaytestPath(); }
    bool WritePlaytestProject() { return playtest_.WritePlaytestProject(); }
    int SelectedLevelIndex() const { return playtest_.SelectedLevelIndex(); }
    // The recent list's paths, entry 1 first; empty strings for unused entries.
    std::array<std::string, 5> RecentPaths() const { return recentPaths_; }

private:
    // Derives the view from the model after a command.
    void Sync();
    void UpdateCaption();
    void UpdateCounters();
    void ResetToNoProject();
    void ShowProjectPages();
    void DeleteSourceTempFiles();
    bool LoadProjectFile(const std::string& path);
    void AddRecent(const std::string& path);
    void RenderRecent();
    void ToggleAutomation(const char* valueName, bool& option, bool& checked);

    ProjectSession s_;
    PropertiesPage props_;
    SourcePage source_;
    LevelsPage levels_;
    BuildPage build_;
    Playtest playtest_;

    bool activated_ = false;
    std::array<std::string, 5> recentPaths_;
};

}  // namespace gdl
