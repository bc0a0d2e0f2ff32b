#include "Chooser.h"

#include <algorithm>

#include "FileUtil.h"
#include "IniFile.h"
#include "LevelSetFile.h"
#include "PathJoin.h"
#include "PlatformPath.h"
#include "Prompts.h"
#include "Registry.h"
#include "StartUp.h"
#include "TextUtil.h"
#include "ToolRunner.h"

namespace gdl {

void Chooser::Prepare(const std::string& installFolder, const std::string& folder,
                      const std::string& fileName) {
    installFolder_ = installFolder;
    folder_ = folder;
    fileName_ = fileName;
}

void Chooser::FormActivate() {
    view_ = {};
    registry_.CreateKey(RegRoot::LocalMachine, kRegKeyLevelSets);
    view_.cLevelSets = registry_.ValueNames(RegRoot::LocalMachine, kRegKeyLevelSets);
    if (view_.cLevelSets.empty()) {
        bOtherClick();
        return;
    }
    view_.selected = 0;
    cLevelSetsClick();
}

std::string Chooser::SelectedName() const {
    if (view_.selected < 0 || view_.selected >= static_cast<int>(view_.cLevelSets.size()))
        return {};
    return view_.cLevelSets[static_cast<std::size_t>(view_.selected)];
}

std::string Chooser::SelectedPath() const {
    return view_.selected < 0 ? std::string() : StoredPath(SelectedName());
}

void Chooser::ClearDetails() {
    view_.Label2.clear();
    view_.Label3.clear();
    view_.bOKEnabled = false;
    view_.popupEnabled = false;
}

std::string Chooser::StoredPath(const std::string& name) const {
    return registry_.ReadValue(RegRoot::LocalMachine, kRegKeyLevelSets, name).value_or("");
}

void Chooser::ShowDetails(const std::string& path) {
    std::string ext = ToLowerAscii(ExtensionOf(path));
    if (ext == ".gdl") {
        auto bytes = ReadFilePrefix(PlatformPath(path), kSetHeaderSize);
        auto header = bytes ? ParseHeader(*bytes) : std::nullopt;
        if (!header) return;
        view_.Label2 = kCopyrightPrefix + header->year + " " + header->notice;
        view_.Label3 = header->comments;
    } else if (ext == ".gdp") {
        IniFile ini = IniFile::Load(PlatformPath(path));
        view_.Label2 = kCopyrightPrefix + ini.ReadString("^GDP", "Copyright") + " " +
                       ini.ReadString("^GDP", "Notice");
        view_.Label3 = ini.ReadString("^GDP", "Comments");
    }
}

void Chooser::cLevelSetsClick() {
    if (view_.selected < 0) {
        ClearDetails();
        return;
    }
    ShowDetails(StoredPath(SelectedName()));
    view_.bOKEnabled = true;
    view_.popupEnabled = true;
}

void Chooser::bOKClick() {
    std::string path = SelectedPath();
    if (path.empty()) return;
    fileName_ = path;
    view_.result = ModalResult::Ok;
}

void Chooser::bOtherClick() {
    FileDialogRequest request;
    request.title = kOtherDialogTitle;
    request.folder = folder_;
    request.fileName = fileName_;
    request.filter = kOtherDialogFilter;
    request.defaultExt = "gdl";
    request.mustExist = true;
    auto chosen = prompts_.OpenFileDialog(request);
    if (!chosen) return;
    std::string ext = ToLowerAscii(ExtensionOf(*chosen));
    if (ext == ".gdl") {
        auto bytes = ReadFilePrefix(PlatformPath(*chosen), kSetHeaderSize);
        auto header = bytes ? ParseHeader(*bytes) : std::nullopt;
        if (header) OfferLevelSet(header->name, *chosen);
    } else if (ext == ".gdp") {
        std::string name = GetPrivateProfileString("^GDP", "Name", "", PlatformPath(*chosen));
        if (!name.empty()) OfferLevelSet(name, *chosen);
    }
    fileName_ = *chosen;
    view_.result = ModalResult::Ok;
}

void Chooser::OfferLevelSet(const std::string& name, const std::string& path) {
    auto& list = view_.cLevelSets;
    if (std::any_of(list.begin(), list.end(),
                    [&](const std::string& entry) { return EqualsNoCase(entry, name); }))
        return;
    if (prompts_.Ask(kNewSetCaption, "Add " + name + " to Level Set List?", MsgButtons::YesNo,
                     MsgIcon::Question) != Answer::Yes)
        return;
    list.push_back(name);
    registry_.WriteValue(RegRoot::LocalMachine, kRegKeyLevelSets, name, path);
}

void Chooser::Remove1Click() {
    if (view_.selected < 0) return;
    std::string name = SelectedName();
    if (prompts_.Ask(kRemoveSetCaption, "Remove " + name + " from Level Set List?",
                     MsgButtons::YesNo, MsgIcon::Question) != Answer::Yes)
        return;
    view_.cLevelSets.erase(view_.cLevelSets.begin() + view_.selected);
    registry_.DeleteValue(RegRoot::LocalMachine, kRegKeyLevelSets, name);
    view_.selected = -1;
    ClearDetails();
}

void Chooser::About1Click() {
    std::string path = SelectedPath();
    if (path.empty()) return;
    const std::string program =
        PlatformPath(JoinPath(JoinPath(installFolder_, "bin"), kCompanionProgram));
    if (runner_.RunTool(program, FileNameOf(path), PlatformPath(FolderOf(path)), true, false) == 0)
        return;
    std::string text = "Unable to start " + program + ".";
    if (const std::string why = runner_.LastError(); !why.empty()) text += "\r\n\r\n" + why;
    prompts_.ShowMessage(kCaptionFileError, text, MsgIcon::Error);
}

}  // namespace gdl
