#include "EffectTimer.h"

namespace corvled {

namespace {

struct EffectSource {
    GSource base;
    gint64 intervalUs;
    gint64 due; // the slot of the tick being dispatched, monotonic microseconds
    EffectTick tick;
};

// Ticks keep to the slots start + k × interval, as a run-loop timer does: a late tick does
// not push the later ones back, and slots missed entirely are skipped rather than fired in
// a burst.
gint64 nextSlot(gint64 due, gint64 interval, gint64 now) {
    gint64 next = due + interval;
    if (next <= now) next += ((now - next) / interval + 1) * interval;
    return next;
}

gboolean dispatchEffect(GSource* source, GSourceFunc, gpointer) {
    auto* effect = reinterpret_cast<EffectSource*>(source);
    effect->due = nextSlot(effect->due, effect->intervalUs, g_source_get_time(source));
    g_source_set_ready_time(source, effect->due);
    effect->tick(source);
    // The tick may have ended its own effect; GLib then drops the source after dispatch.
    return g_source_is_destroyed(source) ? G_SOURCE_REMOVE : G_SOURCE_CONTINUE;
}

// No prepare or check: the ready time alone decides when the source runs.
GSourceFuncs effectFuncs = {nullptr, nullptr, dispatchEffect, nullptr, nullptr, nullptr};

} // namespace

GSource* createEffectTimer(int intervalMs, EffectTick tick) {
    GSource* source = g_source_new(&effectFuncs, sizeof(EffectSource));
    auto* effect = reinterpret_cast<EffectSource*>(source);
    effect->intervalUs = static_cast<gint64>(intervalMs) * 1000;
    effect->due = g_get_monotonic_time();
    effect->tick = tick;
    g_source_set_name(source, "CorvaneLED effect");
    g_source_set_priority(source, G_PRIORITY_DEFAULT);
    // Due now: the first tick comes on the loop's next pass.
    g_source_set_ready_time(source, effect->due);
    GMainContext* context = g_main_context_ref_thread_default();
    g_source_attach(source, context);
    g_main_context_unref(context);
    return source;
}

void destroyEffectTimer(GSource*& timer) {
    if (!timer) return;
    g_source_destroy(timer);
    g_source_unref(timer);
    timer = nullptr;
}

} // namespace corvled
