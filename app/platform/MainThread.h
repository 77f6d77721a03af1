#pragma once
// Hands work from another thread to the main thread. Unlike RunLoop, which belongs to the
// main thread, post may be called from any thread.
#include <functional>

namespace et {

class MainThread {
  public:
    virtual ~MainThread() = default;
    // Runs `fn` on the main thread soon, in posting order.
    virtual void post(std::function<void()> fn) = 0;
};

} // namespace et
