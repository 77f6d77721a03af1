#pragma once
// The screen as the capture thread and calibration read it: the first route that applies,
// in a fixed order (the game's X11 window; on a Wayland session the compositor's
// screencopy, then the desktop portal; the X11 screen), with one log line whenever the
// route that reads the strip changes, naming it.
#include "CaptureRoute.h"
#include "StripFront.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace et {

class ScreenRoutes : public ScreenSource {
  public:
    using Report = std::function<void(const std::string&)>;
    // `routes` in the order they are tried. On a Wayland session the line for nothing read
    // names what the compositor lacks.
    ScreenRoutes(std::vector<std::unique_ptr<CaptureRoute>> routes, bool waylandSession);

    // Called on the capturing thread; set before the first capture.
    void setReport(Report report) { report_ = std::move(report); }
    // Frames read through the compositor's routes go there (the game in front by its strip).
    void setStripFront(StripFront* front) { front_ = front; }

    int activeDisplayCount() override;
    bool capture(const Rect& rect, ScreenImage& image) override;
    double mainDisplayScaleFactor() override;

    // What the strip was last read through (or why nothing was); empty before the first frame.
    enum class Reading { GameWindow, GameHidden, Screencopy, Portal, Screen, Nothing };
    std::optional<Reading> reading() const { return reading_; }
    const char* lineFor(Reading reading) const;

  private:
    void setReading(Reading reading);

    std::vector<std::unique_ptr<CaptureRoute>> routes_;
    CaptureRoute* last_ = nullptr;
    Report report_;
    StripFront* front_ = nullptr;
    std::optional<Reading> reading_;
    bool waylandSession_;
};

} // namespace et
