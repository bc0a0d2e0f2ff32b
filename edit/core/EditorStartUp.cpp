#include "EditorStartUp.h"

#include "EditorOptions.h"
#include "Environment.h"
#include "FileUtil.h"
#include "InstallFolders.h"
#include "PlatformPath.h"
#include "ProjectFiles.h"
#include "ProjectSession.h"
#include "Prompts.h"
#include "RecentProjects.h"
#include "SampleOffer.h"
#include "TextUtil.h"

namespace gdl {

namespace {

constexpr char kNotInstalledText[] =
    "The software has not been properly installed.\r\n\r\nPlease re-install the software from "
    "your Trovemark CD.";

}  // namespace

void EditorStartUp::FormActivate(const std::vector<std::string>& args) {
    if (activated_) return;
    activated_ = true;
    s_.includeLevels = s_.populateDesigner = s_.generatePassword = false;
    if (!FindInstallFolders()) {
        s_.view.closeRequested = true;
        s_.Sync();
        return;
    }
    recent_.Load();
    s_.levelTool->WriteEditBatch(1);
    options_.Load();
    files_.ResetToNoProject();
    // The random source was seeded by its owner when the program started.
    OpenCommandLine(args);
    if (args.empty()) SampleOffer(s_, recent_, files_).Offer();
    s_.Sync();
}

bool EditorStartUp::FindInstallFolders() {
    s_.toolFolder = WithTrailingSlash(ShortPath(s_.programFolder));
    s_.buildFolder.clear();
    s_.projectFolder.clear();
    InstallFolders folders = ReadInstallFolders(s_.registry, s_.programFolder, UserKitFolder());
    if (!folders.installed) {
        s_.prompts.ShowMessage(kCaptionFileError, kNotInstalledText, MsgIcon::Error);
        return false;
    }
    s_.toolFolder = folders.toolFolder;
    s_.buildFolder = folders.buildFolder;
    s_.projectFolder = folders.projectFolder;
    s_.userFolders = folders.perUser;
    s_.installFolder = folders.installFolder;
    MakeUserFolders(folders);
    s_.levelTool.emplace(s_.toolFolder, s_.runner, s_.prompts);
    return s_.levelTool->CheckToolFiles({kLevelToolExe, kLevelToolPif}, true);
}

void EditorStartUp::OpenCommandLine(const std::vector<std::string>& args) {
    std::string arg = args.empty() ? std::string() : args.front();
    if (ToLowerAscii(ExtensionOf(arg)) == ".lvs") {
        std::string source = BaseName(arg);
        if (s_.levelTool->CheckToolFiles({kLevelToolExe, kLevelToolPif, kEditBatch}, true))
            s_.EditSource(source, FolderOf(arg), false);
        s_.view.closeRequested = true;
    } else if (!arg.empty()) {
        files_.LoadProjectFile(arg);
    }
}

}  // namespace gdl
