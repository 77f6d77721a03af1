// A settings file full of garbage, then calibration as a player runs it: the calibrate
// action twice (the first only asks), the add-on's pattern on screen at a cell width the
// application has never seen, and messages read at the width found.
#include "E2eTest.h"

#include <cstdlib>
#include <thread>

namespace et::e2e {
namespace {

// The number stored under `key` in the settings file's first group.
std::optional<double> storedNumber(const std::string& text, const std::string& key) {
    const std::string general = "\n" + text.substr(0, text.find("\n[", 1));
    const size_t at = general.find("\n" + key + "=");
    if (at == std::string::npos) return std::nullopt;
    const char* start = general.c_str() + at + key.size() + 2;
    char* end = nullptr;
    const double value = std::strtod(start, &end);
    return end == start ? std::nullopt : std::optional(value);
}

TEST_F(E2eTest, GarbageSettingsStartWithDefaultsAndCalibratingTwiceFindsTheStrip) {
    // Wrong types, huge arrays, numbers out of range.
    std::string garbage =
        "[General]\ncolorAColor1=7 -3 0.5 1\nscanWidth=banana\nscanOffset=1e300\n"
        "singleColorMode=maybe\nautoToggleProfile=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x1)\n"
        "blinkTimePref=-7\ncolorBColor1=1 2 3 4 5 6 7\ncolorCColor1=nan nan nan\n"
        "OnCooldownNumberKeyColor1=\nuseActionBarCooldowns1=17\nkey101=-5\n"
        "key102=999999999999999999999\nwindowPosition=not a frame\nEmberAppName=" +
        std::string(20000, 'x') + "\nsavedKeyToColorMap1=";
    for (int i = 0; i < 200000; ++i)
        garbage += (i % 3 == 0 ? "99999999 " : i % 3 == 1 ? "-4 " : "x ");
    garbage += "\n\x01\x02\xff\xfe=\xff\n[Other]\nscanWidth=88\n[General]\ncombatChatWarning=\"\n";
    // What a healthy application makes of it: every unreadable value at its default, the
    // out-of-range color held to 0–1.
    SettingsFile readable;
    readable.setColor("colorAColor1", {1.0, 0.0, 0.5, 1.0});
    ProfileOracle oracle(readable);

    constexpr int kCell = 9;
    AppSession& session = prepare(SettingsFile{}, SessionOptions::withCellWidth(kCell));
    ASSERT_TRUE(session.ok());
    session.desktop().writeSettings(garbage);
    ASSERT_TRUE(session.startApp()) << "no Init from ember-talon";
    EXPECT_TRUE(session.app().waitForOutput("Calibration settings not found!", 10.0));
    size_t before = session.mark();
    session.gameInFront();
    EXPECT_GT(waitForFrame(session.host(), oracle.shown(1), before, 10.0), 0u)
        << "profile 1 is not the default one";

    // The first request only asks for confirmation; the second runs.
    ASSERT_TRUE(session.strip("calibrate"));
    ASSERT_TRUE(session.triggerCalibrate()) << "cannot reach the calibrate action";
    EXPECT_TRUE(session.app().waitForOutput("** Click Calibrate again to begin **", 20.0));
    EXPECT_NE(storedNumber(session.desktop().readSettings(), "scanOffset"), 4.0)
        << "the first request calibrated already";
    const size_t beforeRun = session.app().outputCount();
    ASSERT_TRUE(session.triggerCalibrate());
    EXPECT_TRUE(
        session.app().waitForOutput("Calibration successful!  (offset 4, width", 60.0, beforeRun));
    std::optional<double> offset, width;
    for (int i = 0; i < 600 && offset != 4.0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const std::string stored = session.desktop().readSettings();
        offset = storedNumber(stored, "scanOffset");
        width = storedNumber(stored, "scanWidth");
    }
    // A red first cell of 9 pixels: its middle is 4.
    ASSERT_TRUE(offset == 4.0 && width) << "no calibration stored:\n"
                                        << session.desktop().readSettings();
    // Read from 4, widths 95 to 103 put sample i of the strip into cell i: the middle one.
    EXPECT_EQ(*width, 99.0);

    // Messages decode at the new width at once.
    ASSERT_TRUE(session.strip("clear"));
    before = session.mark();
    ASSERT_TRUE(session.send("p"));
    EXPECT_GT(waitForFrame(session.host(), oracle.selected(2), before, 10.0), 0u)
        << "a message at the calibrated width did not arrive";
    EXPECT_EQ(session.quitApp(), 0);
}

} // namespace
} // namespace et::e2e
