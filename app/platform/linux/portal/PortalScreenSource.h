#pragma once
// The screen as the desktop's screen-cast portal shows it, for a native Wayland game on a
// desktop without wlroots screencopy (GNOME, KDE Plasma). Rectangles are in the cast's
// pixels, whose origin is the shared monitor's top-left. Several sources may share one cast.
#include "PortalCast.h"
#include "ScreenSource.h"

#include <memory>

namespace et::portal {

class PortalScreenSource : public ScreenSource {
  public:
    explicit PortalScreenSource(std::shared_ptr<PortalCast> cast) : cast_(std::move(cast)) {}

    // One display while the cast runs or is being asked for; none while it is refused,
    // missing or lost (a later call starts it again once its pause is over).
    int activeDisplayCount() override;
    // The newest frame; false before the first one. Never waits.
    bool capture(const Rect& rect, ScreenImage& image) override;
    // The cast is in pixels and the strip is measured in them.
    double mainDisplayScaleFactor() override { return 1.0; }

    // Calibrate: a refused cast is asked for again.
    void askAgain() { cast_->askAgain(); }
    PortalCast& cast() { return *cast_; }

  private:
    std::shared_ptr<PortalCast> cast_;
};

} // namespace et::portal
