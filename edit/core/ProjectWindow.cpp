#include "ProjectWindow.h"

#include <algorithm>
#include <filesystem>

#include "FileUtil.h"
#include "InstallFolders.h"
#include "LevelReference.h"
#include "LevelSetBuild.h"
#include "Passwords.h"
#include "PlatformPath.h"
#include "Prompts.h"
#include "Registry.h"
#include "SoundPlayer.h"
#include "TextUtil.h"
#include "ToolRunner.h"

namespace gdl {

namespace {

constexpr char kNotInstalledText[] =
    "The software has not been properly installed.\r\n\r\nPlease re-install the software from "
    "your Trovemark CD.";
constexpr char kProjectFilter[] = "GDL Projects (*.gdp)|*.gdp|All files (*.*)|*.*";
constexpr char kSourceFilter[] = "GDL Source Files (*.lvs)|*.lvs|All files (*.*)|*.*";
constexpr char kTemplateFile[] = "resource.001";
constexpr char kDocsFile[] = "docs.htm";
constexpr char kToolsProgram[] = "GDLTools.exe";
constexpr char kNewProjectFile[] = "project1.gdp";
constexpr char kNewLevelSetFile[] = "project1.gdl";
constexpr std::size_t kMaxSourceName = 8;

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string Cut(std::string text, std::size_t limit) {
    if (text.size() > limit) text.resize(limit);
    return text;
}

std::string WithoutLineBreaks(const std::string& text) {
    std::string r;
    for (char c : text)
        if (c != '\r' && c != '\n') r += c;
    return r;
}

bool HasControlOrSlash(std::string_view name) {
    return std::any_of(name.begin(), name.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == '/' || c == '\\';
    });
}

// A level name is joined to the project folder (LEVEL.bin): it must stay a
// plain file name there.
bool SafeLevelName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && !HasControlOrSlash(name);
}

bool Contains(const std::vector<std::string>& list, std::string_view item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

// Folders compared as the file system sees them, so "./" and its full path match.
bool SameFolder(const std::string& a, const std::string& b) {
    namespace fs = std::filesystem;
    std::error_code ec1, ec2;
    fs::path pa = fs::weakly_canonical(fs::absolute(ShortPath(a), ec1), ec1);
    fs::path pb = fs::weakly_canonical(fs::absolute(ShortPath(b), ec2), ec2);
    if (ec1 || ec2) return a == b;
    return pa.lexically_normal() == pb.lexically_normal();
}

std::string FullFolder(const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path p = fs::absolute(folder, ec);
    if (ec) return WithTrailingSlash(folder);
    std::string s = p.lexically_normal().string();
    return WithTrailingSlash(s);
}

// A character that may stand in a new source's name: printable ASCII that is
// not a path separator, a reference or extension mark, or a shell wildcard.
bool SourceNameChar(char c) {
    auto u = static_cast<unsigned char>(c);
    if (u <= 0x20 || u >= 0x7F) return false;
    return std::string_view("/\\:.*?\"<>|").find(c) == std::string_view::npos;
}

int DecimalDigits(int n) {
    int digits = 1;
    while (n >= 10) {
        n /= 10;
        ++digits;
    }
    return digits;
}

}  // namespace

// The Build page as the build reports into it.
class ProjectWindowBuildView : public BuildView {
public:
    explicit ProjectWindowBuildView(ProjectWindow& window) : w_(window) {}
    void SetStatusBar(const std::string& text) override {
        w_.view_.statusText = text;
        w_.Notify();
    }
    void ClearStatusLines() override {
        w_.view_.build.cStatus.clear();
        w_.view_.build.cStatusSelected = -1;
        w_.Notify();
    }
    void AddStatusLine(const std::string& line) override {
        auto& build = w_.view_.build;
        build.cStatus.push_back(line);
        build.cStatusSelected = static_cast<int>(build.cStatus.size()) - 1;
        w_.Notify();
    }
    void SetProgressMax(int maximum) override {
        w_.view_.build.pBarMax = maximum;
        w_.Notify();
    }
    void SetProgress(int position) override {
        w_.view_.build.pBarPosition = position;
        w_.Notify();
    }
    void SetBuildControlsEnabled(bool enabled) override {
        w_.view_.toolbarEnabled = enabled;
        w_.view_.build.bDoBuildEnabled = enabled;
        w_.view_.build.bPrev4Enabled = enabled;
        w_.Notify();
    }

private:
    ProjectWindow& w_;
};

ProjectWindow::ProjectWindow(Registry& registry, ToolRunner& runner, Prompts& prompts,
                             EditorDialogs& dialogs, SoundPlayer& sound, Random& random,
                             std::string programFolder, std::function<void()> changed)
    : registry_(registry),
      runner_(runner),
      prompts_(prompts),
      dialogs_(dialogs),
      sound_(sound),
      random_(random),
      programFolder_(WithTrailingSlash(programFolder)),
      changed_(std::move(changed)) {
    toolFolder_ = WithTrailingSlash(ShortPath(programFolder_));
    levelTool_.emplace(toolFolder_, runner_, prompts_);
    ResetToNoProject();
    Sync();
}

ProjectWindow::~ProjectWindow() = default;

// ---------------------------------------------------------------------------
// State helpers

void ProjectWindow::Touch() {
    ++view_.revision;
}

void ProjectWindow::Notify() {
    Touch();
    if (changed_) changed_();
}

void ProjectWindow::SetModified(bool modified) {
    model_.modified = modified;
    view_.saveEnabled = modified;
}

void ProjectWindow::UpdateCaption() {
    view_.caption = kAppTitle;
    if (model_.open && !model_.name.empty()) view_.caption += " - " + Quoted(model_.name);
}

void ProjectWindow::UpdateCounters() {
    if (loading_) return;
    int numbered = model_.NumberedLevels();
    view_.levelsCounter = std::to_string(numbered) + " levels";
    view_.hiddenCounter = std::to_string(model_.HiddenLevels()) + " hidden levels";
    view_.playtestEnabled = numbered > 0;
    view_.build.bDoBuildEnabled = numbered > 0;
}

std::string ProjectWindow::OutputPath() const {
    return ComposeOutputPath(buildFolder_, projectFolder_, levelSetFile_, buildInSourceFolder_);
}

