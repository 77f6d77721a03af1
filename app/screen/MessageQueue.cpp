#include "MessageQueue.h"

#include "PixelDecoder.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace et {

namespace {
bool goesToFront(char first) {
    return std::string_view("DUOVEe").find(first) != std::string_view::npos || isColorPrefix(first);
}

bool isUrgent(char first) {
    return std::string_view("OREewxyz").find(first) != std::string_view::npos;
}

// Messages that wait while the combat or dead animation plays.
bool isHeldBack(char first) {
    return !isUrgent(first) && first != 'U' && first != 'V' && !isColorPrefix(first);
}

// The animations and the death that a revival makes stale.
constexpr const char* kStaleAfterRevival = "DWGgSsMmaAFnHrTfNLBhJ";

// Length of the message that starts at `at`: a prefix and its data character, or one.
size_t messageLength(const std::string& queue, size_t at) {
    return isColorPrefix(queue[at]) && at + 1 < queue.size() ? 2 : 1;
}

// Where a prefixed message goes: in front of everything else, but behind the prefixed
// messages already waiting there.
size_t prefixedInsertionPoint(const std::string& queue) {
    size_t at = 0;
    while (at + 1 < queue.size() && isColorPrefix(queue[at]))
        at += 2;
    return at;
}
} // namespace

void MessageQueue::enqueue(const std::string& message) {
    if (message.empty()) return;
    std::lock_guard lock(mutex_);
    const char first = message.front();
    if (first == 'R') {
        keepFramesOnly();
        messageQueue_ += message;
        return;
    }
    // A message that ends a state drops the start of it still waiting (and the chat's two
    // drop each other): both go to the front, so the older would be taken after the newer.
    if (first == 'O') dropAll("C");
    if (first == 'U' || first == 'V') dropAll("DW");
    if (first == 'E' || first == 'e') dropAll(first == 'E' ? "e" : "E");
    if (isColorPrefix(first) && message.size() == 2) {
        // A frame tells the whole state of its six slots: an older one of the same bar still
        // waiting is stale, and taken after this one it would undo it.
        for (size_t at = 0; at < messageQueue_.size();) {
            const size_t length = messageLength(messageQueue_, at);
            if (length == 2 && messageQueue_[at] == first)
                drop(at, 2);
            else
                at += length;
        }
        messageQueue_.insert(prefixedInsertionPoint(messageQueue_), message);
    } else if (goesToFront(first))
        messageQueue_.insert(0, message);
    else
        messageQueue_ += message;
    keepBounded();
}

void MessageQueue::drop(size_t at, size_t count) {
    dropped_ += messageQueue_.substr(at, count);
    messageQueue_.erase(at, count);
}

void MessageQueue::dropAll(const char* codes) {
    const std::string_view stale(codes);
    for (size_t at = 0; at < messageQueue_.size();) {
        const size_t length = messageLength(messageQueue_, at);
        if (length == 1 && stale.find(messageQueue_[at]) != std::string_view::npos)
            drop(at, 1);
        else
            at += length;
    }
}

void MessageQueue::keepFramesOnly() {
    std::string frames;
    for (size_t at = 0; at < messageQueue_.size(); at += messageLength(messageQueue_, at))
        if (messageLength(messageQueue_, at) == 2) frames += messageQueue_.substr(at, 2);
    messageQueue_ = std::move(frames);
}

void MessageQueue::keepBounded() {
    size_t waiting = 0;
    for (size_t at = 0; at < messageQueue_.size(); at += messageLength(messageQueue_, at))
        waiting += isHeldBack(messageQueue_[at]) ? 1 : 0;
    for (size_t at = 0; waiting > kMaxWaiting && at < messageQueue_.size();) {
        const size_t length = messageLength(messageQueue_, at);
        if (length == 1 && isHeldBack(messageQueue_[at])) {
            drop(at, 1);
            --waiting;
        } else {
            at += length;
        }
    }
}

MessageQueue::Selection MessageQueue::select(bool animationPlaying, bool dead) {
    std::lock_guard lock(mutex_);
    Selection taken;
    taken.dropped = std::exchange(dropped_, {});
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
        if (dead) {
            dropAll(kStaleAfterRevival);
            taken.dropped += std::exchange(dropped_, {});
        }
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
    keepFramesOnly();
    dropped_.clear();
}

std::string MessageQueue::contents() const {
    std::lock_guard lock(mutex_);
    return messageQueue_;
}

} // namespace et
