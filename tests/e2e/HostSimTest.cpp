// The desktop harness and corvane-host-sim as the tests and the demo rely on them: a private
// desktop, every message recorded across a host crash, the live window and pictures on
// request. A failure here points at the test equipment or the simulator, not the application.
#include "Desktop.h"
#include "KeyboardRender.h"
#include "Programs.h"
#include "X11WindowSearch.h"

#include <CorvaneLED.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace et::e2e {
namespace {

// The red, green and blue bytes of one pixel of a window of Xvfb's 24-bit screen.
std::array<int, 3> pixelOf(xcb_connection_t* c, xcb_window_t window, hostsim::Point at) {
    auto cookie = xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, window, static_cast<int16_t>(at.x),
                                static_cast<int16_t>(at.y), 1, 1, ~0u);
    std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> image(
        xcb_get_image_reply(c, cookie, nullptr), &std::free);
    if (!image || xcb_get_image_data_length(image.get()) < 4) return {-1, -1, -1};
    const uint8_t* p = xcb_get_image_data(image.get());
    return {p[2], p[1], p[0]}; // blue, green, red, pad
}

// Polls `ok` every 25 ms for up to 5 s.
template <typename F> bool eventually(F ok) {
    for (int i = 0; i < 200; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(25)))
        if (ok()) return true;
    return false;
}

TEST(HostSimulator, RecordsAcrossACrashAndDrawsTheKeyboardLiveAndOnRequest) {
    const ProgramPaths programs = ProgramPaths::fromBuild();
    std::string folder;
    {
        Desktop desktop;
        ASSERT_TRUE(desktop.ok()) << desktop.error();
        folder = desktop.folder();
        EXPECT_EQ(std::getenv("XDG_DATA_HOME"), desktop.dataHome());
        HostSim host(programs.hostSim, desktop.socketPath());
        ASSERT_TRUE(host.start());
        ASSERT_TRUE(CorvLedInit());
        CorvLedSetLighting(10, 20, 30);
        ASSERT_TRUE(host.waitFor([](const HostRecord& r) { return r.is("SetLighting"); }, 10.0));
        host.kill();
        CorvLedShutdown();
        ASSERT_TRUE(host.start({"--window"}));
        ASSERT_TRUE(CorvLedInit());
        CorvLedSetLightingForKeyWithKeyName(CLK_Escape, 100, 0, 0);
        CorvLedSetLightingForKeyWithKeyName(CLK_P1, 0, 0, 100);
        ASSERT_TRUE(host.waitFor([](const HostRecord& r) { return r.isKey(CLK_P1); }, 10.0));
        const auto records = host.records();
        ASSERT_GE(records.size(), 6u);
        EXPECT_EQ(records[1].cmd, "SaveCurrentLighting");
        EXPECT_EQ((std::array{records[2].r, records[2].g, records[2].b}), (std::array{10, 20, 30}));
        EXPECT_EQ(records.back().b, 100);

        // The live window follows the keyboard.
        int screenNumber = 0;
        xcb_connection_t* c = xcb_connect(desktop.display().c_str(), &screenNumber);
        ASSERT_FALSE(xcb_connection_has_error(c));
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        std::optional<x11::ClientWindow> window;
        EXPECT_TRUE(eventually([&] {
            window = x11::findClientWindow(c, screen, "corvane-host-sim");
            return window &&
                   pixelOf(c, window->id, hostsim::keyCenter(CLK_Escape)) ==
                       std::array{255, 0, 0} &&
                   pixelOf(c, window->id, hostsim::keyCenter(CLK_P1)) == std::array{0, 0, 255};
        })) << "no live window, or it does not follow the keyboard";
        xcb_disconnect(c);

        // Pictures on request, and a reply that says why when there is none.
        const std::string png = desktop.folder() + "/keyboard.png";
        ASSERT_TRUE(host.command("render " + png + "\nrender /nonexistent/k.png"));
        const auto replied = [&](const std::string& reply) {
            const auto notes = host.notes();
            return std::any_of(notes.begin(), notes.end(),
                               [&](const std::string& n) { return n.rfind(reply, 0) == 0; });
        };
        EXPECT_TRUE(eventually([&] { return replied("{\"rendered\":\"" + png + "\"}"); }));
        EXPECT_GT(std::filesystem::file_size(png), 1000u);
        EXPECT_TRUE(
            eventually([&] { return replied("{\"error\":\"cannot write /nonexistent/k"); }));
        CorvLedShutdown();
    }
    // Nothing of the desktop is left behind.
    EXPECT_FALSE(std::filesystem::exists(folder));
}

} // namespace
} // namespace et::e2e
