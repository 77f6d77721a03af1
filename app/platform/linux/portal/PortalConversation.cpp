#include "PortalConversation.h"

#include <gio/gunixfdlist.h>

#include <unistd.h>

#include <cstring>
#include <memory>

namespace et::portal {

namespace {
constexpr const char* kPortal = "org.freedesktop.portal.Desktop";
constexpr const char* kObject = "/org/freedesktop/portal/desktop";
constexpr const char* kScreenCast = "org.freedesktop.portal.ScreenCast";

// The portal's source types and cursor modes are bit masks.
constexpr uint32_t kMonitorSource = 1;
constexpr uint32_t kCursorHidden = 1;
// Kept until the player revokes it: later starts of Ember Talon ask nothing.
constexpr uint32_t kPersistUntilRevoked = 2;
// Restore tokens and persist_mode came with version 4 of the interface.
constexpr uint32_t kPersistVersion = 4;

struct VariantDeleter {
    void operator()(GVariant* v) const { g_variant_unref(v); }
};
using VariantPtr = std::unique_ptr<GVariant, VariantDeleter>;

std::string takeMessage(GError* error) {
    std::string text = error ? error->message : "unknown error";
    if (error) g_error_free(error);
    return text;
}
} // namespace

PortalConversation::PortalConversation(GMainContext* context, const std::atomic<bool>& stopping,
                                       std::string busAddress)
    : context_(context), stopping_(stopping), busAddress_(std::move(busAddress)) {}

PortalConversation::~PortalConversation() {
    if (!bus_) return;
    if (!session_.empty() && alive_) {
        // Ends the cast on the desktop's side too (its indicator goes away).
        g_dbus_connection_call(bus_, kPortal, session_.c_str(), "org.freedesktop.portal.Session",
                               "Close", nullptr, nullptr, G_DBUS_CALL_FLAGS_NO_AUTO_START, -1,
                               nullptr, nullptr, nullptr);
        g_dbus_connection_flush_sync(bus_, nullptr, nullptr);
    }
    if (sessionWatch_) g_dbus_connection_signal_unsubscribe(bus_, sessionWatch_);
    if (ownerWatch_) g_dbus_connection_signal_unsubscribe(bus_, ownerWatch_);
    if (closedHandler_) g_signal_handler_disconnect(bus_, closedHandler_);
    g_dbus_connection_close_sync(bus_, nullptr, nullptr);
    g_object_unref(bus_);
}

bool PortalConversation::connect(std::string& detail) {
    GError* error = nullptr;
    gchar* address = busAddress_.empty()
                         ? g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, &error)
                         : g_strdup(busAddress_.c_str());
    if (!address) {
        detail = "no session bus: " + takeMessage(error);
        return false;
    }
    // A connection of our own: its signals arrive on this thread's context, and closing it
    // leaves nothing behind in the process.
    bus_ = g_dbus_connection_new_for_address_sync(
        address,
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &error);
    g_free(address);
    if (!bus_) {
        detail = "cannot reach the session bus: " + takeMessage(error);
        return false;
    }
    g_dbus_connection_set_exit_on_close(bus_, FALSE);
    closedHandler_ = g_signal_connect(bus_, "closed", G_CALLBACK(onClosed), this);
    ownerWatch_ = g_dbus_connection_signal_subscribe(
        bus_, "org.freedesktop.DBus", "org.freedesktop.DBus", "NameOwnerChanged",
        "/org/freedesktop/DBus", kPortal, G_DBUS_SIGNAL_FLAGS_NONE, onLost, this, nullptr);
    // Request objects are named after our unique name, ":1.42" as "1_42".
    sender_ = g_dbus_connection_get_unique_name(bus_) + 1;
    for (char& c : sender_)
        if (c == '.') c = '_';
    return true;
}

std::string PortalConversation::newToken() {
    return "ember_talon_" + std::to_string(::getpid()) + "_" + std::to_string(++tokens_);
}

std::string PortalConversation::requestPath(const std::string& token) const {
    return std::string(kObject) + "/request/" + sender_ + "/" + token;
}

GVariant* PortalConversation::property(const char* name) {
    GVariant* reply = g_dbus_connection_call_sync(
        bus_, kPortal, kObject, "org.freedesktop.DBus.Properties", "Get",
        g_variant_new("(ss)", kScreenCast, name), G_VARIANT_TYPE("(v)"), G_DBUS_CALL_FLAGS_NONE,
        -1, nullptr, nullptr);
    if (!reply) return nullptr;
    GVariant* value = nullptr;
    g_variant_get(reply, "(v)", &value);
    g_variant_unref(reply);
    return value;
}

