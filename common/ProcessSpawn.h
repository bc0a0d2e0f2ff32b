// The process spawner's two halves, for common/ alone: what posix_spawn is
// given (built before any fork) and the pipe that gathers the programs'
// standard error. Process.cpp starts, waits and reports.
#pragma once

#include <spawn.h>
#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "Process.h"

namespace gdl::spawn {

// Everything posix_spawn needs, built before any fork: the child of a fork in
// a threaded program may only make system calls, not allocate. errorFd, when
// not -1, becomes the program's standard error.
class PreparedStart {
public:
    PreparedStart(const ProcessStart& start, int errorFd);
    ~PreparedStart();
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
    explicit ErrorCollector(std::string* out);
    ~ErrorCollector();
    ErrorCollector(const ErrorCollector&) = delete;
    ErrorCollector& operator=(const ErrorCollector&) = delete;

    int ReadFd() const { return readFd_; }
    int WriteFd() const { return writeFd_; }
    // Once the programs that write into the pipe have it, the end is theirs.
    void CloseWriteEnd();

    // Everything the pipe holds now; what is beyond the limit is read and dropped.
    void Drain();

private:
    std::string* out_;
    int readFd_ = -1;
    int writeFd_ = -1;
    bool cut_ = false;
};

}  // namespace gdl::spawn
