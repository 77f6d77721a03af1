#pragma once
// The production routes, in the order the chooser tries them, over the X11, screencopy and
// portal sources.
#include "ScreenRoutes.h"

#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace et {

// Makes the portal's source when the portal route is first needed (it may open a dialog).
using PortalFactory = std::function<std::unique_ptr<ScreenSource>()>;

// The screen's route a player may name, for a compositor whose screencopy or portal
// misbehaves. The game's X11 window is always tried first and the X11 screen last.
enum class ScreenRoute { Automatic, Screencopy, Portal, X11 };

// "portal", "screencopy", "x11"; empty: Automatic; anything else: nullopt.
std::optional<ScreenRoute> screenRouteNamed(std::string_view name);

struct ScreenRouteOptions {
    // $WAYLAND_DISPLAY is set: the compositor's routes come between the game window and
    // the X11 screen.
    bool waylandSession = false;
    // Off for a chooser used only now and then (calibration): its X11 sources then select
    // no events, which would pile up unread.
    bool followEvents = true;
    // The portal route's source, called at most once per chooser, on the capturing thread;
    // null: no portal route.
    PortalFactory portal;
    // The one route between the game window and the X11 screen; Automatic: screencopy, then
    // the portal, on a Wayland session only.
    ScreenRoute route = ScreenRoute::Automatic;
};

// The routes' kinds in the order the chooser tries them.
std::vector<CaptureRoute::Kind> screenRouteOrder(const ScreenRouteOptions& options);

std::unique_ptr<ScreenRoutes> makeScreenRoutes(const ScreenRouteOptions& options);

// Whether this process runs in a Wayland session.
bool inWaylandSession();

} // namespace et
