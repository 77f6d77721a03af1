#include "X11Display.h"

#include <xcb/randr.h>

#include <bit>
#include <cstdlib>
#include <memory>
#include <utility>

namespace et::x11 {

namespace {

int shiftOf(uint32_t mask) {
    return mask ? std::countr_zero(mask) : 0;
}

double component(uint32_t pixel, uint32_t mask) {
    if (!mask) return 0.0;
    const uint32_t max = mask >> shiftOf(mask);
    return static_cast<double>((pixel & mask) >> shiftOf(mask)) / static_cast<double>(max);
}

uint32_t toField(double value, uint32_t mask) {
    if (!mask) return 0;
    const uint32_t max = mask >> shiftOf(mask);
    const double clamped = value < 0.0 ? 0.0 : value > 1.0 ? 1.0 : value;
    return (static_cast<uint32_t>(clamped * max + 0.5) << shiftOf(mask)) & mask;
}

bool randrUsable(xcb_connection_t* connection) {
    const auto* ext = xcb_get_extension_data(connection, &xcb_randr_id);
    if (!ext || !ext->present) return false;
    auto version = reply(xcb_randr_query_version_reply(
        connection, xcb_randr_query_version(connection, 1, 5), nullptr));
    return version && (version->major_version > 1 ||
                       (version->major_version == 1 && version->minor_version >= 5));
}
} // namespace

uint32_t PixelFormat::pixelAt(const uint8_t* row, int x) const {
    const int bytes = bytesPerPixel();
    const uint8_t* p = row + static_cast<size_t>(x) * static_cast<size_t>(bytes);
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) {
        const uint32_t byte = p[i];
        value |= msbFirst ? byte << (8 * (bytes - 1 - i)) : byte << (8 * i);
    }
    return value;
}

PixelComponents PixelFormat::components(uint32_t pixel) const {
    return {component(pixel, redMask), component(pixel, greenMask), component(pixel, blueMask)};
}

uint32_t PixelFormat::pixel(double red, double green, double blue) const {
    return toField(red, redMask) | toField(green, greenMask) | toField(blue, blueMask);
}

std::optional<PixelFormat> visualPixelFormat(xcb_connection_t* connection, xcb_screen_t* screen,
                                             xcb_visualid_t visual, uint8_t depth) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    PixelFormat format;
    format.msbFirst = setup->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
        if (f.data->depth == depth) format.bitsPerPixel = f.data->bits_per_pixel;
    for (auto d = xcb_screen_allowed_depths_iterator(screen); d.rem; xcb_depth_next(&d)) {
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
            if (v.data->visual_id != visual) continue;
            if (v.data->_class != XCB_VISUAL_CLASS_TRUE_COLOR &&
                v.data->_class != XCB_VISUAL_CLASS_DIRECT_COLOR)
                return std::nullopt;
            format.redMask = v.data->red_mask;
            format.greenMask = v.data->green_mask;
            format.blueMask = v.data->blue_mask;
        }
    }
    if (format.bitsPerPixel < 8 || format.bitsPerPixel > 32 || !format.redMask) return std::nullopt;
    return format;
}

std::optional<PixelFormat> rootPixelFormat(xcb_connection_t* connection, xcb_screen_t* screen) {
    return visualPixelFormat(connection, screen, screen->root_visual, screen->root_depth);
}

Monitors queryMonitors(xcb_connection_t* connection, xcb_screen_t* screen) {
    Monitors result;
    if (randrUsable(connection)) {
        auto monitors = reply(xcb_randr_get_monitors_reply(
            connection, xcb_randr_get_monitors(connection, screen->root, 1), nullptr));
        if (monitors) {
            for (auto it = xcb_randr_get_monitors_monitors_iterator(monitors.get()); it.rem;
                 xcb_randr_monitor_info_next(&it)) {
                const Monitor m{it.data->x, it.data->y, it.data->width, it.data->height};
                if (m.width <= 0 || m.height <= 0) continue;
                ++result.count;
                if (it.data->primary || !result.main) result.main = m;
            }
            return result;
        }
    }
    result.count = 1;
    result.main = Monitor{0, 0, screen->width_in_pixels, screen->height_in_pixels};
    return result;
}

bool selectMonitorChanges(xcb_connection_t* connection, xcb_window_t root, uint8_t& firstEvent) {
    const auto* ext = xcb_get_extension_data(connection, &xcb_randr_id);
    if (!ext || !ext->present) return false;
    firstEvent = ext->first_event;
    xcb_randr_select_input(connection, root,
                           XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE | XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE |
                               XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE);
    return true;
}

Connection::Connection(const std::string& display) {
    xcb_connection_t* c = xcb_connect(display.empty() ? nullptr : display.c_str(), &screenNumber_);
    // xcb hands back an error object even when it cannot connect; it must be freed too.
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        failure_ = Failure::noDisplay;
        return;
    }
    screen_ = screenOfNumber(c, screenNumber_);
    if (!screen_) {
        xcb_disconnect(c);
        failure_ = Failure::noScreen;
        return;
    }
    connection_ = c;
}

Connection::~Connection() {
    if (connection_) xcb_disconnect(connection_);
}

Connection::Connection(Connection&& other) noexcept
    : connection_(std::exchange(other.connection_, nullptr)),
      screen_(std::exchange(other.screen_, nullptr)), screenNumber_(other.screenNumber_),
      failure_(other.failure_) {}

Connection& Connection::operator=(Connection&& other) noexcept {
    if (this != &other) {
        if (connection_) xcb_disconnect(connection_);
        connection_ = std::exchange(other.connection_, nullptr);
        screen_ = std::exchange(other.screen_, nullptr);
        screenNumber_ = other.screenNumber_;
        failure_ = other.failure_;
    }
    return *this;
}

xcb_connection_t* Connection::release() {
    screen_ = nullptr;
    return std::exchange(connection_, nullptr);
}

xcb_screen_t* screenOfNumber(xcb_connection_t* connection, int screenNumber) {
    auto it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    return it.rem ? it.data : nullptr;
}

} // namespace et::x11
