// A program running beside the test, whose standard output the test reads
// line by line as it comes (the Lynx simulator prints its device first). Its
// standard input is a pipe from the test, never the test's terminal.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gdltest {

class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& argv) {
        int fds[2], in[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) return;
        if (::pipe2(in, O_CLOEXEC) != 0) {
            ::close(fds[0]);
            ::close(fds[1]);
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(in[0], 0);
            ::dup2(fds[1], 1);
            std::vector<char*> args;
            for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            ::execv(args[0], args.data());
            ::_exit(127);
        }
        ::close(fds[1]);
        ::close(in[0]);
        out_ = fds[0];
        in_ = in[1];
    }
    ~ChildProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            Wait();
        }
        CloseInput();
        if (out_ >= 0) ::close(out_);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next whole line of its output, or nullopt when none came in time.
    std::optional<std::string> ReadLine(std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        for (;;) {
            if (auto nl = buffer_.find('\n'); nl != std::string::npos) {
                std::string line = buffer_.substr(0, nl);
                buffer_.erase(0, nl + 1);
                return line;
            }
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            if (left.count() <= 0 || out_ < 0) return std::nullopt;
            pollfd p{out_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
            char chunk[4096];
            ssize_t n = ::read(out_, chunk, sizeof chunk);
            if (n <= 0) return std::nullopt;
            buffer_.append(chunk, static_cast<std::size_t>(n));
        }
    }
    // The first line holding text, skipping the others.
    std::optional<std::string> ReadLineWith(const std::string& text,
                                            std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (auto line = ReadLine(std::chrono::duration_cast<std::chrono::milliseconds>(
                   end - std::chrono::steady_clock::now()))) {
            if (line->find(text) != std::string::npos) return line;
        }
        return std::nullopt;
    }

    // Typed on its standard input.
    bool Input(std::string_view text) {
        return in_ >= 0 && ::write(in_, text.data(), text.size()) == ssize_t(text.size());
    }
    void CloseInput() {
        if (in_ >= 0) ::close(in_);
        in_ = -1;
    }
    // Sends it a signal (SIGKILL: a crash it cannot clean up after).
    void Signal(int signal) const {
        if (pid_ > 0) ::kill(pid_, signal);
    }
    // Waits for it to end: its exit status, -1 when it did not exit normally.
    int Wait() {
        CloseInput();
        if (pid_ <= 0) return -1;
        int status = 0;
        while (pid_ > 0 && ::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    std::string buffer_;
};

}  // namespace gdltest
