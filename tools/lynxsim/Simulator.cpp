#include "Simulator.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace gdl::lynxsim {

volatile sig_atomic_t gStop = 0;

SimClock::time_point Simulator::Answer(SimClock::time_point from) {
    const auto due = from + milliseconds(options_.answerDelayMs);
    for (unsigned i = 0; i < options_.answerBytes; ++i) out_.emplace(due, kAnswerByte);
    Print("{\"event\":\"answer\",\"count\":" + std::to_string(options_.answerBytes) + "}");
    return due;
}

SimClock::time_point Simulator::Burst(unsigned count, SimClock::time_point from) {
    const milliseconds gap(options_.burstGapMs);
    for (unsigned i = 0; i < count; ++i) out_.emplace(from + i * gap, kButtonByte);
    Print("{\"event\":\"burst\",\"count\":" + std::to_string(count) + "}");
    return from + (count - 1) * gap;
}

void Simulator::Report(const gdl::StreamEvent& event, SimClock::time_point at) {
    Print(gdl::ToJson(event));
    const auto* level = std::get_if<gdl::LevelEvent>(&event);
    if (!level || !level->Good()) return;
    ++goodLevels_;
    if (!options_.script && !options_.lynxOff) Answer(at);
}

void Simulator::Received(unsigned char byte, SimClock::time_point at) {
    if (options_.echo) out_.emplace(at, byte);
    for (const auto& event : parser_.Feed(byte, at)) Report(event, at);
}

void Simulator::MakeNoise(SimClock::time_point now) {
    if (noiseGap_.count() == 0) return;
    for (; noiseNext_ <= now; noiseNext_ += noiseGap_) {
        noiseSeed_ = noiseSeed_ * 1103515245u + 12345u;
        out_.emplace(noiseNext_, static_cast<unsigned char>(noiseSeed_ >> 16));
    }
}

bool Simulator::ReadPort(SimClock::time_point now) {
    unsigned char buffer[4096];
    std::size_t want = sizeof buffer;
    SimClock::time_point base = now;
    if (Paced()) {
        base = inBacklog_ ? inNext_ : std::max(inNext_, now);
        const auto behind = static_cast<std::size_t>((now - base) / byteTime_);
        want = std::min<std::size_t>(want, 1 + behind);
    }
    const ssize_t got = ::read(port_, buffer, want);
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
        inBacklog_ = false;
        return true;
    }
    if (got <= 0) return false;
    const auto n = static_cast<std::size_t>(got);
    for (std::size_t i = 0; i < n; ++i) {
        Received(buffer[i], Paced() ? base + static_cast<long>(i) * byteTime_ : now);
    }
    if (Paced()) {
        inNext_ = base + static_cast<long>(n) * byteTime_;
        inBacklog_ = n == want;
    }
    return true;
}

bool Simulator::WritePort(SimClock::time_point now) {
    if (outBlocked_) return true;
    std::vector<unsigned char> batch;
    std::vector<SimClock::time_point> freeAfter;
    SimClock::time_point free = outFree_;
    for (auto it = out_.begin(); it != out_.end(); ++it) {
        const auto sendAt = std::max(it->first, free);
        if (sendAt > now) break;
        batch.push_back(it->second);
        free = sendAt + byteTime_;
        freeAfter.push_back(free);
    }
    if (batch.empty()) return true;
    const ssize_t written = ::write(port_, batch.data(), batch.size());
    if (written < 0) {
        if (errno == EAGAIN) outBlocked_ = true;
        return errno == EAGAIN || errno == EINTR;
    }
    const auto n = static_cast<std::size_t>(written);
    if (n > 0) outFree_ = freeAfter[n - 1];
    lastWrite_ = now;
    out_.erase(out_.begin(), std::next(out_.begin(), static_cast<long>(n)));
    return true;
}

