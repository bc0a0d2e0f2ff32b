// Windows under test on an X server of the test's own: Xvfb picks a free
// display and tells it on a pipe, the window programs inherit it through the
// environment, and xdotool types and clicks on them. Waits are on events (a
// window appearing, a file being written), each with a deadline.
#pragma once

#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "Environment.h"
#include "FakeTools.h"
#include "FileUtil.h"
#include "RunProgram.h"

namespace gdltest {

class XSession {
public:
    // What is missing to run one; empty when Xvfb, xdotool and timeout are there.
    static std::string Missing() {
        for (const char* tool : {"Xvfb", "xdotool", "timeout"})
            if (!gdl::FindInPath(tool)) return std::string(tool) + " is not installed";
        return {};
    }

    // Starts the server and points this process's DISPLAY at it; false when
    // it did not come up in time.
    bool Start(const std::string& workFolder) {
        folder_ = workFolder;
        xdotool_ = gdl::FindInPath("xdotool").value_or("");
        timeout_ = gdl::FindInPath("timeout").value_or("");
        server_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{gdl::FindInPath("Xvfb").value_or("Xvfb"), "-displayfd", "1",
                                     "-nolisten", "tcp", "-screen", "0", "1280x1024x24"});
        auto display = server_->ReadLine(std::chrono::seconds(20));
        if (!display) return false;
        env_.push_back(std::make_unique<ScopedEnv>("DISPLAY", ":" + *display));
        env_.push_back(std::make_unique<ScopedEnv>("QT_QPA_PLATFORM", "xcb"));
        // Under the sanitizers: the X11 keyboard library hands strndup a
        // buffer without a terminating zero, which strict string checks report.
        const char* asan = std::getenv("ASAN_OPTIONS");
        env_.push_back(std::make_unique<ScopedEnv>(
            "ASAN_OPTIONS", std::string(asan ? asan : "") + ":strict_string_checks=0"));
        return true;
    }

    ProgramResult Xdotool(std::vector<std::string> args) const {
        args.insert(args.begin(), xdotool_);
        return RunProgram(args, folder_);
    }

    // The first visible window whose name matches, once it is shown; "" when
    // none came within the seconds.
    std::string WaitForWindow(const std::string& name, int seconds) const {
        auto found = RunProgram({timeout_, std::to_string(seconds), xdotool_, "search", "--sync",
                                 "--onlyvisible", "--name", name},
                                folder_);
        if (found.status != 0) return {};
        return found.out.substr(0, found.out.find('\n'));
    }

    // Gives the window the keyboard and waits until it has it.
    bool Focus(const std::string& window) const {
        return Xdotool({"windowfocus", "--sync", window}).status == 0;
    }

private:
    std::string folder_, xdotool_, timeout_;
    std::unique_ptr<ChildProcess> server_;
    std::vector<std::unique_ptr<ScopedEnv>> env_;
};

// A user at a program's window, on a thread of their own, while the test's
// thread is in a call that waits for that program to end. `use` returns the
// window it worked in ("" when none showed); a program still running `grace`
// after that is killed through its window, so the waiting call ends too.
class WindowUser {
public:
    WindowUser(const XSession& x, std::chrono::milliseconds grace, std::function<std::string()> use)
        : thread_([this, &x, grace, use = std::move(use)] {
              window_ = use();
              if (window_.empty()) return;
              std::unique_lock lock(mutex_);
              if (!changed_.wait_for(lock, grace, [this] { return returned_; })) {
                  auto pid = x.Xdotool({"getwindowpid", window_});
                  if (pid.status == 0) ::kill(std::atoi(pid.out.c_str()), SIGKILL);
              }
          }) {}
    ~WindowUser() { Returned(); }
    WindowUser(const WindowUser&) = delete;
    WindowUser& operator=(const WindowUser&) = delete;

    // The waiting call has returned: waits for the user to finish and gives
    // the window they worked in.
    std::string Returned() {
        {
            std::lock_guard lock(mutex_);
            returned_ = true;
        }
        changed_.notify_all();
        if (thread_.joinable()) thread_.join();
        return window_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool returned_ = false;
    std::string window_;
    std::thread thread_;  // last: it starts once the rest is made
};

// Waits until the file's bytes satisfy done, looking again each time
// something in its folder is written or renamed; false at the deadline.
inline bool WaitForFile(const std::string& path,
                        const std::function<bool(const std::optional<std::string>&)>& done,
                        std::chrono::milliseconds limit) {
    const int fd = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (fd < 0) return false;
    ::inotify_add_watch(fd, gdl::FolderOf(path).c_str(),
                        IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_DELETE);
    const auto end = std::chrono::steady_clock::now() + limit;
    bool ok = false;
    for (;;) {
        if (done(gdl::ReadFileBytes(path))) {
            ok = true;
            break;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) > 0) {
            char events[4096];
            while (::read(fd, events, sizeof events) > 0) {
            }
        }
    }
    ::close(fd);
    return ok;
}

}  // namespace gdltest
