#pragma once
// A private desktop for one run of the real programs: its own Xvfb, its own session and
// system message buses, and its own home, configuration, data and runtime folders in a
// temporary folder that goes with the object. The process environment points at all of
// them while the object lives, so every program started meanwhile sees only this desktop.
#include "ChildProcess.h"
#include "LineCollector.h"
#include "SwayDesktop.h"
#include "WindowStage.h"
#include "XvfbServer.h"

#include <map>
#include <memory>
#include <optional>
#include <string>

namespace et::e2e {

class Desktop {
  public:
    // `screen` as Xvfb takes it, "WIDTHxHEIGHTxDEPTH".
    explicit Desktop(const std::string& screen = "1280x800x24");
    // On a display that exists already (a person watching): no Xvfb of its own.
    struct OnDisplay {
        std::string display;
    };
    explicit Desktop(const OnDisplay& existing);
    // A Wayland desktop: weston, headless, with XWayland serving the X11 programs, as GNOME,
    // Plasma or a Steam Deck do. It has no seat, so nothing gets focus on its own.
    struct OnWeston {};
    explicit Desktop(const OnWeston&);
    // A wlroots desktop: headless sway (screencopy, foreign toplevels) with Xwayland, its
    // socket in WAYLAND_DISPLAY as on a Wayland session.
    struct OnSway {
        int width = 1280;
        int height = 800;
    };
    explicit Desktop(const OnSway& size);
    ~Desktop();
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }

    const std::string& display() const { return display_; }
    // The private X server's process, -1 on a display that was there before.
    pid_t serverPid() const { return xvfb_ ? xvfb_->pid() : -1; }
    const std::string& folder() const { return folder_; }
    std::string configHome() const { return folder_ + "/config"; }
    std::string dataHome() const { return folder_ + "/data"; }
    // Where the application looks for the host software.
    std::string socketPath() const { return dataHome() + "/Corvane/CHS_LED_SDK"; }
    // The application's settings file.
    std::string settingsPath() const { return configHome() + "/EmberTalon/EmberTalon.conf"; }

    // Replaces the settings file with `text` (INI, "[General]" added when missing).
    void writeSettings(const std::string& text) const;
    std::string readSettings() const;

    // The compositor's socket (a path) on weston or sway; empty on Xvfb.
    const std::string& waylandSocket() const { return waylandSocket_; }
    // The sway behind a desktop made OnSway, else null.
    test::SwayDesktop* sway() { return sway_.get(); }

    WindowStage& windows() { return *windows_; }
    // Writes what the screen shows as a PNG; false when it cannot.
    bool screenshot(const std::string& path) const;

  private:
    bool prepareFolders();
    bool startDesktop();
    bool startWeston();
    bool startSway(const OnSway& size);
    bool startBus(std::unique_ptr<test::ChildProcess>& bus, const std::string& name,
                  const char* variable);
    void setEnv(const char* name, const std::string& value);
    void unsetEnv(const char* name);

    std::string error_;
    std::string folder_;
    std::string display_;
    std::string waylandSocket_;
    std::map<std::string, std::optional<std::string>> savedEnv_;
    std::unique_ptr<test::XvfbServer> xvfb_;
    std::unique_ptr<LineCollector> weston_;
    std::unique_ptr<test::SwayDesktop> sway_;
    std::unique_ptr<test::ChildProcess> sessionBus_;
    std::unique_ptr<test::ChildProcess> systemBus_;
    std::unique_ptr<WindowStage> windows_;
};

} // namespace et::e2e
