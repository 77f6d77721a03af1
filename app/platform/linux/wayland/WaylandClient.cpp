#include "WaylandClient.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace et::wl {

Client::Client(std::string displayName) : displayName_(std::move(displayName)) {}

Client::~Client() {
    disconnect();
}

void Client::disconnect() {
    if (registry_) wl_registry_destroy(registry_);
    if (display_) wl_display_disconnect(display_);
    registry_ = nullptr;
    display_ = nullptr;
    globals_.clear();
}

bool Client::alive() const {
    return display_ && wl_display_get_error(display_) == 0;
}

bool Client::connect() {
    disconnect();
    display_ = wl_display_connect(displayName_.empty() ? nullptr : displayName_.c_str());
    if (!display_) return false;
    static const wl_registry_listener listener = {&Client::global, &Client::globalRemove};
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &listener, this);
    connecting_ = true;
    const bool ok = wl_display_roundtrip(display_) >= 0;
    connecting_ = false;
    if (!ok) disconnect();
    return ok;
}

void Client::global(void* data, wl_registry*, uint32_t name, const char* interface,
                    uint32_t version) {
    auto* self = static_cast<Client*>(data);
    self->globals_.push_back({name, interface, version});
    if (!self->connecting_ && self->onGlobal) self->onGlobal(self->globals_.back());
}

void Client::globalRemove(void* data, wl_registry*, uint32_t name) {
    auto* self = static_cast<Client*>(data);
    std::erase_if(self->globals_, [name](const Global& g) { return g.name == name; });
    if (self->onGlobalRemoved) self->onGlobalRemoved(name);
}

const Global* Client::find(const char* interface) const {
    for (const auto& g : globals_)
        if (g.interface == interface) return &g;
    return nullptr;
}

void* Client::bind(const Global& global, const wl_interface* interface, uint32_t version) const {
    return wl_registry_bind(registry_, global.name, interface, std::min(version, global.version));
}

bool Client::readEvents(int timeoutMs) {
    while (wl_display_prepare_read(display_) != 0)
        if (wl_display_dispatch_pending(display_) < 0) return false;
    if (wl_display_flush(display_) < 0 && errno != EAGAIN) {
        wl_display_cancel_read(display_);
        return false;
    }
    pollfd fd{wl_display_get_fd(display_), POLLIN, 0};
    const int ready = poll(&fd, 1, timeoutMs);
    if (ready <= 0) {
        wl_display_cancel_read(display_);
        return ready == 0 || errno == EINTR;
    }
    const bool read =
        wl_display_read_events(display_) >= 0 && wl_display_dispatch_pending(display_) >= 0;
    // A compositor that has gone may leave events unread behind it: it is gone all the same.
    return read && !(fd.revents & (POLLHUP | POLLERR));
}

bool Client::pump() {
    return alive() && readEvents(0) && alive();
}

bool Client::waitUntil(const std::function<bool()>& done, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (alive()) {
        if (wl_display_dispatch_pending(display_) < 0) return false;
        if (done()) return true;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        if (left <= 0 || !readEvents(static_cast<int>(left))) return false;
    }
    return false;
}

} // namespace et::wl
