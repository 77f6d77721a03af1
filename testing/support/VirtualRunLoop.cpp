#include "VirtualRunLoop.h"

namespace et::test {

void VirtualRunLoop::runFor(double seconds) {
    const double end = now_ + (seconds > 0.0 ? seconds : 0.0);
    drainPosted();
    while (!timers_.empty() && timers_.begin()->first.first <= end) {
        auto node = timers_.extract(timers_.begin());
        if (node.key().first > now_) now_ = node.key().first;
        node.mapped()();
        drainPosted();
    }
    // A timer that waited inside its own runFor may have carried the clock past `end`;
    // time never runs backwards.
    if (now_ < end) now_ = end;
}

void VirtualRunLoop::after(double seconds, std::function<void()> fn) {
    timers_.emplace(std::make_pair(now_ + (seconds > 0.0 ? seconds : 0.0), sequence_++),
                    std::move(fn));
}

void VirtualRunLoop::post(std::function<void()> fn) {
    std::lock_guard lock(postedMutex_);
    posted_.push_back(std::move(fn));
}

int VirtualRunLoop::drainPosted() {
    std::vector<std::function<void()>> batch;
    {
        std::lock_guard lock(postedMutex_);
        batch.swap(posted_);
    }
    for (auto& fn : batch)
        fn();
    return static_cast<int>(batch.size());
}

} // namespace et::test
