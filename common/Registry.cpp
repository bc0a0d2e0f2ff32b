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

bool IsStorableValueName(std::string_view name) {
    return name.find('\0') == std::string_view::npos;
}

static bool IsKeyOrParent(std::string_view parent, std::string_view key) {
    if (key.size() < parent.size()) return false;
    if (!EqualsNoCase(key.substr(0, parent.size()), parent)) return false;
    return key.size() == parent.size() || key[parent.size()] == '\\';
}

// Windows keys exist as soon as any key below them does.
bool HiveHasKey(const RegistryHive& hive, std::string_view key) {
    std::string k = NormalizeRegistryKey(key);
    if (k.empty()) return true;
    for (const auto& stored : hive.keys) {
        if (IsKeyOrParent(k, stored.name)) return true;
    }
    return false;
}

std::optional<std::string> HiveRead(const RegistryHive& hive, std::string_view key,
                                    std::string_view name) {
    const RegistryHive::Key* k = hive.Find(key);
    if (!k) return std::nullopt;
    const RegistryHive::Value* v = k->FindValue(name);
    if (!v) return std::nullopt;
    return v->data;
}

// Returns whether the hive changed; the first write of a name fixes its place
// in the enumeration order and the spelling of its name.
bool HiveWrite(RegistryHive& hive, std::string_view key, std::string_view name,
               std::string_view data) {
    bool existed = hive.Find(key) != nullptr;
    RegistryHive::Key& k = hive.Create(key);
    if (RegistryHive::Value* v = k.FindValue(name)) {
        if (v->data == data) return !existed;
        v->data = std::string(data);
        return true;
    }
    k.values.push_back({std::string(name), std::string(data)});
    return true;
}

bool HiveDelete(RegistryHive& hive, std::string_view key, std::string_view name) {
    RegistryHive::Key* k = hive.Find(key);
    return k && k->EraseValue(name);
}

std::vector<std::string> HiveNames(const RegistryHive& hive, std::string_view key) {
    std::vector<std::string> names;
    if (const RegistryHive::Key* k = hive.Find(key)) {
        for (const auto& v : k->values) names.push_back(v.name);
    }
    return names;
}

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

RegistryHive FileRegistry::LoadHive(RegRoot root) const {
    LoadState state;
    return LoadHive(root, state);
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

template <typename Change>
bool FileRegistry::Modify(RegRoot root, Change change) {
    std::string folder = FolderOf(PathOf(root));
    std::error_code ec;
    fs::create_directories(folder, ec);
    FolderLock lock(folder);
    LoadState state;
    RegistryHive hive = LoadHive(root, state);
    if (state == LoadState::Unusable) return false;
    bool changed = false;
    if (!change(hive, changed)) return false;
    return !changed || StoreHive(root, hive);
}

bool FileRegistry::KeyExists(RegRoot root, std::string_view key) const {
    return HiveHasKey(LoadHive(root), key);
}

bool FileRegistry::CreateKey(RegRoot root, std::string_view key) {
    std::string k = NormalizeRegistryKey(key);
    if (k.empty()) return true;
    if (!IsStorableRegistryKey(k)) return false;
    return Modify(root, [&](RegistryHive& hive, bool& changed) {
        if (!hive.Find(k)) {
            hive.Create(k);
            changed = true;
        }
        return true;
    });
}

std::optional<std::string> FileRegistry::ReadValue(RegRoot root, std::string_view key,
                                                   std::string_view name) const {
    return HiveRead(LoadHive(root), key, name);
}

bool FileRegistry::WriteValue(RegRoot root, std::string_view key, std::string_view name,
                              std::string_view value) {
    if (!IsStorableRegistryKey(NormalizeRegistryKey(key)) || !IsStorableValueName(name))
        return false;
    return Modify(root, [&](RegistryHive& hive, bool& changed) {
        changed = HiveWrite(hive, key, name, value);
        return true;
    });
}

bool FileRegistry::DeleteValue(RegRoot root, std::string_view key, std::string_view name) {
    return Modify(root, [&](RegistryHive& hive, bool& changed) {
        changed = HiveDelete(hive, key, name);
        return changed;
    });
}

std::vector<std::string> FileRegistry::ValueNames(RegRoot root, std::string_view key) const {
    return HiveNames(LoadHive(root), key);
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
