#include "ProjectFiles.h"

#include "EditorDialogs.h"
#include "FileUtil.h"
#include "LevelsPage.h"
#include "PageControl.h"
#include "PathJoin.h"
#include "ProjectMerge.h"
#include "ProjectSession.h"
#include "Prompts.h"
#include "RecentProjects.h"
#include "SourcePage.h"
#include "TextUtil.h"

namespace gdl {

namespace {

constexpr char kProjectFilter[] = "GDL Projects (*.gdp)|*.gdp|All files (*.*)|*.*";
constexpr char kNewProjectFile[] = "project1.gdp";
constexpr char kNewLevelSetFile[] = "project1.gdl";

}  // namespace

void ProjectFiles::ResetToNoProject() {
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

void ProjectFiles::ShowProjectPages() {
    s_.view.props.fieldsVisible = true;
    s_.view.source = SourcePageView{};
    s_.view.levels = LevelsPageView{};
    s_.view.build.cStatus.clear();
    s_.view.build.cStatusSelected = -1;
    s_.view.build.pBarPosition = 0;
    s_.sourceInfoFound = true;
    if (s_.view.page != Page::Properties) pages_.gPagesPageChanged(Page::Properties);
}

void ProjectFiles::DeleteSourceTempFiles() {
    if (!s_.model.open) return;
    for (const auto& source : s_.model.sources)
        if (SafeSourceName(source)) DeleteLevelInfoFiles(s_.projectFolder, source);
}

bool ProjectFiles::LoadProjectFile(const std::string& path) {
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
        s_.Sync();
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
    s_.Sync();
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
    s_.Sync();
    return true;
}

void ProjectFiles::bNewClick() {
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
        s_.Sync();
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
    s_.Sync();
}

void ProjectFiles::bOpenClick() {
    if (!FormCloseQuery()) return;
    std::optional<std::string> path =
        s_.prompts.OpenFileDialog(s_.OpenRequest("Open Project", kProjectFilter, "gdp"));
    if (!path) return;
    LoadProjectFile(*path);
    if (s_.model.open) recent_.Add(s_.model.FullPath());
    s_.Sync();
}

void ProjectFiles::mRecentClick(int n) {
    const std::string* path = recent_.PathOf(n);
    if (!path) return;
    // Unsaved changes are offered for saving first rather than dropped.
    if (!FormCloseQuery()) return;
    LoadProjectFile(std::string(*path));
}

void ProjectFiles::bSaveClick() {
    if (!s_.model.open) return;
    if (!SaveProject(s_.model)) {
        s_.prompts.ShowMessage(kCaptionFileError,
                               "Unable to save project file " + Quoted(s_.model.FullPath()) + ".",
                               MsgIcon::Error);
        s_.Sync();
        return;
    }
    s_.SetModified(false);
    recent_.Add(s_.model.FullPath());
    s_.Sync();
}

bool ProjectFiles::FormCloseQuery() {
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

void ProjectFiles::FormClose() {
    // The request is answered: the window closes now.
    s_.view.closeRequested = false;
    s_.StopMusicIfPlaying();
    recent_.Save();
    DeleteSourceTempFiles();
    s_.Touch();
}

void ProjectFiles::bCloseClick() {
    s_.view.closeRequested = true;
    s_.Touch();
}

void ProjectFiles::bMergeClick() {
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

    const MergePlan plan = PlanMerge(s_.model, other);
    if (s_.model.sources.size() + plan.newSources.size() > kMaxProjectEntries) {
        s_.prompts.ShowMessage(kProjectFullCaption, kSourcesFullText, MsgIcon::Information);
        return;
    }
    if (!s_.CanAddLevels(plan.newRefs.size())) return;

    s_.view.statusText = " Merging...";
    s_.view.toolbarEnabled = false;
    s_.view.props.bNext1Enabled = false;
    s_.Notify();

    for (const auto& source : plan.newSources) {
        if (copySources && !CopyFileNoOverwrite(JoinPath(other.folder, source + ".lvs"),
                                                JoinPath(s_.projectFolder, source + ".lvs")))
            s_.prompts.ShowMessage(kCaptionFileError, "Unable to copy file.", MsgIcon::Error);
        source_.AddSourceAndList(source);
        s_.Notify();
    }
    MergeEntries(s_.model, other);

    s_.SetModified(true);
    s_.view.toolbarEnabled = true;
    s_.view.props.bNext1Enabled = true;
    s_.view.statusText = " " + s_.model.FullPath();
    if (s_.view.source.sourceSelected >= 0) source_.SelectSource(s_.view.source.sourceSelected);
    levels_.RefreshLevelsInfo();
    s_.Sync();
}

}  // namespace gdl
