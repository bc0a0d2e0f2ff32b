#include "ProjectWindow.h"

#include <algorithm>

#include "EditorDialogs.h"
#include "FileUtil.h"
#include "InstallFolders.h"
#include "PlatformPath.h"
#include "Prompts.h"
#include "Registry.h"
#include "TextUtil.h"
#include "ToolRunner.h"

namespace gdl {

namespace {

constexpr char kNotInstalledText[] =
    "The software has not been properly installed.\r\n\r\nPlease re-install the software from "
    "your Trovemark CD.";
constexpr char kProjectFilter[] = "GDL Projects (*.gdp)|*.gdp|All files (*.*)|*.*";
constexpr char kDocsFile[] = "docs.htm";
constexpr char kToolsProgram[] = "GDLTools.exe";
constexpr char kNewProjectFile[] = "project1.gdp";
constexpr char kNewLevelSetFile[] = "project1.gdl";

}  // namespace

ProjectWindow::ProjectWindow(Registry& registry, ToolRunner& runner, Prompts& prompts,
                             EditorDialogs& dialogs, SoundPlayer& sound, Random& random,
                             std::string programFolder, std::function<void()> changed)
    : s_(registry, runner, prompts, dialogs, sound, random, std::move(programFolder),
         std::move(changed)),
      props_(s_),
      source_(s_),
      levels_(s_, source_),
      build_(s_),
      playtest_(s_) {
    s_.sync = [this] { Sync(); };
    ResetToNoProject();
    Sync();
}

ProjectWindow::~ProjectWindow() = default;

// ---------------------------------------------------------------------------
// State helpers

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

void ProjectWindow::ResetToNoProject() {
    s_.StopMusicIfPlaying();
    s_.model = ProjectModel{};
    s_.view.page = Page::Default;
    s_.view.props = PropertiesPageView{};
    s_.view.source = SourcePageView{};
    s_.view.levels = LevelsPageView{};
    bool gll = s_.view.build.xGLLChecked;
    s_.view.build = BuildPageView{};
    s_.view.build.xGLLChecked = gll;
    s_.levelSetFile.clear();
    s_.buildInSourceFolder = false;
    s_.sourceInfoFound = true;
    s_.SetModified(false);
}

void ProjectWindow::ShowProjectPages() {
    s_.view.props.fieldsVisible = true;
    s_.view.source = SourcePageView{};
    s_.view.levels = LevelsPageView{};
    s_.view.build.cStatus.clear();
    s_.view.build.cStatusSelected = -1;
    s_.view.build.pBarPosition = 0;
    s_.sourceInfoFound = true;
    if (s_.view.page != Page::Properties) gPagesPageChanged(Page::Properties);
}

void ProjectWindow::DeleteSourceTempFiles() {
    if (!s_.model.open) return;
    for (const auto& source : s_.model.sources)
        if (SafeSourceName(source)) DeleteLevelInfoFiles(s_.projectFolder, source);
}

// ---------------------------------------------------------------------------
// Start-up, projects and the recent list

void ProjectWindow::FormActivate(const std::vector<std::string>& args) {
    // Only the first activation starts the editor.
    if (activated_) return;
    activated_ = true;
    s_.includeLevels = s_.populateDesigner = s_.generatePassword = false;
    s_.toolFolder = WithTrailingSlash(ShortPath(s_.programFolder));
    s_.buildFolder.clear();
    s_.projectFolder.clear();

    InstallFolders folders = ReadInstallFolders(s_.registry, s_.programFolder);
    if (!folders.installed) {
        s_.prompts.ShowMessage(kCaptionFileError, kNotInstalledText, MsgIcon::Error);
        s_.view.closeRequested = true;
        Sync();
        return;
    }
    s_.toolFolder = folders.toolFolder;
    s_.buildFolder = folders.buildFolder;
    s_.projectFolder = folders.projectFolder;
    s_.levelTool.emplace(s_.toolFolder, s_.runner, s_.prompts);
    if (!s_.levelTool->CheckToolFiles({kLevelToolExe, kLevelToolPif}, true)) {
        s_.view.closeRequested = true;
        Sync();
        return;
    }

    for (std::size_t i = 0; i < recentPaths_.size(); ++i) {
        std::string name = "Recent" + std::to_string(i + 1);
        recentPaths_[i] =
            s_.registry.ReadValue(RegRoot::LocalMachine, kRegKeyEdit, name).value_or("");
        s_.view.recent[i].visible = !recentPaths_[i].empty();
        if (s_.view.recent[i].visible) s_.view.recentSeparatorVisible = true;
    }
    RenderRecent();

    s_.levelTool->WriteEditBatch(1);
    std::optional<std::string> port =
        s_.registry.ReadValue(RegRoot::LocalMachine, kRegKeyGlobal, "Port");
    std::optional<long long> portNumber = port ? ParseDecimal(*port) : std::nullopt;
    if (!portNumber || *portNumber > 3) {
        ComClick(1);
    } else if (*portNumber >= 0) {
        ComClick(static_cast<int>(*portNumber) + 1);
    }

    auto option = [this](const char* name) {
        return s_.registry.ReadValue(RegRoot::LocalMachine, kRegKeyAutomation, name).value_or("") ==
               "1";
    };
    s_.includeLevels = option("IncludeLevels");
    s_.populateDesigner = option("PopulateDesigner");
    s_.generatePassword = option("GeneratePassword");
    s_.view.includeLevelsChecked = s_.includeLevels;
    s_.view.populateDesignerChecked = s_.populateDesigner;
    s_.view.generatePasswordChecked = s_.generatePassword;

    ResetToNoProject();
    // The random source was seeded by its owner when the program started.

    std::string arg = args.empty() ? std::string() : args.front();
    if (ToLowerAscii(ExtensionOf(arg)) == ".lvs") {
        std::string source = BaseName(arg);
        if (s_.levelTool->CheckToolFiles({kLevelToolExe, kLevelToolPif, kEditBatch}, true))
            s_.EditSource(source, FolderOf(arg), false);
        s_.view.closeRequested = true;
    } else if (!arg.empty()) {
        LoadProjectFile(arg);
    }
    Sync();
}

bool ProjectWindow::LoadProjectFile(const std::string& path) {
    DeleteSourceTempFiles();
    s_.loading = true;
    s_.view.playtestEnabled = false;
    s_.view.build.bDoBuildEnabled = false;
    s_.view.levelsCounter = "0 levels";
    s_.view.hiddenCounter = "0 hidden levels";

    ProjectModel loaded;
    if (!LoadProject(loaded, path)) {
        // The open project stays as it was; its counters come back.
        s_.loading = false;
        Sync();
        return false;
    }
    s_.StopMusicIfPlaying();
    s_.model = std::move(loaded);
    s_.model.open = true;
    s_.projectFolder = s_.model.folder;
    s_.buildInSourceFolder = false;
    s_.levelSetFile = BaseName(s_.model.fileName) + ".gdl";
    ShowProjectPages();
    s_.view.statusText = " Loading...";
    s_.view.toolbarEnabled = false;
    s_.view.props.bNext1Enabled = false;
    s_.SetModified(false);
    Sync();
    s_.Notify();

    for (const auto& source : s_.model.sources) {
        if (!SafeSourceName(source)) continue;
        // A listing left from an earlier session may be out of date.
        DeleteLevelInfoFiles(s_.projectFolder, source);
        RefreshLevelInfoCache(s_.projectFolder, source, s_.Listing());
        s_.Notify();
    }

    s_.loading = false;
    s_.view.toolbarEnabled = true;
    s_.view.props.bNext1Enabled = true;
    s_.view.statusText = " " + s_.model.FullPath();
    Sync();
    return true;
}

void ProjectWindow::RenderRecent() {
    for (std::size_t i = 0; i < recentPaths_.size(); ++i)
        s_.view.recent[i].caption = "&" + std::to_string(i + 1) + " " + recentPaths_[i];
}

void ProjectWindow::AddRecent(const std::string& path) {
    if (path.empty()) return;
    for (std::size_t i = 0; i < recentPaths_.size(); ++i)
        if (s_.view.recent[i].visible && recentPaths_[i] == path) return;
    for (std::size_t i = recentPaths_.size() - 1; i > 0; --i) {
        if (s_.view.recent[i - 1].visible) {
            recentPaths_[i] = recentPaths_[i - 1];
            s_.view.recent[i].visible = true;
        }
    }
    recentPaths_[0] = path;
    s_.view.recent[0].visible = true;
    s_.view.recentSeparatorVisible = true;
    RenderRecent();
}

void ProjectWindow::bNewClick() {
    if (!FormCloseQuery()) return;
    DeleteSourceTempFiles();
    s_.StopMusicIfPlaying();
    if (s_.projectFolder.empty()) s_.projectFolder = "./";
    s_.buildInSourceFolder = false;
    s_.levelSetFile = kNewLevelSetFile;
    s_.view.statusText.clear();

    FileDialogRequest request;
    request.title = "New Project";
    request.folder = s_.projectFolder;
    request.fileName = kNewProjectFile;
    request.filter = kProjectFilter;
    request.defaultExt = ".gdp";
    request.overwritePrompt = true;
    std::optional<std::string> path = s_.prompts.SaveFileDialog(request);
    if (!path) {
        ResetToNoProject();
        Sync();
        return;
    }

    s_.model = ProjectModel{};
    s_.model.folder = s_.projectFolder = FullFolder(FolderOf(*path));
    s_.model.fileName = FileNameOf(*path);
    s_.model.open = true;
    s_.model.name = "Project1";
    s_.model.copyrightYear = CurrentYear();
    s_.model.musicMode = MusicMode::Automatic;
    s_.levelSetFile = BaseName(s_.model.fileName) + ".gdl";
    ShowProjectPages();
    s_.view.statusText = " " + s_.model.FullPath();
    s_.SetModified(true);
    Sync();
}

void ProjectWindow::bOpenClick() {
    if (!FormCloseQuery()) return;
    std::optional<std::string> path =
        s_.prompts.OpenFileDialog(s_.OpenRequest("Open Project", kProjectFilter, "gdp"));
    if (!path) return;
    LoadProjectFile(*path);
    if (s_.model.open) AddRecent(s_.model.FullPath());
    Sync();
}

void ProjectWindow::mRecentClick(int n) {
    if (n < 1 || n > static_cast<int>(recentPaths_.size())) return;
    auto i = static_cast<std::size_t>(n - 1);
    if (!s_.view.recent[i].visible) return;
    // Unsaved changes are offered for saving first rather than dropped.
    if (!FormCloseQuery()) return;
    LoadProjectFile(recentPaths_[i]);
}

void ProjectWindow::bSaveClick() {
    if (!s_.model.open) return;
    if (!SaveProject(s_.model)) {
        s_.prompts.ShowMessage(kCaptionFileError,
                               "Unable to save project file " + Quoted(s_.model.FullPath()) + ".",
                               MsgIcon::Error);
        Sync();
        return;
    }
    s_.SetModified(false);
    AddRecent(s_.model.FullPath());
    Sync();
}

bool ProjectWindow::FormCloseQuery() {
    bool close = true;
    if (s_.model.modified) {
        Answer answer = s_.prompts.Ask(kCaptionConfirm,
                                       "Save changes to project " + Quoted(s_.model.name) + "?",
                                       MsgButtons::YesNoCancel, MsgIcon::Question);
        if (answer == Answer::Yes) {
            bSaveClick();
            // A failed save keeps the window and the changes.
            close = !s_.model.modified;
        } else {
            close = answer == Answer::No;
        }
    }
    // A kept window has no close pending: the next command must not close it.
    if (!close) s_.view.closeRequested = false;
    s_.Touch();
    return close;
}

void ProjectWindow::FormClose() {
    // The request is answered: the window closes now.
    s_.view.closeRequested = false;
    s_.StopMusicIfPlaying();
    for (std::size_t i = 0; i < recentPaths_.size(); ++i) {
        if (!s_.view.recent[i].visible) continue;
        s_.registry.WriteValue(RegRoot::LocalMachine, kRegKeyEdit, "Recent" + std::to_string(i + 1),
                               recentPaths_[i]);
    }
    DeleteSourceTempFiles();
    s_.Touch();
}

void ProjectWindow::bCloseClick() {
    s_.view.closeRequested = true;
    s_.Touch();
}

// ---------------------------------------------------------------------------
// Pages

void ProjectWindow::bPropsClick() {
    if (s_.model.open) gPagesPageChanged(Page::Properties);
}

void ProjectWindow::bSourceClick() {
    if (s_.model.open) gPagesPageChanged(Page::Source);
}

void ProjectWindow::bLevelsClick() {
    if (s_.model.open) gPagesPageChanged(Page::Levels);
}

void ProjectWindow::bBuildClick() {
    if (s_.model.open) gPagesPageChanged(Page::Build);
}

void ProjectWindow::gPagesPageChanged(Page page) {
    if (page != Page::Default && !s_.model.open) return;
    if (page != s_.view.page) s_.StopMusicIfPlaying();
    s_.view.page = page;
    if (page == Page::Levels) levels_.RefreshLevelsInfo();
    Sync();
}

// ---------------------------------------------------------------------------
// Options and help

void ProjectWindow::ComClick(int port) {
    if (port < 1 || port > 4) return;
    s_.comPort = port;
    for (int i = 0; i < 4; ++i) s_.view.comChecked[static_cast<std::size_t>(i)] = i + 1 == port;
    s_.levelTool->WriteEditBatch(port);
    s_.registry.WriteValue(RegRoot::LocalMachine, kRegKeyGlobal, "Port", std::to_string(port - 1));
    s_.Touch();
}

void ProjectWindow::ToggleAutomation(const char* valueName, bool& option, bool& checked) {
    option = !option;
    checked = option;
    s_.registry.WriteValue(RegRoot::LocalMachine, kRegKeyAutomation, valueName, option ? "1" : "0");
    s_.Touch();
}

void ProjectWindow::IncludeLevels1Click() {
    ToggleAutomation("IncludeLevels", s_.includeLevels, s_.view.includeLevelsChecked);
}

void ProjectWindow::PopulateDesigner1Click() {
    ToggleAutomation("PopulateDesigner", s_.populateDesigner, s_.view.populateDesignerChecked);
}

void ProjectWindow::GeneratePassword1Click() {
    ToggleAutomation("GeneratePassword", s_.generatePassword, s_.view.generatePasswordChecked);
}

void ProjectWindow::bHelpClick() {
    const std::string docs = FullFolder(s_.toolFolder + "../docs");
    if (s_.runner.RunTool(kDocsFile, "", docs, true, false) != 0)
        s_.ReportStartFailure("the documentation " + docs + kDocsFile);
}

void ProjectWindow::About1Click() {
    if (s_.runner.RunTool(kToolsProgram, "", s_.toolFolder, true, false) != 0)
        s_.ReportStartFailure(s_.toolFolder + kToolsProgram);
}

// ---------------------------------------------------------------------------
void ProjectWindow::bMergeClick() {
    if (!s_.model.open) return;
    std::optional<std::string> path =
        s_.prompts.OpenFileDialog(s_.OpenRequest("Merge Project", kProjectFilter, "gdp"));
    if (!path) return;

    bool copySources = false;
    if (!SameFolder(FolderOf(*path), s_.projectFolder)) {
        AddSourceRequest ask;
        ask.caption = "Merge Project";
        ask.line1 =
            "The project file " + FileNameOf(*path) + " is not located in this project's folder.";
        ask.line2 = "Would you like to Copy its source files to the project folder?";
        ask.copyVisible = false;
        ask.moveCaption = "&Yes";
        ask.cancelCaption = "&No";
        if (s_.dialogs.AskAddSource(ask) == AddSourceAnswer::Cancel) return;
        Answer answer = s_.prompts.Ask(
            kCaptionConfirm,
            "Copy all source files for " + Quoted(*path) + " to " + Quoted(s_.projectFolder) + "?",
            MsgButtons::YesNo, MsgIcon::Question);
        if (answer != Answer::Yes) return;
        copySources = true;
    }

    ProjectModel other;
    if (!LoadProject(other, *path)) return;

    // Check the whole merge against the format's limits before changing anything.
    std::vector<std::string> newSources;
    for (const auto& source : other.sources)
        if (SafeSourceName(source) && !Contains(s_.model.sources, source) &&
            !Contains(newSources, source))
            newSources.push_back(source);
    std::vector<std::string> newRefs;
    for (const auto& entry : other.levels)
        if (s_.model.FindLevel(entry.reference) < 0 && !Contains(newRefs, entry.reference))
            newRefs.push_back(entry.reference);
    if (s_.model.sources.size() + newSources.size() > kMaxProjectEntries) {
        s_.prompts.ShowMessage(kProjectFullCaption, kSourcesFullText, MsgIcon::Information);
        return;
    }
    if (!s_.CanAddLevels(newRefs.size())) return;

    s_.view.statusText = " Merging...";
    s_.view.toolbarEnabled = false;
    s_.view.props.bNext1Enabled = false;
    s_.Notify();

    for (const auto& source : newSources) {
        if (copySources && !CopyFileNoOverwrite(other.folder + source + ".lvs",
                                                s_.projectFolder + source + ".lvs"))
            s_.prompts.ShowMessage(kCaptionFileError, "Unable to copy file.", MsgIcon::Error);
        source_.AddSourceAndList(source);
        s_.Notify();
    }
    for (const auto& merged : other.levels) {
        int p = s_.model.FindLevel(merged.reference);
        if (p < 0) {
            s_.model.levels.push_back(merged);
        } else {
            LevelEntry& entry = s_.model.levels[static_cast<std::size_t>(p)];
            entry.designer = merged.designer;
            entry.password = merged.password;
            entry.music = merged.music;
            entry.hint = merged.hint;
        }
        s_.model.AddDesigner(merged.designer);
    }

    s_.SetModified(true);
    s_.view.toolbarEnabled = true;
    s_.view.props.bNext1Enabled = true;
    s_.view.statusText = " " + s_.model.FullPath();
    if (s_.view.source.sourceSelected >= 0) source_.SelectSource(s_.view.source.sourceSelected);
    levels_.RefreshLevelsInfo();
    Sync();
}

// ---------------------------------------------------------------------------
}  // namespace gdl
