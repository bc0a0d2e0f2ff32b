// Shell scripts and marker files standing in for the programs beside the kit,
// and the process-wide settings a test changes for a while.
#pragma once

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <string>
#include <thread>

#include "TempDir.h"

namespace gdltest {

// The build tree's kit folder, where the built tools lie.
inline std::string KitBin() {
    return std::string(GDLKIT_KIT_DIR) + "/bin/";
}

inline std::string SampleFolder() {
    return std::string(GDLKIT_SOURCE_DIR) + "/samples/GemQuest/";
}

// An executable "#!/bin/sh" script.
inline void WriteScript(const std::string& path, const std::string& body) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << "#!/bin/sh\n" << body << "\n";
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}
inline void WriteScript(const TempDir& dir, std::string_view name, const std::string& body) {
    WriteScript(dir.Path(name), body);
}

// A terminal ("TERM -T TITLE -e COMMAND...") that notes the window title in a
// file "title" beside itself and runs the command in place.
inline void WriteFakeTerminal(const std::string& path) {
    WriteScript(path, "echo \"$2\" > \"${0%/*}/title\"\nshift 3\nexec \"$@\"");
}

// Tool files whose presence is all that is checked.
inline void WriteMarkers(const std::string& folder, std::initializer_list<const char*> names) {
    for (const char* name : names) std::ofstream(folder + name, std::ios::binary) << "x";
}

// The kit's built files, linked into a tool folder of the test's own so that
// batch files written by tests running side by side never meet.
inline void LinkKitFiles(const std::string& folder, std::initializer_list<const char*> names) {
    for (const char* name : names) std::filesystem::create_symlink(KitBin() + name, folder + name);
}

// Detached work cannot be waited for: we look for its traces within a
// generous limit.
template <class Done>
bool Eventually(Done done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}
// A detached program's record is one line: it is read once its line has
// ended, never in the middle of the program's writes.
inline std::string EventuallyRead(const TempDir& dir, std::string_view name) {
    std::string text;
    Eventually([&] {
        text = dir.Read(name);
        return !text.empty() && text.back() == '\n';
    });
    return text;
}

inline bool NoChildLeft() {
    int status = 0;
    return ::waitpid(-1, &status, WNOHANG) == -1 && errno == ECHILD;
}

// An environment variable changed for one test; the old value comes back.
class ScopedEnv {
public:
    explicit ScopedEnv(const char* name) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
    }
    ScopedEnv(const char* name, const std::string& value) : ScopedEnv(name) { Set(value); }
    ~ScopedEnv() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;
    void Set(const std::string& value) { ::setenv(name_, value.c_str(), 1); }
    void Unset() { ::unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> old_;
};

// While it lives, a file cannot grow beyond `bytes`: a full disk that binds
// root as well.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        oldHandler_ = ::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &old_);
        rlimit small = old_;
        small.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        ::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

}  // namespace gdltest
