#pragma once
// One end-to-end run: a private desktop, the host simulator listening, the strip painter
// on screen, the settings written, and the application started on demand. Tests, the demo
// and the end-to-end benchmarks all drive the programs through it.
#include "Desktop.h"
#include "Programs.h"
#include "SettingsFile.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace et::e2e {

struct SessionOptions {
    double cellWidth = 8.0;            // pixels a cell of the strip
    std::string display;               // empty: a private Xvfb (or weston, below)
    std::vector<std::string> hostArgs; // e.g. {"--window"}
    // Where the game window stands, in which the strip is painted at its top-left, as the
    // game shows it; empty: a borderless strip at the screen's corner.
    std::string gameGeometry = "640x400+200+150";
    bool weston = false; // a private headless weston with XWayland instead of Xvfb
    // A private headless sway (an output of that size) with Xwayland instead of Xvfb.
    std::optional<Desktop::OnSway> sway;
    // The strip painted as a native Wayland game shows it (talon-strip --wayland), on the
    // desktop's compositor, instead of in an X11 window.
    bool nativeWaylandGame = false;

    static SessionOptions withCellWidth(double pixels) {
        SessionOptions options;
        options.cellWidth = pixels;
        return options;
    }
};

class AppSession {
  public:
    // `settings` go into the settings file before the application starts; the strip is
    // painted at `cellWidth` pixels a cell.
    explicit AppSession(const SettingsFile& settings, double cellWidth = 8.0)
        : AppSession(settings, SessionOptions::withCellWidth(cellWidth)) {}
    AppSession(const SettingsFile& settings, const SessionOptions& options);
    ~AppSession();

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    // True when the build has the application (its tests skip otherwise).
    static bool haveApplication() { return !ProgramPaths::fromBuild().emberTalon.empty(); }

    // Starts ember-talon and waits until it has greeted the host (Init); false otherwise.
    bool startApp(const std::vector<std::string>& extraArgs = {});
    // Quits it as a desktop would; its exit status.
    std::optional<int> quitApp(double timeout = 20.0);
    App& app() { return *app_; }

    // Paints `text` with the add-on's handshake in data cells of `color` (white, red, blue,
    // green, magenta, cyan) and returns once the last confirm frame has been held.
    bool send(const std::string& text, const std::string& color = "white");
    // Raw strip commands (see talon-strip).
    bool strip(const std::string& commands) { return strip_->run(commands); }
    Strip& stripPainter() { return *strip_; }
    // Starts the painter afresh (after its display server went away); false when it fails.
    bool restartStrip();

    // Runs the application's calibrate action as a player would, with its shortcut.
    bool triggerCalibrate();

    void gameInFront() { desktop_->windows().activate(desktop_->windows().game()); }
    void otherInFront() { desktop_->windows().activate(desktop_->windows().other()); }

    Desktop& desktop() { return *desktop_; }
    HostSim& host() { return *host_; }
    // Index of the next message the host will receive.
    size_t mark() const { return host_->count(); }

  private:
    std::unique_ptr<Desktop> desktop_;
    std::unique_ptr<HostSim> host_;
    std::unique_ptr<Strip> strip_;
    std::unique_ptr<App> app_;
    SessionOptions options_;
    std::string error_;
};

} // namespace et::e2e
