#pragma once
// A main loop that runs GLib's default context, so the CorvaneLED library's effect timers
// tick while the director waits; for tests and benchmarks that go all the way to a host
// socket without the application's Qt loop.
#include "RunLoop.h"

#include <glib.h>

#include <algorithm>
#include <functional>

namespace et::test {

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
