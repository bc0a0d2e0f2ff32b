#include "EventLoop.h"

namespace gdl {

void EventLoop::LoopTimer::Start(int ms) {
    enabled_ = true;
    interval_ = ms;
    due_ = Steady::now() + std::chrono::milliseconds(ms);
}

void EventLoop::Post(std::function<void()> fn) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(fn));
    }
    wake_.notify_one();
}

bool EventLoop::RunUntil(const std::function<bool()>& done, Steady::duration limit) {
    const auto end = Steady::now() + limit;
    if (done()) return true;
    for (;;) {
        std::function<void()> next;
        {
            std::unique_lock lock(mutex_);
            auto until = end;
            if (timer_.enabled_ && timer_.due_ < until) until = timer_.due_;
            wake_.wait_until(lock, until, [&] { return !queue_.empty(); });
            if (!queue_.empty()) {
                next = std::move(queue_.front());
                queue_.pop_front();
            }
        }
        if (next) {
            next();
        } else if (timer_.enabled_ && Steady::now() >= timer_.due_) {
            // A window timer fires again each interval until it is stopped.
            timer_.due_ += std::chrono::milliseconds(timer_.interval_);
            if (timer_.onTick) timer_.onTick();
        } else if (Steady::now() >= end) {
            return done();
        }
        if (done()) return true;
    }
}

}  // namespace gdl
