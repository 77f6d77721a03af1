// Finding the game's client window below the frames a window manager puts around it.
#include "X11WindowSearch.h"
#include "XvfbServer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace et::test {
namespace {

struct Desk {
    xcb_connection_t* c;
    xcb_screen_t* screen;

    xcb_window_t window(xcb_window_t parent, int width, int height, const std::string& cls,
                        bool mapped) {
        const xcb_window_t w = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, w, parent, 0, 0, static_cast<uint16_t>(width),
                          static_cast<uint16_t>(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          XCB_COPY_FROM_PARENT, 0, nullptr);
        if (!cls.empty()) {
            const std::string value = cls + '\0' + cls + '\0';
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                                static_cast<uint32_t>(value.size()), value.data());
        }
        if (mapped) xcb_map_window(c, w);
        return w;
    }
};

TEST(WindowSearch, FindsTheMappedClientInsideItsFramesBeforeHelpersOfTheSameClass) {
    XvfbServer server({"-screen", "0", "640x400x24"});
    ASSERT_TRUE(server.running());
    xcb_connection_t* c = xcb_connect(server.display().c_str(), nullptr);
    Desk desk{c, xcb_setup_roots_iterator(xcb_get_setup(c)).data};
    const xcb_window_t root = desk.screen->root;

    EXPECT_FALSE(x11::findClientWindow(c, desk.screen, "emberfall.exe"));
    desk.window(root, 500, 300, "xterm", true);
    // A hidden helper of the game's, bigger than its window; a small mapped one; and the
    // game's window two levels down inside a frame, as reparenting window managers do.
    desk.window(root, 600, 380, "emberfall.exe", false);
    desk.window(root, 4, 4, "emberfall.exe", true);
    const xcb_window_t frame = desk.window(root, 420, 330, "", true);
    const xcb_window_t inner = desk.window(frame, 410, 310, "", true);
    const xcb_window_t game = desk.window(inner, 400, 300, "emberfall.exe", true);
    desk.window(root, 300, 200, "Emberfall.exe", true); // the class is compared exactly

    const auto found = x11::findClientWindow(c, desk.screen, "emberfall.exe");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->id, game);
    EXPECT_EQ(found->width, 400);
    EXPECT_EQ(found->height, 300);
    EXPECT_TRUE(found->mapped);
    xcb_disconnect(c);
}

} // namespace
} // namespace et::test
