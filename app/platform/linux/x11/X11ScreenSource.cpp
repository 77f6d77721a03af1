#include "X11ScreenSource.h"

#include <xcb/randr.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace et {

namespace {
using namespace std::chrono_literals;

// However busy the desktop, the tree is searched at most this often.
constexpr auto kSearchSpacing = 250ms;
// Without a game window, a search now and then also finds a window whose class was set
// after it appeared, which no structure event announces.
constexpr auto kIdleSearch = 3s;
// A source used only now and then (calibration) looks again after such a pause.
constexpr auto kStaleAfter = 1s;
// A refused read of the game window is tried again after a back-off, at once on news of it
// (mapped, moved, resized).
constexpr std::chrono::milliseconds kGameRetryFirst = 500ms;
constexpr std::chrono::milliseconds kGameRetryMost = 8s;
// The root window refuses for good on Wayland desktops: back off up to half a minute.
constexpr std::chrono::milliseconds kRootRetryFirst = 1s;
constexpr std::chrono::milliseconds kRootRetryMost = 30s;

const char* readingLine(X11ScreenSource::Reading reading) {
    using R = X11ScreenSource::Reading;
    switch (reading) {
    case R::GameWindow:
        return "Screen link: reading the strip from the game window (emberfall.exe).";
    case R::GameHidden:
        return "Screen link: the game window is minimised, hidden or off the screen; nothing is "
               "read until it is shown again.";
    case R::Screen:
        return "Screen link: no game window found; reading the strip from the top-left corner "
               "of the screen.";
    case R::Nothing:
        return "Screen link: nothing can be read: the desktop refuses to show the screen (as "
               "Wayland desktops do) and no game window is open to X11. Start Emberfall through "
               "Wine with its X11 driver (XWayland), not as a native Wayland program; see Help, "
               "Troubleshooting.";
    case R::Unknown:
        break;
    }
    return nullptr;
}
} // namespace

X11ScreenSource::X11ScreenSource(std::string displayName, bool followEvents, Now now, Scope scope)
    : displayName_(std::move(displayName)), followEvents_(followEvents), now_(std::move(now)),
      scope_(scope) {}

const char* X11ScreenSource::lineFor(Reading reading) {
    return readingLine(reading);
}

X11ScreenSource::~X11ScreenSource() {
    disconnect();
}

void X11ScreenSource::disconnect() {
    if (connection_) xcb_disconnect(connection_);
    connection_ = nullptr;
    screen_ = nullptr;
    monitors_ = {};
    game_.reset();
    searchDue_ = true;
    gameRetryAt_ = rootRetryAt_ = {};
    gameBackoff_ = rootBackoff_ = {};
    // After an outage, what is read is announced afresh.
    reading_ = Reading::Unknown;
}

bool X11ScreenSource::connected() {
    if (connection_ && !xcb_connection_has_error(connection_)) return true;
    disconnect();
    x11::Connection opened(displayName_);
    const auto format = opened ? x11::rootPixelFormat(opened.get(), opened.screen()) : std::nullopt;
    if (!format) return false;
    screen_ = opened.screen();
    connection_ = opened.release();
    format_ = *format;
    watchingMonitors_ = x11::selectMonitorChanges(connection_, screen_->root, randrFirstEvent_);
    if (followEvents_ && scope_ != Scope::ScreenOnly) {
        // Windows appearing, going and being reparented into frames.
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, screen_->root, XCB_CW_EVENT_MASK, &mask);
    }
    monitors_ = x11::queryMonitors(connection_, screen_);
    return !xcb_connection_has_error(connection_);
}

