// TfProj, the project window, as state and commands. Every rule of the window
// lives here; a form forwards each event to the handler of the same name and
// then renders View().
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "DesignersDialog.h"
#include "EditorDialogs.h"
#include "LevelInfo.h"
#include "LevelTool.h"
#include "ProjectFile.h"

namespace gdl {

struct FileDialogRequest;
class Prompts;
class Random;
class Registry;
class SoundPlayer;
class ToolRunner;

inline constexpr char kAppTitle[] = "Glimmerdeep Level Set Editor";

enum class Page { Default, Properties, Source, Levels, Build };
enum class UsageIcon { None, Included, NotIncluded, Error };

inline constexpr char kUsageIncludedHint[] = "This level is included in the Level Set";
inline constexpr char kUsageNotIncludedHint[] = "This level is not included in the Level Set";
inline constexpr char kUsageErrorHint[] = "Error reading level info";
inline constexpr char kLevelSetFullCaption[] = "Level Set Full";
inline constexpr char kLevelSetFullText[] = "The level set can hold at most 255 levels.";
inline constexpr char kProjectFullCaption[] = "Project Full";
inline constexpr char kSourcesFullText[] = "The project can hold at most 255 source files.";
// The playtest's copy of the project, in the project folder, and the player.
inline constexpr char kPlaytestFile[] = "$gdltmp$.gdp";
inline constexpr char kPlayerProgram[] = "gdlplay.exe";
// What the fields of the window take; longer texts are cut.
inline constexpr std::size_t kMaxNameLength = 40;
inline constexpr std::size_t kMaxNoticeLength = 60;
inline constexpr std::size_t kMaxCommentsLength = 512;
inline constexpr std::size_t kMaxCodeLength = 4;  // level passwords and the wizard code
inline constexpr int kMaxYear = 9999;
inline constexpr int kMaxMusic = 2;

struct RecentEntryView {
    std::string caption;  // "&1 " ... "&5 " + path
    bool visible = false;
};

struct PropertiesPageView {
    bool fieldsVisible = false;                  // hidden while no project is open
    std::string name;                            // eName, 40 characters
    int year = 2000;                             // ePreDate
    std::string notice;                          // eNotice, 60 characters
    std::string comments;                        // cComments, 512 characters, no line breaks
    int offset = 0;                              // cOffset
    MusicMode musicMode = MusicMode::Automatic;  // xAMusic / xRMusic / xMMusic
    std::string wizard;                          // eWizard, 4 characters, upper case
    bool bNext1Enabled = true;                   // disabled while loading or merging
};

struct SourcePageView {
    std::vector<std::string> sources;  // cSource
    int sourceSelected = -1;
    std::vector<std::string> contents;  // cContents
    int contentsSelected = -1;
    std::string levelLabel;  // label of the level in the set, "unused", or empty
    UsageIcon usage = UsageIcon::None;
    std::string usageHint;
    std::string eNameI, eSizeI, eTimeI, eQuotaI;
    bool bNewSEnabled = true;
    bool bAddSEnabled = true;
    bool bEditSEnabled = false;
    bool bRemoveSEnabled = false;
    bool bIncludeEnabled = false;
    bool bIncludeAllEnabled = false;
    bool bExcludeEnabled = false;
    bool bExcludeAllEnabled = false;
};

struct LevelsPageView {
    std::vector<std::string> levels;  // cLevels: the references in play order
    int selected = -1;
    std::string levelLabel;
    bool hiddenVisible = false;  // the hidden-level picture
    std::string eNameR, eSizeR, eTimeR, eQuotaR;
    std::vector<std::string> designers;  // cDesigner's items: the designer list
    int designerSelected = -1;           // -1: nothing selected
    std::string designerHint;            // the drop-down's tooltip
    std::string password;                // ePassword
    int music = 0;                       // eMusic, 0-2
    bool musicEnabled = false;           // only in Manual mode with a selection
    bool hasHint = false;                // the hint picture's state
    std::string hintTooltip;             // "Hint: \"...\"" or empty
    std::string bMusicCaption = "Play &Music";
    std::string bMusicHint = "Play Selected Music";
    int bMusicTag = 0;  // 1 while a preview plays
    bool iTuneVisible = false;
    bool bUpEnabled = false;
    bool bDownEnabled = false;
    bool bTopEnabled = false;
    bool bEndEnabled = false;
    bool bTestLEnabled = false;
    bool bRemoveEnabled = false;
    bool cDesignerEnabled = false;
    bool ePasswordEnabled = false;
    bool bMusicEnabled = false;
    bool bGenerateEnabled = false;
    bool bEditHintEnabled = false;
    bool bDesignersEnabled = true;
};

struct BuildPageView {
    std::string eLevelSet;      // level set file name
    std::string eLevelSetHint;  // the output path
    bool xBSFChecked = false;
    bool xBSFEnabled = true;  // disabled without a build folder
    bool xGLLChecked = false;
    std::vector<std::string> cStatus;
    int cStatusSelected = -1;  // the form scrolls to it
    int pBarMax = 100;
    int pBarPosition = 0;
    bool bDoBuildEnabled = false;
    bool bPrev4Enabled = true;
};

// Everything the form shows, under the names of the controls that show it.
struct ProjectView {
    std::string caption = kAppTitle;
    std::string statusText;  // the one-panel status line
    Page page = Page::Default;