void ProjectWindow::UpdateOutputPath() {
    view_.build.xBSFEnabled = !buildFolder_.empty();
    if (buildFolder_.empty()) buildInSourceFolder_ = false;
    view_.build.xBSFChecked = buildInSourceFolder_;
    view_.build.eLevelSet = levelSetFile_;
    view_.build.eLevelSetHint = OutputPath();
}

void ProjectWindow::Sync() {
    UpdateCaption();
    view_.saveEnabled = model_.modified;
    bool open = model_.open;
    view_.mergeEnabled = open;
    view_.propsEnabled = open;
    view_.sourceEnabled = open;
    view_.levelsEnabled = open;
    view_.buildEnabled = open;
    RenderProperties();
    view_.source.sources = model_.sources;
    if (view_.source.sourceSelected >= static_cast<int>(model_.sources.size()))
        view_.source.sourceSelected = -1;
    RefreshSourceUsage();
    RenderLevels();
    UpdateCounters();
    UpdateOutputPath();
    Touch();
}

void ProjectWindow::RenderProperties() {
    auto& p = view_.props;
    p.name = model_.name;
    p.year = model_.copyrightYear;
    p.notice = model_.notice;
    p.comments = model_.comments;
    p.offset = model_.offset;
    p.musicMode = model_.musicMode;
    p.wizard = model_.wizard;
}

void ProjectWindow::ResetToNoProject() {
    StopMusicIfPlaying();
    model_ = ProjectModel{};
    view_.page = Page::Default;
    view_.props = PropertiesPageView{};
    view_.source = SourcePageView{};
    view_.levels = LevelsPageView{};
    bool gll = view_.build.xGLLChecked;
    view_.build = BuildPageView{};
    view_.build.xGLLChecked = gll;
    levelSetFile_.clear();
    buildInSourceFolder_ = false;
    sourceInfoFound_ = true;
    SetModified(false);
}

void ProjectWindow::ShowProjectPages() {
    view_.props.fieldsVisible = true;
    view_.source = SourcePageView{};
    view_.levels = LevelsPageView{};
    view_.build.cStatus.clear();
    view_.build.cStatusSelected = -1;
    view_.build.pBarPosition = 0;
    sourceInfoFound_ = true;
    if (view_.page != Page::Properties) gPagesPageChanged(Page::Properties);
}

void ProjectWindow::DeleteSourceTempFiles() {
    if (!model_.open) return;
    for (const auto& source : model_.sources)
        if (SafeSourceName(source)) DeleteLevelInfoFiles(projectFolder_, source);
}

// ---------------------------------------------------------------------------
// Start-up, projects and the recent list

void ProjectWindow::FormActivate(const std::vector<std::string>& args) {
    // Only the first activation starts the editor.
    if (activated_) return;
    activated_ = true;
    includeLevels_ = populateDesigner_ = generatePassword_ = false;
    toolFolder_ = WithTrailingSlash(ShortPath(programFolder_));
    buildFolder_.clear();
    projectFolder_.clear();

    InstallFolders folders = ReadInstallFolders(registry_, programFolder_);
    if (!folders.installed) {
        prompts_.ShowMessage(kCaptionFileError, kNotInstalledText, MsgIcon::Error);
        view_.closeRequested = true;
        Sync();
        return;
    }
    toolFolder_ = folders.toolFolder;
    buildFolder_ = folders.buildFolder;
    projectFolder_ = folders.projectFolder;
    levelTool_.emplace(toolFolder_, runner_, prompts_);
    if (!levelTool_->CheckToolFiles({kLevelToolExe, kLevelToolPif}, true)) {
        view_.closeRequested = true;
        Sync();
        return;
    }

    for (std::size_t i = 0; i < recentPaths_.size(); ++i) {
        std::string name = "Recent" + std::to_string(i + 1);
        recentPaths_[i] =
            registry_.ReadValue(RegRoot::LocalMachine, kRegKeyEdit, name).value_or("");
        view_.recent[i].visible = !recentPaths_[i].empty();
        if (view_.recent[i].visible) view_.recentSeparatorVisible = true;
    }
    RenderRecent();

    levelTool_->WriteEditBatch(1);
    std::optional<std::string> port =
        registry_.ReadValue(RegRoot::LocalMachine, kRegKeyGlobal, "Port");
    std::optional<long long> portNumber = port ? ParseDecimal(*port) : std::nullopt;
    if (!portNumber || *portNumber > 3) {
        ComClick(1);
    } else if (*portNumber >= 0) {
        ComClick(static_cast<int>(*portNumber) + 1);
    }

    auto option = [this](const char* name) {
        return registry_.ReadValue(RegRoot::LocalMachine, kRegKeyAutomation, name).value_or("") ==
               "1";
    };
    includeLevels_ = option("IncludeLevels");
    populateDesigner_ = option("PopulateDesigner");
    generatePassword_ = option("GeneratePassword");
    view_.includeLevelsChecked = includeLevels_;
    view_.populateDesignerChecked = populateDesigner_;
    view_.generatePasswordChecked = generatePassword_;

    ResetToNoProject();
    // The random source was seeded by its owner when the program started.

    std::string arg = args.empty() ? std::string() : args.front();
    if (ToLowerAscii(ExtensionOf(arg)) == ".lvs") {
        std::string source = BaseName(arg);
        if (levelTool_->CheckToolFiles({kLevelToolExe, kLevelToolPif, kEditBatch}, true))
            levelTool_->Edit(source, FolderOf(arg), false);
        view_.closeRequested = true;
    } else if (!arg.empty()) {
        LoadProjectFile(arg);
    }
    Sync();
}

