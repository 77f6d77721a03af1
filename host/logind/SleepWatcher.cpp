#include "SleepWatcher.h"

#include <gio/gio.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace hostsim {

// What the filter reaches. GDBus may still run a filter after its removal, so this lives
// until GDBus lets go of it, and the callback is emptied first.
struct SleepWatcher::Hook {
    std::mutex mutex;
    std::function<void()> wokeUp;
};

namespace {
constexpr const char* kPath = "/org/freedesktop/login1";
constexpr const char* kManager = "org.freedesktop.login1.Manager";
constexpr const char* kMember = "PrepareForSleep";
constexpr std::chrono::milliseconds kConnectTimeout{2000};

// Runs on GDBus's worker thread for every message that arrives.
GDBusMessage* filter(GDBusConnection*, GDBusMessage* message, gboolean incoming, gpointer self) {
    if (incoming && g_dbus_message_get_message_type(message) == G_DBUS_MESSAGE_TYPE_SIGNAL &&
        !g_strcmp0(g_dbus_message_get_path(message), kPath) &&
        !g_strcmp0(g_dbus_message_get_interface(message), kManager) &&
        !g_strcmp0(g_dbus_message_get_member(message), kMember)) {
        GVariant* body = g_dbus_message_get_body(message);
        gboolean sleeping = TRUE;
        if (body && g_variant_is_of_type(body, G_VARIANT_TYPE("(b)")))
            g_variant_get(body, "(b)", &sleeping);
        auto* hook = static_cast<SleepWatcher::Hook*>(self);
        std::lock_guard<std::mutex> lock(hook->mutex);
        if (!sleeping && hook->wokeUp) hook->wokeUp();
    }
    return message;
}
} // namespace

SleepWatcher::SleepWatcher(std::function<void()> wokeUp) {
    // Honours DBUS_SYSTEM_BUS_ADDRESS. A connection of its own: GDBus's shared one would end
    // the process when the bus goes away.
    gchar* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SYSTEM, nullptr, nullptr);
    if (!address) return;
    // A bus that accepts but never answers must not hold the host's start: the connection
    // is given up after a while, and the host goes on without wake-ups.
    GCancellable* cancel = g_cancellable_new();
    std::mutex mutex;
    std::condition_variable connected;
    bool done = false;
    std::thread watchdog([&] {
        std::unique_lock<std::mutex> lock(mutex);
        if (!connected.wait_for(lock, kConnectTimeout, [&] { return done; }))
            g_cancellable_cancel(cancel);
    });
    bus_ = g_dbus_connection_new_for_address_sync(
        address,
        GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                             G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, cancel, nullptr);
    {
        std::lock_guard<std::mutex> lock(mutex);
        done = true;
    }
    connected.notify_one();
    watchdog.join();
    g_object_unref(cancel);
    g_free(address);
    if (!bus_) return;
    hook_ = new Hook{{}, std::move(wokeUp)};
    filter_ = g_dbus_connection_add_filter(bus_, filter, hook_,
                                           [](gpointer hook) { delete static_cast<Hook*>(hook); });
    // Any sender: logind need not run yet. Others may not emit on logind's path and
    // interface on a system bus, so the match stays tight.
    const gchar* rule = "type='signal',path='/org/freedesktop/login1',"
                        "interface='org.freedesktop.login1.Manager',member='PrepareForSleep'";
    GVariant* reply = g_dbus_connection_call_sync(
        bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "AddMatch",
        g_variant_new("(s)", rule), nullptr, G_DBUS_CALL_FLAGS_NONE,
        int(kConnectTimeout.count()), nullptr, nullptr);
    if (reply) {
        g_variant_unref(reply);
        return;
    }
    stopWatching();
}

SleepWatcher::~SleepWatcher() {
    stopWatching();
}

void SleepWatcher::stopWatching() {
    if (!bus_) return;
    {
        std::lock_guard<std::mutex> lock(hook_->mutex);
        hook_->wokeUp = nullptr;
    }
    g_dbus_connection_remove_filter(bus_, filter_);
    g_dbus_connection_close_sync(bus_, nullptr, nullptr);
    g_object_unref(bus_);
    bus_ = nullptr;
}

} // namespace hostsim
