#include "MessageRelay.h"

#include "PixelDecoder.h"

#include <algorithm>

namespace et {

MessageRelay::MessageRelay(MessageQueue& messageQueue, MessageDispatcher& dispatcher,
                           Lighting& lighting, std::function<void()> foregroundCheck)
    : messageQueue_(messageQueue), dispatcher_(dispatcher), lighting_(lighting),
      foregroundCheck_(std::move(foregroundCheck)) {}

void MessageRelay::handleMessageQueue() {
    if (!currentMessage_.empty()) return;
    const bool animationPlaying =
        dispatcher_.combatAnimationPlaying() || dispatcher_.deadAnimationPlaying();
    auto taken = messageQueue_.select(animationPlaying);
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
            lighting_.stopEffectsOnKey(kEnterKeyName);
            dispatcher_.setWhisperLightActive(false);
        } else {
            // Stays current while it plays, so the selection tick takes nothing new meanwhile.
            dispatching_ = true;
            dispatcher_.evaluateMessage(currentMessage_);
            dispatching_ = false;
            currentMessage_.clear();
        }
    }
    if (foregroundCheck_) foregroundCheck_();
}

void MessageRelay::resetQueue() {
    messageQueue_.clear();
    currentMessage_.clear();
}

} // namespace et