void X11ScreenSource::handleEvent(const xcb_generic_event_t& event) {
    const uint8_t type = event.response_type & 0x7f;
    const xcb_window_t game = game_ ? game_->id : XCB_NONE;
    switch (type) {
    case 0: { // an error of a request without reply, e.g. selecting on a window just gone
        const auto& error = reinterpret_cast<const xcb_generic_error_t&>(event);
        if (game && error.resource_id == game) {
            game_.reset();
            searchDue_ = true;
        }
        return;
    }
    case XCB_CREATE_NOTIFY:
    case XCB_REPARENT_NOTIFY:
        if (!game_ || !game_->mapped) searchDue_ = true;
        return;
    case XCB_MAP_NOTIFY: {
        const auto& map = reinterpret_cast<const xcb_map_notify_event_t&>(event);
        if (map.window == game) {
            game_->mapped = true;
            gameRetryAt_ = {};
        } else if (!game_ || !game_->mapped) {
            searchDue_ = true;
        }
        return;
    }
    case XCB_UNMAP_NOTIFY: {
        const auto& unmap = reinterpret_cast<const xcb_unmap_notify_event_t&>(event);
        if (unmap.window == game) game_->mapped = false;
        return;
    }
    case XCB_DESTROY_NOTIFY: {
        const auto& destroy = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
        if (destroy.window == game) {
            game_.reset();
            searchDue_ = true;
        }
        return;
    }
    case XCB_CONFIGURE_NOTIFY: {
        const auto& configure = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
        if (configure.window == game) {
            game_->width = configure.width;
            game_->height = configure.height;
            gameRetryAt_ = {};
        }
        return;
    }
    default:
        if (watchingMonitors_ && (type == randrFirstEvent_ + XCB_RANDR_SCREEN_CHANGE_NOTIFY ||
                                  type == randrFirstEvent_ + XCB_RANDR_NOTIFY)) {
            monitors_ = x11::queryMonitors(connection_, screen_);
            // A new monitor layout may let the root be read again.
            rootRetryAt_ = {};
            rootBackoff_ = {};
        }
    }
}

void X11ScreenSource::pollEvents() {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        handleEvent(*event);
        std::free(event);
    }
}

int X11ScreenSource::activeDisplayCount() {
    if (!connected()) return 0;
    // Reading events also notices a server that has closed the connection.
    pollEvents();
    if (xcb_connection_has_error(connection_)) {
        disconnect();
        return 0;
    }
    return monitors_.count;
}

void X11ScreenSource::searchGameWindow(Clock::time_point now) {
    if (!followEvents_ && now - lastCapture_ > kStaleAfter) searchDue_ = true;
    const bool idleSearch = !game_ && now - lastSearch_ >= kIdleSearch;
    if (!(searchDue_ || idleSearch) || now - lastSearch_ < kSearchSpacing) return;
    searchDue_ = false;
    lastSearch_ = now;
    const xcb_window_t before = game_ ? game_->id : XCB_NONE;
    game_ = x11::findClientWindow(connection_, screen_, kGameWindowClass);
    if (!game_ || game_->id == before) return;
    gameRetryAt_ = {};
    gameBackoff_ = {};
    if (followEvents_) {
        // Its own changes: unmapped (minimised), mapped, resized, destroyed.
        const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, game_->id, XCB_CW_EVENT_MASK, &mask);
        // Events that came before the selection are lost: look at it once more.
        game_ = x11::describeWindow(connection_, screen_, game_->id);
    }
}

bool X11ScreenSource::getRow(xcb_drawable_t drawable, int x, int y, int width,
                             const x11::PixelFormat& format, ScreenImage& image, bool& refused) {
    auto cookie =
        xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, static_cast<int16_t>(x),
                      static_cast<int16_t>(y), static_cast<uint16_t>(width), 1, ~0u);
    xcb_generic_error_t* error = nullptr;
    xcb_get_image_reply_t* reply = xcb_get_image_reply(connection_, cookie, &error);
    refused = error != nullptr;
    std::free(error);
    if (!reply) return false;
    const uint8_t* data = xcb_get_image_data(reply);
    const int length = xcb_get_image_data_length(reply);
    if (length >= width * format.bytesPerPixel()) {
        auto& row = image.row();
        row.resize(static_cast<size_t>(width));
        for (int i = 0; i < width; ++i) {
            const auto c = format.components(format.pixelAt(data, i));
            row[static_cast<size_t>(i)] = Color{c.red, c.green, c.blue, 1.0};
        }
    }
    std::free(reply);
    return image.width() > 0;
}

