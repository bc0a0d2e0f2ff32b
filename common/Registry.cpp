#include "Registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "Environment.h"
#include "FileUtil.h"
#include "LevelTool.h"
#include "PathJoin.h"
#include "TextUtil.h"
#include "UniqueFd.h"

namespace fs = std::filesystem;

namespace gdl {

namespace {

// Holds an advisory lock on the registry file's folder, so that the editor and
// the player do not lose each other's changes between read and write.
class FolderLock {
public:
    explicit FolderLock(const std::string& folder) {
        fd_.Reset(
            ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (fd_) {
            while (::flock(fd_.Get(), LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }

private:
    UniqueFd fd_;
};

}  // namespace

// --- FileRegistry ---

FileRegistry::FileRegistry(std::string machinePath, std::string userPath)
    : machinePath_(std::move(machinePath)), userPath_(std::move(userPath)) {}

FileRegistry FileRegistry::FromEnvironment() {
    std::string config = UserFolder("XDG_CONFIG_HOME", ".config");
    if (config.empty()) config = "./.config/gdlkit/";
    const char* machine = std::getenv("GDLKIT_MACHINE_REG");
    std::string machinePath = (machine && *machine) ? machine : config + "machine.reg";
    return FileRegistry(machinePath, config + "user.reg");
}

RegistryHive FileRegistry::LoadHive(RegRoot root, LoadState& state) const {
    const std::string& path = PathOf(root);
    std::error_code ec;
    if (!fs::exists(path, ec) && !ec) {
        state = LoadState::Missing;
        return {};
    }
    auto bytes = ReadFileBytes(path);
    auto hive = bytes ? ParseHive(*bytes) : std::nullopt;
    if (!hive) {
        state = LoadState::Unusable;
        return {};
    }
    state = LoadState::Ok;
    return std::move(*hive);
}

bool FileRegistry::StoreHive(RegRoot root, const RegistryHive& hive) {
    return WriteFileAtomic(PathOf(root), SerializeHive(hive), Durability::Disk);
}

bool FileRegistry::Locked(RegRoot root, const std::function<bool()>& change) {
    std::string folder = FolderOf(PathOf(root));
    std::error_code ec;
    fs::create_directories(folder, ec);
    FolderLock lock(folder);
    return change();
}

// --- Installation ---

bool SeedInstallFolder(Registry& registry, const std::string& programFolder) {
    if (!registry.ReadValue(RegRoot::LocalMachine, kRegKeyRoot, "").value_or("").empty()) {
        return false;
    }
    if (programFolder.empty()) return false;
    std::string folder = WithTrailingSlash(programFolder);
    if (!FileExists(JoinPath(folder, kLevelToolExe)) ||
        !FileExists(JoinPath(folder, kLevelToolPif)))
        return false;
    std::error_code ec;
    fs::path bin = fs::absolute(fs::path(folder), ec).lexically_normal();
    if (ec) return false;
    // The program lies in the install folder's bin/.
    fs::path install = bin.parent_path().parent_path();
    if (install.empty() || install == bin.parent_path()) return false;
    return registry.WriteValue(RegRoot::LocalMachine, kRegKeyRoot, "",
                               WithTrailingSlash(install.string()));
}

}  // namespace gdl
