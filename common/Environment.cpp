#include "Environment.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "FileUtil.h"
#include "PathJoin.h"

namespace fs = std::filesystem;

namespace gdl {

bool IsExecutableFile(const std::string& path) {
    return FileExists(path) && ::access(path.c_str(), X_OK) == 0;
}

std::optional<std::string> FindInPath(std::string_view name) {
    if (name.empty() || name.find('/') != std::string_view::npos) return std::nullopt;
    const char* env = std::getenv("PATH");
    // Unset, the system's default; set, even to nothing, exactly what it says.
    std::string_view path = env ? env : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        auto colon = path.find(':');
        std::string_view dir = path.substr(0, colon);
        if (!dir.empty()) {
            std::string candidate = JoinPath(dir, name);
            if (IsExecutableFile(candidate)) return candidate;
        }
        if (colon == std::string_view::npos) break;
        path.remove_prefix(colon + 1);
    }
    return std::nullopt;
}

std::optional<std::string> FindProgram(const std::string& name) {
    if (name.find('/') == std::string::npos) return FindInPath(name);
    if (IsExecutableFile(name)) return name;
    return std::nullopt;
}

std::optional<std::vector<std::string>> TerminalCommand(const std::string& title,
                                                        const std::vector<std::string>& argv) {
    std::vector<std::string> candidates;
    if (const char* own = std::getenv("GDLKIT_TERMINAL"); own && *own) candidates.push_back(own);
    candidates.insert(candidates.end(), {"xterm", "x-terminal-emulator"});
    for (const auto& name : candidates) {
        auto path = FindProgram(name);
        if (!path) continue;
        std::vector<std::string> cmd{*path, "-T", title, "-e"};
        cmd.insert(cmd.end(), argv.begin(), argv.end());
        return cmd;
    }
    return std::nullopt;
}

bool StdinIsTerminal() {
    return ::isatty(STDIN_FILENO) == 1;
}
bool StdoutIsTerminal() {
    return ::isatty(STDOUT_FILENO) == 1;
}
bool HaveDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        if (const char* v = std::getenv(name); v && *v) return true;
    }
    return false;
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

std::string UserFolder(const char* variable, std::string_view homeDefault) {
    const char* base = std::getenv(variable);
    if (base && *base == '/') return WithTrailingSlash(base) + "gdlkit/";
    std::string home;
    if (const char* h = std::getenv("HOME"); h && *h) {
        home = h;
    } else if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_dir) {
        home = pw->pw_dir;
    }
    if (home.empty()) return {};
    return WithTrailingSlash(home) + std::string(homeDefault) + "/gdlkit/";
}

std::string UserKitFolder() {
    return UserFolder("XDG_DATA_HOME", ".local/share");
}

bool IsWritableFolder(const std::string& folder) {
    std::error_code ec;
    const std::string f = folder.empty() ? "." : folder;
    return fs::is_directory(f, ec) && ::access(f.c_str(), W_OK | X_OK) == 0;
}

bool IsOwnWritableFolder(const std::string& folder) {
    struct stat st {};
    const std::string f = folder.empty() ? "." : folder;
    return IsWritableFolder(f) && ::stat(f.c_str(), &st) == 0 && st.st_uid == ::geteuid();
}

}  // namespace gdl