bool ProjectWindow::LoadProjectFile(const std::string& path) {
    DeleteSourceTempFiles();
    loading_ = true;
    view_.playtestEnabled = false;
    view_.build.bDoBuildEnabled = false;
    view_.levelsCounter = "0 levels";
    view_.hiddenCounter = "0 hidden levels";

    ProjectModel loaded;
    if (!LoadProject(loaded, path)) {
        // The open project stays as it was; its counters come back.
        loading_ = false;
        Sync();
        return false;
    }
    StopMusicIfPlaying();
    model_ = std::move(loaded);
    model_.open = true;
    projectFolder_ = model_.folder;
    buildInSourceFolder_ = false;
    levelSetFile_ = BaseName(model_.fileName) + ".gdl";
    ShowProjectPages();
    view_.statusText = " Loading...";
    view_.toolbarEnabled = false;
    view_.props.bNext1Enabled = false;
    SetModified(false);
    Sync();
    Notify();

    for (const auto& source : model_.sources) {
        if (!SafeSourceName(source)) continue;
        // A listing left from an earlier session may be out of date.
        DeleteLevelInfoFiles(projectFolder_, source);
        RefreshLevelInfoCache(projectFolder_, source, Listing());
        Notify();
    }

    loading_ = false;
    view_.toolbarEnabled = true;
    view_.props.bNext1Enabled = true;
    view_.statusText = " " + model_.FullPath();
    Sync();
    return true;
}

void ProjectWindow::RenderRecent() {
    for (std::size_t i = 0; i < recentPaths_.size(); ++i)
        view_.recent[i].caption = "&" + std::to_string(i + 1) + " " + recentPaths_[i];
}

void ProjectWindow::AddRecent(const std::string& path) {
    if (path.empty()) return;
    for (std::size_t i = 0; i < recentPaths_.size(); ++i)
        if (view_.recent[i].visible && recentPaths_[i] == path) return;
    for (std::size_t i = recentPaths_.size() - 1; i > 0; --i) {
        if (view_.recent[i - 1].visible) {
            recentPaths_[i] = recentPaths_[i - 1];
            view_.recent[i].visible = true;
        }
    }
    recentPaths_[0] = path;
    view_.recent[0].visible = true;
    view_.recentSeparatorVisible = true;
    RenderRecent();
}

FileDialogRequest ProjectWindow::OpenRequest(const char* title, const char* filter,
                                             const char* defaultExt) const {
    FileDialogRequest request;
    request.title = title;
    request.folder = projectFolder_;
    request.filter = filter;
    request.defaultExt = defaultExt;
    request.mustExist = true;
    return request;
}

void ProjectWindow::bNewClick() {
    if (!FormCloseQuery()) return;
    DeleteSourceTempFiles();
    StopMusicIfPlaying();
    if (projectFolder_.empty()) projectFolder_ = "./";
    buildInSourceFolder_ = false;
    levelSetFile_ = kNewLevelSetFile;
    view_.statusText.clear();

    FileDialogRequest request;
    request.title = "New Project";
    request.folder = projectFolder_;
    request.fileName = kNewProjectFile;
    request.filter = kProjectFilter;
    request.defaultExt = ".gdp";
    request.overwritePrompt = true;
    std::optional<std::string> path = prompts_.SaveFileDialog(request);
    if (!path) {
        ResetToNoProject();
        Sync();
        return;
    }

    model_ = ProjectModel{};
    model_.folder = projectFolder_ = FolderOf(*path);
    model_.fileName = FileNameOf(*path);
    model_.open = true;
    model_.name = "Project1";
    model_.copyrightYear = CurrentYear();
    model_.musicMode = MusicMode::Automatic;
    levelSetFile_ = BaseName(model_.fileName) + ".gdl";
    ShowProjectPages();
    view_.statusText = " " + model_.FullPath();
    SetModified(true);
    Sync();
}

void ProjectWindow::bOpenClick() {
    if (!FormCloseQuery()) return;
    std::optional<std::string> path =
        prompts_.OpenFileDialog(OpenRequest("Open Project", kProjectFilter, "gdp"));
    if (!path) return;
    LoadProjectFile(*path);
    if (model_.open) AddRecent(model_.FullPath());
    Sync();
}

void ProjectWindow::mRecentClick(int n) {
    if (n < 1 || n > static_cast<int>(recentPaths_.size())) return;
    auto i = static_cast<std::size_t>(n - 1);
    if (!view_.recent[i].visible) return;
    // Unsaved changes are offered for saving first rather than dropped.
    if (!FormCloseQuery()) return;
    LoadProjectFile(recentPaths_[i]);
}

void ProjectWindow::bSaveClick() {
    if (!model_.open) return;
    if (!SaveProject(model_)) {
        prompts_.ShowMessage(kCaptionFileError,
                             "Unable to save project file " + Quoted(model_.FullPath()) + ".",
                             MsgIcon::Error);
        Sync();
        return;
    }
    SetModified(false);
    AddRecent(model_.FullPath());
    Sync();
}

bool ProjectWindow::FormCloseQuery() {
    bool close = true;
    if (model_.modified) {
        Answer answer =
            prompts_.Ask(kCaptionConfirm, "Save changes to project " + Quoted(model_.name) + "?",
                         MsgButtons::YesNoCancel, MsgIcon::Question);
        if (answer == Answer::Yes) {
            bSaveClick();
            // A failed save keeps the window and the changes.
            close = !model_.modified;
        } else {
            close = answer == Answer::No;
        }
    }
    // A kept window has no close pending: the next command must not close it.
    if (!close) view_.closeRequested = false;
    Touch();
    return close;
}

void ProjectWindow::FormClose() {
    // The request is answered: the window closes now.
    view_.closeRequested = false;
    StopMusicIfPlaying();
    for (std::size_t i = 0; i < recentPaths_.size(); ++i) {
        if (!view_.recent[i].visible) continue;
        registry_.WriteValue(RegRoot::LocalMachine, kRegKeyEdit, "Recent" + std::to_string(i + 1),
                             recentPaths_[i]);
    }
    DeleteSourceTempFiles();
    Touch();
}

void ProjectWindow::bCloseClick() {
    view_.closeRequested = true;
    Touch();
}

// ---------------------------------------------------------------------------
// Pages

void ProjectWindow::bPropsClick() {
    if (model_.open) gPagesPageChanged(Page::Properties);
}
void ProjectWindow::bSourceClick() {
    if (model_.open) gPagesPageChanged(Page::Source);
}
void ProjectWindow::bLevelsClick() {
    if (model_.open) gPagesPageChanged(Page::Levels);
}
void ProjectWindow::bBuildClick() {
    if (model_.open) gPagesPageChanged(Page::Build);
}

