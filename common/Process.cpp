#include "Process.h"

#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "Environment.h"
#include "FileUtil.h"
#include "UniqueFd.h"

extern char** environ;

namespace fs = std::filesystem;

namespace gdl {

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

// Everything posix_spawn needs, built before any fork: the child of a fork in
// a threaded program may only make system calls, not allocate. errorFd, when
// not -1, becomes the program's standard error.
class PreparedStart {
public:
    PreparedStart(const ProcessStart& start, int errorFd) : program_(Absolute(start.program)) {
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
    ~PreparedStart() {
        if (actionsReady_) ::posix_spawn_file_actions_destroy(&actions_);
        if (attrReady_) ::posix_spawnattr_destroy(&attr_);
    }
    PreparedStart(const PreparedStart&) = delete;
    PreparedStart& operator=(const PreparedStart&) = delete;

    int Error() const { return error_; }

    int Spawn(pid_t& pid) const {
        return ::posix_spawn(&pid, program_.c_str(), &actions_, &attr_, argv_.data(), envp_.data());
    }

private:
    std::string program_;
    std::vector<std::string> strings_;
    std::vector<char*> argv_;
    std::vector<char*> envp_;
    posix_spawn_file_actions_t actions_{};
    posix_spawnattr_t attr_{};
    bool actionsReady_ = false;
    bool attrReady_ = false;
    int error_ = 0;
};

using PreparedList = std::vector<std::unique_ptr<PreparedStart>>;

// The read end of the pipe the programs write their standard error into. We
// keep the write end until the last program has ended, so the pipe never
// reports an end while a program may still start.
class ErrorCollector {
public:
    explicit ErrorCollector(std::string* out) : out_(out) {
        if (!out_) return;
        out_->clear();
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) return;
        ::fcntl(fds[0], F_SETFL, ::fcntl(fds[0], F_GETFL) | O_NONBLOCK);
        readFd_ = fds[0];
        writeFd_ = fds[1];
    }
    ~ErrorCollector() {
        Drain();
        if (cut_) {
            // Whole lines only; one longer than the limit stays cut.
            auto end = out_->rfind('\n');
            if (end != std::string::npos) out_->resize(end + 1);
        }
        if (readFd_ >= 0) ::close(readFd_);
        if (writeFd_ >= 0) ::close(writeFd_);
    }
    ErrorCollector(const ErrorCollector&) = delete;
    ErrorCollector& operator=(const ErrorCollector&) = delete;

    int ReadFd() const { return readFd_; }
    int WriteFd() const { return writeFd_; }
    // Once the programs that write into the pipe have it, the end is theirs.
    void CloseWriteEnd() {
        if (writeFd_ >= 0) ::close(writeFd_);
        writeFd_ = -1;
    }

    // Everything the pipe holds now; what is beyond the limit is read and dropped.
    void Drain() {
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

private:
    std::string* out_;
    int readFd_ = -1;
    int writeFd_ = -1;
    bool cut_ = false;
};

// A file descriptor that becomes readable when the child ends; -1 where the
// kernel has none (before Linux 5.3, or forbidden by a sandbox).
int OpenPidfd(pid_t pid) {
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    return -1;
#endif
}

// Reaps pid when it has ended; true then. Someone else reaping it (SIGCHLD
// ignored) counts as ended too.
bool Reaped(pid_t pid, bool block, int& status) {
    for (;;) {
        pid_t r = ::waitpid(pid, &status, block ? 0 : WNOHANG);
        if (r == pid) return true;
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) {
            status = -1;
            return true;
        }
        return false;
    }
}

// Waits for pid. Without events to process and no error output to read it
// simply blocks in waitpid; that is also the detached child's case. Otherwise
// it sleeps in poll on the child's pidfd and the error pipe, waking for each,
// and every kProcessEventsIntervalMs for the events.
int WaitFor(pid_t pid, const std::function<void()>* processEvents, ErrorCollector* errors) {
    int status = 0;
    bool events = processEvents && *processEvents;
    int errorFd = errors ? errors->ReadFd() : -1;
    if (!events && errorFd < 0) {
        Reaped(pid, true, status);
        return status;
    }
    UniqueFd pidfd(OpenPidfd(pid));
    // Without a pidfd nothing wakes us at the child's end: we look now and then.
    int timeout = events || pidfd.Get() < 0 ? kProcessEventsIntervalMs : -1;
    for (;;) {
        pollfd fds[2];
        nfds_t n = 0;
        if (pidfd.Get() >= 0) fds[n++] = {pidfd.Get(), POLLIN, 0};
        if (errorFd >= 0) fds[n++] = {errorFd, POLLIN, 0};
        ::poll(fds, n, timeout);  // EINTR or not: look at the child all the same
        if (errors) errors->Drain();
        if (Reaped(pid, false, status)) return status;
        if (events) (*processEvents)();
    }
}

int ExitStatusOf(int status) {
    return status >= 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int RunPrepared(const PreparedList& list, const std::function<void()>* processEvents,
                ErrorCollector* errors, int* exitStatus) {
    for (const auto& p : list) {
        pid_t pid = 0;
        int rc = p->Spawn(pid);
        if (rc != 0) return rc;
        int status = WaitFor(pid, processEvents, errors);
        if (exitStatus) *exitStatus = ExitStatusOf(status);
    }
    return 0;
}

// The first child of a detached start ends as soon as the work has started;
// its exit status is the start's errno.
int ReapedStart(pid_t first) {
    int status = 0;
    while (::waitpid(first, &status, 0) < 0) {
        if (errno != EINTR) return 0;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : ECHILD;
}

// The first child only starts the work and ends, so we reap it at once and
// the work, adopted by init, never lingers as our zombie.
int RunDetached(const PreparedList& list) {
    pid_t first = ::fork();
    if (first < 0) return errno;
    if (first == 0) {
        if (list.size() == 1) {
            pid_t pid = 0;
            _exit(list.front()->Spawn(pid) & 0xFF);
        }
        pid_t second = ::fork();
        if (second == 0) {
            ::closefrom(3);
            RunPrepared(list, nullptr, nullptr, nullptr);
            _exit(0);
        }
        _exit(second < 0 ? (errno & 0xFF) : 0);
    }
    return ReapedStart(first);
}

// As RunDetached for one program, but the second child, which waits for it,
// writes its exit status into reportFd before it ends.
int RunDetachedReporting(const PreparedStart& start, int reportFd) {
    pid_t first = ::fork();
    if (first < 0) return errno;
    if (first == 0) {
        pid_t second = ::fork();
        if (second == 0) {
            pid_t pid = 0;
            int status = -1;
            if (start.Spawn(pid) == 0) {
                // Only the report stays open: the program's pipes end with it.
                ::dup2(reportFd, 3);
                ::closefrom(4);
                while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
                }
                status = ExitStatusOf(status);
                reportFd = 3;
            }
            [[maybe_unused]] ssize_t n = ::write(reportFd, &status, sizeof status);
            _exit(0);
        }
        _exit(second < 0 ? (errno & 0xFF) : 0);
    }
    return ReapedStart(first);
}

// Reads the exit status the detached child reports, until graceMs have passed.
bool ReadReport(int reportFd, int graceMs, const ProcessWait& how, ErrorCollector* errors,
                int& exitStatus) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(graceMs);
    const bool events = static_cast<bool>(how.processEvents);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd fds[2] = {{reportFd, POLLIN, 0}, {errors ? errors->ReadFd() : -1, POLLIN, 0}};
        const int wait =
            static_cast<int>(events ? std::min<long long>(left, kProcessEventsIntervalMs) : left);
        ::poll(fds, errors ? 2 : 1, wait);
        if (errors) errors->Drain();
        if (fds[0].revents != 0) {
            int status = -1;
            ssize_t n = 0;
            do n = ::read(reportFd, &status, sizeof status);
            while (n < 0 && errno == EINTR);
            if (errors) errors->Drain();
            exitStatus = n == sizeof status ? status : -1;
            return true;
        }
        if (events) how.processEvents();
    }
}

