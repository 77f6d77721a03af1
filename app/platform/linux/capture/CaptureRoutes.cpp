#include "CaptureRoutes.h"

#include "WlrScreencopySource.h"
#include "X11ScreenSource.h"

#include <cstdlib>

namespace et {

namespace {
using Result = CaptureRoute::Result;
using Reading = X11ScreenSource::Reading;

class X11GameRoute : public CaptureRoute {
  public:
    explicit X11GameRoute(bool followEvents)
        : source_({}, followEvents, X11ScreenSource::Clock::now,
                  X11ScreenSource::Scope::GameWindowOnly) {}
    Kind kind() const override { return Kind::GameWindow; }
    Result read(const Rect& rect, ScreenImage& image) override {
        if (source_.capture(rect, image)) return Result::Read;
        switch (source_.reading()) {
        case Reading::GameHidden:
            return Result::Hidden;
        case Reading::GameWindow:
            return Result::Failed;
        default:
            return Result::Absent;
        }
    }
    int displays() override { return source_.activeDisplayCount(); }
    double scaleFactor() override { return source_.mainDisplayScaleFactor(); }

  private:
    X11ScreenSource source_;
};

class X11ScreenRoute : public CaptureRoute {
  public:
    explicit X11ScreenRoute(bool followEvents)
        : source_({}, followEvents, X11ScreenSource::Clock::now,
                  X11ScreenSource::Scope::ScreenOnly) {}
    Kind kind() const override { return Kind::Screen; }
    Result read(const Rect& rect, ScreenImage& image) override {
        if (source_.capture(rect, image)) return Result::Read;
        // Refused (as on Wayland desktops) or no X server: the route does not apply.
        return source_.reading() == Reading::Screen ? Result::Failed : Result::Absent;
    }
    int displays() override { return source_.activeDisplayCount(); }
    double scaleFactor() override { return source_.mainDisplayScaleFactor(); }

  private:
    X11ScreenSource source_;
};

class ScreencopyRoute : public CaptureRoute {
  public:
    Kind kind() const override { return Kind::Screencopy; }
    Result read(const Rect& rect, ScreenImage& image) override {
        if (!source_.offered()) return Result::Absent;
        return source_.capture(rect, image) ? Result::Read : Result::Failed;
    }
    int displays() override { return source_.activeDisplayCount(); }
    double scaleFactor() override { return source_.mainDisplayScaleFactor(); }

  private:
    WlrScreencopySource source_;
};

// The portal's source is made only once the route is reached: it may ask the player.
class PortalRoute : public CaptureRoute {
  public:
    explicit PortalRoute(PortalFactory factory) : factory_(std::move(factory)) {}
    Kind kind() const override { return Kind::Portal; }
    Result read(const Rect& rect, ScreenImage& image) override {
        if (!source_ && factory_) {
            source_ = factory_();
            factory_ = nullptr;
        }
        if (!source_) return Result::Absent;
        if (source_->capture(rect, image)) return Result::Read;
        // No frame yet from a cast that runs; a refused or ended cast has no display.
        return source_->activeDisplayCount() > 0 ? Result::Failed : Result::Absent;
    }
    int displays() override { return source_ ? source_->activeDisplayCount() : 0; }
    double scaleFactor() override { return source_ ? source_->mainDisplayScaleFactor() : 1.0; }

  private:
    PortalFactory factory_;
    std::unique_ptr<ScreenSource> source_;
};
} // namespace

std::optional<ScreenRoute> screenRouteNamed(std::string_view name) {
    if (name.empty()) return ScreenRoute::Automatic;
    if (name == "portal") return ScreenRoute::Portal;
    if (name == "screencopy") return ScreenRoute::Screencopy;
    if (name == "x11") return ScreenRoute::X11;
    return std::nullopt;
}

std::vector<CaptureRoute::Kind> screenRouteOrder(const ScreenRouteOptions& options) {
    using Kind = CaptureRoute::Kind;
    std::vector<Kind> order = {Kind::GameWindow};
    const bool portal = static_cast<bool>(options.portal);
    switch (options.route) {
    case ScreenRoute::Automatic:
        if (options.waylandSession) {
            order.push_back(Kind::Screencopy);
            if (portal) order.push_back(Kind::Portal);
        }
        break;
    // A named route is taken on any session: a desktop that sets no WAYLAND_DISPLAY may
    // still offer the portal.
    case ScreenRoute::Screencopy:
        order.push_back(Kind::Screencopy);
        break;
    case ScreenRoute::Portal:
        if (portal) order.push_back(Kind::Portal);
        break;
    case ScreenRoute::X11:
        break;
    }
    order.push_back(Kind::Screen);
    return order;
}

std::unique_ptr<ScreenRoutes> makeScreenRoutes(const ScreenRouteOptions& options) {
    using Kind = CaptureRoute::Kind;
    std::vector<std::unique_ptr<CaptureRoute>> routes;
    for (Kind kind : screenRouteOrder(options)) {
        switch (kind) {
        case Kind::GameWindow:
            routes.push_back(std::make_unique<X11GameRoute>(options.followEvents));
            break;
        case Kind::Screencopy:
            routes.push_back(std::make_unique<ScreencopyRoute>());
            break;
        case Kind::Portal:
            routes.push_back(std::make_unique<PortalRoute>(options.portal));
            break;
        case Kind::Screen:
            routes.push_back(std::make_unique<X11ScreenRoute>(options.followEvents));
            break;
        }
    }
    return std::make_unique<ScreenRoutes>(std::move(routes), options.waylandSession);
}

bool inWaylandSession() {
    const char* display = std::getenv("WAYLAND_DISPLAY");
    return display && *display;
}

} // namespace et
