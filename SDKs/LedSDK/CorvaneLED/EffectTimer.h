#pragma once
// The repeating timer behind every effect: a GLib source on the calling thread's
// thread-default main context that ticks on the next pass of that loop and then once per
// interval, on a fixed schedule.
#include <glib.h>

namespace corvled {

using EffectTick = void (*)(GSource* timer);

// Attaches a new timer to g_main_context_ref_thread_default() and returns it with one
// reference owned by the caller. `intervalMs` must be at least 1.
GSource* createEffectTimer(int intervalMs, EffectTick tick);

// Detaches the timer and drops the caller's reference; it never ticks again. Sets `timer`
// to null; a null timer is left alone.
void destroyEffectTimer(GSource*& timer);

} // namespace corvled
