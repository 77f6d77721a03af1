#include "KeyboardWindow.h"

#include <poll.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace hostsim {

KeyboardWindow::KeyboardWindow(const std::string& display, int width, int height)
    : width_(width), height_(height) {
    et::x11::Connection opened(display);
    if (!opened) {
        error_ = opened.failure() == et::x11::Connection::Failure::noDisplay
                     ? "cannot open the display"
                     : "the display has no screen " + std::to_string(opened.screenNumber());
        return;
    }
    screen_ = opened.screen();
    connection_ = opened.release();
    const auto format = et::x11::rootPixelFormat(connection_, screen_);
    // 32 bits a pixel: rows need no padding.
    if (!format || format->bitsPerPixel != 32) {
        error_ = "the display has no true-color visual of 32 bits a pixel";
        return;
    }
    format_ = *format;

    window_ = xcb_generate_id(connection_);
    const uint32_t values[] = {screen_->black_pixel,
                               XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    // Below the top rows, where the strip of the game add-on is read.
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, screen_->root, 0, 60,
                      static_cast<uint16_t>(width), static_cast<uint16_t>(height), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen_->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    const char title[] = "Corvane host simulator: virtual keyboard";
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window_, XCB_ATOM_WM_NAME,
                        XCB_ATOM_STRING, 8, sizeof title - 1, title);
    const char wmClass[] = "corvane-host-sim\0corvane-host-sim";
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window_, XCB_ATOM_WM_CLASS,
                        XCB_ATOM_STRING, 8, sizeof wmClass, wmClass);
    // Closing the window asks instead of killing the connection.
    const uint32_t protocols = atom("WM_PROTOCOLS");
    deleteAtom_ = atom("WM_DELETE_WINDOW");
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window_, protocols, XCB_ATOM_ATOM, 32,
                        1, &deleteAtom_);
    gc_ = xcb_generate_id(connection_);
    xcb_create_gc(connection_, gc_, window_, 0, nullptr);
    xcb_map_window(connection_, window_);
    xcb_flush(connection_);
}

KeyboardWindow::~KeyboardWindow() {
    if (connection_) xcb_disconnect(connection_);
}

uint32_t KeyboardWindow::atom(const char* name) {
    auto* reply = xcb_intern_atom_reply(
        connection_,
        xcb_intern_atom(connection_, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const uint32_t value = reply ? reply->atom : 0;
    std::free(reply);
    return value;
}

void KeyboardWindow::show(const Image& image) {
    if (!ok() || image.width != width_ || image.height != height_) return;
    // One lookup table a channel: masks do not overlap, so a pixel is the three fields or-ed.
    std::array<uint32_t, 256> red{}, green{}, blue{};
    for (int v = 0; v < 256; ++v) {
        red[v] = format_.pixel(v / 255.0, 0, 0);
        green[v] = format_.pixel(0, v / 255.0, 0);
        blue[v] = format_.pixel(0, 0, v / 255.0);
    }
    const int bytes = format_.bytesPerPixel();
    pixels_.assign(static_cast<size_t>(width_) * height_ * bytes, 0);
    uint8_t* out = pixels_.data();
    for (size_t i = 0; i < static_cast<size_t>(width_) * height_; ++i, out += bytes) {
        const uint8_t* in = &image.rgb[3 * i];
        const uint32_t pixel = red[in[0]] | green[in[1]] | blue[in[2]];
        for (int b = 0; b < bytes; ++b)
            out[b] = static_cast<uint8_t>(format_.msbFirst ? pixel >> (8 * (bytes - 1 - b))
                                                           : pixel >> (8 * b));
    }
    draw();
}

void KeyboardWindow::draw() {
    if (pixels_.empty()) return;
    const size_t rowBytes = pixels_.size() / static_cast<size_t>(height_);
    // Requests have a size limit; send bands of rows that fit, with room for the header.
    const size_t limit = xcb_get_maximum_request_length(connection_) * 4u - 64u;
    const int band = std::max<int>(1, static_cast<int>(limit / rowBytes));
    for (int y = 0; y < height_; y += band) {
        const int rows = std::min(band, height_ - y);
        xcb_put_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, window_, gc_,
                      static_cast<uint16_t>(width_), static_cast<uint16_t>(rows), 0,
                      static_cast<int16_t>(y), 0, screen_->root_depth,
                      static_cast<uint32_t>(rowBytes * rows), pixels_.data() + rowBytes * y);
    }
    xcb_flush(connection_);
}

bool KeyboardWindow::pump(int ms) {
    if (!ok()) return false;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        bool exposed = false;
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            const uint8_t type = event->response_type & 0x7f;
            if (type == XCB_EXPOSE) exposed = true;
            if (type == XCB_CLIENT_MESSAGE &&
                reinterpret_cast<xcb_client_message_event_t*>(event)->data.data32[0] ==
                    deleteAtom_) {
                std::free(event);
                return false;
            }
            std::free(event);
        }
        if (xcb_connection_has_error(connection_)) return false;
        if (exposed) draw();
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              until - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) return true;
        pollfd fd{xcb_get_file_descriptor(connection_), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(left));
    }
}

} // namespace hostsim