Outcome PortalConversation::fromError(GError* error, std::string& detail) {
    Outcome outcome = Outcome::Failed;
    if (error && g_dbus_error_is_remote_error(error)) {
        gchar* remote = g_dbus_error_get_remote_error(error);
        const std::string name = remote ? remote : "";
        g_free(remote);
        if (name == "org.freedesktop.DBus.Error.ServiceUnknown" ||
            name == "org.freedesktop.DBus.Error.UnknownMethod" ||
            name == "org.freedesktop.DBus.Error.UnknownObject" ||
            name == "org.freedesktop.DBus.Error.UnknownInterface" ||
            name == "org.freedesktop.DBus.Error.NameHasNoOwner")
            outcome = Outcome::NoPortal;
        else if (name == "org.freedesktop.DBus.Error.AccessDenied" ||
                 name == "org.freedesktop.portal.Error.NotAllowed")
            outcome = Outcome::Denied;
        else if (name == "org.freedesktop.portal.Error.InvalidArgument")
            outcome = Outcome::Invalid;
    }
    detail = takeMessage(error);
    return outcome;
}

void PortalConversation::onResponse(GDBusConnection*, const char*, const char*, const char*,
                                    const char*, GVariant* parameters, gpointer data) {
    auto* self = static_cast<PortalConversation*>(data);
    if (!self->pending_ || self->pending_->arrived) return;
    Reply& reply = *self->pending_;
    g_variant_get(parameters, "(u@a{sv})", &reply.code, &reply.results);
    reply.arrived = true;
}

void PortalConversation::onLost(GDBusConnection*, const char*, const char*, const char*,
                                const char* signal, GVariant* parameters, gpointer data) {
    auto* self = static_cast<PortalConversation*>(data);
    if (std::strcmp(signal, "NameOwnerChanged") == 0) {
        const char* newOwner = "";
        g_variant_get(parameters, "(&s&s&s)", nullptr, nullptr, &newOwner);
        if (*newOwner) return;
    }
    self->alive_ = false;
}

void PortalConversation::onClosed(GDBusConnection*, gboolean, GError*, gpointer data) {
    static_cast<PortalConversation*>(data)->alive_ = false;
}

void PortalConversation::watchSession() {
    sessionWatch_ = g_dbus_connection_signal_subscribe(
        bus_, kPortal, "org.freedesktop.portal.Session", "Closed", session_.c_str(), nullptr,
        G_DBUS_SIGNAL_FLAGS_NONE, onLost, this, nullptr);
}

Outcome PortalConversation::request(const char* method, GVariant* args, const std::string& token,
                                    Reply& reply, std::string& detail) {
    // Subscribed before the call: a fast portal answers before the call returns.
    std::string path = requestPath(token);
    auto subscribe = [&](const std::string& on) {
        return g_dbus_connection_signal_subscribe(bus_, kPortal, "org.freedesktop.portal.Request",
                                                  "Response", on.c_str(), nullptr,
                                                  G_DBUS_SIGNAL_FLAGS_NONE, onResponse, this,
                                                  nullptr);
    };
    guint subscription = subscribe(path);
    pending_ = &reply;
    GError* error = nullptr;
    GVariant* handle = g_dbus_connection_call_sync(bus_, kPortal, kObject, kScreenCast, method,
                                                   args, G_VARIANT_TYPE("(o)"),
                                                   G_DBUS_CALL_FLAGS_NONE, -1, nullptr, &error);
    Outcome outcome = Outcome::Granted;
    if (!handle) {
        outcome = fromError(error, detail);
    } else {
        const char* returned = nullptr;
        g_variant_get(handle, "(&o)", &returned);
        // Portals older than the handle_token option choose the path themselves.
        if (path != returned && !reply.arrived) {
            g_dbus_connection_signal_unsubscribe(bus_, subscription);
            path = returned;
            subscription = subscribe(path);
        }
        g_variant_unref(handle);
        while (!reply.arrived && !stopping_ && alive_) g_main_context_iteration(context_, TRUE);
        if (!reply.arrived) {
            // Takes the dialog down when we give up on it.
            g_dbus_connection_call(bus_, kPortal, path.c_str(), "org.freedesktop.portal.Request",
                                   "Close", nullptr, nullptr, G_DBUS_CALL_FLAGS_NO_AUTO_START, -1,
                                   nullptr, nullptr, nullptr);
            outcome = stopping_ ? Outcome::Stopped : Outcome::Failed;
            detail = "the portal went away";
        } else if (reply.code == 1) {
            outcome = Outcome::Cancelled;
        } else if (reply.code != 0) {
            outcome = Outcome::Denied;
        }
    }
    g_dbus_connection_signal_unsubscribe(bus_, subscription);
    pending_ = nullptr;
    return outcome;
}

