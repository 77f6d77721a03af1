#include "StripWindow.h"

#include "Game.h"

#include <poll.h>

#include <chrono>
#include <string>
#include <cmath>
#include <cstdlib>

namespace et::strip {

namespace {
int edge(int cell, double cellWidth) {
    return static_cast<int>(std::lround(cell * cellWidth));
}
} // namespace

StripWindow::StripWindow(const std::string& displayName, double cellWidth,
                         std::optional<GameGeometry> game)
    : cellWidth_(cellWidth), cells_(blankFrame()) {
    x11::Connection opened(displayName);
    if (!opened) {
        error_ = opened.failure() == x11::Connection::Failure::noDisplay
                     ? "cannot open display '" + displayName + "'"
                     : "display '" + displayName + "' has no screen " +
                           std::to_string(opened.screenNumber());
        return;
    }
    screen_ = opened.screen();
    connection_ = opened.release();
    const auto format = x11::rootPixelFormat(connection_, screen_);
    const auto monitors = x11::queryMonitors(connection_, screen_);
    if (!format || !monitors.main) {
        error_ = "the display has no true-color visual or no monitor";
        return;
    }
    format_ = *format;
    main_ = *monitors.main;
    game_ = game.has_value();
    if (game_)
        createGameWindow(*game);
    else
        createStripWindow();
    gc_ = xcb_generate_id(connection_);
    xcb_create_gc(connection_, gc_, window_, 0, nullptr);
    place();
    xcb_map_window(connection_, window_);
    show(cells_);
}

void StripWindow::createStripWindow() {
    window_ = xcb_generate_id(connection_);
    const uint32_t values[] = {screen_->black_pixel, 1, XCB_EVENT_MASK_EXPOSURE};
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, screen_->root,
                      static_cast<int16_t>(main_.x), static_cast<int16_t>(main_.y), 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen_->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    const char title[] = "talon-strip";
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window_, XCB_ATOM_WM_NAME,
                        XCB_ATOM_STRING, 8, sizeof title - 1, title);
}

void StripWindow::createGameWindow(const GameGeometry& g) {
    window_ = xcb_generate_id(connection_);
    // A dusky scene: lit enough that nothing right of the strip passes for a dark cell.
    const uint32_t values[] = {format_.pixel(0.23, 0.35, 0.47),
                               XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, screen_->root,
                      static_cast<int16_t>(g.x), static_cast<int16_t>(g.y),
                      static_cast<uint16_t>(g.width), static_cast<uint16_t>(g.height), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen_->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    // What Wine gives the game's window: the program's name as instance and class.
    const std::string wmClass = std::string(kGameWindowClass) + '\0' + kGameWindowClass + '\0';
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window_, XCB_ATOM_WM_CLASS,
                        XCB_ATOM_STRING, 8, static_cast<uint32_t>(wmClass.size()), wmClass.data());
    const char title[] = "Emberfall";
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window_, XCB_ATOM_WM_NAME,
                        XCB_ATOM_STRING, 8, sizeof title - 1, title);
    // WM_NORMAL_HINTS with a user-given position and size, so window managers that honour
    // it put the window where it was asked for.
    uint32_t hints[18] = {};
    hints[0] = 1 | 2; // USPosition | USSize
    hints[1] = static_cast<uint32_t>(g.x);
    hints[2] = static_cast<uint32_t>(g.y);
    hints[3] = static_cast<uint32_t>(g.width);
    hints[4] = static_cast<uint32_t>(g.height);
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window_, XCB_ATOM_WM_NORMAL_HINTS,
                        XCB_ATOM_WM_SIZE_HINTS, 32, 18, hints);
}

StripWindow::~StripWindow() {
    if (connection_) xcb_disconnect(connection_);
}

void StripWindow::setCellWidth(double pixels) {
    cellWidth_ = pixels;
    // A narrower strip must not leave the old one's cells behind in the game window.
    if (game_) xcb_clear_area(connection_, 0, window_, 0, 0, 0, 0);
    place();
    show(cells_);
}

void StripWindow::setShown(bool shown) {
    if (!alive()) return;
    if (shown)
        xcb_map_window(connection_, window_);
    else
        xcb_unmap_window(connection_, window_);
    free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

void StripWindow::place() {
    // The game window keeps its size; the strip is only painted inside it.
    if (game_) return;
    const uint32_t width = static_cast<uint32_t>(std::max(1, edge(11, cellWidth_)));
    const uint32_t height = static_cast<uint32_t>(std::max(2.0, std::ceil(cellWidth_)));
    const uint32_t values[] = {static_cast<uint32_t>(main_.x), static_cast<uint32_t>(main_.y),
                               width, height, XCB_STACK_MODE_ABOVE};
    xcb_configure_window(connection_, window_,
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                             XCB_CONFIG_WINDOW_HEIGHT | XCB_CONFIG_WINDOW_STACK_MODE,
                         values);
}

void StripWindow::paint() {
    const uint16_t height = static_cast<uint16_t>(std::max(2.0, std::ceil(cellWidth_)));
    for (int i = 0; i < 11; ++i) {
        const Color& cell = cells_[static_cast<size_t>(i)];
        const uint32_t pixel = format_.pixel(cell.red, cell.green, cell.blue);
        xcb_change_gc(connection_, gc_, XCB_GC_FOREGROUND, &pixel);
        const int from = edge(i, cellWidth_), to = edge(i + 1, cellWidth_);
        if (to <= from) continue;
        const xcb_rectangle_t r{static_cast<int16_t>(from), 0, static_cast<uint16_t>(to - from),
                                height};
        xcb_poly_fill_rectangle(connection_, window_, gc_, 1, &r);
    }
}

bool StripWindow::alive() {
    return !xcb_connection_has_error(connection_);
}

void StripWindow::show(const Cells& cells) {
    if (!alive()) return;
    cells_ = cells;
    if (!game_) {
        const uint32_t above = XCB_STACK_MODE_ABOVE;
        xcb_configure_window(connection_, window_, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    }
    paint();
    // A round trip: the frame is on screen before its hold time starts.
    free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

bool StripWindow::waitForInput(int fd) {
    if (!alive()) {
        pollfd in{fd, POLLIN, 0};
        poll(&in, 1, -1);
        return true;
    }
    pollfd fds[2] = {{fd, POLLIN, 0}, {xcb_get_file_descriptor(connection_), POLLIN, 0}};
    // Events already read from the connection do not show on its descriptor.
    hold(0);
    if (poll(fds, 2, -1) <= 0) return false;
    if (fds[1].revents) hold(0);
    return fds[0].revents != 0;
}

bool StripWindow::hold(int ms) {
    using Clock = std::chrono::steady_clock;
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        bool exposed = false;
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            if ((event->response_type & 0x7f) == XCB_EXPOSE) exposed = true;
            free(event);
        }
        if (!alive()) return false;
        if (exposed) show(cells_);
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        if (left <= 0) return true;
        pollfd fd{xcb_get_file_descriptor(connection_), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(left));
    }
}

} // namespace et::strip
