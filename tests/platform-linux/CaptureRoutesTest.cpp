// The route chooser's order and its log lines, the game in front by its strip on a virtual
// clock, and which answer about the front wins on each kind of session.
#include "CaptureRoutes.h"
#include "ScreenRoutes.h"
#include "SessionWorkspace.h"
#include "StripFrames.h"
#include "StripFront.h"

#include <gtest/gtest.h>

#include <map>

namespace et {
namespace {

using Kind = CaptureRoute::Kind;
using Result = CaptureRoute::Result;
using Reading = ScreenRoutes::Reading;

// A route that answers what the test says and counts how often it was asked.
struct FakeRoute : CaptureRoute {
    FakeRoute(Kind k, Result r) : kind_(k), result(r) {}
    Kind kind() const override { return kind_; }
    Result read(const Rect&, ScreenImage& image) override {
        ++reads;
        if (result == Result::Read) image.row() = row;
        return result;
    }
    int displays() override { return displayCount; }
    double scaleFactor() override { return 2.0; }
    Kind kind_;
    Result result;
    std::vector<Color> row = test::stripRow(test::offer('A'), 8.0);
    int reads = 0;
    int displayCount = 1;
};

struct Chooser {
    explicit Chooser(bool wayland = true) {
        std::vector<std::unique_ptr<CaptureRoute>> list;
        for (Kind k : {Kind::GameWindow, Kind::Screencopy, Kind::Portal, Kind::Screen}) {
            list.push_back(std::make_unique<FakeRoute>(k, Result::Absent));
            routes[k] = static_cast<FakeRoute*>(list.back().get());
        }
        chooser = std::make_unique<ScreenRoutes>(std::move(list), wayland);
        chooser->setReport([this](const std::string& line) { lines.push_back(line); });
    }
    bool capture() {
        ScreenImage image;
        return chooser->capture({0, 0, 88, 1}, image);
    }
    std::map<Kind, FakeRoute*> routes;
    std::unique_ptr<ScreenRoutes> chooser;
    std::vector<std::string> lines;
};

TEST(ScreenRoutes, TheFirstRouteThatAppliesReadsAndThoseAfterItAreNotAsked) {
    const Result A = Result::Absent, R = Result::Read, H = Result::Hidden, F = Result::Failed;
    struct Case {
        std::array<Result, 4> results; // game window, screencopy, portal, screen
        bool read;
        std::optional<Reading> reading;
        int asked; // how many routes, from the first, were asked
    } cases[] = {
        {{R, R, R, R}, true, Reading::GameWindow, 1}, {{H, R, R, R}, false, Reading::GameHidden, 1},
        {{F, R, R, R}, false, std::nullopt, 1},       {{A, R, R, R}, true, Reading::Screencopy, 2},
        {{A, F, R, R}, false, std::nullopt, 2},       {{A, A, R, R}, true, Reading::Portal, 3},
        {{A, A, A, R}, true, Reading::Screen, 4},     {{A, A, A, A}, false, Reading::Nothing, 4},
    };
    for (const Case& c : cases) {
        Chooser t;
        int i = 0;
        for (Kind k : {Kind::GameWindow, Kind::Screencopy, Kind::Portal, Kind::Screen})
            t.routes[k]->result = c.results[static_cast<size_t>(i++)];
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        EXPECT_EQ(t.capture(), c.read);
        EXPECT_EQ(t.chooser->reading(), c.reading);
        i = 0;
        for (Kind k : {Kind::GameWindow, Kind::Screencopy, Kind::Portal, Kind::Screen})
            EXPECT_EQ(t.routes[k]->reads, i++ < c.asked ? 1 : 0);
    }
}

TEST(ScreenRoutes, OneLineEachTimeTheRouteChangesAndAfresAfterAnOutage) {
    Chooser t;
    auto& game = *t.routes[Kind::GameWindow];
    auto& screencopy = *t.routes[Kind::Screencopy];
    screencopy.result = Result::Read;
    t.capture();
    t.capture();
    game.result = Result::Read;
    t.capture();
    game.result = Result::Absent;
    t.capture();
    screencopy.result = Result::Absent;
    t.capture();
    t.capture();
    screencopy.result = Result::Read;
    t.capture();
    // Every display gone, and back: the route is announced again.
    for (auto& [kind, route] : t.routes)
        route->displayCount = 0;
    EXPECT_EQ(t.chooser->activeDisplayCount(), 0);
    screencopy.displayCount = 1;
    EXPECT_EQ(t.chooser->activeDisplayCount(), 1);
    t.capture();
    const std::string sc = t.chooser->lineFor(Reading::Screencopy);
    EXPECT_EQ(t.lines, (std::vector<std::string>{sc, t.chooser->lineFor(Reading::GameWindow), sc,
                                                 t.chooser->lineFor(Reading::Nothing), sc, sc}));
    EXPECT_NE(sc.find("screencopy"), std::string::npos);
    EXPECT_EQ(t.chooser->mainDisplayScaleFactor(), 2.0);
}

TEST(ScreenRoutes, NothingReadIsToldAsTheSessionHasIt) {
    Chooser wayland(true), x11(false);
    wayland.capture();
    x11.capture();
    ASSERT_EQ(wayland.lines.size(), 1u);
    ASSERT_EQ(x11.lines.size(), 1u);
    EXPECT_NE(wayland.lines[0].find("neither screencopy nor the desktop portal"),
              std::string::npos);
    EXPECT_NE(x11.lines[0].find("Wine with its X11 driver"), std::string::npos);
}

TEST(ScreenRoutes, OnlyFramesReadThroughTheCompositorTellTheGameIsInFront) {
    for (Kind k : {Kind::GameWindow, Kind::Screencopy, Kind::Portal, Kind::Screen}) {
        Chooser t;
        StripFront front;
        t.chooser->setStripFront(&front);
        t.routes[k]->result = Result::Read;
        ASSERT_TRUE(t.capture());
        EXPECT_EQ(front.inFront(), k == Kind::Screencopy || k == Kind::Portal);
    }
}

TEST(ScreenRoutes, ARouteThePlayerNamesReplacesTheCompositorsBetweenTheX11Ones) {
    const Kind G = Kind::GameWindow, S = Kind::Screencopy, P = Kind::Portal, X = Kind::Screen;
    const auto portal = [] { return std::unique_ptr<ScreenSource>(); };
    struct Case {
        const char* name;
        bool known, wayland, havePortal;
        std::vector<Kind> order;
    } cases[] = {
        {"", true, true, true, {G, S, P, X}},
        {"", true, false, true, {G, X}},
        {"", true, true, false, {G, S, X}},
        {"portal", true, true, true, {G, P, X}},
        {"portal", true, false, true, {G, P, X}},
        {"portal", true, true, false, {G, X}},
        {"screencopy", true, false, true, {G, S, X}},
        {"x11", true, true, true, {G, X}},
        {"Portal", false, true, true, {G, S, P, X}},
        {"portal ", false, true, true, {G, S, P, X}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto route = screenRouteNamed(c.name);
        EXPECT_EQ(route.has_value(), c.known);
        ScreenRouteOptions options;
        options.waylandSession = c.wayland;
        if (c.havePortal) options.portal = portal;
        options.route = route.value_or(ScreenRoute::Automatic);
        EXPECT_EQ(screenRouteOrder(options), c.order);
    }
}

TEST(StripFront, TheGameStaysInFrontTwoSecondsAfterTheLastStripFrame) {
    using namespace std::chrono_literals;
    StripFront::Clock::time_point now{100s};
    StripFront front([&] { return now; });
    const auto row = [](const PixelDecoder::Frame& cells, int width = 400) {
        ScreenImage image;
        image.row() = test::stripRow(cells, 8.0, test::kGray, width);
        return image;
    };
    PixelDecoder::Frame allWhite;
    allWhite.fill(Color::white());
    const PixelDecoder::Frame noEnd =
        test::frame({'A', test::Phase::Offer, Color::white(), false, true, false});
    const PixelDecoder::Frame noStart =
        test::frame({'A', test::Phase::Offer, Color::white(), false, false, true});
    struct Step {
        ScreenImage image;
        std::chrono::milliseconds later;
        bool inFront;
    } steps[] = {
        {row(noEnd), 0ms, false},
        {row(noStart), 0ms, false},
        {row(allWhite), 0ms, false},
        {row(test::confirm('A'), 70), 0ms, false}, // cut before the end marker
        {row(test::offer('A')), 2000ms, true},     // still in front at two seconds
        {row(allWhite), 1ms, false},               // a white desktop does not keep it there
        {row(test::confirm('z')), 0ms, true},
        {row(noEnd), 1999ms, true},
        {row(noEnd), 2ms, false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << "step " << (&s - steps));
        front.frameRead(s.image, 88.0);
        now += s.later;
        EXPECT_EQ(front.inFront(), s.inFront);
    }
}

struct FakeWorkspace : Workspace {
    std::optional<FrontmostApplication> answer;
    std::optional<FrontmostApplication> frontmostApplication() override { return answer; }
};
struct FakeToplevels : ToplevelList {
    bool isOffered = true;
    std::optional<std::string> focused;
    bool offered() override { return isOffered; }
    std::optional<std::string> activated() override { return focused; }
};

TEST(SessionWorkspace, TheAnswerThatKnowsBestSaysWhetherTheGameIsInFront) {
    using namespace std::chrono_literals;
    const std::optional<std::string> none, game = "emberfall.exe", other = "foot";
    struct Case {
        std::optional<std::string> x11;
        bool listOffered;
        std::optional<std::string> focused;
        bool stripSeen;
        std::optional<std::string> expected;
    } cases[] = {
        {game, true, other, false, game}, // a game through XWayland
        {none, true, "Emberfall.EXE", false, game},
        {none, true, other, true, other}, // the list knows better than the strip
        {none, true, none, true, none},
        {other, false, none, true, game}, // no list: the strip
        {other, false, none, false, other},
        {none, false, none, false, none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        FakeWorkspace x11;
        if (c.x11) x11.answer = FrontmostApplication{c.x11};
        FakeToplevels toplevels;
        toplevels.isOffered = c.listOffered;
        toplevels.focused = c.focused;
        StripFront::Clock::time_point now{50s};
        StripFront strip([&] { return now; });
        if (c.stripSeen) {
            ScreenImage image;
            image.row() = test::stripRow(test::offer('A'), 8.0);
            strip.frameRead(image, 88.0);
        }
        SessionWorkspace workspace(x11, &toplevels, strip);
        const auto front = workspace.frontmostApplication();
        EXPECT_EQ(front ? front->bundleIdentifier : std::nullopt, c.expected);
    }
}

} // namespace
} // namespace et
