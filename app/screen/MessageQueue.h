#pragma once
// The pending messages, shared by the capture thread (which adds) and the main thread
// (which takes and resets). One mutex covers each whole read-modify-write.
#include <mutex>
#include <string>

namespace et {

class MessageQueue {
  public:
    // Capture thread: "R" replaces everything pending but the action-bar frames; "D", "U", "O",
    // "V", "E", "e" and color-prefixed messages go to the front; everything else to the back.
    //
    // The strip can lose a character, so the queue does not trust the flags that hold
    // messages back to be cleared in time: an "O" drops a "C" still waiting (that fight is
    // over), a "U" or "V" a waiting "D" or "W", an "E" a waiting "e" and the other way
    // round, and no more than kMaxWaiting held-back messages wait; the oldest go first.
    void enqueue(const std::string& message);

    struct Selection {
        std::string message;            // empty when nothing was taken
        bool cooldownBlinkSuppressed{}; // a "c" was consumed
        std::string dropped;            // stale or surplus messages dropped since the last tick
    };
    // Main thread, one selection tick: takes at most one message. `animationPlaying` holds
    // back ordinary messages (not "U"/"V" or the urgent ones) behind the combat and dead
    // animations. A "U" or "V" taken while `dead` drops the "D"s and the animations that
    // waited behind the death: replayed after it they would only be stale.
    Selection select(bool animationPlaying, bool dead = false);

    // Drops everything pending but the action-bar frames (color-prefixed messages): they
    // tell the slots' state, not an event, and a dropped one would leave a key in the wrong
    // cooldown state until that bar changes again.
    void clear();
    std::string contents() const;

    static constexpr size_t kMaxWaiting = 32;

  private:
    void drop(size_t at, size_t count);
    void dropAll(const char* codes);
    void keepBounded();
    void keepFramesOnly();

    mutable std::mutex mutex_;
    std::string messageQueue_;
    std::string dropped_;
};

} // namespace et
