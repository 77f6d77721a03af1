#pragma once
// Steps the tests of the application on sway share: the calibration measured in this
// process (the headless compositor has no seat, so no key reaches the application) and the
// wait for a key's colour at the host.
#include "Calibration.h"
#include "CaptureRoutes.h"
#include "E2eTest.h"
#include "RealTimeRunLoop.h"
#include "RecordingLog.h"

#include <cstdlib>

namespace et::e2e {

struct Quiet : Sound, Speech {
    void play(const std::string&) override {}
    void speak(const std::string&) override {}
};

// A variable of the environment the application is started with, for the test's span.
struct ScopedEnv {
    ScopedEnv(const char* name, const char* value) : name_(name) { ::setenv(name, value, 1); }
    ~ScopedEnv() { ::unsetenv(name_); }
    const char* name_;
};

// Waits for the key's colour to become `expected`.
inline bool keyTurns(const HostSim& host, const KeyColor& expected, size_t from) {
    return host
        .waitFor(
            [&](const HostRecord& r) {
                return r.isKey(expected.key) && r.r == expected.r && r.g == expected.g &&
                       r.b == expected.b;
            },
            10.0, from)
        .has_value();
}

// Calibrates on the pattern the painter shows, through the compositor's screencopy, and
// returns the settings that hold the result with both action bars read.
inline SettingsFile calibrateOnSway(AppSession& session, ScanGeometry& geometry) {
    EXPECT_TRUE(session.strip("calibrate"));
    ScreenRouteOptions routeOptions;
    routeOptions.waylandSession = true;
    routeOptions.followEvents = false;
    auto routes = makeScreenRoutes(routeOptions);
    test::RealTimeRunLoop runLoop;
    test::RecordingLog log;
    Quiet quiet;
    MemoryDefaults defaults;
    Calibration calibration(*routes, geometry, runLoop, quiet, quiet, defaults, log,
                            [] { return false; });
    calibration.calibrateScreen();
    calibration.calibrateScreen();
    EXPECT_EQ(routes->reading(), ScreenRoutes::Reading::Screencopy);
    SettingsFile settings;
    settings.set("scanOffset", geometry.scanOffset).set("scanWidth", geometry.scanWidth);
    settings.set("useActionBarCooldowns1", true).set("useActionBarCooldowns2", true);
    EXPECT_TRUE(session.strip("clear"));
    return settings;
}

} // namespace et::e2e
