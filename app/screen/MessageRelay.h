#pragma once
// The main-thread half of the screen link: two timer actions that move messages from the
// shared queue to the director, one at a time.
//
// How the director plugs in: it implements MessageDispatcher (evaluateMessage and the
// game-state flags the relay consults) and is handed to the relay at construction. The
// application schedules readMsgQueue every 0.2 s, then handleMessageQueue every 0.1 s, on
// the main thread. The reset that "R" triggers calls resetQueue(). The game-foreground
// check runs after every readMsgQueue tick through the callback given to the relay.
#include "MessageQueue.h"

#include <functional>
#include <string>

namespace et {

// Implemented by the lighting director. Called on the main thread only.
class MessageDispatcher {
  public:
    virtual ~MessageDispatcher() = default;
    virtual void evaluateMessage(const std::string& message) = 0;
    // While either animation plays, ordinary messages wait in the queue.
    virtual bool combatAnimationPlaying() const = 0;
    virtual bool deadAnimationPlaying() const = 0;
    // Set by the whisper message; the relay ends it when the next message needs the
    // keyboard back, which stops the whisper's flash.
    virtual bool whisperLightActive() const = 0;
    virtual void endWhisperLight() = 0;
    // A "c" from the add-on silences the cooldown blink for the next few updates.
    virtual void setSupressCooldownBlinkCounter(int count) = 0;
    // The queue dropped these stale or surplus messages (one character each, or a prefix
    // and its data character).
    virtual void messagesDropped(const std::string& /*messages*/) {}
};

class MessageRelay {
  public:
    MessageRelay(MessageQueue& messageQueue, MessageDispatcher& dispatcher,
                 std::function<void()> foregroundCheck);

    // 0.1 s timer: chooses the next message when none is waiting for dispatch.
    void handleMessageQueue();
    // 0.2 s timer: dispatches the chosen message, then checks which application is in front.
    void readMsgQueue();
    // Reset: drops everything pending, queued or chosen, but the action-bar frames.
    void resetQueue();

    const std::string& currentMessage() const { return currentMessage_; }

    static constexpr int kCooldownBlinkSuppression = 5;

  private:
    MessageQueue& messageQueue_;
    MessageDispatcher& dispatcher_;
    std::function<void()> foregroundCheck_;
    std::string currentMessage_;
    bool dispatching_ = false;
};

} // namespace et
