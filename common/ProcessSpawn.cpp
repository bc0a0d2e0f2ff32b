#include "ProcessSpawn.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

extern char** environ;

namespace fs = std::filesystem;

namespace gdl::spawn {

namespace {

// The child changes into its working folder before it opens any file, so
// every path it gets must not depend on ours.
std::string Absolute(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    std::error_code ec;
    fs::path p = fs::absolute(path, ec);
    return ec ? path : p.string();
}

std::vector<std::string> BuildEnvironment(
    const std::vector<std::pair<std::string, std::string>>& changes) {
    std::vector<std::string> env;
    for (char** e = environ; e && *e; ++e) env.emplace_back(*e);
    for (const auto& [name, value] : changes) {
        std::string prefix = name + "=";
        std::erase_if(
            env, [&](const std::string& v) { return v.compare(0, prefix.size(), prefix) == 0; });
        if (!value.empty()) env.push_back(prefix + value);
    }
    return env;
}

}  // namespace

PreparedStart::PreparedStart(const ProcessStart& start, int errorFd)
    : program_(Absolute(start.program)) {
    strings_.push_back(start.program);
    for (const auto& a : start.arguments) strings_.push_back(a);
    std::size_t argc = strings_.size();
    for (auto& e : BuildEnvironment(start.environment)) strings_.push_back(std::move(e));
    for (std::size_t i = 0; i < strings_.size(); ++i) {
        (i < argc ? argv_ : envp_).push_back(strings_[i].data());
    }
    argv_.push_back(nullptr);
    envp_.push_back(nullptr);

    error_ = ::posix_spawn_file_actions_init(&actions_);
    if (error_ != 0) return;
    actionsReady_ = true;
    std::string input = Absolute(start.inputFile);
    if (input.empty() && start.hidden) input = "/dev/null";
    std::string output = Absolute(start.outputFile);
    bool truncate = !output.empty();
    if (output.empty() && start.hidden) output = "/dev/null";
    std::string errorFile = Absolute(start.errorFile);
    if (!input.empty() && error_ == 0) {
        error_ = ::posix_spawn_file_actions_addopen(&actions_, 0, input.c_str(), O_RDONLY, 0);
    }
    if (!output.empty() && error_ == 0) {
        int flags = O_WRONLY | (truncate ? O_CREAT | O_TRUNC : 0);
        error_ = ::posix_spawn_file_actions_addopen(&actions_, 1, output.c_str(), flags, 0666);
    }
    if (!errorFile.empty() && error_ == 0) {
        error_ = ::posix_spawn_file_actions_addopen(&actions_, 2, errorFile.c_str(),
                                                    O_WRONLY | O_CREAT | O_APPEND, 0666);
    } else if (errorFd >= 0 && error_ == 0) {
        error_ = ::posix_spawn_file_actions_adddup2(&actions_, errorFd, 2);
    }
    if (!start.folder.empty() && error_ == 0) {
        error_ = ::posix_spawn_file_actions_addchdir_np(&actions_, start.folder.c_str());
    }
    // Tools get standard handles only, never our serial port or sockets.
    if (error_ == 0) error_ = ::posix_spawn_file_actions_addclosefrom_np(&actions_, 3);

    if (error_ == 0) error_ = ::posix_spawnattr_init(&attr_);
    if (error_ != 0) return;
    attrReady_ = true;
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    ::posix_spawnattr_setsigmask(&attr_, &none);
    ::posix_spawnattr_setsigdefault(&attr_, &all);
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    if (start.newSession) flags |= POSIX_SPAWN_SETSID;
    ::posix_spawnattr_setflags(&attr_, flags);
}

PreparedStart::~PreparedStart() {
    if (actionsReady_) ::posix_spawn_file_actions_destroy(&actions_);
    if (attrReady_) ::posix_spawnattr_destroy(&attr_);
}

ErrorCollector::ErrorCollector(std::string* out) : out_(out) {
    if (!out_) return;
    out_->clear();
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return;
    ::fcntl(fds[0], F_SETFL, ::fcntl(fds[0], F_GETFL) | O_NONBLOCK);
    readFd_ = fds[0];
    writeFd_ = fds[1];
}

ErrorCollector::~ErrorCollector() {
    Drain();
    if (cut_) {
        // Whole lines only; one longer than the limit stays cut.
        auto end = out_->rfind('\n');
        if (end != std::string::npos) out_->resize(end + 1);
    }
    if (readFd_ >= 0) ::close(readFd_);
    if (writeFd_ >= 0) ::close(writeFd_);
}

void ErrorCollector::CloseWriteEnd() {
    if (writeFd_ >= 0) ::close(writeFd_);
    writeFd_ = -1;
}

void ErrorCollector::Drain() {
    if (readFd_ < 0) return;
    char buffer[4096];
    for (;;) {
        ssize_t n = ::read(readFd_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        std::size_t room = kMaxErrorOutput - std::min(kMaxErrorOutput, out_->size());
        std::size_t take = std::min(room, static_cast<std::size_t>(n));
        out_->append(buffer, take);
        if (take < static_cast<std::size_t>(n)) cut_ = true;
    }
}

}  // namespace gdl::spawn
