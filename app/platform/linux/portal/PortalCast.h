#pragma once
// One screen cast through the desktop portal, shared by everything that reads the screen
// (the capture thread and calibration): the player is asked at most once for it. A thread of
// its own talks to the portal and keeps the session; PipeWire's thread copies the strip's
// corner out of each frame. Readers take the newest copy under a short lock and never wait
// for a frame: frames come only when the screen changes, so the last one stands until then.
//
// Starting is bounded: a cast that ended is asked for again only after a growing pause, and a
// refusal by the player is final until askAgain() (Calibrate) lifts it.
#include "CastStream.h"
#include "FrameStrip.h"
#include "PortalConversation.h"
#include "PortalTokens.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace et::portal {

class PortalCast : private CastStream::Sink {
  public:
    using Clock = std::chrono::steady_clock;
    using Now = std::function<Clock::time_point()>;
    // One line for each change the player should know of; on the cast's own thread.
    using Report = std::function<void(const std::string&)>;

    struct Options {
        // Empty: the session bus of the environment.
        std::string busAddress;
        int maxFps = 20;
        Now now = Clock::now;
    };

    enum class State { Idle, Asking, Streaming, Lost, Refused, Unavailable };

    PortalCast(PortalTokens& tokens, Report report, Options options);
    explicit PortalCast(PortalTokens& tokens, Report report = {})
        : PortalCast(tokens, std::move(report), Options{}) {}
    ~PortalCast() override;
    PortalCast(const PortalCast&) = delete;
    PortalCast& operator=(const PortalCast&) = delete;

    State state() const { return state_; }
    // From any thread: starts the cast when none runs and one may be started now.
    void want();
    // After a refusal or a lost cast: the next want() asks at once (Calibrate).
    void askAgain();

    // The row at `rect.y` of the newest frame, cut as readRow() does. False while no frame
    // has come. `arrived`, when given, receives the moment that frame came.
    bool read(const Rect& rect, std::vector<Color>& row, Clock::time_point* arrived = nullptr);
    // Frames taken from the stream since construction.
    uint64_t frames() const { return frames_; }
    // Casts asked of the portal since construction.
    int attempts() const { return attempts_; }

  private:
    struct Ending {
        State state = State::Idle;
        std::string line;
    };
    void run(std::string token);
    Ending stream(PortalConversation& talk, const CastGrant& grant);
    Ending refusal(Outcome outcome, const std::string& detail, bool hadToken);
    void finish(const Ending& ending);
    void say(const std::string& line);
    void frame(const PixelView& frame) override;
    void ended(const std::string& why) override;
    void wake();
    void joinWorker();

    PortalTokens& tokens_;
    Report report_;
    Options options_;

    std::mutex control_;
    std::thread worker_;
    std::atomic<State> state_{State::Idle};
    std::atomic<bool> stopping_{false};
    std::atomic<bool> streamEnded_{false};
    // The worker's context, for waking it; never held while joining (PipeWire's thread
    // takes it to report an end).
    std::mutex contextMutex_;
    GMainContext* context_ = nullptr;
    std::string endedWhy_;
    Clock::time_point retryAt_{};
    std::chrono::seconds backoff_{0};
    std::atomic<int> attempts_{0};
    // An outage is told once, and the cast's return after it.
    bool outage_ = false;
    bool toldReading_ = false;

    // The strip's corner of the newest frame, and how much of the corner readers need.
    std::mutex frameMutex_;
    PixelBlock corner_;
    PixelBlock spare_;
    Clock::time_point arrived_{};
    std::atomic<int> cornerColumns_;
    std::atomic<int> cornerRows_{1};
    std::atomic<uint64_t> frames_{0};
};

} // namespace et::portal
