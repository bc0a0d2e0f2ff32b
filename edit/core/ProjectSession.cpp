#include "ProjectSession.h"

#include <algorithm>
#include <filesystem>

#include "FileUtil.h"
#include "LevelReference.h"
#include "Passwords.h"
#include "PlatformPath.h"
#include "Prompts.h"
#include "SoundPlayer.h"
#include "TextUtil.h"
#include "ToolRunner.h"

namespace gdl {

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string WithoutLineBreaks(const std::string& text) {
    std::string r;
    for (char c : text)
        if (c != '\r' && c != '\n') r += c;
    return r;
}

bool Contains(const std::vector<std::string>& list, std::string_view item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

namespace {

bool HasControlOrSlash(std::string_view name) {
    return std::any_of(name.begin(), name.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == '/' || c == '\\';
    });
}

}  // namespace

bool SafeLevelName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && !HasControlOrSlash(name);
}

bool SafeSourceName(std::string_view name) {
    return SafeLevelName(name) && name.find(':') == std::string_view::npos &&
           name.find('.') == std::string_view::npos;
}

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

ProjectSession::ProjectSession(const EditorPorts& ports) : EditorPorts(ports) {
    programFolder = WithTrailingSlash(programFolder);
    toolFolder = WithTrailingSlash(ShortPath(programFolder));
    levelTool.emplace(toolFolder, runner, prompts);
}

void ProjectSession::Touch() {
    ++view.revision;
}

void ProjectSession::Notify() {
    Touch();
    if (changed) changed();
}

void ProjectSession::Sync() {
    if (sync) sync();
}

void ProjectSession::SetModified(bool modified) {
    model.modified = modified;
    view.saveEnabled = modified;
}

RunListing ProjectSession::Listing() {
    return [this](const std::string& source) {
        if (!SafeSourceName(source)) return;
        levelTool->List(source, projectFolder);
        listingOutput[source] = runner.LastErrorOutput();
    };
}

LevelInfoResult ProjectSession::ReadInfo(const std::string& reference) {
    LevelRef ref = SplitReference(reference);
    bool safe = SafeLevelName(ref.level) && (ref.source.empty() || SafeSourceName(ref.source));
    if (!safe) return {{kLevelErrorText, "", "", ""}, false};
    return ReadLevelInfo(projectFolder, ref.source, ref.level, Listing());
}

LevelEntry* ProjectSession::SelectedEntry() {
    int i = view.levels.selected;
    if (i < 0 || i >= static_cast<int>(model.levels.size())) return nullptr;
    return &model.levels[static_cast<std::size_t>(i)];
}

void ProjectSession::EraseLevel(std::size_t index) {
    model.levels.erase(model.levels.begin() + static_cast<std::ptrdiff_t>(index));
    int& sel = view.levels.selected;
    if (sel == static_cast<int>(index)) {
        sel = -1;
    } else if (sel > static_cast<int>(index)) {
        --sel;
    }
}

void ProjectSession::ReassignMusic() {
    AssignMusicNumbers(model.levels, model.musicMode, random);
}

void ProjectSession::LevelListChanged() {
    ReassignMusic();
    SetModified(true);
}

void ProjectSession::ToggleMusic() {
    auto& l = view.levels;
    if (l.bMusicTag == 1) {
        sound.Stop();
        l.bMusicCaption = "Play &Music";
        l.bMusicHint = "Play Selected Music";
        l.bMusicTag = 0;
        l.iTuneVisible = false;
    } else {
        std::string file = MusicFileFor(std::to_string(l.music));
        // The previews lie beside the level tool.
        if (!file.empty()) sound.PlayAsync(levelTool->ToolFolder() + file);
        l.bMusicCaption = "Stop &Music";
        l.bMusicHint = "Stop Selected Music";
        l.bMusicTag = 1;
        l.iTuneVisible = true;
    }
    Touch();
}

void ProjectSession::StopMusicIfPlaying() {
    if (view.levels.bMusicTag == 1) ToggleMusic();
}

bool ProjectSession::CanAddLevels(std::size_t count) {
    if (model.levels.size() + count <= kMaxProjectEntries) return true;
    prompts.ShowMessage(kLevelSetFullCaption, kLevelSetFullText, MsgIcon::Information);
    return false;
}

bool ProjectSession::CanAddSource() {
    if (model.sources.size() < kMaxProjectEntries) return true;
    prompts.ShowMessage(kProjectFullCaption, kSourcesFullText, MsgIcon::Information);
    return false;
}

void ProjectSession::ReportStartFailure(const std::string& what) {
    std::string text = "Unable to start " + what + ".";
    const std::string why = runner.LastError();
    if (!why.empty()) text += "\r\n\r\n" + why;
    prompts.ShowMessage(kCaptionFileError, text, MsgIcon::Error);
}

bool ProjectSession::EditSource(const std::string& source, const std::string& folder, bool wait) {
    // While the window waits, it says for what; the pages look the same after.
    if (wait) {
        view.source.editing = "Editing " + source + ".lvs in " + kMapEditorExe + "\x85";
        Touch();
        Sync();
    }
    const bool edited = levelTool->Edit(source, folder, wait);
    if (wait) {
        view.source.editing.clear();
        Touch();
    }
    if (edited) return true;
    // A missing tool file has had its own message.
    if (!levelTool->CheckToolFiles({kLevelToolExe, kLevelToolPif, kEditBatch}, false)) return false;
    ReportStartFailure("the level tool to edit " + source + ".lvs");
    return false;
}

FileDialogRequest ProjectSession::OpenRequest(const char* title, const char* filter,
                                              const char* defaultExt) const {
    FileDialogRequest request;
    request.title = title;
    request.folder = projectFolder;
    request.filter = filter;
    request.defaultExt = defaultExt;
    request.mustExist = true;
    return request;
}

}  // namespace gdl
