#include "MessageQueue.h"

#include "PixelDecoder.h"

#include <algorithm>
#include <string_view>

namespace et {

namespace {
bool goesToFront(char first) {
    return std::string_view("DUOVEe").find(first) != std::string_view::npos || isColorPrefix(first);
}

bool isUrgent(char first) {
    return std::string_view("OREewxyz").find(first) != std::string_view::npos;
}
} // namespace

void MessageQueue::enqueue(const std::string& message) {
    if (message.empty()) return;
    std::lock_guard lock(mutex_);
    const char first = message.front();
    if (first == 'R')
        messageQueue_ = message;
    else if (goesToFront(first))
        messageQueue_.insert(0, message);
    else
        messageQueue_ += message;
}

MessageQueue::Selection MessageQueue::select(bool animationPlaying) {
    std::lock_guard lock(mutex_);
    Selection taken;
    if (messageQueue_.empty()) return taken;

    // "U" and "V" overtake everything up to the first color-prefixed message. When both
    // qualify, the earlier one goes now and the other on a later tick, so neither is lost.
    const auto prefixAt = std::find_if(messageQueue_.begin(), messageQueue_.end(), isColorPrefix);
    const auto limit = static_cast<size_t>(prefixAt - messageQueue_.begin());
    const size_t u = messageQueue_.find('U');
    const size_t v = messageQueue_.find('V');
    const size_t overtaking =
        std::min(u < limit ? u : std::string::npos, v < limit ? v : std::string::npos);
    if (overtaking != std::string::npos) {
        taken.message = messageQueue_.substr(overtaking, 1);
        messageQueue_.erase(overtaking, 1);
        return taken;
    }

    const char f = messageQueue_.front();
    if (isColorPrefix(f)) {
        // The data character has not arrived yet; the pair is taken once it has.
        if (messageQueue_.size() < 2) return taken;
        taken.message = messageQueue_.substr(0, 2);
        messageQueue_.erase(0, 2);
    } else if (isUrgent(f)) {
        taken.message = std::string(1, f);
        messageQueue_.erase(0, 1);
    } else if (f == 'c') {
        messageQueue_.erase(0, 1);
        taken.cooldownBlinkSuppressed = true;
    } else if (!animationPlaying) {
        taken.message = std::string(1, f);
        messageQueue_.erase(0, 1);
    }
    return taken;
}

void MessageQueue::clear() {
    std::lock_guard lock(mutex_);
    messageQueue_.clear();
}

std::string MessageQueue::contents() const {
    std::lock_guard lock(mutex_);
    return messageQueue_;
}

} // namespace et