void Simulator::StepScript(SimClock::time_point now) {
    while (step_ < steps_.size() && !quit_) {
        const SimStep& step = steps_[step_];
        if (!stepStarted_) {
            stepStarted_ = true;
            if (step.kind == SimStep::Kind::Answer) stepUntil_ = Answer(now);
            if (step.kind == SimStep::Kind::Burst) stepUntil_ = Burst(step.value, now);
            if (step.kind == SimStep::Kind::Wait) stepUntil_ = now + milliseconds(step.value);
        }
        bool done = true;
        switch (step.kind) {
            case SimStep::Kind::WaitLevel:
                done = goodLevels_ > levelsTaken_;
                if (done) ++levelsTaken_;
                break;
            case SimStep::Kind::Answer:
            case SimStep::Kind::Burst:
                done = now >= stepUntil_ && !OutputDueBy(stepUntil_);
                break;
            case SimStep::Kind::Wait:
                done = now >= stepUntil_;
                break;
            case SimStep::Kind::Quit:
                quit_ = true;
                break;
        }
        if (!done) return;
        ++step_;
        stepStarted_ = false;
    }
}

void Simulator::ReadKeys(SimClock::time_point now) {
    char keys[64];
    const ssize_t got = ::read(0, keys, sizeof keys);
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (got <= 0) {
        keysEnded_ = true;
        return;
    }
    for (char key : std::string_view(keys, static_cast<std::size_t>(got))) {
        if (key == 'n') Burst(4, now);
        if (key == 'r') Burst(1, now);
        if (key == 'q') quit_ = true;
    }
}

std::optional<SimClock::time_point> Simulator::NextWake(SimClock::time_point now,
                                                        bool reading) const {
    std::optional<SimClock::time_point> wake = parser_.Deadline();
    auto consider = [&](SimClock::time_point at) { wake = wake ? std::min(*wake, at) : at; };
    if (!reading) consider(inNext_);
    if (!out_.empty() && !outBlocked_) consider(std::max(out_.begin()->first, outFree_));
    if (stepStarted_ && stepUntil_ > now) consider(stepUntil_);
    if (noiseGap_.count() > 0) consider(noiseNext_);
    return wake;
}

int Simulator::Run() {
    sigset_t unblocked;
    ::sigemptyset(&unblocked);
    for (;;) {
        auto now = SimClock::now();
        for (const auto& event : parser_.Tick(now)) Report(event, now);
        MakeNoise(now);
        if (!WritePort(now)) return 1;
        StepScript(now);
        if (gStop || (quit_ && out_.empty())) return 0;

        const bool reading = !Paced() || now >= inNext_;
        std::vector<pollfd> fds{
            {port_, static_cast<short>((reading ? POLLIN : 0) | (outBlocked_ ? POLLOUT : 0)), 0}};
        if (keys_ && !keysEnded_) fds.push_back({0, POLLIN, 0});
        timespec timeout{};
        timespec* limit = nullptr;
        if (auto wake = NextWake(now, reading)) {
            const auto left = std::max(SimClock::duration::zero(), *wake - now);
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            timeout.tv_sec = static_cast<time_t>(ns / 1000000000);
            timeout.tv_nsec = static_cast<long>(ns % 1000000000);
            limit = &timeout;
        }
        if (::ppoll(fds.data(), fds.size(), limit, &unblocked) < 0) {
            if (errno == EINTR) continue;
            return 1;
        }
        now = SimClock::now();
        if (fds[0].revents & POLLOUT) outBlocked_ = false;
        if (fds[0].revents & POLLIN) {
            if (!ReadPort(now)) return 1;
        } else if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            return 1;
        }
        if (fds.size() > 1 && fds[1].revents) ReadKeys(now);
    }
}

void Simulator::Drain() const {
    if (slave_ < 0) {
        ::tcdrain(port_);
        return;
    }
    // The kernel hands written bytes to the slave's input a moment later, and
    // the pty gives no event once they have been read: look every few ms.
    const auto settled = lastWrite_ + milliseconds(20);
    const auto until = SimClock::now() + std::chrono::seconds(2);
    int unread = 0;
    while (SimClock::now() < until) {
        const bool read = ::ioctl(slave_, FIONREAD, &unread) != 0 || unread == 0;
        if (read && SimClock::now() >= settled) return;
        ::poll(nullptr, 0, 5);
    }
}

}  // namespace gdl::lynxsim
