// What the serial tests and the benchmark share: a real pseudo-terminal, the
// owner's event queue the test thread pumps, and waits with a deadline.
#pragma once

#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "SerialPosix.h"
#include "Zcomm.h"

namespace gdltest {

using Bytes = std::vector<unsigned char>;
using std::chrono::milliseconds;
inline constexpr milliseconds kPatience{5000};

// The far end is the master; a device path names the slave. The slave stays
// open here too, as a cable's other end outlives our opens and closes.
class PtyPair {
public:
    PtyPair() {
        int master = -1, slave = -1;
        char name[128] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) == 0) {
            master_.Reset(master);
            slave_.Reset(slave);
            path_ = name;
        }
    }
    int Master() const { return master_.Get(); }
    int Slave() const { return slave_.Get(); }
    const std::string& Path() const { return path_; }
    // The far end goes away, as a pulled cable.
    void CloseMaster() { master_.Reset(); }

    void Send(const Bytes& bytes) const {
        std::size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::write(master_.Get(), bytes.data() + done, bytes.size() - done);
            if (n <= 0) return;
            done += static_cast<std::size_t>(n);
        }
    }
    // Up to count bytes from the far end, waiting at most patience for them.
    Bytes Receive(std::size_t count, milliseconds patience = kPatience) const {
        return ReadFor(master_.Get(), count, patience);
    }

    // Up to count bytes from fd, waiting at most patience for them all.
    static Bytes ReadFor(int fd, std::size_t count, milliseconds patience) {
        Bytes got;
        const auto until = std::chrono::steady_clock::now() + patience;
        while (got.size() < count) {
            auto left =
                std::chrono::duration_cast<milliseconds>(until - std::chrono::steady_clock::now());
            Bytes more = ReadSome(fd, count - got.size(), left);
            if (more.empty()) break;
            got.insert(got.end(), more.begin(), more.end());
        }
        return got;
    }
    // What arrives first, up to count bytes; empty when nothing came in time.
    static Bytes ReadSome(int fd, std::size_t count, milliseconds patience) {
        pollfd p{fd, POLLIN, 0};
        if (patience.count() <= 0 || ::poll(&p, 1, static_cast<int>(patience.count())) <= 0) {
            return {};
        }
        Bytes buffer(std::min<std::size_t>(count, 4096));
        ssize_t n = ::read(fd, buffer.data(), buffer.size());
        buffer.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        return buffer;
    }

private:
    gdl::UniqueFd master_;
    gdl::UniqueFd slave_;
    std::string path_;
};

// The owner's event loop: functions posted from any thread, run by the test
// thread when it pumps.
class PostQueue {
public:
    gdl::TZComm::PostFn Poster() {
        return [this](std::function<void()> fn) {
            {
                std::lock_guard lock(mutex_);
                queue_.push_back(std::move(fn));
                posterThreads_.push_back(std::this_thread::get_id());
            }
            ready_.notify_all();
        };
    }
    // Waits for something posted without running it.
    bool WaitPosted(milliseconds patience = kPatience) {
        std::unique_lock lock(mutex_);
        return ready_.wait_for(lock, patience, [&] { return !queue_.empty(); });
    }
    // Runs posted functions until done() holds; false when patience runs out.
    // A function runs without the lock held, so it may close the port.
    bool PumpUntil(const std::function<bool()>& done, milliseconds patience = kPatience) {
        const auto until = std::chrono::steady_clock::now() + patience;
        while (!done()) {
            std::function<void()> fn;
            {
                std::unique_lock lock(mutex_);
                if (!ready_.wait_until(lock, until, [&] { return !queue_.empty(); })) return false;
                fn = std::move(queue_.front());
                queue_.pop_front();
            }
            fn();
        }
        return true;
    }
    // Runs what is queued now.
    void PumpQueued() {
        std::deque<std::function<void()>> now;
        {
            std::lock_guard lock(mutex_);
            now.swap(queue_);
        }
        for (auto& fn : now) fn();
    }
    std::vector<std::thread::id> PosterThreads() {
        std::lock_guard lock(mutex_);
        return posterThreads_;
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::function<void()>> queue_;
    std::vector<std::thread::id> posterThreads_;
};

// Pumps the owner's events until the write under way has ended; how it ended.
inline bool WaitWritten(gdl::TZComm& comm, PostQueue& events, milliseconds patience = kPatience) {
    std::optional<bool> ended;
    auto before = comm.OnWritten;
    comm.OnWritten = [&](gdl::TZComm*, bool ok) { ended = ok; };
    const bool done = events.PumpUntil([&] { return ended.has_value(); }, patience);
    comm.OnWritten = before;
    return done && *ended;
}

// The player's link settings.
inline void UseLinkSettings(gdl::TZComm& comm, const std::string& port) {
    comm.Port = port;
    comm.BaudRate = 9600;
    comm.Parity = gdl::even_parity;
    comm.DataBits = gdl::databits8;
    comm.StopBits = gdl::stop1;
    comm.XOuputFlowCtl = false;
    comm.XInputFlowCtl = false;
    comm.AbortOnError = false;
    comm.TimeoutReadConstant = 5000;
    comm.TimeoutWriteConstant = 5000;
}

inline std::size_t CountEntries(const char* folder) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder)) ++n;
    return n;
}
inline std::size_t OpenFds() {
    return CountEntries("/proc/self/fd");
}
inline std::size_t Threads() {
    return CountEntries("/proc/self/task");
}

}  // namespace gdltest
