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

std::unique_ptr<ScreenRoutes> makeScreenRoutes(const ScreenRouteOptions& options) {
    std::vector<std::unique_ptr<CaptureRoute>> routes;
    routes.push_back(std::make_unique<X11GameRoute>(options.followEvents));
    if (options.waylandSession) {
        routes.push_back(std::make_unique<ScreencopyRoute>());
        if (options.portal) routes.push_back(std::make_unique<PortalRoute>(options.portal));
    }
    routes.push_back(std::make_unique<X11ScreenRoute>(options.followEvents));
    return std::make_unique<ScreenRoutes>(std::move(routes), options.waylandSession);
}

bool inWaylandSession() {
    const char* display = std::getenv("WAYLAND_DISPLAY");
    return display && *display;
}

} // namespace et
