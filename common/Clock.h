// The clock the link's timings run by: the machine's steady clock in the
// programs, a manual one in tests, so no test waits on real time.
#pragma once

#include <chrono>

namespace gdl {

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since any fixed start.
    virtual long long NowMs() const = 0;
};

class SteadyClock final : public Clock {
public:
    long long NowMs() const override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    // The one every program shares.
    static const SteadyClock& Instance() {
        static const SteadyClock clock;
        return clock;
    }
};

}  // namespace gdl
