#include "X11ScreenSource.h"

#include <xcb/randr.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace et {

X11ScreenSource::X11ScreenSource(std::string displayName) : displayName_(std::move(displayName)) {}

X11ScreenSource::~X11ScreenSource() {
    disconnect();
}

void X11ScreenSource::disconnect() {
    if (connection_) xcb_disconnect(connection_);
    connection_ = nullptr;
    screen_ = nullptr;
    monitors_ = {};
}

bool X11ScreenSource::connected() {
    if (connection_ && !xcb_connection_has_error(connection_)) return true;
    disconnect();
    int screenNumber = 0;
    xcb_connection_t* c =
        xcb_connect(displayName_.empty() ? nullptr : displayName_.c_str(), &screenNumber);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return false;
    }
    auto it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    const auto format = it.rem ? x11::rootPixelFormat(c, it.data) : std::nullopt;
    if (!format) {
        xcb_disconnect(c);
        return false;
    }
    connection_ = c;
    screen_ = it.data;
    format_ = *format;
    watchingMonitors_ = x11::selectMonitorChanges(connection_, screen_->root, randrFirstEvent_);
    monitors_ = x11::queryMonitors(connection_, screen_);
    return !xcb_connection_has_error(connection_);
}

void X11ScreenSource::pollMonitorChanges() {
    bool changed = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        const uint8_t type = event->response_type & 0x7f;
        if (watchingMonitors_ && (type == randrFirstEvent_ + XCB_RANDR_SCREEN_CHANGE_NOTIFY ||
                                  type == randrFirstEvent_ + XCB_RANDR_NOTIFY))
            changed = true;
        std::free(event);
    }
    if (changed) monitors_ = x11::queryMonitors(connection_, screen_);
}

int X11ScreenSource::activeDisplayCount() {
    if (!connected()) return 0;
    // Reading events also notices a server that has closed the connection.
    pollMonitorChanges();
    if (xcb_connection_has_error(connection_)) {
        disconnect();
        return 0;
    }
    return monitors_.count;
}

bool X11ScreenSource::capture(const Rect& rect, ScreenImage& image) {
    image.clear();
    if (!connected() || !monitors_.main) return false;
    const x11::Monitor& main = *monitors_.main;
    if (!std::isfinite(rect.x) || !std::isfinite(rect.y) || !std::isfinite(rect.width))
        return false;
    // The pixels the rectangle touches, kept inside the main display (GetImage fails for
    // anything outside the root window).
    const double left = std::max(0.0, std::floor(rect.x));
    const double right = std::min<double>(main.width, std::ceil(rect.x + rect.width));
    const double top = std::floor(rect.y);
    if (right <= left || top < 0.0 || top >= main.height) return false;
    const int width = static_cast<int>(right - left);

    auto cookie = xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, screen_->root,
                                static_cast<int16_t>(main.x + static_cast<int>(left)),
                                static_cast<int16_t>(main.y + static_cast<int>(top)),
                                static_cast<uint16_t>(width), 1, ~0u);
    xcb_generic_error_t* error = nullptr;
    xcb_get_image_reply_t* reply = xcb_get_image_reply(connection_, cookie, &error);
    std::free(error);
    if (!reply) return false;
    const uint8_t* data = xcb_get_image_data(reply);
    const int length = xcb_get_image_data_length(reply);
    if (length >= width * format_.bytesPerPixel()) {
        auto& row = image.row();
        row.resize(static_cast<size_t>(width));
        for (int x = 0; x < width; ++x)
            row[static_cast<size_t>(x)] = format_.toColor(format_.pixelAt(data, x));
    }
    std::free(reply);
    return image.width() > 0;
}

} // namespace et
