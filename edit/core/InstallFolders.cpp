#include "InstallFolders.h"

#include <filesystem>

#include "Environment.h"
#include "FileUtil.h"
#include "PathJoin.h"
#include "PlatformPath.h"
#include "Registry.h"

namespace fs = std::filesystem;

namespace gdl {

namespace {

// The install folder's own subfolder when this user may write it, else the
// user's.
std::string WritableOrUsers(const std::string& install, const std::string& user, const char* name,
                            bool& perUser) {
    const std::string installed = JoinPath(install, std::string(name) + "/");
    if (IsWritableFolder(installed) || user.empty()) return installed;
    perUser = true;
    return JoinPath(user, std::string(name) + "/");
}

}  // namespace

InstallFolders ReadInstallFolders(const Registry& registry, const std::string& programFolder,
                                  const std::string& userKitFolder) {
    InstallFolders f;
    f.toolFolder = WithTrailingSlash(ShortPath(programFolder));
    if (!registry.KeyExists(RegRoot::LocalMachine, kRegKeyRoot)) return f;
    f.installed = true;
    std::string install = registry.ReadValue(RegRoot::LocalMachine, kRegKeyRoot, "").value_or("");
    if (install.empty()) return f;
    f.installFolder = WithTrailingSlash(install);
    f.toolFolder = JoinPath(f.installFolder, "bin/");
    f.buildFolder = WritableOrUsers(f.installFolder, userKitFolder, "levels", f.perUser);
    f.projectFolder = WritableOrUsers(f.installFolder, userKitFolder, "source", f.perUser);
    return f;
}

bool MakeUserFolders(const InstallFolders& folders) {
    if (!folders.perUser) return true;
    bool made = true;
    for (const std::string& folder : {folders.buildFolder, folders.projectFolder}) {
        std::error_code ec;
        fs::create_directories(folder, ec);
        made = made && fs::is_directory(folder, ec);
    }
    return made;
}

std::string SampleProjectFolder(const std::string& installFolder) {
    if (installFolder.empty()) return {};
    const std::string name = kSampleProject;
    for (const std::string& samples : {JoinPath(installFolder, "../../share/gdlkit/samples"),
                                       JoinPath(installFolder, "samples")}) {
        const std::string folder = JoinPath(samples, name + "/");
        if (!FileExists(JoinPath(folder, name + ".gdp"))) continue;
        std::error_code ec;
        fs::path normal = fs::weakly_canonical(folder, ec);
        return ec ? folder : WithTrailingSlash(normal.string());
    }
    return {};
}

}  // namespace gdl
