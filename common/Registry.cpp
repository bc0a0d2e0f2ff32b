#include "Registry.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "FileUtil.h"
#include "LevelTool.h"
#include "TextUtil.h"

namespace fs = std::filesystem;

namespace gdl {

namespace {

constexpr char kHiveHeader[] = "REGEDIT4";
constexpr char kLineEnd[] = "\r\n";

bool HasControlCharacter(std::string_view s) {
    for (char c : s) {
        auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) return true;
    }
    return false;
}

// "\Software\X\" and "Software\X" name the same key.
std::string NormalizeKey(std::string_view key) {
    std::size_t b = 0;
    std::size_t e = key.size();
    while (b < e && key[b] == '\\') ++b;
    while (e > b && key[e - 1] == '\\') --e;
    return std::string(key.substr(b, e - b));
}

// Key names end up alone on a "[...]" line, so they cannot hold line breaks.
bool IsStorableKey(std::string_view key) {
    return !key.empty() && !HasControlCharacter(key);
}

bool IsStorableValueName(std::string_view name) {
    return name.find('\0') == std::string_view::npos;
}

bool IsKeyOrParent(std::string_view parent, std::string_view key) {
    if (key.size() < parent.size()) return false;
    if (!EqualsNoCase(key.substr(0, parent.size()), parent)) return false;
    return key.size() == parent.size() || key[parent.size()] == '\\';
}

// Windows keys exist as soon as any key below them does.
bool HiveHasKey(const RegistryHive& hive, std::string_view key) {
    std::string k = NormalizeKey(key);
    if (k.empty()) return true;
    for (const auto& stored : hive.keys) {
        if (IsKeyOrParent(k, stored.name)) return true;
    }
    return false;
}

RegistryHive::Value* FindValue(RegistryHive::Key& key, std::string_view name) {
    for (auto& v : key.values) {
        if (EqualsNoCase(v.name, name)) return &v;
    }
    return nullptr;
}

const RegistryHive::Value* FindValue(const RegistryHive::Key& key, std::string_view name) {
    for (const auto& v : key.values) {
        if (EqualsNoCase(v.name, name)) return &v;
    }
    return nullptr;
}

std::optional<std::string> HiveRead(const RegistryHive& hive, std::string_view key,
                                    std::string_view name) {
    const RegistryHive::Key* k = hive.Find(key);
    if (!k) return std::nullopt;
    const RegistryHive::Value* v = FindValue(*k, name);
    if (!v) return std::nullopt;
    return v->data;
}

// Returns whether the hive changed; the first write of a name fixes its place
// in the enumeration order and the spelling of its name.
bool HiveWrite(RegistryHive& hive, std::string_view key, std::string_view name,
               std::string_view data) {
    bool existed = hive.Find(key) != nullptr;
    RegistryHive::Key& k = hive.Create(key);
    if (RegistryHive::Value* v = FindValue(k, name)) {
        if (v->data == data) return !existed;
        v->data = std::string(data);
        return true;
    }
    k.values.push_back({std::string(name), std::string(data)});
    return true;
}

bool HiveDelete(RegistryHive& hive, std::string_view key, std::string_view name) {
    RegistryHive::Key* k = hive.Find(key);
    if (!k) return false;
    for (auto it = k->values.begin(); it != k->values.end(); ++it) {
        if (EqualsNoCase(it->name, name)) {
            k->values.erase(it);
            return true;
        }
    }
    return false;
}

std::vector<std::string> HiveNames(const RegistryHive& hive, std::string_view key) {
    std::vector<std::string> names;
    if (const RegistryHive::Key* k = hive.Find(key)) {
        for (const auto& v : k->values) names.push_back(v.name);
    }
    return names;
}

void AppendQuoted(std::string& out, std::string_view s) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += '"';
    for (char c : s) {
        auto u = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else if (u < 0x20 || u == 0x7F) {
            out += "\\x";
            out += kHex[u >> 4];
            out += kHex[u & 0x0F];
        } else {
            out += c;
        }
    }
    out += '"';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Reads a quoted string at pos; pos ends behind the closing quote.
std::optional<std::string> ParseQuoted(std::string_view line, std::size_t& pos) {
    if (pos >= line.size() || line[pos] != '"') return std::nullopt;
    std::string out;
    for (++pos; pos < line.size(); ++pos) {
        char c = line[pos];
        if (c == '"') {
            ++pos;
            return out;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++pos >= line.size()) return std::nullopt;
        char e = line[pos];
        if (e == '\\' || e == '"') {
            out += e;
        } else if (e == 'x' && pos + 2 < line.size() && HexDigit(line[pos + 1]) >= 0 &&
                   HexDigit(line[pos + 2]) >= 0) {
            out += static_cast<char>(HexDigit(line[pos + 1]) * 16 + HexDigit(line[pos + 2]));
            pos += 2;
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// One `"name"="data"` or `@="data"` line.
bool ParseValueLine(std::string_view line, RegistryHive::Key& key) {
    std::size_t pos = 0;
    std::string name;
    if (line[0] == '@') {
        pos = 1;
    } else {
        auto n = ParseQuoted(line, pos);
        if (!n || n->find('\0') != std::string::npos) return false;
        name = std::move(*n);
    }
    while (pos < line.size() && line[pos] == ' ') ++pos;
    if (pos >= line.size() || line[pos] != '=') return false;
    ++pos;
    while (pos < line.size() && line[pos] == ' ') ++pos;
    auto data = ParseQuoted(line, pos);
    if (!data || !TrimBlanks(line.substr(pos)).empty()) return false;
    if (RegistryHive::Value* v = FindValue(key, name)) {
        v->data = std::move(*data);
    } else {
        key.values.push_back({std::move(name), std::move(*data)});
    }
    return true;
}

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home && *home) return home;
    if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_dir) return pw->pw_dir;
    return ".";
}

std::string ConfigFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    // The base directory rules ignore a relative path.
    if (xdg && *xdg == '/') return WithTrailingSlash(xdg) + "gdlkit/";
    return WithTrailingSlash(HomeFolder()) + ".config/gdlkit/";
}

