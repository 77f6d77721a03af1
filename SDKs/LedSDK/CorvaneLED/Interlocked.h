#pragma once
// A value guarded by its own mutex; CompareExchange is its one operation.
#include <mutex>

template <typename T> class Interlocked {
public:
    explicit Interlocked(T initial = T{}) : value_(initial) {}
    Interlocked(const Interlocked&) = delete;
    Interlocked& operator=(const Interlocked&) = delete;

    // Stores `exchange` when the current value equals `comparand`; returns the old value.
    T CompareExchange(const T& exchange, const T& comparand) {
        std::lock_guard<std::mutex> lock(mutex_);
        T old = value_;
        if (old == comparand) value_ = exchange;
        return old;
    }

    // A locked read: exchanging with the value itself changes nothing.
    T Read() {
        std::lock_guard<std::mutex> lock(mutex_);
        return value_;
    }

private:
    std::mutex mutex_;
    T value_;
};
