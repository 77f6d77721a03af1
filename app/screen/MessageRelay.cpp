#include "MessageRelay.h"

#include "PixelDecoder.h"

#include <algorithm>
#include <utility>

namespace et {

MessageRelay::MessageRelay(MessageQueue& messageQueue, MessageDispatcher& dispatcher,
                           std::function<void()> foregroundCheck)
    : messageQueue_(messageQueue), dispatcher_(dispatcher),
      foregroundCheck_(std::move(foregroundCheck)) {}

void MessageRelay::handleMessageQueue() {
    // A message being played keeps the next one in the queue, where a reset meanwhile
    // still finds it.
    if (!currentMessage_.empty() || dispatching_) return;
    const bool animationPlaying =
        dispatcher_.combatAnimationPlaying() || dispatcher_.deadAnimationPlaying();
    auto taken = messageQueue_.select(animationPlaying, dispatcher_.deadAnimationPlaying());
    if (!taken.dropped.empty()) dispatcher_.messagesDropped(taken.dropped);
    if (taken.cooldownBlinkSuppressed)
        dispatcher_.setSupressCooldownBlinkCounter(kCooldownBlinkSuppression);
    currentMessage_ = std::move(taken.message);
}

void MessageRelay::readMsgQueue() {
    // Animations wait by running the main loop; a tick that fires inside such a wait must
    // not dispatch the message that is being played.
    if (dispatching_) return;
    if (!currentMessage_.empty()) {
        const bool whisper = dispatcher_.whisperLightActive();
        if (whisper && currentMessage_.front() == 'I') {
            currentMessage_.clear();
        } else if (whisper &&
                   std::none_of(currentMessage_.begin(), currentMessage_.end(), isColorPrefix)) {
            // The whisper flash holds the Enter key; free it and dispatch on the next tick.
            dispatcher_.endWhisperLight();
        } else {
            // Taken out before it plays: a reset inside the play must not be undone by
            // clearing afterwards what the reset left current.
            const std::string message = std::exchange(currentMessage_, {});
            dispatching_ = true;
            dispatcher_.evaluateMessage(message);
            dispatching_ = false;
        }
    }
    if (foregroundCheck_) foregroundCheck_();
}

void MessageRelay::resetQueue() {
    messageQueue_.clear();
    // An action-bar frame stays, as in the queue.
    if (currentMessage_.size() != 2 || !isColorPrefix(currentMessage_.front()))
        currentMessage_.clear();
}

} // namespace et
