#include "FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace gdl {

namespace {

int OpenForLock(const std::string& path) {
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
}

int LockBlocking(int fd) {
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) return errno;
    }
    return 0;
}

// What the waiting thread and the caller share: the caller may stop waiting
// before the lock comes, and then the thread lets go of it at once.
struct Waiter {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool abandoned = false;
    int fd = -1;
    int error = 0;
};

}  // namespace

Result<FileLock> FileLock::Acquire(const std::string& path, std::chrono::milliseconds wait) {
    const int fd = OpenForLock(path);
    if (fd < 0) return Error::System("cannot open " + path, errno);
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return FileLock(fd);
    const int first = errno;
    ::close(fd);
    if (first != EWOULDBLOCK) return Error::System("cannot lock " + path, first);

    // flock has no time limit of its own: a thread waits in it on its own
    // open file, and we wait for that thread with one.
    auto waiter = std::make_shared<Waiter>();
    std::thread([waiter, path] {
        const int own = OpenForLock(path);
        const int error = own < 0 ? errno : LockBlocking(own);
        std::lock_guard<std::mutex> hold(waiter->mutex);
        if (error == 0 && !waiter->abandoned) {
            waiter->fd = own;
        } else if (own >= 0) {
            ::close(own);
        }
        waiter->error = error;
        waiter->finished = true;
        waiter->done.notify_all();
    }).detach();

    std::unique_lock<std::mutex> hold(waiter->mutex);
    if (!waiter->done.wait_for(hold, wait, [&] { return waiter->finished; })) {
        waiter->abandoned = true;
        return Error::System(path + " is locked by another program", EWOULDBLOCK);
    }
    if (waiter->error != 0) return Error::System("cannot lock " + path, waiter->error);
    return FileLock(waiter->fd);
}

}  // namespace gdl