Outcome PortalConversation::open(const std::string& restoreToken, CastGrant& grant,
                                 std::string& detail) {
    if (!connect(detail)) return Outcome::NoPortal;
    const VariantPtr version(property("version"));
    if (!version || !g_variant_is_of_type(version.get(), G_VARIANT_TYPE_UINT32)) {
        detail = "nothing on the session bus offers " + std::string(kScreenCast);
        return Outcome::NoPortal;
    }
    const uint32_t interfaceVersion = g_variant_get_uint32(version.get());
    if (const VariantPtr types{property("AvailableSourceTypes")};
        types && g_variant_is_of_type(types.get(), G_VARIANT_TYPE_UINT32) &&
        !(g_variant_get_uint32(types.get()) & kMonitorSource)) {
        detail = "the portal cannot share a monitor";
        return Outcome::NoPortal;
    }
    bool hideCursor = false;
    if (const VariantPtr modes{property("AvailableCursorModes")};
        modes && g_variant_is_of_type(modes.get(), G_VARIANT_TYPE_UINT32))
        hideCursor = g_variant_get_uint32(modes.get()) & kCursorHidden;

    Reply reply;
    std::string token = newToken();
    GVariantBuilder options;
    g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&options, "{sv}", "handle_token", g_variant_new_string(token.c_str()));
    g_variant_builder_add(&options, "{sv}", "session_handle_token",
                          g_variant_new_string(newToken().c_str()));
    Outcome outcome =
        request("CreateSession", g_variant_new("(a{sv})", &options), token, reply, detail);
    if (outcome != Outcome::Granted) return outcome;
    const char* session = nullptr;
    if (reply.results) g_variant_lookup(reply.results, "session_handle", "&s", &session);
    if (session) session_ = session;
    if (reply.results) g_variant_unref(reply.results);
    if (session_.empty()) {
        detail = "the portal made no session";
        return Outcome::Failed;
    }
    watchSession();

    reply = {};
    token = newToken();
    g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&options, "{sv}", "handle_token", g_variant_new_string(token.c_str()));
    g_variant_builder_add(&options, "{sv}", "types", g_variant_new_uint32(kMonitorSource));
    g_variant_builder_add(&options, "{sv}", "multiple", g_variant_new_boolean(FALSE));
    if (hideCursor)
        g_variant_builder_add(&options, "{sv}", "cursor_mode", g_variant_new_uint32(kCursorHidden));
    if (interfaceVersion >= kPersistVersion) {
        g_variant_builder_add(&options, "{sv}", "persist_mode",
                              g_variant_new_uint32(kPersistUntilRevoked));
        if (!restoreToken.empty())
            g_variant_builder_add(&options, "{sv}", "restore_token",
                                  g_variant_new_string(restoreToken.c_str()));
    }
    outcome = request("SelectSources", g_variant_new("(oa{sv})", session_.c_str(), &options),
                      token, reply, detail);
    if (reply.results) g_variant_unref(reply.results);
    if (outcome != Outcome::Granted) return outcome;

    reply = {};
    token = newToken();
    g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&options, "{sv}", "handle_token", g_variant_new_string(token.c_str()));
    outcome = request("Start", g_variant_new("(osa{sv})", session_.c_str(), "", &options), token,
                      reply, detail);
    if (outcome != Outcome::Granted) {
        if (reply.results) g_variant_unref(reply.results);
        return outcome;
    }
    GVariant* streams = reply.results
                            ? g_variant_lookup_value(reply.results, "streams",
                                                     G_VARIANT_TYPE("a(ua{sv})"))
                            : nullptr;
    bool haveStream = false;
    if (streams && g_variant_n_children(streams) > 0) {
        GVariant* properties = nullptr;
        g_variant_get_child(streams, 0, "(u@a{sv})", &grant.node, &properties);
        g_variant_lookup(properties, "size", "(ii)", &grant.width, &grant.height);
        g_variant_unref(properties);
        haveStream = true;
    }
    if (streams) g_variant_unref(streams);
    const char* kept = nullptr;
    if (reply.results && g_variant_lookup(reply.results, "restore_token", "&s", &kept))
        grant.restoreToken = kept;
    if (reply.results) g_variant_unref(reply.results);
    if (!haveStream) {
        detail = "the portal shared no stream";
        return Outcome::Failed;
    }

    GError* error = nullptr;
    GUnixFDList* fds = nullptr;
    GVariantBuilder none;
    g_variant_builder_init(&none, G_VARIANT_TYPE_VARDICT);
    GVariant* remote = g_dbus_connection_call_with_unix_fd_list_sync(
        bus_, kPortal, kObject, kScreenCast, "OpenPipeWireRemote",
        g_variant_new("(oa{sv})", session_.c_str(), &none), G_VARIANT_TYPE("(h)"),
        G_DBUS_CALL_FLAGS_NONE, -1, nullptr, &fds, nullptr, &error);
    if (!remote) return fromError(error, detail);
    gint32 index = -1;
    g_variant_get(remote, "(h)", &index);
    g_variant_unref(remote);
    grant.pipewireFd = fds ? g_unix_fd_list_get(fds, index, &error) : -1;
    if (fds) g_object_unref(fds);
    if (grant.pipewireFd < 0) {
        detail = "no PipeWire connection: " + takeMessage(error);
        return Outcome::Failed;
    }
    return Outcome::Granted;
}

} // namespace et::portal