// Checked here, where it can still be reported, not in a detached child.
int Prepare(const std::vector<ProcessStart>& starts, const ErrorCollector* errors,
            PreparedList& list) {
    for (const auto& s : starts) {
        if (!IsExecutableFile(s.program)) return FileExists(s.program) ? EACCES : ENOENT;
        std::error_code ec;
        if (!s.folder.empty() && !fs::is_directory(s.folder, ec)) return ENOENT;
        int errorFd = errors && s.hidden ? errors->WriteFd() : -1;
        list.push_back(std::make_unique<PreparedStart>(s, errorFd));
        if (int e = list.back()->Error()) return e;
    }
    return 0;
}

// Ctrl+C and Ctrl+\ ignored while it lives.
class IgnoredInterrupts {
public:
    explicit IgnoredInterrupts(bool active) : active_(active) {
        if (!active_) return;
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGINT, &ignore, &oldInt_);
        ::sigaction(SIGQUIT, &ignore, &oldQuit_);
    }
    ~IgnoredInterrupts() {
        if (!active_) return;
        ::sigaction(SIGINT, &oldInt_, nullptr);
        ::sigaction(SIGQUIT, &oldQuit_, nullptr);
    }
    IgnoredInterrupts(const IgnoredInterrupts&) = delete;
    IgnoredInterrupts& operator=(const IgnoredInterrupts&) = delete;

private:
    bool active_;
    struct sigaction oldInt_ {};
    struct sigaction oldQuit_ {};
};

}  // namespace

int WaitForProcesses(const std::vector<ProcessStart>& starts, const ProcessWait& how) {
    if (how.exitStatus) *how.exitStatus = -1;
    ErrorCollector errors(how.errorOutput);
    ErrorCollector* collector = errors.WriteFd() >= 0 ? &errors : nullptr;
    PreparedList list;
    if (int e = Prepare(starts, collector, list)) return e;
    IgnoredInterrupts interrupts(how.ignoreInterrupts);
    return RunPrepared(list, &how.processEvents, collector, how.exitStatus);
}

int StartProcessWatched(const ProcessStart& start, int graceMs, const ProcessWait& how,
                        bool& ended) {
    ended = false;
    if (how.exitStatus) *how.exitStatus = -1;
    ErrorCollector errors(how.errorOutput);
    ErrorCollector* collector = errors.WriteFd() >= 0 ? &errors : nullptr;
    PreparedList list;
    if (int e = Prepare({start}, collector, list)) return e;
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return errno;
    UniqueFd reading(report[0]);
    int rc = RunDetachedReporting(*list.front(), report[1]);
    ::close(report[1]);
    if (collector) collector->CloseWriteEnd();
    if (rc != 0) return rc;
    int status = -1;
    ended = ReadReport(reading.Get(), graceMs, how, collector, status);
    if (ended && how.exitStatus) *how.exitStatus = status;
    return 0;
}

int StartProcesses(const std::vector<ProcessStart>& starts) {
    PreparedList list;
    if (int e = Prepare(starts, nullptr, list)) return e;
    if (list.empty()) return 0;
    return RunDetached(list);
}

}  // namespace gdl