    // Menu items and their tool buttons.
    bool toolbarEnabled = true;  // off while loading, merging or building
    bool mergeEnabled = false;
    bool saveEnabled = false;
    bool propsEnabled = false;
    bool sourceEnabled = false;
    bool levelsEnabled = false;
    bool buildEnabled = false;                                  // "&Build Level Set"
    bool playtestEnabled = false;                               // follows the counters
    std::array<bool, 4> comChecked{true, false, false, false};  // Com11 .. Com41
    bool includeLevelsChecked = false;                          // IncludeLevels1
    bool populateDesignerChecked = false;                       // PopulateDesigner1
    bool generatePasswordChecked = false;                       // GeneratePassword1
    std::array<RecentEntryView, 5> recent;                      // mRecent1 .. mRecent5
    bool recentSeparatorVisible = false;

    // The counters under "Level Set contains:", the same on every page.
    std::string levelsCounter = "0 levels";
    std::string hiddenCounter = "0 hidden levels";

    PropertiesPageView props;
    SourcePageView source;
    LevelsPageView levels;
    BuildPageView build;

    // The window should close (start-up failure, ".lvs" mode, "E&xit"). The
    // form closes it, which runs FormCloseQuery and FormClose; both end the
    // request, so it is set only while a close is pending.
    bool closeRequested = false;
    // Counts every change, so a form can skip repainting an unchanged state.
    unsigned revision = 0;
};

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

    const ProjectView& View() const { return view_; }
    const ProjectModel& Model() const { return model_; }

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
    // Plays the project as it stands in the window, unsaved edits included,
    // from its start: writes the temporary project, starts the player on it,
    // waits for the player to end and deletes the file again.
    void bPlaytestClick();
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
    void eNameChange(const std::string& text);
    void ePreDateChange(int year);
    void eNoticeChange(const std::string& text);
    void cCommentsChange(const std::string& text);
    void cOffsetChange(int offset);
    void xAMusicClick(MusicMode mode);  // all three music radio buttons
    void eWizardChange(const std::string& text);
    void bGenWizClick();

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
    void cSourceClick(int index);  // -1: no selection
    void cSourceDblClick() { bEditSClick(); }
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

    // --- Level Set page ---
    void cLevelsClick(int index);  // -1: no selection
    void cLevelsDblClick() { bTestLClick(); }
    void bUpClick();
    void bDownClick();
    void bTopClick();
    void bEndClick();
    void bRemoveClick();
    // As bPlaytestClick, with the player's test mode starting at the selected
    // level (SelectedLevelIndex).
    void bTestLClick();
    void cDesignerChange(const std::string& text);
    void ePasswordChange(const std::string& text);
    void eMusicChange(int music);
    void bGenerateClick();
    void bMusicClick();
    void bEditHintClick();
    void bDesignersClick();

    // --- Build page ---
    void xBSFClick(bool checked);
    void xGLLClick(bool checked);
    void bDoBuildClick();