void ProjectWindow::gPagesPageChanged(Page page) {
    if (page != Page::Default && !model_.open) return;
    if (page != view_.page) StopMusicIfPlaying();
    view_.page = page;
    if (page == Page::Levels) RefreshLevelsInfo();
    Sync();
}

// ---------------------------------------------------------------------------
// Properties page

template <class Change>
void ProjectWindow::ChangeProject(Change change) {
    if (!model_.open) return;
    change(model_);
    SetModified(true);
    Sync();
}

void ProjectWindow::eNameChange(const std::string& text) {
    ChangeProject([&](ProjectModel& m) { m.name = Cut(text, kMaxNameLength); });
}

void ProjectWindow::ePreDateChange(int year) {
    ChangeProject([&](ProjectModel& m) { m.copyrightYear = std::clamp(year, 0, kMaxYear); });
}

void ProjectWindow::eNoticeChange(const std::string& text) {
    ChangeProject([&](ProjectModel& m) { m.notice = Cut(text, kMaxNoticeLength); });
}

void ProjectWindow::cCommentsChange(const std::string& text) {
    ChangeProject(
        [&](ProjectModel& m) { m.comments = Cut(WithoutLineBreaks(text), kMaxCommentsLength); });
}

void ProjectWindow::cOffsetChange(int offset) {
    ChangeProject([&](ProjectModel& m) {
        m.offset = std::clamp(offset, 0, static_cast<int>(kMaxProjectEntries));
    });
}

void ProjectWindow::xAMusicClick(MusicMode mode) {
    ChangeProject([&](ProjectModel& m) {
        m.musicMode = mode;
        ReassignMusic();
    });
}

void ProjectWindow::eWizardChange(const std::string& text) {
    ChangeProject([&](ProjectModel& m) { m.wizard = Cut(ToUpperAscii(text), kMaxCodeLength); });
}

void ProjectWindow::bGenWizClick() {
    if (!model_.open) return;
    eWizardChange(MakePassword(random_, model_.wizard, PasswordsOf(model_.levels)));
}

// ---------------------------------------------------------------------------
// Options and help

void ProjectWindow::ComClick(int port) {
    if (port < 1 || port > 4) return;
    comPort_ = port;
    for (int i = 0; i < 4; ++i) view_.comChecked[static_cast<std::size_t>(i)] = i + 1 == port;
    levelTool_->WriteEditBatch(port);
    registry_.WriteValue(RegRoot::LocalMachine, kRegKeyGlobal, "Port", std::to_string(port - 1));
    Touch();
}

void ProjectWindow::ToggleAutomation(const char* valueName, bool& option, bool& checked) {
    option = !option;
    checked = option;
    registry_.WriteValue(RegRoot::LocalMachine, kRegKeyAutomation, valueName, option ? "1" : "0");
    Touch();
}

void ProjectWindow::IncludeLevels1Click() {
    ToggleAutomation("IncludeLevels", includeLevels_, view_.includeLevelsChecked);
}
void ProjectWindow::PopulateDesigner1Click() {
    ToggleAutomation("PopulateDesigner", populateDesigner_, view_.populateDesignerChecked);
}
void ProjectWindow::GeneratePassword1Click() {
    ToggleAutomation("GeneratePassword", generatePassword_, view_.generatePasswordChecked);
}

void ProjectWindow::bHelpClick() {
    runner_.RunTool(kDocsFile, "", FullFolder(toolFolder_ + "../docs"), true, false);
}

void ProjectWindow::About1Click() {
    runner_.RunTool(kToolsProgram, "", toolFolder_, true, false);
}

// ---------------------------------------------------------------------------
// Source page

bool ProjectWindow::SafeSourceName(const std::string& name) const {
    return SafeLevelName(name) && name.find(':') == std::string::npos &&
           name.find('.') == std::string::npos;
}

RunListing ProjectWindow::Listing() {
    return [this](const std::string& source) {
        if (SafeSourceName(source)) levelTool_->List(source, projectFolder_);
    };
}

LevelInfoResult ProjectWindow::ReadInfo(const std::string& reference) {
    LevelRef ref = SplitReference(reference);
    bool safe = SafeLevelName(ref.level) && (ref.source.empty() || SafeSourceName(ref.source));
    if (!safe) return {{kLevelErrorText, "", "", ""}, false};
    return ReadLevelInfo(projectFolder_, ref.source, ref.level, Listing());
}

std::string ProjectWindow::SelectedSource() const {
    int i = view_.source.sourceSelected;
    if (i < 0 || i >= static_cast<int>(model_.sources.size())) return {};
    return model_.sources[static_cast<std::size_t>(i)];
}

std::string ProjectWindow::ContentsReference(int index) const {
    const auto& contents = view_.source.contents;
    if (index < 0 || index >= static_cast<int>(contents.size())) return {};
    return SelectedSource() + ":" + contents[static_cast<std::size_t>(index)];
}

void ProjectWindow::SelectSource(int index) {
    auto& s = view_.source;
    s.sourceSelected = index >= 0 && index < static_cast<int>(model_.sources.size()) ? index : -1;
    bool selected = s.sourceSelected >= 0;
    s.bEditSEnabled = s.bRemoveSEnabled = s.bIncludeAllEnabled = s.bExcludeAllEnabled = selected;
    s.contents.clear();
    s.contentsSelected = -1;
    std::string source = SelectedSource();
    if (selected && SafeSourceName(source))
        RefreshLevelInfoCache(projectFolder_, source, Listing(), &s.contents);
    RefreshLevelDetails();
}

void ProjectWindow::RefreshSourceUsage() {
    auto& s = view_.source;
    if (s.contentsSelected < 0 || s.contentsSelected >= static_cast<int>(s.contents.size())) {
        s.contentsSelected = -1;
        s.levelLabel.clear();
        s.usage = UsageIcon::None;
        s.usageHint.clear();
        s.bIncludeEnabled = s.bExcludeEnabled = false;
        return;
    }
    int p = model_.FindLevel(ContentsReference(s.contentsSelected));
    if (p < 0) {
        s.levelLabel = "unused";
        s.usage = UsageIcon::NotIncluded;
        s.usageHint = kUsageNotIncludedHint;
    } else {
        s.levelLabel = LevelLabel(p + 1, model_.offset);
        s.usage = UsageIcon::Included;
        s.usageHint = kUsageIncludedHint;
    }
    if (!sourceInfoFound_) {
        s.usage = UsageIcon::Error;
        s.usageHint = kUsageErrorHint;
    }
    s.bIncludeEnabled = s.bExcludeEnabled = true;
}

