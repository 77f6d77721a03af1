#pragma once
// The D-Bus conversation with the desktop's screen-cast portal
// (org.freedesktop.portal.ScreenCast): a session for one monitor, cursor hidden, kept
// permission (restore token), then the PipeWire connection that carries its frames.
// Every call is made on the thread that owns `context` and waits by iterating it, so a
// dialog the player leaves open blocks only that thread, and `stopping` ends any wait.
#include <gio/gio.h>

#include <atomic>
#include <string>

namespace et::portal {

enum class Outcome {
    Granted,
    Cancelled, // the player closed the dialog
    Denied,    // the portal or the player said no
    NoPortal,  // nobody offers the portal on the session bus
    Invalid,   // the portal would not take what we asked (a damaged restore token)
    Failed,    // a call failed on the way
    Stopped,   // we gave up ourselves
};

struct CastGrant {
    int pipewireFd = -1;
    uint32_t node = 0;
    int width = 0;
    int height = 0;
    // Empty when the portal gave none (it keeps nothing then).
    std::string restoreToken;
};

class PortalConversation {
  public:
    // `busAddress` empty: the session bus.
    PortalConversation(GMainContext* context, const std::atomic<bool>& stopping,
                       std::string busAddress = {});
    ~PortalConversation();
    PortalConversation(const PortalConversation&) = delete;
    PortalConversation& operator=(const PortalConversation&) = delete;

    // Asks for the cast. `detail` says what went wrong when it is not granted.
    Outcome open(const std::string& restoreToken, CastGrant& grant, std::string& detail);
    // False once the session was closed by the portal, the portal left the bus or the bus
    // went away.
    bool alive() const { return alive_; }

  private:
    struct Reply {
        bool arrived = false;
        uint32_t code = 2;
        GVariant* results = nullptr;
    };
    bool connect(std::string& detail);
    std::string newToken();
    std::string requestPath(const std::string& token) const;
    // Calls `method` with `args` (whose options carry `token`) and waits for its Response.
    Outcome request(const char* method, GVariant* args, const std::string& token, Reply& reply,
                    std::string& detail);
    Outcome fromError(GError* error, std::string& detail);
    GVariant* property(const char* name);
    void watchSession();
    static void onResponse(GDBusConnection*, const char*, const char*, const char*, const char*,
                           GVariant* parameters, gpointer data);
    static void onLost(GDBusConnection*, const char*, const char*, const char*, const char*,
                       GVariant* parameters, gpointer data);
    static void onClosed(GDBusConnection*, gboolean, GError*, gpointer data);

    GMainContext* context_;
    const std::atomic<bool>& stopping_;
    std::string busAddress_;
    GDBusConnection* bus_ = nullptr;
    std::string sender_;
    std::string session_;
    unsigned tokens_ = 0;
    Reply* pending_ = nullptr;
    guint sessionWatch_ = 0;
    guint ownerWatch_ = 0;
    gulong closedHandler_ = 0;
    bool alive_ = true;
};

} // namespace et::portal
