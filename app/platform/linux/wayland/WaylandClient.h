#pragma once
// One connection to a Wayland compositor and the globals it offers, for the objects that
// talk to it from one thread each. Events are read without blocking, or until a condition
// holds with a time limit: a compositor that hangs must not stall the caller.
#include <wayland-client.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace et::wl {

struct Global {
    uint32_t name = 0;
    std::string interface;
    uint32_t version = 0;
};

class Client {
  public:
    // `displayName` as in $WAYLAND_DISPLAY (a name in the runtime folder or a path); empty
    // means $WAYLAND_DISPLAY.
    explicit Client(std::string displayName = {});
    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    // Connects and reads the globals; false when there is no compositor.
    bool connect();
    void disconnect();
    // True while connected and the connection has seen no error.
    bool alive() const;
    wl_display* display() const { return display_; }
    wl_registry* registry() const { return registry_; }

    const std::vector<Global>& globals() const { return globals_; }
    // The offered global of that interface, or null.
    const Global* find(const char* interface) const;
    // Binds it at `version` or lower, as offered.
    void* bind(const Global& global, const wl_interface* interface, uint32_t version) const;

    // Told of globals that come (after connect()) and go.
    std::function<void(const Global&)> onGlobal;
    std::function<void(uint32_t name)> onGlobalRemoved;

    // Reads and dispatches what has arrived; false once the connection is broken.
    bool pump();
    // Dispatches until `done()` holds; false on a broken connection or after `timeoutMs`.
    bool waitUntil(const std::function<bool()>& done, int timeoutMs);

  private:
    static void global(void* data, wl_registry*, uint32_t name, const char* interface,
                       uint32_t version);
    static void globalRemove(void* data, wl_registry*, uint32_t name);
    bool readEvents(int timeoutMs);

    std::string displayName_;
    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    std::vector<Global> globals_;
    bool connecting_ = false;
};

} // namespace et::wl
