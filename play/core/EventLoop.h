// A window thread without a window: functions posted from other threads and
// the one-shot timer run here, one at a time, in order. The headless sender
// runs the player's core on it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "Timer.h"

namespace gdl {

class EventLoop {
public:
    using Steady = std::chrono::steady_clock;

    // Thread-safe.
    void Post(std::function<void()> fn);
    // Runs posted functions and due ticks until done() holds after one of
    // them, or the limit passes; whether done() held.
    bool RunUntil(const std::function<bool()>& done, Steady::duration limit);

    // Timer1 of this loop; its tick runs onTick.
    class LoopTimer : public Timer {
    public:
        std::function<void()> onTick;
        void Start(int ms) override;
        void Stop() override { enabled_ = false; }
        bool Enabled() const override { return enabled_; }

    private:
        friend class EventLoop;
        bool enabled_ = false;
        int interval_ = kWatchdogMs;
        Steady::time_point due_{};
    };
    LoopTimer& WindowTimer() { return timer_; }

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> queue_;
    LoopTimer timer_;
};

}  // namespace gdl