void ProjectWindow::RefreshLevelDetails() {
    auto& s = view_.source;
    sourceInfoFound_ = true;
    s.eNameI.clear();
    s.eSizeI.clear();
    s.eTimeI.clear();
    s.eQuotaI.clear();
    if (s.contentsSelected >= 0 && s.contentsSelected < static_cast<int>(s.contents.size())) {
        LevelInfoResult r = ReadInfo(ContentsReference(s.contentsSelected));
        s.eNameI = r.info.Name;
        s.eSizeI = r.info.Size;
        s.eTimeI = r.info.Time;
        s.eQuotaI = r.info.Quota;
        sourceInfoFound_ = r.found;
    }
    RefreshSourceUsage();
}

void ProjectWindow::cSourceClick(int index) {
    if (!model_.open) return;
    SelectSource(index);
    Sync();
}

void ProjectWindow::cContentsClick(int index) {
    auto& s = view_.source;
    s.contentsSelected = index >= 0 && index < static_cast<int>(s.contents.size()) ? index : -1;
    RefreshLevelDetails();
    Sync();
}

bool ProjectWindow::CanAddLevels(std::size_t count) {
    if (model_.levels.size() + count <= kMaxProjectEntries) return true;
    prompts_.ShowMessage(kLevelSetFullCaption, kLevelSetFullText, MsgIcon::Information);
    return false;
}

bool ProjectWindow::CanAddSource() {
    if (model_.sources.size() < kMaxProjectEntries) return true;
    prompts_.ShowMessage(kProjectFullCaption, kSourcesFullText, MsgIcon::Information);
    return false;
}

void ProjectWindow::AppendLevel(const std::string& reference, bool automate) {
    LevelEntry entry;
    entry.reference = reference;
    if (automate && populateDesigner_) {
        entry.designer = SplitReference(reference).source;
        model_.AddDesigner(entry.designer);
    }
    if (automate && generatePassword_)
        entry.password = MakePassword(random_, model_.wizard, PasswordsOf(model_.levels));
    model_.levels.push_back(std::move(entry));
}

void ProjectWindow::EraseLevel(std::size_t index) {
    model_.levels.erase(model_.levels.begin() + static_cast<std::ptrdiff_t>(index));
    int& sel = view_.levels.selected;
    if (sel == static_cast<int>(index)) {
        sel = -1;
    } else if (sel > static_cast<int>(index)) {
        --sel;
    }
}

int ProjectWindow::RemoveReference(const std::string& reference) {
    int removed = 0;
    for (int p = model_.FindLevel(reference); p >= 0; p = model_.FindLevel(reference)) {
        EraseLevel(static_cast<std::size_t>(p));
        ++removed;
    }
    return removed;
}

void ProjectWindow::bIncludeClick() {
    std::string ref = ContentsReference(view_.source.contentsSelected);
    if (ref.empty()) return;
    if (model_.FindLevel(ref) < 0 && CanAddLevels(1)) {
        AppendLevel(ref, true);
        LevelListChanged();
        RefreshLevelDetails();
    }
    Sync();
}

int ProjectWindow::IncludeAllOfSelected() {
    std::vector<std::string> missing;
    for (std::size_t i = 0; i < view_.source.contents.size(); ++i) {
        std::string ref = ContentsReference(static_cast<int>(i));
        if (model_.FindLevel(ref) < 0 && !Contains(missing, ref)) missing.push_back(ref);
    }
    if (missing.empty() || !CanAddLevels(missing.size())) return 0;
    for (const auto& ref : missing) AppendLevel(ref, true);
    LevelListChanged();
    SelectSource(view_.source.sourceSelected);
    return static_cast<int>(missing.size());
}

void ProjectWindow::bIncludeAllClick() {
    if (SelectedSource().empty()) return;
    IncludeAllOfSelected();
    Sync();
}

void ProjectWindow::bExcludeClick() {
    std::string ref = ContentsReference(view_.source.contentsSelected);
    if (ref.empty()) return;
    if (RemoveReference(ref) > 0) {
        LevelListChanged();
        RefreshLevelDetails();
    }
    Sync();
}

int ProjectWindow::ExcludeAllOfSelected() {
    int removed = 0;
    for (std::size_t i = 0; i < view_.source.contents.size(); ++i)
        removed += RemoveReference(ContentsReference(static_cast<int>(i)));
    return removed;
}

void ProjectWindow::bExcludeAllClick() {
    std::string source = SelectedSource();
    if (source.empty()) return;
    Answer answer = prompts_.Ask(
        kCaptionConfirm, "Exclude all levels for " + Quoted(source) + " from the level set?",
        MsgButtons::YesNo, MsgIcon::Question);
    if (answer == Answer::Yes && ExcludeAllOfSelected() > 0) {
        LevelListChanged();
        SelectSource(view_.source.sourceSelected);
    }
    Sync();
}

void ProjectWindow::cContentsDblClick() {
    std::string ref = ContentsReference(view_.source.contentsSelected);
    if (ref.empty()) return;
    if (model_.FindLevel(ref) >= 0) {
        RemoveReference(ref);
    } else if (CanAddLevels(1)) {
        AppendLevel(ref, false);
    } else {
        Sync();
        return;
    }
    SetModified(true);
    RefreshLevelDetails();
    Sync();
}

void ProjectWindow::AddSourceAndList(const std::string& name) {
    model_.sources.push_back(name);
    // A fresh listing: the source may have changed since any earlier one.
    DeleteLevelInfoFiles(projectFolder_, name);
    RefreshLevelInfoCache(projectFolder_, name, Listing());
}

void ProjectWindow::SourceAdded() {
    SelectSource(static_cast<int>(model_.sources.size()) - 1);
    if (includeLevels_) IncludeAllOfSelected();
    SetModified(true);
}

