#pragma once
// The pending messages, shared by the capture thread (which adds) and the main thread
// (which takes and resets). One mutex covers each whole read-modify-write.
#include <mutex>
#include <string>

namespace et {

class MessageQueue {
  public:
    // Capture thread: "R" replaces everything pending; "D", "U", "O", "V", "E", "e" and
    // color-prefixed messages go to the front; everything else to the back.
    void enqueue(const std::string& message);

    struct Selection {
        std::string message;            // empty when nothing was taken
        bool cooldownBlinkSuppressed{}; // a "c" was consumed
    };
    // Main thread, one selection tick: takes at most one message. `animationPlaying` holds
    // back ordinary messages (not "U"/"V" or the urgent ones) behind the combat and dead
    // animations.
    Selection select(bool animationPlaying);

    void clear();
    std::string contents() const;

  private:
    mutable std::mutex mutex_;
    std::string messageQueue_;
};

} // namespace et
