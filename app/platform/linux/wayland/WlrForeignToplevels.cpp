#include "WlrForeignToplevels.h"

#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

#include <algorithm>
#include <cstring>

namespace et {

namespace {
using namespace std::chrono_literals;
// Without the list (another compositor, or none), look again this often.
constexpr auto kReconnectSpacing = 3s;
} // namespace

struct ToplevelListeners {
    using T = WlrForeignToplevels::Toplevel;
    static void title(void* data, zwlr_foreign_toplevel_handle_v1*, const char* text) {
        static_cast<T*>(data)->pending.title = text ? text : "";
    }
    static void appId(void* data, zwlr_foreign_toplevel_handle_v1*, const char* text) {
        static_cast<T*>(data)->pending.appId = text ? text : "";
    }
    static void outputEnter(void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {}
    static void outputLeave(void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {}
    static void state(void* data, zwlr_foreign_toplevel_handle_v1*, wl_array* states) {
        auto* toplevel = static_cast<T*>(data);
        toplevel->pending.activated = false;
        const auto* entry = static_cast<const uint32_t*>(states->data);
        for (size_t i = 0; i < states->size / sizeof(uint32_t); ++i)
            if (entry[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED)
                toplevel->pending.activated = true;
    }
    static void done(void* data, zwlr_foreign_toplevel_handle_v1*) {
        auto* toplevel = static_cast<T*>(data);
        toplevel->current = toplevel->pending;
    }
    static void closed(void* data, zwlr_foreign_toplevel_handle_v1*) {
        static_cast<T*>(data)->closed = true;
    }
    static void parent(void*, zwlr_foreign_toplevel_handle_v1*, zwlr_foreign_toplevel_handle_v1*) {}
    static constexpr zwlr_foreign_toplevel_handle_v1_listener handle = {
        title, appId, outputEnter, outputLeave, state, done, closed, parent};

    static void toplevel(void* data, zwlr_foreign_toplevel_manager_v1*,
                         zwlr_foreign_toplevel_handle_v1* handle) {
        auto* self = static_cast<WlrForeignToplevels*>(data);
        auto entry = std::make_unique<T>();
        entry->handle = handle;
        zwlr_foreign_toplevel_handle_v1_add_listener(handle, &ToplevelListeners::handle,
                                                     entry.get());
        self->toplevels_.push_back(std::move(entry));
    }
    static void finished(void* data, zwlr_foreign_toplevel_manager_v1* manager) {
        // The compositor stops the list (it is going): look for it again later.
        zwlr_foreign_toplevel_manager_v1_destroy(manager);
        static_cast<WlrForeignToplevels*>(data)->manager_ = nullptr;
    }
    static constexpr zwlr_foreign_toplevel_manager_v1_listener manager = {toplevel, finished};
};

WlrForeignToplevels::WlrForeignToplevels(std::string displayName, Now now)
    : client_(std::move(displayName)), now_(std::move(now)) {}

WlrForeignToplevels::~WlrForeignToplevels() {
    disconnect();
}

void WlrForeignToplevels::disconnect() {
    for (const auto& t : toplevels_)
        zwlr_foreign_toplevel_handle_v1_destroy(t->handle);
    toplevels_.clear();
    if (manager_) zwlr_foreign_toplevel_manager_v1_destroy(manager_);
    manager_ = nullptr;
    client_.disconnect();
}

bool WlrForeignToplevels::connected() {
    if (client_.alive() && manager_) {
        if (client_.pump() && manager_) {
            std::erase_if(toplevels_, [](const auto& t) {
                if (t->closed) zwlr_foreign_toplevel_handle_v1_destroy(t->handle);
                return t->closed;
            });
            return true;
        }
    }
    const auto now = now_();
    if (now < retryAt_) return false;
    disconnect();
    retryAt_ = now + kReconnectSpacing;
    if (!client_.connect()) return false;
    const wl::Global* global = client_.find(zwlr_foreign_toplevel_manager_v1_interface.name);
    if (!global) return false;
    manager_ = static_cast<zwlr_foreign_toplevel_manager_v1*>(
        client_.bind(*global, &zwlr_foreign_toplevel_manager_v1_interface, 3));
    zwlr_foreign_toplevel_manager_v1_add_listener(manager_, &ToplevelListeners::manager, this);
    // The list as it stands arrives in answer to the bind.
    if (wl_display_roundtrip(client_.display()) < 0 ||
        wl_display_roundtrip(client_.display()) < 0) {
        disconnect();
        return false;
    }
    return manager_ != nullptr;
}

bool WlrForeignToplevels::offered() {
    return connected();
}

std::optional<std::string> WlrForeignToplevels::activated() {
    if (!connected()) return std::nullopt;
    for (const auto& t : toplevels_)
        if (t->current.activated && !t->closed)
            return t->current.appId.empty() ? t->current.title : t->current.appId;
    return std::nullopt;
}

} // namespace et