std::string ProjectWindow::NewSourceName() const {
    std::string base;
    for (char c : model_.name)
        if (SourceNameChar(c)) base += c;
    // A leading "-" would read as an option of the level tool.
    base.erase(0, base.find_first_not_of('-') == std::string::npos ? base.size()
                                                                   : base.find_first_not_of('-'));
    for (int n = 1; n < 100000000; ++n) {
        std::string digits = std::to_string(n);
        std::size_t keep = kMaxSourceName - static_cast<std::size_t>(DecimalDigits(n));
        std::string candidate =
            Cut(base.substr(0, std::min(keep, base.size())) + digits, kMaxSourceName);
        if (!FileExists(projectFolder_ + candidate + ".lvs")) return candidate;
    }
    return {};
}

void ProjectWindow::bNewSClick() {
    if (!model_.open || !CanAddSource()) return;
    std::string name = NewSourceName();
    if (name.empty()) return;
    std::string file = projectFolder_ + name + ".lvs";
    CopyFileNoOverwrite(levelTool_->ToolFolder() + kTemplateFile, file);
    if (!FileExists(file)) return;
    if (!levelTool_->CheckToolFiles({kLevelToolExe, kLevelToolPif, kEditBatch}, true)) return;
    levelTool_->Edit(name, projectFolder_, true);
    AddSourceAndList(name);
    SourceAdded();
    Sync();
}

bool ProjectWindow::CopyIntoProject(const std::string& from, bool move) {
    std::string verb = move ? "Move " : "Copy ";
    Answer answer =
        prompts_.Ask(kCaptionConfirm, verb + Quoted(from) + " to " + Quoted(projectFolder_) + "?",
                     MsgButtons::YesNo, MsgIcon::Question);
    if (answer != Answer::Yes) return false;
    if (!CopyFileNoOverwrite(from, projectFolder_ + FileNameOf(from))) {
        prompts_.ShowMessage(kCaptionFileError,
                             move ? "Unable to move file." : "Unable to copy file.",
                             MsgIcon::Error);
        return false;
    }
    if (move) DeleteFileQuiet(from);
    return true;
}

void ProjectWindow::bAddSClick() {
    if (!model_.open || !CanAddSource()) return;
    std::optional<std::string> path =
        prompts_.OpenFileDialog(OpenRequest("Add Source File", kSourceFilter, ".lvs"));
    if (!path) return;

    std::string name = BaseName(*path);
    if (!SafeSourceName(name)) {
        prompts_.ShowMessage(kCaptionFileError,
                             "The file name " + Quoted(FileNameOf(*path)) +
                                 " cannot be used as the name of a source file.",
                             MsgIcon::Error);
        return;
    }
    if (!SameFolder(FolderOf(*path), projectFolder_)) {
        AddSourceRequest ask;
        ask.caption = "Add Source to Project";
        ask.line1 =
            "The source file " + FileNameOf(*path) + " is not located in this project's folder.";
        ask.line2 =
            "Would you like to Copy it to the project folder, Move it to the project folder, or "
            "Cancel?";
        AddSourceAnswer answer = dialogs_.AskAddSource(ask);
        if (answer == AddSourceAnswer::Cancel) return;
        if (!CopyIntoProject(*path, answer == AddSourceAnswer::Move)) {
            Sync();
            return;
        }
    }
    auto existing = std::find(model_.sources.begin(), model_.sources.end(), name);
    if (existing != model_.sources.end()) {
        // Already a source of the project: show it rather than list it twice.
        SelectSource(static_cast<int>(existing - model_.sources.begin()));
        Sync();
        return;
    }
    AddSourceAndList(name);
    SourceAdded();
    Sync();
}

void ProjectWindow::bEditSClick() {
    std::string source = SelectedSource();
    if (source.empty() || !SafeSourceName(source)) return;
    if (!levelTool_->CheckToolFiles({kEditBatch, kLevelToolExe, kLevelToolPif}, true)) return;
    levelTool_->Edit(source, projectFolder_, true);
    DeleteLevelInfoFiles(projectFolder_, source);
    RefreshLevelInfoCache(projectFolder_, source, Listing());
    if (view_.source.contentsSelected < 0) {
        SelectSource(view_.source.sourceSelected);
    } else {
        RefreshLevelDetails();
    }
    Sync();
}

void ProjectWindow::bRemoveSClick() {
    std::string source = SelectedSource();
    if (source.empty()) return;
    Answer answer =
        prompts_.Ask(kCaptionConfirm, "Remove source file " + Quoted(source) + " from project?",
                     MsgButtons::YesNo, MsgIcon::Question);
    if (answer != Answer::Yes) return;
    // Every entry of the source goes, also one its listing no longer shows.
    int removed = 0;
    for (std::size_t i = model_.levels.size(); i-- > 0;) {
        LevelRef ref = SplitReference(model_.levels[i].reference);
        if (model_.levels[i].reference.find(':') != std::string::npos && ref.source == source) {
            EraseLevel(i);
            ++removed;
        }
    }
    if (removed > 0) ReassignMusic();
    model_.sources.erase(model_.sources.begin() + view_.source.sourceSelected);
    if (SafeSourceName(source)) DeleteLevelInfoFiles(projectFolder_, source);
    SelectSource(-1);
    SetModified(true);
    Sync();
}

