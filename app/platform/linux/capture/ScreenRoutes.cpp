#include "ScreenRoutes.h"

#include "X11ScreenSource.h"

#include <algorithm>

namespace et {

namespace {
using Kind = CaptureRoute::Kind;
using Result = CaptureRoute::Result;

ScreenRoutes::Reading readingOf(Kind kind, Result result) {
    using R = ScreenRoutes::Reading;
    switch (kind) {
    case Kind::GameWindow:
        return result == Result::Hidden ? R::GameHidden : R::GameWindow;
    case Kind::Screencopy:
        return R::Screencopy;
    case Kind::Portal:
        return R::Portal;
    case Kind::Screen:
        break;
    }
    return R::Screen;
}
} // namespace

ScreenRoutes::ScreenRoutes(std::vector<std::unique_ptr<CaptureRoute>> routes, bool waylandSession)
    : routes_(std::move(routes)), waylandSession_(waylandSession) {}

const char* ScreenRoutes::lineFor(Reading reading) const {
    using X = X11ScreenSource::Reading;
    switch (reading) {
    case Reading::GameWindow:
        return X11ScreenSource::lineFor(X::GameWindow);
    case Reading::GameHidden:
        return X11ScreenSource::lineFor(X::GameHidden);
    case Reading::Screencopy:
        return "Screen link: reading the strip through the compositor's screencopy, at the "
               "top-left of the main output.";
    case Reading::Portal:
        return "Screen link: reading the strip through the desktop portal's screen cast.";
    case Reading::Screen:
        return X11ScreenSource::lineFor(X::Screen);
    case Reading::Nothing:
        break;
    }
    if (!waylandSession_) return X11ScreenSource::lineFor(X::Nothing);
    return "Screen link: nothing can be read: no game window is open to X11, X11 programs may "
           "not read the screen, and the compositor offers neither screencopy nor the desktop "
           "portal's screen cast. See Help, Troubleshooting.";
}

int ScreenRoutes::activeDisplayCount() {
    int most = 0;
    for (const auto& route : routes_)
        most = std::max(most, route->displays());
    // After an outage, what is read is announced afresh.
    if (most == 0) reading_.reset();
    return most;
}

double ScreenRoutes::mainDisplayScaleFactor() {
    return last_ ? last_->scaleFactor() : 1.0;
}

bool ScreenRoutes::capture(const Rect& rect, ScreenImage& image) {
    image.clear();
    for (const auto& route : routes_) {
        const Result result = route->read(rect, image);
        if (result == Result::Absent) continue;
        if (result == Result::Failed) return false;
        last_ = route.get();
        setReading(readingOf(route->kind(), result));
        if (result != Result::Read) return false;
        if (front_ && (route->kind() == Kind::Screencopy || route->kind() == Kind::Portal))
            front_->frameRead(image, rect.width);
        return true;
    }
    setReading(Reading::Nothing);
    return false;
}

void ScreenRoutes::setReading(Reading reading) {
    if (reading_ == reading) return;
    reading_ = reading;
    if (report_) report_(lineFor(reading));
}

} // namespace et
