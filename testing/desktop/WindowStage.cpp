#include "WindowStage.h"

#include "X11Display.h"

#include "X11WindowSearch.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace et::e2e {

WindowStage::WindowStage(const std::string& display) {
    x11::Connection opened(display);
    if (!opened) return;
    screen_ = opened.screen();
    root_ = screen_->root;
    connection_ = opened.release();
    const char name[] = "_NET_ACTIVE_WINDOW";
    auto atom = x11::reply(xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, sizeof name - 1, name), nullptr));
    if (atom) activeAtom_ = atom->atom;
}

WindowStage::~WindowStage() {
    if (connection_) xcb_disconnect(connection_);
}

void WindowStage::sync() {
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

uint32_t WindowStage::createWindow(const std::string& windowClass, const std::string& title) {
    if (!connection_) return 0;
    const uint32_t window = xcb_generate_id(connection_);
    auto it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    const uint32_t values[] = {it.data->white_pixel};
    // Below the strip and away from the left edge, where the application reads.
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window, root_, 400, 200, 320, 200, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL,
                      values);
    std::string wmClass = windowClass;
    wmClass.push_back('\0');
    wmClass += windowClass;
    wmClass.push_back('\0');
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS,
                        XCB_ATOM_STRING, 8, static_cast<uint32_t>(wmClass.size()), wmClass.data());
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME,
                        XCB_ATOM_STRING, 8, static_cast<uint32_t>(title.size()), title.data());
    xcb_map_window(connection_, window);
    sync();
    return window;
}

void WindowStage::activate(uint32_t window) {
    if (!connection_ || !activeAtom_) return;
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, root_, activeAtom_, XCB_ATOM_WINDOW, 32,
                        1, &window);
    sync();
}

uint32_t WindowStage::game() {
    if (connection_)
        if (auto painted = x11::findClientWindow(connection_, screen_, kGameClass))
            return painted->id;
    if (!game_) game_ = createWindow(kGameClass, "Emberfall");
    return game_;
}

uint32_t WindowStage::other() {
    if (!other_) other_ = createWindow("xterm", "a terminal");
    return other_;
}

} // namespace et::e2e
