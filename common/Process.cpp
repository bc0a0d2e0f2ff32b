#include "Process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <memory>

#include "Environment.h"
#include "FileUtil.h"
#include "ProcessSpawn.h"
#include "UniqueFd.h"

namespace fs = std::filesystem;

namespace gdl {

namespace {

using spawn::ErrorCollector;
using spawn::PreparedList;
using spawn::PreparedStart;

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
