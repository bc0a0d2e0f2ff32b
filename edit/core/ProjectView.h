// What the project window shows, under the names of the controls that show
// it: plain data that the core fills and the form renders.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "LevelPreview.h"
#include "ProjectFile.h"

namespace gdl {

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
// What the fields of the window take besides the texts of ProjectFile.h.
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
    // The selected level's map as its source holds it, and the source's
    // problems: why a level may be missing from cContents.
    LevelPreview preview;
    std::vector<std::string> problems;
    // "Editing NAME.lvs in GDLMap..." while the editor waits for the map editor.
    std::string editing;
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
    LevelPreview preview;                // the selected entry's map
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

}  // namespace gdl
