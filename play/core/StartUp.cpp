#include "StartUp.h"

#include <filesystem>

#include "FileUtil.h"
#include "LevelTool.h"
#include "PathJoin.h"
#include "PlatformPath.h"
#include "Prompts.h"
#include "Registry.h"
#include "ToolRunner.h"

namespace gdl {

std::string PlayerInstallFolder(const Registry& registry, const std::string& playerFolder) {
    std::string recorded = registry.ReadValue(RegRoot::LocalMachine, kRegKeyRoot, "").value_or("");
    if (!recorded.empty()) return WithTrailingSlash(recorded);
    std::error_code ec;
    std::filesystem::path parent = std::filesystem::absolute(JoinPath(playerFolder, ".."), ec);
    return WithTrailingSlash(parent.lexically_normal().string());
}

bool CheckToolFiles(Prompts& prompts, const std::string& folder,
                    std::initializer_list<std::string_view> names) {
    std::string missing;
    bool first = true;
    for (std::string_view name : names) {
        if (!first && name.empty()) continue;
        first = false;
        std::string path = JoinPath(folder, name);
        if (!FileExists(PlatformPath(path))) missing = path;
    }
    if (missing.empty()) return true;
    prompts.ShowMessage(kCaptionFileError, MissingToolFileMessage(missing, kPlayerProgramName),
                        MsgIcon::Error);
    return false;
}

bool StartUp::ReadFolders() {
    PlayerState& s = c_.state;
    s.installFolder = PlayerInstallFolder(c_.ports.registry, s.playerFolder);
    if (CheckToolFiles(c_.ports.prompts, s.playerFolder, {kLevelToolExe, kLevelToolPif}))
        return true;
    c_.view.closeRequested = true;
    return false;
}

bool StartUp::ReadOption(const char* value) const {
    if (c_.state.cd) return false;
    Registry& reg = c_.ports.registry;
    reg.CreateKey(RegRoot::LocalMachine, kRegKeyPlayOptions);
    return reg.ReadValue(RegRoot::LocalMachine, kRegKeyPlayOptions, value).value_or("") == "1";
}

void StartUp::ReadOptions() {
    c_.view.IgnoreLynxButtons1.checked = ReadOption(kOptIgnoreButtons);
    c_.view.AutoLoadLevelSet1.checked = ReadOption(kOptAutoLoad);
    c_.view.SavePassword1.checked = ReadOption(kOptSavePassword);
}

std::string StartUp::SetPathToStart(std::string lastSet) const {
    if (!c_.args.empty()) return c_.args[0];
    return c_.view.AutoLoadLevelSet1.checked ? lastSet : std::string();
}

void StartUp::Toggle(MenuItemView& item, const char* value) {
    item.checked = !item.checked;
    if (c_.state.cd) return;
    c_.ports.registry.WriteValue(RegRoot::LocalMachine, kRegKeyPlayOptions, value,
                                 item.checked ? "1" : "0");
}

// Without a browser or the companion program the user would see nothing
// happen: say what could not be started, and why.
void StartUp::ReportStartFailure(const std::string& what) {
    std::string text = "Unable to start " + what + ".";
    const std::string why = c_.ports.runner.LastError();
    if (!why.empty()) text += "\r\n\r\n" + why;
    c_.ports.prompts.ShowMessage(kCaptionFileError, text, MsgIcon::Error);
}

void StartUp::Contents1Click() {
    const std::string docs = PlatformPath(JoinPath(c_.state.installFolder, "docs"));
    if (c_.ports.runner.RunTool(kDocsFile, "", docs, true, false) != 0)
        ReportStartFailure("the documentation " + JoinPath(docs, kDocsFile));
}

void StartUp::About1Click() {
    const std::string bin = PlatformPath(JoinPath(c_.state.installFolder, "bin"));
    const std::string program = JoinPath(bin, kCompanionProgram);
    if (c_.ports.runner.RunTool(program, "", bin, true, false) != 0) ReportStartFailure(program);
}

void StartUp::Info1Click() {
    const PlayerState& s = c_.state;
    const std::string program =
        PlatformPath(JoinPath(JoinPath(s.installFolder, "bin"), kCompanionProgram));
    if (c_.ports.runner.RunTool(program, s.setFileName, PlatformPath(s.setFolder), true, false) !=
        0)
        ReportStartFailure(program);
}

}  // namespace gdl
