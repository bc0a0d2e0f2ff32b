#include "ToolProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

extern char** environ;

namespace gdl {

namespace {

std::vector<char*> ArgvPointers(const std::vector<std::string>& argv) {
    std::vector<char*> ptrs;
    ptrs.reserve(argv.size() + 1);
    for (const auto& a : argv) ptrs.push_back(const_cast<char*>(a.c_str()));
    ptrs.push_back(nullptr);
    return ptrs;
}

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

// Owns the spawn attributes; they must be destroyed on every path.
class SpawnSetup {
public:
    SpawnSetup() {
        posix_spawnattr_init(&attr_);
        posix_spawn_file_actions_init(&actions_);
    }
    ~SpawnSetup() {
        posix_spawnattr_destroy(&attr_);
        posix_spawn_file_actions_destroy(&actions_);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
    posix_spawnattr_t* Attr() { return &attr_; }
    posix_spawn_file_actions_t* Actions() { return &actions_; }

private:
    posix_spawnattr_t attr_;
    posix_spawn_file_actions_t actions_;
};

// The child gets the default dispositions back even while the parent ignores
// interrupts.
void ResetSignals(SpawnSetup& setup) {
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGQUIT);
    posix_spawnattr_setsigdefault(setup.Attr(), &defaults);
    posix_spawnattr_setflags(setup.Attr(), POSIX_SPAWN_SETSIGDEF);
}

}  // namespace

bool StdinIsTerminal() {
    return ::isatty(STDIN_FILENO) == 1;
}
bool StdoutIsTerminal() {
    return ::isatty(STDOUT_FILENO) == 1;
}
bool HaveDisplay() {
    return !EnvValue("DISPLAY").empty() || !EnvValue("WAYLAND_DISPLAY").empty();
}

std::string EnvValue(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::vector<std::string> SplitCommandWords(std::string_view command) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    char quote = 0;
    for (char c : command) {
        if (quote) {
            if (c == quote) {
                quote = 0;
            } else {
                word += c;
            }
        } else if (c == '\'' || c == '"') {
            quote = c;
            inWord = true;
        } else if (c == ' ' || c == '\t') {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return words;
}

std::optional<std::string> FindProgram(const std::string& name) {
    if (name.empty()) return std::nullopt;
    if (name.find('/') != std::string::npos)
        return IsExecutableFile(name) ? std::optional(name) : std::nullopt;
    std::string path = EnvValue("PATH");
    if (path.empty()) path = "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(':', start);
        if (end == std::string::npos) end = path.size();
        std::string dir = path.substr(start, end - start);
        if (dir.empty()) dir = ".";
        std::string candidate = dir + "/" + name;
        if (IsExecutableFile(candidate)) return candidate;
        start = end + 1;
    }
    return std::nullopt;
}

std::optional<int> RunAndWait(const std::vector<std::string>& argv, std::string* problem) {
    auto fail = [&](std::string text) -> std::optional<int> {
        if (problem) *problem = std::move(text);
        return std::nullopt;
    };
    if (argv.empty()) return fail("no program to run");
    auto program = FindProgram(argv[0]);
    if (!program) return fail(argv[0] + " not found");
    SpawnSetup setup;
    ResetSignals(setup);
    // Ctrl+C belongs to the program in the terminal; we only wait for it.
    struct sigaction ignore {
    }, oldInt{}, oldQuit{};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGINT, &ignore, &oldInt);
    sigaction(SIGQUIT, &ignore, &oldQuit);
    pid_t pid = 0;
    auto ptrs = ArgvPointers(argv);
    int rc =
        posix_spawn(&pid, program->c_str(), setup.Actions(), setup.Attr(), ptrs.data(), environ);
    int status = 0;
    pid_t waited = -1;
    if (rc == 0) {
        do {
            waited = ::waitpid(pid, &status, 0);
        } while (waited < 0 && errno == EINTR);
    }
    sigaction(SIGINT, &oldInt, nullptr);
    sigaction(SIGQUIT, &oldQuit, nullptr);
    if (rc != 0) return fail(argv[0] + " could not be started: " + std::strerror(rc));
    if (waited < 0) return fail(argv[0] + " could not be waited for");
    if (!WIFEXITED(status)) return fail(argv[0] + " ended abnormally");
    return WEXITSTATUS(status);
}

bool StartDetached(const std::vector<std::string>& argv) {
    if (argv.empty()) return false;
    auto program = FindProgram(argv[0]);
    if (!program) return false;
    SpawnSetup setup;
    for (int fd = 0; fd <= 2; ++fd)
        posix_spawn_file_actions_addopen(setup.Actions(), fd, "/dev/null",
                                         fd == 0 ? O_RDONLY : O_WRONLY, 0);
    posix_spawnattr_setflags(setup.Attr(), POSIX_SPAWN_SETSID);
    pid_t pid = 0;
    auto ptrs = ArgvPointers(argv);
    return posix_spawn(&pid, program->c_str(), setup.Actions(), setup.Attr(), ptrs.data(),
                       environ) == 0;
}

std::optional<std::vector<std::string>> TerminalCommand(const std::string& title,
                                                        const std::vector<std::string>& argv) {
    std::vector<std::string> candidates;
    if (std::string own = EnvValue("GDLKIT_TERMINAL"); !own.empty()) candidates.push_back(own);
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

std::string OwnProgramFolder() {
    std::error_code ec;
    auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    return self.parent_path().string() + "/";
}

}  // namespace gdl
