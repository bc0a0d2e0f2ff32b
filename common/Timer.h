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

}  // namespace gdl