namespace {
// The pixel columns and the row that `rect` touches inside a `width` × `height` area.
struct Span {
    int left = 0, width = 0, top = 0;
};
std::optional<Span> spanIn(const Rect& rect, int width, int height) {
    if (!std::isfinite(rect.x) || !std::isfinite(rect.y) || !std::isfinite(rect.width))
        return std::nullopt;
    const double left = std::max(0.0, std::floor(rect.x));
    const double right = std::min<double>(width, std::ceil(rect.x + rect.width));
    const double top = std::floor(rect.y);
    if (right <= left || top < 0.0 || top >= height) return std::nullopt;
    return Span{static_cast<int>(left), static_cast<int>(right - left), static_cast<int>(top)};
}
} // namespace

bool X11ScreenSource::readGameWindow(const Rect& rect, ScreenImage& image, Clock::time_point now) {
    if (!game_->mapped || now < gameRetryAt_) {
        // Without events, only a look at the window tells when it is shown again.
        if (!followEvents_) searchDue_ = true;
        setReading(Reading::GameHidden);
        return false;
    }
    const auto span = spanIn(rect, game_->width, game_->height);
    if (!span) return false;
    bool refused = false;
    if (getRow(game_->id, span->left, span->top, span->width, game_->format, image, refused)) {
        gameBackoff_ = {};
        setReading(Reading::GameWindow);
        return true;
    }
    if (refused) {
        // Gone, hidden inside an unmapped frame, or partly off the screen: the server says
        // which only as an error, so look again later rather than at every frame.
        gameBackoff_ = std::clamp(gameBackoff_ * 2, kGameRetryFirst, kGameRetryMost);
        gameRetryAt_ = now + gameBackoff_;
        searchDue_ = true;
        setReading(Reading::GameHidden);
    }
    return false;
}

bool X11ScreenSource::readRoot(const Rect& rect, ScreenImage& image, Clock::time_point now) {
    if (!monitors_.main) return false;
    if (now < rootRetryAt_) {
        setReading(Reading::Nothing);
        return false;
    }
    const x11::Monitor& main = *monitors_.main;
    const auto span = spanIn(rect, main.width, main.height);
    if (!span) return false;
    bool refused = false;
    if (getRow(screen_->root, main.x + span->left, main.y + span->top, span->width, format_, image,
               refused)) {
        rootBackoff_ = {};
        setReading(Reading::Screen);
        return true;
    }
    if (refused) {
        rootBackoff_ = std::clamp(rootBackoff_ * 2, kRootRetryFirst, kRootRetryMost);
        rootRetryAt_ = now + rootBackoff_;
        setReading(Reading::Nothing);
    }
    return false;
}

bool X11ScreenSource::capture(const Rect& rect, ScreenImage& image) {
    image.clear();
    if (!connected()) return false;
    pollEvents();
    const auto now = now_();
    if (scope_ == Scope::ScreenOnly) return readRoot(rect, image, now);
    searchGameWindow(now);
    lastCapture_ = now;
    if (game_) return readGameWindow(rect, image, now);
    if (scope_ == Scope::GameWindowOnly) {
        // Without a game window this source has nothing to say; what stands in is another's.
        reading_ = Reading::Unknown;
        return false;
    }
    return readRoot(rect, image, now);
}

void X11ScreenSource::setReading(Reading reading) {
    if (reading == reading_) return;
    reading_ = reading;
    if (report_)
        if (const char* line = readingLine(reading)) report_(line);
}

} // namespace et
