// The screencopy source and the toplevel list against a real headless sway, with the strip
// painted by talon-strip as a native Wayland game: exact pixels at the output's top-left
// however the output is sized, turned or mirrored, the rectangle cut at the output's edge, the compositor gone
// and back.
#include "ChildProcess.h"
#include "SwayDesktop.h"
#include "WlrForeignToplevels.h"
#include "WlrScreencopySource.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace et {
namespace {

using Clock = std::chrono::steady_clock;

// A painter whose commands are carried out before run() returns.
class Painter {
  public:
    explicit Painter(const std::string& socket)
        : process_({TALON_STRIP, "--wayland", "--display", socket, "--width", "8"}) {}
    bool run(const std::string& commands) {
        const std::string token = "done " + std::to_string(++token_);
        if (!process_.write(commands + "\necho " + token + "\n")) return false;
        while (auto line = process_.readLine(20.0))
            if (*line == token) return true;
        return false;
    }

  private:
    test::ChildProcess process_;
    int token_ = 0;
};

const char* kFrame = "frame white black red green blue white black yellow cyan white black";
const std::vector<Color> kCells = {{1, 1, 1, 1}, {0, 0, 0, 1}, {1, 0, 0, 1}, {0, 1, 0, 1},
                                   {0, 0, 1, 1}, {1, 1, 1, 1}, {0, 0, 0, 1}, {1, 1, 0, 1},
                                   {0, 1, 1, 1}, {1, 1, 1, 1}, {0, 0, 0, 1}};

// The cells the source reads at `cell` pixels a cell, or why not.
std::string readCells(WlrScreencopySource& source, int cell = 8) {
    ScreenImage image;
    if (!source.capture({0, 0, 11.0 * cell, 1}, image)) return "no capture";
    if (image.width() != 11 * cell) return "width " + std::to_string(image.width());
    for (size_t i = 0; i < kCells.size(); ++i) {
        const Color c = *image.colorAt(static_cast<int>(cell * i + cell / 2));
        const Color& e = kCells[i];
        if (c.red != e.red || c.green != e.green || c.blue != e.blue)
            return "cell " + std::to_string(i) + " reads " + std::to_string(c.red) + "," +
                   std::to_string(c.green) + "," + std::to_string(c.blue);
    }
    return "ok";
}

// The compositor repaints a resized window on its own time: look until it shows.
std::string readCellsSoon(WlrScreencopySource& source, int cell = 8) {
    std::string result;
    for (int i = 0; i < 200 && (result = readCells(source, cell)) != "ok"; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    return result;
}

// Where the seen top-left pixel and its right and lower neighbours lie in a 4×2 buffer (the
// seen output is 2×4 when turned), as sway's copies of whole outputs show them.
TEST(OutputTransform, SeenPixelsLieWhereTheBufferHoldsThem) {
    using P = std::pair<int, int>;
    const auto at = [](int transform, int x, int y) {
        const wl::Pixel b = wl::toBuffer(transform, 4, 2, {x, y});
        return P{b.x, b.y};
    };
    const std::vector<std::array<P, 3>> expected = {
        {P{0, 0}, P{1, 0}, P{0, 1}}, {P{0, 1}, P{0, 0}, P{1, 1}}, {P{3, 1}, P{2, 1}, P{3, 0}},
        {P{3, 0}, P{3, 1}, P{2, 0}}, {P{3, 0}, P{2, 0}, P{3, 1}}, {P{0, 0}, P{0, 1}, P{1, 0}},
        {P{0, 1}, P{1, 1}, P{0, 0}}, {P{3, 1}, P{3, 0}, P{2, 1}}};
    for (int t = 0; t < 8; ++t) // in wl_output's order: normal, 90, 180, 270, flipped, ...
        EXPECT_EQ((std::array{at(t, 0, 0), at(t, 1, 0), at(t, 0, 1)}), expected[t]) << t;
}

TEST(Screencopy, ReadsTheStripOnEveryOutputShapeAndFollowsTheCompositorAway) {
    test::SwayDesktop::Options options;
    options.xwayland = false;
    test::SwayDesktop sway(options);
    ASSERT_TRUE(sway.running()) << sway.error();
    auto now = Clock::now();
    WlrScreencopySource source(sway.waylandDisplay(), [&] { return now; });
    auto painter = std::make_unique<Painter>(sway.waylandDisplay());
    ASSERT_TRUE(painter->run(kFrame));

    struct Shape {
        const char* mode;
        const char* scale;
        const char* transform;
        int width; // as the player sees it, in pixels
    };
    // At scale 2 the compositor doubles the game's 8-pixel cells; the source counts pixels.
    // Turned, mirrored, and resized while turned: the strip stays at the top-left the player sees.
    for (const Shape& shape :
         {Shape{"1280x800", "1", "normal", 1280}, Shape{"3840x2160", "1", "normal", 3840},
          Shape{"1024x768", "1", "normal", 1024}, Shape{"1280x800", "2", "normal", 1280},
          Shape{"1280x800", "1", "90", 800}, Shape{"1280x800", "1", "180", 1280},
          Shape{"1280x800", "1", "270", 800}, Shape{"1280x800", "1", "flipped", 1280},
          Shape{"1280x800", "1", "flipped-90", 800}, Shape{"1280x800", "1", "flipped-180", 1280},
          Shape{"1280x800", "1", "flipped-270", 800}, Shape{"1024x768", "2", "90", 768}}) {
        SCOPED_TRACE(std::string(shape.mode) + " at scale " + shape.scale + ", " +
                     shape.transform);
        ASSERT_TRUE(sway.message({"output", "HEADLESS-1", "mode", shape.mode, "scale",
                                  shape.scale, "transform", shape.transform}));
        EXPECT_EQ(readCellsSoon(source, 8 * std::atoi(shape.scale)), "ok");
        EXPECT_EQ(source.activeDisplayCount(), 1);
        // A rectangle past the right edge is cut to it; one wholly past it reads nothing.
        ScreenImage image;
        ASSERT_TRUE(source.capture({shape.width - 3.5, 0, 40, 1}, image));
        EXPECT_EQ(image.width(), 4);
        EXPECT_FALSE(source.capture({static_cast<double>(shape.width), 0, 40, 1}, image));
        EXPECT_EQ(image.width(), 0);
    }
    ASSERT_TRUE(sway.message({"output", "HEADLESS-1", "scale", "1", "transform", "normal"}));

    sway.stop();
    EXPECT_EQ(source.activeDisplayCount(), 0);
    EXPECT_EQ(readCells(source), "no capture");
    ASSERT_TRUE(sway.start()) << sway.error();
    EXPECT_EQ(source.activeDisplayCount(), 0) << "looked again before its pause";
    now += std::chrono::seconds(2);
    painter = std::make_unique<Painter>(sway.waylandDisplay());
    ASSERT_TRUE(painter->run(kFrame));
    EXPECT_EQ(readCellsSoon(source), "ok");
}

TEST(ForeignToplevels, TheFocusedNativeGameIsSeenLosesTheFocusWhenHiddenAndOutlivesSway) {
    test::SwayDesktop::Options options;
    options.xwayland = false;
    test::SwayDesktop sway(options);
    ASSERT_TRUE(sway.running()) << sway.error();
    auto now = Clock::now();
    WlrForeignToplevels toplevels(sway.waylandDisplay(), [&] { return now; });
    ASSERT_TRUE(toplevels.offered());
    EXPECT_EQ(toplevels.activated(), std::nullopt);

    Painter painter(sway.waylandDisplay());
    const auto focusedSoon = [&](std::optional<std::string> expected) {
        for (int i = 0; i < 200 && toplevels.activated() != expected; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        return toplevels.activated();
    };
    ASSERT_TRUE(painter.run("clear"));
    EXPECT_EQ(focusedSoon("emberfall.exe"), "emberfall.exe");
    ASSERT_TRUE(painter.run("hide"));
    EXPECT_EQ(focusedSoon(std::nullopt), std::nullopt);
    ASSERT_TRUE(painter.run("show"));
    EXPECT_EQ(focusedSoon("emberfall.exe"), "emberfall.exe");

    sway.stop();
    EXPECT_FALSE(toplevels.offered());
    EXPECT_EQ(toplevels.activated(), std::nullopt);
    ASSERT_TRUE(sway.start()) << sway.error();
    EXPECT_FALSE(toplevels.offered()) << "looked again before its pause";
    now += std::chrono::seconds(4);
    EXPECT_TRUE(toplevels.offered());
}

} // namespace
} // namespace et
