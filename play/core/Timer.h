// The window's one-shot timer (Timer1), and a manual clock for tests.
#pragma once

#include <chrono>
#include <functional>

namespace gdl {

inline constexpr int kWatchdogMs = 500;

// Switching the timer on restarts its interval; the owner's tick handler
// runs on the window thread.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void Start(int ms) = 0;
    virtual void Stop() = 0;
    virtual bool Enabled() const = 0;
    // Milliseconds on the clock the timer runs by (any start).
    virtual long long NowMs() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
};

// Test double: time moves only when the test says so, and a due tick runs
// onTick as the window's timer message would.
class ManualTimer : public Timer {
public:
    std::function<void()> onTick;

    void Start(int ms) override {
        enabled_ = true;
        interval_ = ms;
        due_ = now_ + ms;
        ++starts_;
    }
    void Stop() override { enabled_ = false; }
    bool Enabled() const override { return enabled_; }

    // Moves the clock on by ms, running the tick when it falls due.
    void Advance(long long ms) {
        long long until = now_ + ms;
        while (enabled_ && due_ <= until) {
            now_ = due_;
            // A window timer keeps firing until stopped; Timer1's handler stops it first.
            due_ = now_ + interval_;
            if (onTick) onTick();
        }
        now_ = until;
    }
    long long Now() const { return now_; }
    long long NowMs() const override { return now_; }
    int Starts() const { return starts_; }

private:
    bool enabled_ = false;
    long long now_ = 0;
    long long due_ = 0;
    long long interval_ = kWatchdogMs;
    int starts_ = 0;
};

}  // namespace gdl