// Holds an advisory lock on the registry file's folder, so that the editor and
// the player do not lose each other's changes between read and write.
class FolderLock {
  public:
    explicit FolderLock(const std::string& folder) {
        fd_ = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd_ >= 0) {
            while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~FolderLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

  private:
    int fd_ = -1;
};

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// A complete new file beside the old one, flushed to disk and renamed over it:
// a failure at any point leaves the old file as it was and no stray file.
bool ReplaceFile(const std::string& path, std::string_view bytes) {
    std::string temp = path + ".XXXXXX";
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return false;
    struct stat old {};
    mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    int dirFd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

}  // namespace

RegistryHive::Key* RegistryHive::Find(std::string_view key) {
    std::string k = NormalizeKey(key);
    for (auto& stored : keys) {
        if (EqualsNoCase(stored.name, k)) return &stored;
    }
    return nullptr;
}

const RegistryHive::Key* RegistryHive::Find(std::string_view key) const {
    std::string k = NormalizeKey(key);
    for (const auto& stored : keys) {
        if (EqualsNoCase(stored.name, k)) return &stored;
    }
    return nullptr;
}

RegistryHive::Key& RegistryHive::Create(std::string_view key) {
    if (Key* k = Find(key)) return *k;
    keys.push_back({NormalizeKey(key), {}});
    return keys.back();
}

std::string SerializeHive(const RegistryHive& hive) {
    std::string out = std::string(kHiveHeader) + kLineEnd;
    for (const auto& key : hive.keys) {
        out += kLineEnd;
        out += "[" + key.name + "]" + kLineEnd;
        for (const auto& v : key.values) {
            if (v.name.empty()) {
                out += '@';
            } else {
                AppendQuoted(out, v.name);
            }
            out += '=';
            AppendQuoted(out, v.data);
            out += kLineEnd;
        }
    }
    return out;
}

std::optional<RegistryHive> ParseHive(std::string_view text) {
    RegistryHive hive;
    bool sawHeader = false;
    RegistryHive::Key* current = nullptr;
    for (const std::string& raw : SplitLines(text)) {
        std::string line = TrimBlanks(raw);
        if (line.empty() || line[0] == ';') continue;
        if (!sawHeader) {
            if (line != kHiveHeader) return std::nullopt;
            sawHeader = true;
            continue;
        }
        if (line[0] == '[') {
            if (line.back() != ']') return std::nullopt;
            std::string name = NormalizeKey(std::string_view(line).substr(1, line.size() - 2));
            if (!IsStorableKey(name)) return std::nullopt;
            current = &hive.Create(name);
        } else if (line[0] == '@' || line[0] == '"') {
            if (!current || !ParseValueLine(line, *current)) return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    return hive;
}

// --- MemoryRegistry ---

bool MemoryRegistry::KeyExists(RegRoot root, std::string_view key) const {
    return HiveHasKey(Hive(root), key);
}

bool MemoryRegistry::CreateKey(RegRoot root, std::string_view key) {
    std::string k = NormalizeKey(key);
    if (k.empty()) return true;
    if (!IsStorableKey(k)) return false;
    Hive(root).Create(k);
    return true;
}

std::optional<std::string> MemoryRegistry::ReadValue(RegRoot root, std::string_view key,
                                                     std::string_view name) const {
    return HiveRead(Hive(root), key, name);
}

bool MemoryRegistry::WriteValue(RegRoot root, std::string_view key, std::string_view name,
                                std::string_view value) {
    if (!IsStorableKey(NormalizeKey(key)) || !IsStorableValueName(name)) return false;
    HiveWrite(Hive(root), key, name, value);
    return true;
}

bool MemoryRegistry::DeleteValue(RegRoot root, std::string_view key, std::string_view name) {
    return HiveDelete(Hive(root), key, name);
}

std::vector<std::string> MemoryRegistry::ValueNames(RegRoot root, std::string_view key) const {
    return HiveNames(Hive(root), key);
}

// --- FileRegistry ---

FileRegistry::FileRegistry(std::string machinePath, std::string userPath)
    : machinePath_(std::move(machinePath)), userPath_(std::move(userPath)) {}

FileRegistry FileRegistry::FromEnvironment() {
    std::string config = ConfigFolder();
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
    return ReplaceFile(PathOf(root), SerializeHive(hive));
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
    std::string k = NormalizeKey(key);
    if (k.empty()) return true;
    if (!IsStorableKey(k)) return false;
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
    if (!IsStorableKey(NormalizeKey(key)) || !IsStorableValueName(name)) return false;
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
    if (!FileExists(folder + kLevelToolExe) || !FileExists(folder + kLevelToolPif)) return false;
    std::error_code ec;
    fs::path bin = fs::absolute(fs::path(folder), ec).lexically_normal();
    if (ec) return false;
    // The program lies in the install folder's bin/.
    fs::path install = bin.parent_path().parent_path();
    if (install.empty() || install == bin.parent_path()) return false;
    return registry.WriteValue(RegRoot::LocalMachine, kRegKeyRoot, "",
                               WithTrailingSlash(install.string()));
}

std::string ProgramFolder() {
    std::error_code ec;
    std::string exe = fs::read_symlink("/proc/self/exe", ec).string();
    if (ec || exe.empty()) return {};
    constexpr std::string_view kDeleted = " (deleted)";
    if (exe.size() > kDeleted.size() && exe.ends_with(kDeleted)) {
        exe.resize(exe.size() - kDeleted.size());
    }
    return FolderOf(exe);
}

}  // namespace gdl
