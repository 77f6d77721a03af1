#pragma once
// Lighting that follows the host software. The library never reconnects by itself: when
// the host is missing at start, restarts or crashes, every command fails until the
// framework is shut down and initialised again. This wrapper does that, at most once a
// second, when a command fails or a periodic check finds the host (back), logs one line,
// and sends again what the keyboard should show: the last target, whole color, bitmap and
// key colors, and the pulses still running. Runs on the main thread only.
#include "KeyColor.h"
#include "Lighting.h"
#include "Log.h"
#include "RunLoop.h"

#include <array>
#include <functional>
#include <map>
#include <optional>

namespace et {

class HostFollowingLighting : public Lighting {
  public:
    // `hostListening` tells, without connecting, whether a host listens now: the library
    // prints a line for every failed connection, so it is only asked when one would succeed.
    HostFollowingLighting(Lighting& inner, RunLoop& loop, std::function<bool()> hostListening)
        : inner_(inner), loop_(loop), hostListening_(std::move(hostListening)) {}
    // Where the reconnection line goes; none until the application's log exists.
    void setLog(Log* log) { log_ = log; }

    static constexpr double kCheckSeconds = 0.5;
    static constexpr double kRetrySeconds = 1.0;

    bool init() override;
    bool getSdkVersion(int& major, int& minor, int& build) override {
        return inner_.getSdkVersion(major, minor, build);
    }
    bool setTargetDevice(int device) override;
    bool setLighting(int red, int green, int blue) override;
    bool stopEffects() override { return forward(inner_.stopEffects()); }
    bool setLightingFromBitmap(const unsigned char* bitmap) override;
    bool setLightingForKey(int32_t keyName, int red, int green, int blue) override;
    bool flashSingleKey(int32_t keyName, int red, int green, int blue, int durationMs,
                        int intervalMs) override {
        return forward(inner_.flashSingleKey(keyName, red, green, blue, durationMs, intervalMs));
    }
    bool pulseSingleKey(int32_t keyName, int startRed, int startGreen, int startBlue, int finishRed,
                        int finishGreen, int finishBlue, int durationMs, bool infinite) override;
    bool stopEffectsOnKey(int32_t keyName) override;
    void shutdown() override;

  private:
    using Rgb = PercentRgb;
    struct Pulse {
        Rgb start, finish;
        int durationMs;
    };
    // What the keyboard should show, as the commands sent since init left it: all a
    // reconnection sends again, in this order.
    struct Shown {
        std::optional<int> target;
        std::optional<Rgb> whole;
        std::optional<std::array<unsigned char, 504>> bitmap;
        std::map<int32_t, Rgb> keys;
        std::map<int32_t, Pulse> pulses;
    };

    bool forward(bool ok);
    void scheduleCheck();
    void check();
    bool reconnect();
    void replay();

    Lighting& inner_;
    RunLoop& loop_;
    std::function<bool()> hostListening_;
    Log* log_ = nullptr;
    bool following_ = false; // between init and shutdown
    bool up_ = false;        // the last command (or init) reached the host
    bool checkPending_ = false;
    double lastAttempt_ = 0.0;
    Shown shown_;
};

} // namespace et
