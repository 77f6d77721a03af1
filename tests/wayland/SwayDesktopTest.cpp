// The headless sway harness itself: what the other Wayland tests stand on.
#include "SwayDesktop.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <xcb/xcb.h>

#include <cerrno>
#include <filesystem>

namespace et::test {
namespace {

bool alive(pid_t pid) {
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

bool xwaylandAnswers(const std::string& display) {
    xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
    const bool ok = xcb_connection_has_error(c) == 0;
    xcb_disconnect(c);
    return ok;
}

TEST(SwayDesktop, ComesUpResizesGoesAndComesBackWithNothingLeftBehind) {
    SwayDesktop::Options size;
    size.width = 640;
    size.height = 480;
    SwayDesktop sway(size);
    ASSERT_TRUE(sway.running()) << sway.error();
    EXPECT_TRUE(std::filesystem::exists(sway.waylandDisplay()));
    EXPECT_TRUE(xwaylandAnswers(sway.display())) << sway.display();

    std::string outputs;
    ASSERT_TRUE(sway.message({"-t", "get_outputs"}, &outputs));
    EXPECT_NE(outputs.find("\"width\": 640"), std::string::npos) << outputs;
    ASSERT_TRUE(sway.resizeOutput(1024, 768));
    ASSERT_TRUE(sway.message({"-t", "get_outputs"}, &outputs));
    EXPECT_NE(outputs.find("\"width\": 1024"), std::string::npos) << outputs;
    EXPECT_FALSE(sway.message({"output", "HEADLESS-1", "no-such-option"}));

    // A program run beside it runs as the same user and sees its socket.
    auto child = sway.runAsUser({"sh", "-c", "test -S \"$WAYLAND_DISPLAY\" && id -u"}, false);
    const auto uid = child->readLine(20.0);
    ASSERT_TRUE(uid.has_value());
    EXPECT_EQ(*uid, ::geteuid() == 0 ? "65534" : std::to_string(::geteuid()));

    const pid_t first = sway.pid();
    sway.stop();
    EXPECT_FALSE(alive(first));
    EXPECT_FALSE(sway.running());
    EXPECT_EQ(::kill(-first, 0), -1) << "a process of sway's group outlived it";

    ASSERT_TRUE(sway.start()) << sway.error();
    EXPECT_NE(sway.pid(), first);
    EXPECT_TRUE(xwaylandAnswers(sway.display()));
}

} // namespace
} // namespace et::test
