#include "InstallFolders.h"

#include "FileUtil.h"
#include "PlatformPath.h"
#include "Registry.h"

namespace gdl {

InstallFolders ReadInstallFolders(const Registry& registry, const std::string& programFolder) {
    InstallFolders f;
    f.toolFolder = WithTrailingSlash(ShortPath(programFolder));
    if (!registry.KeyExists(RegRoot::LocalMachine, kRegKeyRoot)) return f;
    f.installed = true;
    std::string install = registry.ReadValue(RegRoot::LocalMachine, kRegKeyRoot, "").value_or("");
    if (!install.empty()) {
        install = WithTrailingSlash(install);
        f.toolFolder = install + "bin/";
        f.buildFolder = install + "levels/";
        f.projectFolder = install + "source/";
    }
    return f;
}

}  // namespace gdl
