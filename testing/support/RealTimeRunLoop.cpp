#include "RealTimeRunLoop.h"

namespace et::test {

using Clock = std::chrono::steady_clock;

RealTimeRunLoop::RealTimeRunLoop() : start_(Clock::now()) {}

double RealTimeRunLoop::now() const {
    return std::chrono::duration<double>(Clock::now() - start_).count();
}

void RealTimeRunLoop::after(double seconds, std::function<void()> fn) {
    timers_.emplace(std::make_pair(now() + seconds, sequence_++), std::move(fn));
}

void RealTimeRunLoop::post(std::function<void()> fn) {
    {
        std::lock_guard lock(mutex_);
        posted_.push_back(std::move(fn));
    }
    wake_.notify_one();
}

void RealTimeRunLoop::runOnce(Clock::time_point until) {
    std::vector<std::function<void()>> batch;
    {
        std::unique_lock lock(mutex_);
        auto wakeAt = until;
        if (!timers_.empty()) {
            const auto due =
                start_ + std::chrono::duration_cast<Clock::duration>(
                             std::chrono::duration<double>(timers_.begin()->first.first));
            if (due < wakeAt) wakeAt = due;
        }
        wake_.wait_until(lock, wakeAt, [&] { return !posted_.empty(); });
        batch.swap(posted_);
    }
    for (auto& fn : batch)
        fn();
    while (!timers_.empty() && timers_.begin()->first.first <= now()) {
        auto node = timers_.extract(timers_.begin());
        node.mapped()();
    }
}

void RealTimeRunLoop::runFor(double seconds) {
    const auto until =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(
                           std::chrono::duration<double>(seconds > 0.0 ? seconds : 0.0));
    do {
        runOnce(until);
    } while (Clock::now() < until);
}

bool RealTimeRunLoop::runUntil(const std::function<bool()>& done, double timeout) {
    const auto until = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                          std::chrono::duration<double>(timeout));
    while (!done() && Clock::now() < until)
        runOnce(std::min(until, Clock::now() + std::chrono::milliseconds(10)));
    return done();
}

} // namespace et::test
