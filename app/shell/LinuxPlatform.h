#pragma once
// The production platform: the Linux implementations of every interface the application
// takes, created on the main thread after QApplication.
#include "BeepSound.h"
#include "CaptureRoutes.h"
#include "CorvaneLighting.h"
#include "EspeakSpeech.h"
#include "HelperLauncher.h"
#include "HostFollowingLighting.h"
#include "HostSocketProbe.h"
#include "IdleInhibitor.h"
#include "PolledHostStatus.h"
#include "PortalCast.h"
#include "QtMainThread.h"
#include "QtRunLoop.h"
#include "SessionWorkspace.h"
#include "ShellPlatform.h"
#include "StripFront.h"
#include "WlrForeignToplevels.h"
#include "X11Workspace.h"

#include <memory>
#include <optional>
#include <string>

namespace et {

class LinuxPlatform {
  public:
    // `defaults` is the settings store the caller opened.
    explicit LinuxPlatform(Defaults& defaults);
    // The application's log, for the line that says the host software was found again.
    void setLog(Log& log) { followingLighting_.setLog(&log); }

    ShellPlatform& platform() { return platform_; }
    QtRunLoop& runLoop() { return runLoop_; }
    // What the capture reads from (game window, screen, nothing) goes to `log`, which must
    // outlive the capture thread. Call before the capture starts.
    void reportScreenReadingTo(Log& log);

  private:
    void exitApplication();
    std::unique_ptr<ScreenRoutes> makeRoutes(bool followEvents);
    void reportPortal(const std::string& line);
    static std::string environment(const char* name);

    CorvaneLighting lighting_;
    QtRunLoop runLoop_;
    HostFollowingLighting followingLighting_{lighting_, runLoop_, hostSocketListening};
    QtMainThread mainThread_;
    const bool waylandSession_ = inWaylandSession();
    // EMBER_TALON_SCREEN_ROUTE, read once: the player's way past a compositor route that
    // misbehaves. A name that is no route leaves the usual order (and one line in the log).
    const std::string routeName_ = environment("EMBER_TALON_SCREEN_ROUTE");
    const std::optional<ScreenRoute> route_ = screenRouteNamed(routeName_);
    // Fed by the capture thread with frames read through the compositor.
    StripFront stripFront_;
    X11Workspace x11Workspace_;
    std::unique_ptr<WlrForeignToplevels> toplevels_ =
        waylandSession_ ? std::make_unique<WlrForeignToplevels>() : nullptr;
    SessionWorkspace workspace_{x11Workspace_, toplevels_.get(), stripFront_};
    // The desktop portal's cast, shared by capture and calibration so that the player is
    // asked once; its lines reach the log once the log is known.
    portal::SettingsPortalTokens portalTokens_;
    std::mutex portalLogMutex_;
    Log* portalLog_ = nullptr;
    std::shared_ptr<portal::PortalCast> portalCast_;
    HelperLauncher launcher_;
    EspeakSpeech speech_;
    BeepSound sound_;
    IdleInhibitor activity_;
    std::unique_ptr<ScreenRoutes> captureSource_ = makeRoutes(true);
    // Used only while calibrating: it follows no events, which would pile up unread.
    std::unique_ptr<ScreenRoutes> calibrationSource_ = makeRoutes(false);
    PolledHostStatus hostStatus_{hostSocketPath()};
    ShellPlatform platform_;
};

} // namespace et
