#include "SourcePage.h"

#include <algorithm>

#include "EditorDialogs.h"
#include "FileUtil.h"
#include "LevelReference.h"
#include "Passwords.h"
#include "PathJoin.h"
#include "Prompts.h"
#include "TextUtil.h"

namespace gdl {

namespace {

constexpr char kSourceFilter[] = "GDL Source Files (*.lvs)|*.lvs|All files (*.*)|*.*";
constexpr char kTemplateFile[] = "resource.001";
constexpr std::size_t kMaxSourceName = 8;

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

void SourcePage::Render() {
    s_.view.source.sources = s_.model.sources;
    if (s_.view.source.sourceSelected >= static_cast<int>(s_.model.sources.size()))
        s_.view.source.sourceSelected = -1;
    RefreshSourceUsage();
}

std::string SourcePage::SelectedSource() const {
    int i = s_.view.source.sourceSelected;
    if (i < 0 || i >= static_cast<int>(s_.model.sources.size())) return {};
    return s_.model.sources[static_cast<std::size_t>(i)];
}

std::string SourcePage::ContentsReference(int index) const {
    const auto& contents = s_.view.source.contents;
    if (index < 0 || index >= static_cast<int>(contents.size())) return {};
    return SelectedSource() + ":" + contents[static_cast<std::size_t>(index)];
}

void SourcePage::SelectSource(int index) {
    auto& s = s_.view.source;
    s.sourceSelected = index >= 0 && index < static_cast<int>(s_.model.sources.size()) ? index : -1;
    bool selected = s.sourceSelected >= 0;
    s.bEditSEnabled = s.bRemoveSEnabled = s.bIncludeAllEnabled = s.bExcludeAllEnabled = selected;
    s.contents.clear();
    s.contentsSelected = -1;
    std::string source = SelectedSource();
    if (selected && SafeSourceName(source))
        RefreshLevelInfoCache(s_.projectFolder, source, s_.Listing(), &s.contents);
    RefreshLevelDetails();
}

void SourcePage::RefreshSourceUsage() {
    auto& s = s_.view.source;
    if (s.contentsSelected < 0 || s.contentsSelected >= static_cast<int>(s.contents.size())) {
        s.contentsSelected = -1;
        s.levelLabel.clear();
        s.usage = UsageIcon::None;
        s.usageHint.clear();
        s.bIncludeEnabled = s.bExcludeEnabled = false;
        return;
    }
    int p = s_.model.FindLevel(ContentsReference(s.contentsSelected));
    if (p < 0) {
        s.levelLabel = "unused";
        s.usage = UsageIcon::NotIncluded;
        s.usageHint = kUsageNotIncludedHint;
    } else {
        s.levelLabel = LevelLabel(p + 1, s_.model.offset);
        s.usage = UsageIcon::Included;
        s.usageHint = kUsageIncludedHint;
    }
    if (!s_.sourceInfoFound) {
        s.usage = UsageIcon::Error;
        s.usageHint = kUsageErrorHint;
        // What the level tool said about the source, when it said anything.
        auto output = s_.listingOutput.find(SelectedSource());
        if (output != s_.listingOutput.end()) {
            std::string said = TrimBlanks(output->second);
            if (!said.empty()) s.usageHint += "\n" + said;
        }
    }
    s.bIncludeEnabled = s.bExcludeEnabled = true;
}

void SourcePage::RefreshLevelDetails() {
    auto& s = s_.view.source;
    s_.sourceInfoFound = true;
    s.eNameI.clear();
    s.eSizeI.clear();
    s.eTimeI.clear();
    s.eQuotaI.clear();
    if (s.contentsSelected >= 0 && s.contentsSelected < static_cast<int>(s.contents.size())) {
        LevelInfoResult r = s_.ReadInfo(ContentsReference(s.contentsSelected));
        s.eNameI = r.info.Name;
        s.eSizeI = r.info.Size;
        s.eTimeI = r.info.Time;
        s.eQuotaI = r.info.Quota;
        s_.sourceInfoFound = r.found;
    }
    RefreshPreview();
    RefreshSourceUsage();
}

void SourcePage::RefreshPreview() {
    auto& s = s_.view.source;
    const std::string source = SelectedSource();
    s.preview = {};
    s.problems.clear();
    if (source.empty() || !SafeSourceName(source)) return;
    s.problems = s_.previews.ProblemsOf(s_.projectFolder, source);
    if (s.contentsSelected >= 0 && s.contentsSelected < static_cast<int>(s.contents.size()))
        s.preview = s_.previews.OfSourceLevel(
            s_.projectFolder, source, s.contents[static_cast<std::size_t>(s.contentsSelected)]);
}

void SourcePage::cSourceClick(int index) {
    if (!s_.model.open) return;
    SelectSource(index);
    s_.Sync();
}

void SourcePage::cContentsClick(int index) {
    auto& s = s_.view.source;
    s.contentsSelected = index >= 0 && index < static_cast<int>(s.contents.size()) ? index : -1;
    RefreshLevelDetails();
    s_.Sync();
}

void SourcePage::AppendLevel(const std::string& reference, bool automate) {
    LevelEntry entry;
    entry.reference = reference;
    if (automate && s_.populateDesigner) {
        entry.designer = SplitReference(reference).source;
        s_.model.AddDesigner(entry.designer);
    }
    if (automate && s_.generatePassword)
        entry.password = MakePassword(s_.random, s_.model.wizard, PasswordsOf(s_.model.levels));
    s_.model.levels.push_back(std::move(entry));
}

int SourcePage::RemoveReference(const std::string& reference) {
    int removed = 0;
    for (int p = s_.model.FindLevel(reference); p >= 0; p = s_.model.FindLevel(reference)) {
        s_.EraseLevel(static_cast<std::size_t>(p));
        ++removed;
    }
    return removed;
}

void SourcePage::bIncludeClick() {
    std::string ref = ContentsReference(s_.view.source.contentsSelected);
    if (ref.empty()) return;
    if (s_.model.FindLevel(ref) < 0 && s_.CanAddLevels(1)) {
        AppendLevel(ref, true);
        s_.LevelListChanged();
        RefreshLevelDetails();
    }
    s_.Sync();
}

int SourcePage::IncludeAllOfSelected() {
    std::vector<std::string> missing;
    for (std::size_t i = 0; i < s_.view.source.contents.size(); ++i) {
        std::string ref = ContentsReference(static_cast<int>(i));
        if (s_.model.FindLevel(ref) < 0 && !Contains(missing, ref)) missing.push_back(ref);
    }
    if (missing.empty() || !s_.CanAddLevels(missing.size())) return 0;
    for (const auto& ref : missing) AppendLevel(ref, true);
    s_.LevelListChanged();
    SelectSource(s_.view.source.sourceSelected);
    return static_cast<int>(missing.size());
}

void SourcePage::bIncludeAllClick() {
    if (SelectedSource().empty()) return;
    IncludeAllOfSelected();
    s_.Sync();
}

void SourcePage::bExcludeClick() {
    std::string ref = ContentsReference(s_.view.source.contentsSelected);
    if (ref.empty()) return;
    if (RemoveReference(ref) > 0) {
        s_.LevelListChanged();
        RefreshLevelDetails();
    }
    s_.Sync();
}

int SourcePage::ExcludeAllOfSelected() {
    int removed = 0;
    for (std::size_t i = 0; i < s_.view.source.contents.size(); ++i)
        removed += RemoveReference(ContentsReference(static_cast<int>(i)));
    return removed;
}

void SourcePage::bExcludeAllClick() {
    std::string source = SelectedSource();
    if (source.empty()) return;
    Answer answer = s_.prompts.Ask(
        kCaptionConfirm, "Exclude all levels for " + Quoted(source) + " from the level set?",
        MsgButtons::YesNo, MsgIcon::Question);
    if (answer == Answer::Yes && ExcludeAllOfSelected() > 0) {
        s_.LevelListChanged();
        SelectSource(s_.view.source.sourceSelected);
    }
    s_.Sync();
}

void SourcePage::cContentsDblClick() {
    std::string ref = ContentsReference(s_.view.source.contentsSelected);
    if (ref.empty()) return;
    if (s_.model.FindLevel(ref) >= 0) {
        RemoveReference(ref);
    } else if (s_.CanAddLevels(1)) {
        AppendLevel(ref, false);
    } else {
        s_.Sync();
        return;
    }
    s_.SetModified(true);
    RefreshLevelDetails();
    s_.Sync();
}

void SourcePage::AddSourceAndList(const std::string& name) {
    s_.model.sources.push_back(name);
    // A fresh listing: the source may have changed since any earlier one.
    DeleteLevelInfoFiles(s_.projectFolder, name);
    RefreshLevelInfoCache(s_.projectFolder, name, s_.Listing());
}

void SourcePage::SourceAdded() {
    SelectSource(static_cast<int>(s_.model.sources.size()) - 1);
    if (s_.includeLevels) IncludeAllOfSelected();
    s_.SetModified(true);
}

std::string SourcePage::NewSourceName() const {
    std::string base;
    for (char c : s_.model.name)
        if (SourceNameChar(c)) base += c;
    // A leading "-" would read as an option of the level tool.
    base.erase(0, base.find_first_not_of('-') == std::string::npos ? base.size()
                                                                   : base.find_first_not_of('-'));
    for (int n = 1; n < 100000000; ++n) {
        std::string digits = std::to_string(n);
        std::size_t keep = kMaxSourceName - static_cast<std::size_t>(DecimalDigits(n));
        std::string candidate =
            Cut(base.substr(0, std::min(keep, base.size())) + digits, kMaxSourceName);
        if (!FileExists(JoinPath(s_.projectFolder, candidate + ".lvs"))) return candidate;
    }
    return {};
}

void SourcePage::bNewSClick() {
    if (!s_.model.open || !s_.CanAddSource()) return;
    std::string name = NewSourceName();
    if (name.empty()) return;
    std::string file = JoinPath(s_.projectFolder, name + ".lvs");
    CopyFileNoOverwrite(s_.levelTool->ToolFolder() + kTemplateFile, file);
    if (!FileExists(file)) return;
    if (!s_.levelTool->CheckToolFiles({kLevelToolExe, kLevelToolPif, kEditBatch}, true)) return;
    s_.EditSource(name, s_.projectFolder, true);
    AddSourceAndList(name);
    SourceAdded();
    s_.Sync();
}

bool SourcePage::CopyIntoProject(const std::string& from, bool move) {
    std::string verb = move ? "Move " : "Copy ";
    Answer answer = s_.prompts.Ask(kCaptionConfirm,
                                   verb + Quoted(from) + " to " + Quoted(s_.projectFolder) + "?",
                                   MsgButtons::YesNo, MsgIcon::Question);
    if (answer != Answer::Yes) return false;
    if (!CopyFileNoOverwrite(from, JoinPath(s_.projectFolder, FileNameOf(from)))) {
        s_.prompts.ShowMessage(kCaptionFileError,
                               move ? "Unable to move file." : "Unable to copy file.",
                               MsgIcon::Error);
        return false;
    }
    if (move) DeleteFileQuiet(from);
    return true;
}

void SourcePage::bAddSClick() {
    if (!s_.model.open || !s_.CanAddSource()) return;
    std::optional<std::string> path =
        s_.prompts.OpenFileDialog(s_.OpenRequest("Add Source File", kSourceFilter, ".lvs"));
    if (!path) return;

    std::string name = BaseName(*path);
    if (!SafeSourceName(name)) {
        s_.prompts.ShowMessage(kCaptionFileError,
                               "The file name " + Quoted(FileNameOf(*path)) +
                                   " cannot be used as the name of a source file.",
                               MsgIcon::Error);
        return;
    }
    if (!SameFolder(FolderOf(*path), s_.projectFolder)) {
        AddSourceRequest ask;
        ask.caption = "Add Source to Project";
        ask.line1 =
            "The source file " + FileNameOf(*path) + " is not located in this project's folder.";
        ask.line2 =
            "Would you like to Copy it to the project folder, Move it to the project folder, or "
            "Cancel?";
        AddSourceAnswer answer = s_.dialogs.AskAddSource(ask);
        if (answer == AddSourceAnswer::Cancel) return;
        if (!CopyIntoProject(*path, answer == AddSourceAnswer::Move)) {
            s_.Sync();
            return;
        }
    }
    auto existing = std::find(s_.model.sources.begin(), s_.model.sources.end(), name);
    if (existing != s_.model.sources.end()) {
        // Already a source of the project: show it rather than list it twice.
        SelectSource(static_cast<int>(existing - s_.model.sources.begin()));
        s_.Sync();
        return;
    }
    AddSourceAndList(name);
    SourceAdded();
    s_.Sync();
}

void SourcePage::bEditSClick() {
    std::string source = SelectedSource();
    if (source.empty() || !SafeSourceName(source)) return;
    if (!s_.levelTool->CheckToolFiles({kEditBatch, kLevelToolExe, kLevelToolPif}, true)) return;
    s_.EditSource(source, s_.projectFolder, true);
    DeleteLevelInfoFiles(s_.projectFolder, source);
    RefreshLevelInfoCache(s_.projectFolder, source, s_.Listing());
    if (s_.view.source.contentsSelected < 0) {
        SelectSource(s_.view.source.sourceSelected);
    } else {
        RefreshLevelDetails();
    }
    s_.Sync();
}

void SourcePage::bRemoveSClick() {
    std::string source = SelectedSource();
    if (source.empty()) return;
    Answer answer =
        s_.prompts.Ask(kCaptionConfirm, "Remove source file " + Quoted(source) + " from project?",
                       MsgButtons::YesNo, MsgIcon::Question);
    if (answer != Answer::Yes) return;
    // Every entry of the source goes, also one its listing no longer shows.
    int removed = 0;
    for (std::size_t i = s_.model.levels.size(); i-- > 0;) {
        LevelRef ref = SplitReference(s_.model.levels[i].reference);
        if (s_.model.levels[i].reference.find(':') != std::string::npos && ref.source == source) {
            s_.EraseLevel(i);
            ++removed;
        }
    }
    if (removed > 0) s_.ReassignMusic();
    s_.model.sources.erase(s_.model.sources.begin() + s_.view.source.sourceSelected);
    if (SafeSourceName(source)) DeleteLevelInfoFiles(s_.projectFolder, source);
    SelectSource(-1);
    s_.SetModified(true);
    s_.Sync();
}

}  // namespace gdl