void ProjectWindow::bMergeClick() {
    if (!model_.open) return;
    std::optional<std::string> path =
        prompts_.OpenFileDialog(OpenRequest("Merge Project", kProjectFilter, "gdp"));
    if (!path) return;

    bool copySources = false;
    if (!SameFolder(FolderOf(*path), projectFolder_)) {
        AddSourceRequest ask;
        ask.caption = "Merge Project";
        ask.line1 =
            "The project file " + FileNameOf(*path) + " is not located in this project's folder.";
        ask.line2 = "Would you like to Copy its source files to the project folder?";
        ask.copyVisible = false;
        ask.moveCaption = "&Yes";
        ask.cancelCaption = "&No";
        if (dialogs_.AskAddSource(ask) == AddSourceAnswer::Cancel) return;
        Answer answer = prompts_.Ask(
            kCaptionConfirm,
            "Copy all source files for " + Quoted(*path) + " to " + Quoted(projectFolder_) + "?",
            MsgButtons::YesNo, MsgIcon::Question);
        if (answer != Answer::Yes) return;
        copySources = true;
    }

    ProjectModel other;
    if (!LoadProject(other, *path)) return;

    // Check the whole merge against the format's limits before changing anything.
    std::vector<std::string> newSources;
    for (const auto& source : other.sources)
        if (SafeSourceName(source) && !Contains(model_.sources, source) &&
            !Contains(newSources, source))
            newSources.push_back(source);
    std::vector<std::string> newRefs;
    for (const auto& entry : other.levels)
        if (model_.FindLevel(entry.reference) < 0 && !Contains(newRefs, entry.reference))
            newRefs.push_back(entry.reference);
    if (model_.sources.size() + newSources.size() > kMaxProjectEntries) {
        prompts_.ShowMessage(kProjectFullCaption, kSourcesFullText, MsgIcon::Information);
        return;
    }
    if (!CanAddLevels(newRefs.size())) return;

    view_.statusText = " Merging...";
    view_.toolbarEnabled = false;
    view_.props.bNext1Enabled = false;
    Notify();

    for (const auto& source : newSources) {
        if (copySources &&
            !CopyFileNoOverwrite(other.folder + source + ".lvs", projectFolder_ + source + ".lvs"))
            prompts_.ShowMessage(kCaptionFileError, "Unable to copy file.", MsgIcon::Error);
        AddSourceAndList(source);
        Notify();
    }
    for (const auto& merged : other.levels) {
        int p = model_.FindLevel(merged.reference);
        if (p < 0) {
            model_.levels.push_back(merged);
        } else {
            LevelEntry& entry = model_.levels[static_cast<std::size_t>(p)];
            entry.designer = merged.designer;
            entry.password = merged.password;
            entry.music = merged.music;
            entry.hint = merged.hint;
        }
        model_.AddDesigner(merged.designer);
    }

    SetModified(true);
    view_.toolbarEnabled = true;
    view_.props.bNext1Enabled = true;
    view_.statusText = " " + model_.FullPath();
    if (view_.source.sourceSelected >= 0) SelectSource(view_.source.sourceSelected);
    RefreshLevelsInfo();
    Sync();
}

// ---------------------------------------------------------------------------
// Level Set page

LevelEntry* ProjectWindow::SelectedEntry() {
    int i = view_.levels.selected;
    if (i < 0 || i >= static_cast<int>(model_.levels.size())) return nullptr;
    return &model_.levels[static_cast<std::size_t>(i)];
}

void ProjectWindow::RenderLevels() {
    auto& l = view_.levels;
    l.levels.clear();
    for (const auto& entry : model_.levels) l.levels.push_back(entry.reference);
    l.designers = model_.designers;
    const LevelEntry* entry = SelectedEntry();
    bool selected = entry != nullptr;
    if (!selected) {
        l.selected = -1;
        l.levelLabel.clear();
        l.hiddenVisible = false;
        l.eNameR.clear();
        l.eSizeR.clear();
        l.eTimeR.clear();
        l.eQuotaR.clear();
        l.designerSelected = -1;
        l.designerHint.clear();
        l.password.clear();
        l.music = 0;
        l.hasHint = false;
        l.hintTooltip.clear();
    } else {
        int p = l.selected;
        l.levelLabel = LevelLabel(p + 1, model_.offset);
        l.hiddenVisible = p + 1 - model_.offset <= 0;
        auto d = std::find(model_.designers.begin(), model_.designers.end(), entry->designer);
        l.designerSelected =
            d == model_.designers.end() ? -1 : static_cast<int>(d - model_.designers.begin());
        l.designerHint = l.designerSelected >= 0 ? entry->designer : std::string();
        l.password = entry->password;
        std::optional<long long> music = ParseDecimal(entry->music);
        l.music = music && *music >= 0 && *music <= kMaxMusic ? static_cast<int>(*music) : 0;
        l.hasHint = !entry->hint.empty();
        l.hintTooltip = l.hasHint ? "Hint: " + Quoted(entry->hint) : std::string();
    }
    int last = static_cast<int>(model_.levels.size()) - 1;
    l.bTopEnabled = l.bUpEnabled = selected && l.selected > 0;
    l.bDownEnabled = l.bEndEnabled = selected && l.selected < last;
    l.bTestLEnabled = l.bRemoveEnabled = l.cDesignerEnabled = l.ePasswordEnabled = selected;
    l.bMusicEnabled = l.bGenerateEnabled = l.bEditHintEnabled = selected;
    l.musicEnabled = selected && model_.musicMode == MusicMode::Manual;
}

void ProjectWindow::RefreshLevelsInfo() {
    auto& l = view_.levels;
    const LevelEntry* entry = SelectedEntry();
    LevelInfo info;
    if (entry) info = ReadInfo(entry->reference).info;
    l.eNameR = info.Name;
    l.eSizeR = info.Size;
    l.eTimeR = info.Time;
    l.eQuotaR = info.Quota;
}

void ProjectWindow::SelectLevel(int index) {
    view_.levels.selected =
        index >= 0 && index < static_cast<int>(model_.levels.size()) ? index : -1;
    RefreshLevelsInfo();
    Sync();
}

void ProjectWindow::cLevelsClick(int index) {
    SelectLevel(index);
}

void ProjectWindow::MoveSelected(int to) {
    int from = view_.levels.selected;
    if (!SelectedEntry() || to < 0 || to >= static_cast<int>(model_.levels.size()) || to == from)
        return;
    LevelEntry entry = std::move(model_.levels[static_cast<std::size_t>(from)]);
    model_.levels.erase(model_.levels.begin() + from);
    model_.levels.insert(model_.levels.begin() + to, std::move(entry));
    view_.levels.selected = to;
    LevelListChanged();
    SelectLevel(to);
}

void ProjectWindow::bUpClick() {
    MoveSelected(view_.levels.selected - 1);
}
void ProjectWindow::bDownClick() {
    MoveSelected(view_.levels.selected + 1);
}
void ProjectWindow::bTopClick() {
    MoveSelected(0);
}
void ProjectWindow::bEndClick() {
    MoveSelected(static_cast<int>(model_.levels.size()) - 1);
}

