// The window's one-shot timer (Timer1); tests drive a manual one.
#pragma once

#include "Clock.h"

namespace gdl {

inline constexpr int kWatchdogMs = 500;

// Switching the timer on restarts its interval; the owner's tick handler
// runs on the window thread. The timer is also the clock its owner reads, so
// a manual timer in a test moves both.
class Timer : public Clock {
public:
    virtual void Start(int ms) = 0;
    virtual void Stop() = 0;
    virtual bool Enabled() const = 0;
    long long NowMs() const override { return SteadyClock::Instance().NowMs(); }
};

}  // namespace gdl
