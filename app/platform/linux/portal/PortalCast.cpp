#include "PortalCast.h"

#include "PortalConversation.h"

#include <glib.h>

#include <algorithm>
#include <cmath>

namespace et::portal {

namespace {
using namespace std::chrono_literals;

// Calibration's widest rectangle ends below 220 columns; the capture's is narrower.
constexpr int kCornerColumns = 256;
// However a rectangle is asked, the copy stays small.
constexpr int kMostColumns = 4096;
constexpr int kMostRows = 16;
constexpr std::chrono::seconds kFirstRetry = 2s;
constexpr std::chrono::seconds kMostRetry = 60s;
// A cast that ran this long was sound: after its end the pauses start short again.
constexpr auto kSoundCast = 30s;

constexpr const char* kReadingLine =
    "Screen link: reading the strip through the desktop's screen-sharing portal (PipeWire).";
constexpr const char* kAskingLine =
    "Screen link: asking the desktop to share the screen. If it shows a dialog, choose the "
    "screen the game is on and allow it; Ember Talon remembers the answer.";

std::string waitText(std::chrono::seconds pause) {
    return std::to_string(pause.count()) + " s";
}
} // namespace

PortalCast::PortalCast(PortalTokens& tokens, Report report, Options options)
    : tokens_(tokens), report_(std::move(report)), options_(std::move(options)),
      cornerColumns_(kCornerColumns) {}

PortalCast::~PortalCast() {
    stopping_ = true;
    wake();
    // Not under the control lock: the worker takes it to finish.
    joinWorker();
}

void PortalCast::joinWorker() {
    if (worker_.joinable()) worker_.join();
}

void PortalCast::wake() {
    std::lock_guard lock(contextMutex_);
    if (context_) g_main_context_wakeup(context_);
}

void PortalCast::want() {
    std::lock_guard lock(control_);
    const State state = state_;
    if (state == State::Asking || state == State::Streaming || state == State::Refused) return;
    if (state != State::Idle && options_.now() < retryAt_) return;
    // The last worker has set its final state: it is ending or has ended.
    joinWorker();
    stopping_ = false;
    streamEnded_ = false;
    state_ = State::Asking;
    ++attempts_;
    worker_ = std::thread(&PortalCast::run, this, tokens_.restoreToken());
}

void PortalCast::askAgain() {
    std::lock_guard lock(control_);
    retryAt_ = {};
    backoff_ = {};
    const State state = state_;
    if (state == State::Asking || state == State::Streaming) return;
    // The player asked: what happens next is told again. No worker runs now (its last
    // act was under this lock).
    outage_ = false;
    if (state == State::Refused) state_ = State::Idle;
}

bool PortalCast::read(const Rect& rect, std::vector<Color>& row, Clock::time_point* arrived) {
    // The stream copies as much of each frame's corner as the readers have asked for.
    if (std::isfinite(rect.x) && std::isfinite(rect.width) && std::isfinite(rect.y)) {
        const double right = std::clamp(std::ceil(rect.x + rect.width), 0.0, double(kMostColumns));
        const double bottom = std::clamp(std::floor(rect.y) + 1.0, 1.0, double(kMostRows));
        if (right > cornerColumns_) cornerColumns_ = static_cast<int>(right);
        if (bottom > cornerRows_) cornerRows_ = static_cast<int>(bottom);
    }
    std::lock_guard lock(frameMutex_);
    if (corner_.width == 0) {
        row.clear();
        return false;
    }
    if (arrived) *arrived = arrived_;
    return readRow(corner_.view(), rect, row);
}

void PortalCast::frame(const PixelView& frame) {
    if (!copyCorner(frame, cornerColumns_, cornerRows_, spare_)) return;
    const auto now = options_.now();
    std::lock_guard lock(frameMutex_);
    std::swap(corner_, spare_);
    arrived_ = now;
    ++frames_;
}

void PortalCast::ended(const std::string& why) {
    {
        std::lock_guard lock(contextMutex_);
        endedWhy_ = why;
    }
    streamEnded_ = true;
    wake();
}

void PortalCast::say(const std::string& line) {
    if (report_) report_(line);
}

void PortalCast::run(std::string token) {
    GMainContext* context = g_main_context_new();
    g_main_context_push_thread_default(context);
    {
        std::lock_guard lock(contextMutex_);
        context_ = context;
    }
    // Said once, not at every try of an outage.
    if (token.empty() && !outage_) say(kAskingLine);
    Ending ending;
    for (bool again = true; again;) {
        again = false;
        PortalConversation talk(context, stopping_, options_.busAddress);
        CastGrant grant;
        std::string detail;
        const Outcome outcome = talk.open(token, grant, detail);
        if (outcome == Outcome::Granted) {
            // Every start gets a new token and spends the old one.
            tokens_.keepRestoreToken(grant.restoreToken);
            ending = stream(talk, grant);
        } else if (outcome == Outcome::Invalid && !token.empty()) {
            // A kept token the portal cannot read (edited by hand, from another desktop):
            // ask afresh at once, or every later try would fail the same way.
            tokens_.keepRestoreToken({});
            token.clear();
            if (!outage_) say(kAskingLine);
            again = true;
        } else {
            ending = refusal(outcome, detail, !token.empty());
        }
    }
    g_main_context_pop_thread_default(context);
    {
        std::lock_guard lock(contextMutex_);
        context_ = nullptr;
    }
    g_main_context_unref(context);
    finish(ending);
}

PortalCast::Ending PortalCast::stream(PortalConversation& talk, const CastGrant& grant) {
    CastStream stream(grant.pipewireFd, grant.node, options_.maxFps, *this);
    std::string error;
    if (!stream.start(error))
        return {State::Lost, "Screen link: the desktop shared the screen but PipeWire could not "
                             "carry it (" + error + ")"};
    state_ = State::Streaming;
    if (outage_ || !toldReading_) say(kReadingLine);
    toldReading_ = true;
    outage_ = false;
    const auto began = options_.now();
    while (!stopping_ && !streamEnded_ && talk.alive())
        g_main_context_iteration(g_main_context_get_thread_default(), TRUE);
    if (stopping_) return {State::Idle, {}};
    if (options_.now() - began >= kSoundCast) {
        std::lock_guard lock(control_);
        backoff_ = {};
    }
    std::string why;
    {
        std::lock_guard lock(contextMutex_);
        why = streamEnded_ ? endedWhy_ : "the portal closed the session";
    }
    return {State::Lost, "Screen link: the desktop's screen sharing ended (" + why + ")"};
}

PortalCast::Ending PortalCast::refusal(Outcome outcome, const std::string& detail,
                                       bool hadToken) {
    switch (outcome) {
    case Outcome::Cancelled:
        // A kept permission that led to a dialog did not hold: it is of no more use.
        if (hadToken) tokens_.keepRestoreToken({});
        return {State::Refused,
                "Screen link: screen sharing was cancelled in the desktop's dialog, so the strip "
                "cannot be read. Click Calibrate to be asked again, and choose the screen the "
                "game is on."};
    case Outcome::Denied:
        if (hadToken) tokens_.keepRestoreToken({});
        return {State::Refused,
                "Screen link: the desktop refused to share the screen (" +
                    (detail.empty() ? std::string("its portal answered no") : detail) +
                    "), so the strip cannot be read. Allow screen sharing for Ember Talon in the "
                    "desktop's privacy settings, then click Calibrate to be asked again."};
    case Outcome::NoPortal:
        return {State::Unavailable,
                "Screen link: the desktop offers no screen-sharing portal (" + detail +
                    "). Install xdg-desktop-portal and the desktop's backend for it "
                    "(xdg-desktop-portal-gnome, -kde or -wlr)."};
    case Outcome::Stopped:
        return {State::Idle, {}};
    case Outcome::Invalid:
    case Outcome::Failed:
    case Outcome::Granted:
        break;
    }
    return {State::Lost, "Screen link: asking the desktop to share the screen failed (" +
                             detail + ")"};
}

void PortalCast::finish(const Ending& ending) {
    {
        // No frame of a cast that ended is read as the screen's.
        std::lock_guard lock(frameMutex_);
        corner_ = {};
    }
    std::lock_guard lock(control_);
    if (ending.state == State::Lost || ending.state == State::Unavailable) {
        backoff_ = std::clamp(backoff_ * 2, kFirstRetry, kMostRetry);
        retryAt_ = options_.now() + backoff_;
        // One line for an outage, not one for each try in it.
        if (!outage_) say(ending.line + "; it is asked for again in " + waitText(backoff_) + ".");
        outage_ = true;
    } else if (ending.state == State::Refused) {
        // Only the player's askAgain() leads to another try, and each answer is told.
        say(ending.line);
    }
    state_ = ending.state;
}

} // namespace et::portal