void ProjectWindow::bRemoveClick() {
    if (!SelectedEntry()) return;
    EraseLevel(static_cast<std::size_t>(view_.levels.selected));
    view_.levels.selected = -1;
    LevelListChanged();
    RefreshLevelsInfo();
    RefreshLevelDetails();
    Sync();
}

template <class Change>
void ProjectWindow::ChangeSelectedEntry(Change change) {
    LevelEntry* entry = SelectedEntry();
    if (!entry) return;
    change(*entry);
    SetModified(true);
    Sync();
}

void ProjectWindow::cDesignerChange(const std::string& text) {
    if (!SelectedEntry()) {
        view_.levels.designerHint.clear();
        Touch();
        return;
    }
    // The drop-down offers only the designer list.
    if (!text.empty() && !Contains(model_.designers, text)) return;
    ChangeSelectedEntry([&](LevelEntry& e) { e.designer = text; });
}

void ProjectWindow::ePasswordChange(const std::string& text) {
    ChangeSelectedEntry(
        [&](LevelEntry& e) { e.password = Cut(ToUpperAscii(text), kMaxCodeLength); });
}

void ProjectWindow::eMusicChange(int music) {
    if (model_.musicMode != MusicMode::Manual) return;
    ChangeSelectedEntry(
        [&](LevelEntry& e) { e.music = std::to_string(std::clamp(music, 0, kMaxMusic)); });
}

void ProjectWindow::bGenerateClick() {
    if (!SelectedEntry()) return;
    ePasswordChange(MakePassword(random_, model_.wizard, PasswordsOf(model_.levels)));
}

std::string ProjectWindow::MusicFolder() const {
    return levelTool_->ToolFolder();
}

void ProjectWindow::bMusicClick() {
    auto& l = view_.levels;
    if (l.bMusicTag == 1) {
        sound_.Stop();
        l.bMusicCaption = "Play &Music";
        l.bMusicHint = "Play Selected Music";
        l.bMusicTag = 0;
        l.iTuneVisible = false;
    } else {
        std::string file = MusicFileFor(std::to_string(l.music));
        if (!file.empty()) sound_.PlayAsync(MusicFolder() + file);
        l.bMusicCaption = "Stop &Music";
        l.bMusicHint = "Stop Selected Music";
        l.bMusicTag = 1;
        l.iTuneVisible = true;
    }
    Touch();
}

void ProjectWindow::StopMusicIfPlaying() {
    if (view_.levels.bMusicTag == 1) bMusicClick();
}

void ProjectWindow::bEditHintClick() {
    LevelEntry* entry = SelectedEntry();
    if (!entry) return;
    std::optional<std::string> hint = dialogs_.EditHint("Hint for Level " + view_.levels.levelLabel,
                                                        view_.levels.eNameR, entry->hint);
    if (!hint) return;
    // The dialog may have been left again: the entry is looked up anew.
    ChangeSelectedEntry(
        [&](LevelEntry& e) { e.hint = Cut(WithoutLineBreaks(*hint), kMaxHintLength); });
}

void ProjectWindow::bDesignersClick() {
    if (!model_.open) return;
    designersDialog_.Open(model_.designers);
    if (!dialogs_.EditDesigners(designersDialog_)) return;
    designersDialog_.Apply(model_.levels, model_.designers, populateDesigner_);
    SetModified(true);
    RefreshLevelsInfo();
    Sync();
}

void ProjectWindow::ReassignMusic() {
    AssignMusicNumbers(model_.levels, model_.musicMode, random_);
}

void ProjectWindow::LevelListChanged() {
    ReassignMusic();
    SetModified(true);
}

// ---------------------------------------------------------------------------
// Playtest and level test

std::string ProjectWindow::PlaytestPath() const {
    // The player runs in the project folder: the path must not depend on ours.
    return FullFolder(projectFolder_) + kPlaytestFile;
}

bool ProjectWindow::WritePlaytestProject() {
    const std::string path = PlaytestPath();
    // A copy left from an earlier run must never be played instead.
    DeleteFileQuiet(path);
    return SaveProjectAs(model_, path);
}

int ProjectWindow::SelectedLevelIndex() const {
    return view_.levels.selected - model_.offset + 1;
}

void ProjectWindow::RunPlaytest(const std::vector<std::string>& levelArguments) {
    const std::string path = PlaytestPath();
    if (!WritePlaytestProject()) {
        prompts_.ShowMessage(kCaptionFileError, "Unable to save project file " + Quoted(path) + ".",
                             MsgIcon::Error);
        return;
    }
    const std::string player = toolFolder_ + kPlayerProgram;
    // The player's own start failure is not reported: it simply does not run.
    if (levelArguments.empty()) {
        runner_.RunTool(player, ShortPath(path), projectFolder_, true, true);
    } else {
        // Separate words, so that a path with blanks stays one argument.
        std::vector<std::string> arguments{ShortPath(path)};
        arguments.insert(arguments.end(), levelArguments.begin(), levelArguments.end());
        runner_.RunToolArgs(player, arguments, projectFolder_, true, true);
    }
    DeleteFileQuiet(path);
    Touch();
}

void ProjectWindow::bPlaytestClick() {
    if (!model_.open || model_.NumberedLevels() <= 0) return;
    RunPlaytest({});
}

void ProjectWindow::bTestLClick() {
    if (!model_.open) return;
    RunPlaytest({std::to_string(SelectedLevelIndex())});
}

// ---------------------------------------------------------------------------
// Build page

void ProjectWindow::xBSFClick(bool checked) {
    buildInSourceFolder_ = checked && !buildFolder_.empty();
    UpdateOutputPath();
    Touch();
}

void ProjectWindow::xGLLClick(bool checked) {
    view_.build.xGLLChecked = checked;
    Touch();
}

void ProjectWindow::bDoBuildClick() {
    if (!model_.open || model_.NumberedLevels() <= 0) return;
    StopMusicIfPlaying();
    BuildSettings settings;
    settings.outputPath = OutputPath();
    settings.levelList = view_.build.xGLLChecked;
    ProjectWindowBuildView buildView(*this);
    RunLevelSetBuild(model_, settings, *levelTool_, prompts_, random_, buildView);
    view_.toolbarEnabled = true;
    view_.build.bPrev4Enabled = true;
    Sync();
}

}  // namespace gdl