    // Settings the window holds besides the model.
    const std::string& ToolFolder() const { return toolFolder_; }
    const std::string& BuildFolder() const { return buildFolder_; }
    const std::string& ProjectFolder() const { return projectFolder_; }
    int ComPort() const { return comPort_; }
    // Build folder (or project folder) + level set file name.
    std::string OutputPath() const;
    // Full path of the playtest's temporary project file.
    std::string PlaytestPath() const;
    // Writes the window's project to PlaytestPath(); the project's own file,
    // its modified flag and the recent list stay as they are.
    bool WritePlaytestProject();
    // The level index the player takes for the selected entry: item index -
    // Offset + 1, so hidden levels get 0 or less and no selection -Offset.
    int SelectedLevelIndex() const;
    // The recent list's paths, entry 1 first; empty strings for unused entries.
    std::array<std::string, 5> RecentPaths() const { return recentPaths_; }

private:
    friend class ProjectWindowBuildView;

    void Touch();
    void Notify();
    // Derives the view from the model after a command.
    void Sync();
    void SetModified(bool modified);
    void UpdateCaption();
    void UpdateCounters();
    void UpdateOutputPath();
    void ResetToNoProject();
    void ShowProjectPages();
    void DeleteSourceTempFiles();
    bool LoadProjectFile(const std::string& path);
    void AddRecent(const std::string& path);
    void RenderRecent();
    void RenderProperties();
    void ToggleAutomation(const char* valueName, bool& option, bool& checked);
    // An open dialog for an existing file, starting in the project folder.
    FileDialogRequest OpenRequest(const char* title, const char* filter,
                                  const char* defaultExt) const;
    // Applies change to the open project and marks it modified.
    template <class Change>
    void ChangeProject(Change change);
    // Applies change to the selected level entry, if any, and marks it modified.
    template <class Change>
    void ChangeSelectedEntry(Change change);

    // Source page helpers.
    bool SafeSourceName(const std::string& name) const;
    RunListing Listing();
    LevelInfoResult ReadInfo(const std::string& reference);
    void SelectSource(int index);
    void RefreshLevelDetails();
    void RefreshSourceUsage();
    std::string SelectedSource() const;
    std::string ContentsReference(int index) const;
    bool CanAddLevels(std::size_t count);
    bool CanAddSource();
    void AppendLevel(const std::string& reference, bool automate);
    void EraseLevel(std::size_t index);
    int RemoveReference(const std::string& reference);
    int IncludeAllOfSelected();
    int ExcludeAllOfSelected();
    void AddSourceAndList(const std::string& name);
    void SourceAdded();
    bool CopyIntoProject(const std::string& from, bool move);
    std::string NewSourceName() const;

    // Level Set page helpers.
    void RenderLevels();
    void RefreshLevelsInfo();
    void SelectLevel(int index);
    void MoveSelected(int to);
    void ReassignMusic();
    // Entries were added, removed or moved: the music follows the new order.
    void LevelListChanged();
    LevelEntry* SelectedEntry();
    std::string MusicFolder() const;
    void StopMusicIfPlaying();
    // Starts the player on the temporary project with these arguments after
    // its path (none for the whole set), waits and cleans up.
    void RunPlaytest(const std::vector<std::string>& levelArguments);

    Registry& registry_;
    ToolRunner& runner_;
    Prompts& prompts_;
    EditorDialogs& dialogs_;
    SoundPlayer& sound_;
    Random& random_;
    std::string programFolder_;
    std::function<void()> changed_;

    ProjectView view_;
    ProjectModel model_;
    std::optional<LevelTool> levelTool_;
    DesignersDialog designersDialog_;

    std::string toolFolder_;
    std::string buildFolder_;
    std::string projectFolder_;
    std::string levelSetFile_;
    bool activated_ = false;
    bool loading_ = false;
    bool sourceInfoFound_ = true;
    bool buildInSourceFolder_ = false;
    bool includeLevels_ = false;
    bool populateDesigner_ = false;
    bool generatePassword_ = false;
    int comPort_ = 1;
    std::array<std::string, 5> recentPaths_;
};

}  // namespace gdl
