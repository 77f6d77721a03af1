// corvane-host-sim as the demo uses it: pictures on request and the live window.
#include "Desktop.h"
#include "KeyboardRender.h"
#include "Programs.h"

#include <CorvaneLED.h>
#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

namespace et::e2e {
namespace {

template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;
template <typename T> Reply<T> reply(T* p) {
    return Reply<T>(p, &std::free);
}

// The top-level window whose WM_CLASS class is `wanted`, or 0.
xcb_window_t findWindow(xcb_connection_t* c, xcb_window_t root, const std::string& wanted) {
    auto tree = reply(xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr));
    if (!tree) return 0;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        auto prop = reply(xcb_get_property_reply(
            c, xcb_get_property(c, 0, children[i], XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 64),
            nullptr));
        if (!prop) continue;
        const std::string value(static_cast<const char*>(xcb_get_property_value(prop.get())),
                                xcb_get_property_value_length(prop.get()));
        if (value.find(wanted) != std::string::npos) return children[i];
    }
    return 0;
}

// The red, green and blue bytes of one pixel of a 32-bit window.
std::array<int, 3> pixelOf(xcb_connection_t* c, xcb_window_t window, int x, int y) {
    auto image = reply(xcb_get_image_reply(c,
                                           xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, window,
                                                         static_cast<int16_t>(x),
                                                         static_cast<int16_t>(y), 1, 1, ~0u),
                                           nullptr));
    if (!image || xcb_get_image_data_length(image.get()) < 4) return {-1, -1, -1};
    const uint8_t* p = xcb_get_image_data(image.get());
    return {p[2], p[1], p[0]}; // Xvfb's 24-bit depth: blue, green, red, pad
}

TEST(HostSimulator, DrawsTheKeyboardOnRequestAndLiveInAWindow) {
    Desktop desktop;
    ASSERT_TRUE(desktop.ok()) << desktop.error();
    HostSim host(ProgramPaths::fromBuild().hostSim, desktop.socketPath());
    ASSERT_TRUE(host.start({"--window"}));

    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(desktop.display().c_str(), &screenNumber);
    ASSERT_FALSE(xcb_connection_has_error(c));
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_window_t window = 0;
    for (int i = 0; i < 200 && !window; ++i) {
        window = findWindow(c, root, "corvane-host-sim");
        if (!window) std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    ASSERT_NE(window, 0u) << "no live window";

    ASSERT_TRUE(CorvLedInit());
    CorvLedSetLightingForKeyWithKeyName(CLK_Escape, 100, 0, 0);
    CorvLedSetLightingForKeyWithKeyName(CLK_P1, 0, 0, 100);
    ASSERT_TRUE(host.waitFor([](const HostRecord& r) { return r.isKey(CLK_P1); }, 10.0));

    const auto escape = hostsim::keyCenter(CLK_Escape);
    const auto p1 = hostsim::keyCenter(CLK_P1);
    bool shown = false;
    for (int i = 0; i < 200 && !shown; ++i) {
        shown = pixelOf(c, window, escape.x, escape.y) == std::array<int, 3>{255, 0, 0} &&
                pixelOf(c, window, p1.x, p1.y) == std::array<int, 3>{0, 0, 255};
        if (!shown) std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    EXPECT_TRUE(shown) << "the window does not follow the keyboard: Esc "
                       << pixelOf(c, window, escape.x, escape.y)[0] << " P1 "
                       << pixelOf(c, window, p1.x, p1.y)[2];

    const std::string png = desktop.folder() + "/keyboard.png";
    ASSERT_TRUE(host.command("render " + png));
    ASSERT_TRUE(host.command("render /nonexistent-folder/k.png"));
    ASSERT_TRUE(host.command("paint it black"));
    // Replies are JSON objects; the host's other notes ("listening on …") are not.
    std::vector<std::string> notes;
    for (int i = 0; i < 200 && notes.size() < 3; ++i) {
        notes.clear();
        for (const auto& note : host.notes())
            if (note.rfind("{", 0) == 0) notes.push_back(note);
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[0], "{\"rendered\":\"" + png + "\"}");
    EXPECT_NE(notes[1].find("\"error\":\"cannot write /nonexistent-folder/k.png"),
              std::string::npos);
    EXPECT_NE(notes[2].find("unknown command: paint it black"), std::string::npos);
    EXPECT_GT(std::filesystem::file_size(png), 1000u);

    CorvLedShutdown();
    xcb_disconnect(c);
    host.stop();
}

} // namespace
} // namespace et::e2e
