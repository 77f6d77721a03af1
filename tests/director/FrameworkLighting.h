#pragma once
// The director's way to the keyboard through the real CorvaneLED library, and a main loop
// that runs GLib's default context so the library's effect timers tick while it waits.
// For tests and benchmarks that go all the way to a host socket.
#include "CorvaneLED.h"
#include "Lighting.h"
#include "RunLoop.h"

#include <glib.h>

#include <algorithm>
#include <functional>

namespace et::test {

class FrameworkLighting : public Lighting {
  public:
    bool init() override { return CorvLedInit(); }
    bool getSdkVersion(int& major, int& minor, int& build) override {
        return CorvLedGetSdkVersion(&major, &minor, &build);
    }
    bool setTargetDevice(int device) override { return CorvLedSetTargetDevice(device); }
    bool setLighting(int r, int g, int b) override { return CorvLedSetLighting(r, g, b); }
    bool stopEffects() override { return CorvLedStopEffects(); }
    bool setLightingFromBitmap(const unsigned char* bitmap) override {
        // The library only reads the buffer during the call.
        return CorvLedSetLightingFromBitmap(const_cast<unsigned char*>(bitmap));
    }
    bool setLightingForKey(int32_t key, int r, int g, int b) override {
        return CorvLedSetLightingForKeyWithKeyName(static_cast<KeyName>(key), r, g, b);
    }
    bool flashSingleKey(int32_t key, int r, int g, int b, int duration, int interval) override {
        return CorvLedFlashSingleKey(static_cast<KeyName>(key), r, g, b, duration, interval);
    }
    bool pulseSingleKey(int32_t key, int sr, int sg, int sb, int fr, int fg, int fb, int duration,
                        bool infinite) override {
        return CorvLedPulseSingleKey(static_cast<KeyName>(key), sr, sg, sb, fr, fg, fb, duration,
                                     infinite);
    }
    bool stopEffectsOnKey(int32_t key) override {
        return CorvLedStopEffectsOnKey(static_cast<KeyName>(key));
    }
    void shutdown() override { CorvLedShutdown(); }
};

class GlibRunLoop : public RunLoop {
  public:
    double now() const override { return static_cast<double>(g_get_monotonic_time()) / 1e6; }

    void runFor(double seconds) override {
        bool done = false;
        GSource* deadline = g_timeout_source_new(toMs(seconds));
        g_source_set_callback(
            deadline,
            [](gpointer flag) -> gboolean {
                *static_cast<bool*>(flag) = true;
                return G_SOURCE_REMOVE;
            },
            &done, nullptr);
        g_source_attach(deadline, nullptr);
        while (!done)
            g_main_context_iteration(nullptr, TRUE);
        g_source_destroy(deadline);
        g_source_unref(deadline);
    }

    void after(double seconds, std::function<void()> fn) override {
        g_timeout_add_full(
            G_PRIORITY_DEFAULT, toMs(seconds),
            [](gpointer data) -> gboolean {
                (*static_cast<std::function<void()>*>(data))();
                return G_SOURCE_REMOVE;
            },
            new std::function<void()>(std::move(fn)),
            [](gpointer data) { delete static_cast<std::function<void()>*>(data); });
    }

  private:
    static guint toMs(double seconds) {
        return static_cast<guint>(std::max(0.0, seconds * 1000.0));
    }
};

} // namespace et::test
