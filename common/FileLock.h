// An exclusive advisory lock (flock) on a file or folder, held for as long as
// the object lives. Processes that take the same lock never overlap.
#pragma once

#include <chrono>
#include <string>

#include "Error.h"
#include "UniqueFd.h"

namespace gdl {

class FileLock {
public:
    FileLock() = default;

    // Locks path (opened read-only, so a read-only file or folder will do),
    // waiting at most `wait` for another holder to let go. When the wait runs
    // out the error is System with EWOULDBLOCK; other failures carry their
    // own errno.
    static Result<FileLock> Acquire(const std::string& path, std::chrono::milliseconds wait);

    bool Held() const { return static_cast<bool>(fd_); }

private:
    explicit FileLock(int fd) : fd_(fd) {}
    UniqueFd fd_;
};

}  // namespace gdl
