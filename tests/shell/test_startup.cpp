// Start-up: the order of its log lines and framework calls, and the settings it reads.
#include "AppInfo.h"
#include "ShellHarness.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace et::test {
namespace {

const char* kCalibrationMissing[] = {
    "",
    "Calibration settings not found!",
    "Please install the Talonxmit AddOn into your Ember Interface/AddOns folder and then "
    "calibrate Ember Talon to your screen. Click Help for details.",
    "",
};

TEST(StartupTest, FreshInstallationLogsVersionsDriverAndMissingCalibration) {
    ShellHarness h;
    h.start();
    std::vector<std::string> expected = {
        "Ember Talon version " + std::string(build::kVersion) + " using Corvane LED bundle 1.2.0",
        "Corvane LED driver (version 1.2.0) initialized successfully.",
    };
    expected.insert(expected.end(), std::begin(kCalibrationMissing), std::end(kCalibrationMissing));
    EXPECT_EQ(h.logLines(), expected);

    // The framework is initialised and asked its version; no lighting is sent.
    EXPECT_EQ(h.lighting.calls, (std::vector<std::string>{"init", "getSdkVersion"}));
    EXPECT_EQ(h.activity.events, std::vector<std::string>{"begin Reading the screen"});

    // The default strip, not written back.
    ASSERT_TRUE(h.app->geometry.myScanRect());
    EXPECT_EQ(*h.app->geometry.myScanRect(), (Rect{2, 0, 80, 1}));
    EXPECT_EQ(h.app->geometry.pixelOffsets(),
              (PixelOffsets{0, 7, 15, 22, 29, 36, 44, 51, 58, 65, 73}));
    EXPECT_FALSE(h.defaults.contains("scanWidth"));
    EXPECT_FALSE(h.defaults.contains("scanOffset"));
    EXPECT_TRUE(h.app->mainWindow.isVisible());

    // All nine profiles loaded, 1 working and active; bitmap 0 marked; the 30 key menus.
    EXPECT_EQ(h.app->director.state.activeColorProfile, 1);
    EXPECT_EQ(h.app->frames.keyboardColorBitmap[0][0], 69);
    EXPECT_EQ(h.app->frames.keyToColorMap.size(), 528u);
    EXPECT_EQ(h.app->keyMapping.keyMenusArray.size(), 30u);
}

TEST(StartupTest, FrameworkUnavailableStillStartsTheCaptureAndNamesTheMissingLibrary) {
    ShellHarness h;
    h.lighting.initResult = false;
    h.platform.frameworkVersion.reset();
    h.defaults.setDouble("scanWidth", 75.5);
    h.defaults.setInt("scanOffset", 0);
    h.start();
    auto lines = h.logLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Ember Talon version " + std::string(build::kVersion) +
                            " using Corvane LED bundle Undetermined; not found (this isn't good)");
    EXPECT_EQ(lines[1], "Unable to initialize the Corvane LED driver. Please ensure the Corvane "
                        "host software (corvane-host) is installed and running; Ember Talon "
                        "connects to it as soon as it starts.");
    EXPECT_EQ(h.lighting.calls, std::vector<std::string>{"init"});

    // 75.5 with offset 0 is a calibration and is taken as stored.
    EXPECT_EQ(*h.app->geometry.myScanRect(), (Rect{0, 0, 75.5, 1}));
    // The timers and the capture thread run regardless.
    EXPECT_TRUE(h.app->myTimer.isActive());
    EXPECT_EQ(h.app->myTimer.interval(), 200);
    EXPECT_TRUE(h.app->myTimer2.isActive());
    EXPECT_EQ(h.app->myTimer2.interval(), 100);
    h.spin(0.3);
    EXPECT_GT(h.captureSource.captures(), 0);
}

TEST(StartupTest, BlinkRuleAndSingleColorModeFromTheSettings) {
    const std::pair<std::optional<double>, const char*> cases[] = {
        {std::nullopt, "1.0"}, {0.0, "1.0"}, {0.004, "0.01"}, {2.5, "2.5"}};
    for (const auto& [stored, shown] : cases) {
        ShellHarness h;
        if (stored) h.defaults.setDouble("blinkTimePref", *stored);
        h.defaults.setBool("singleColorMode", true);
        h.start();
        EXPECT_EQ(h.app->colorProgrammerWindow.blinkTimeTextbox->text().toStdString(), shown);
        EXPECT_EQ(h.app->director.cooldowns.blinkTime, std::stod(shown));
        EXPECT_TRUE(h.app->frames.useSingleColorMode);
        EXPECT_TRUE(h.app->mainWindow.singleColorModeBtn->isChecked());
        EXPECT_EQ(h.defaults.getDouble("blinkTimePref"), stored) << "the rule writes nothing";
    }
}

TEST(StartupTest, ZeroCalibrationCountsAsMissing) {
    ShellHarness h;
    h.defaults.setDouble("scanWidth", 0.0);
    h.defaults.setInt("scanOffset", 0);
    h.start();
    EXPECT_NE(h.logText().find("Calibration settings not found!"), std::string::npos);
    EXPECT_EQ(*h.app->geometry.myScanRect(), (Rect{2, 0, 80, 1}));
}

TEST(StartupTest, SwitchesShowTheirStoredSettings) {
    ShellHarness h;
    h.defaults.setBool("autoToggleProfile", true);
    h.defaults.setBool("combatChatWarning", true);
    h.start();
    EXPECT_TRUE(h.app->mainWindow.autoChatProfileCheckbox->isChecked());
    EXPECT_TRUE(h.app->mainWindow.combatChatAlertCheckbox->isChecked());
    EXPECT_TRUE(h.app->director.state.autoToggleProfile2);
    EXPECT_TRUE(h.app->director.state.combatChatWarning);

    // Clicking writes the setting at once.
    h.app->mainWindow.combatChatAlertCheckbox->click();
    EXPECT_FALSE(h.app->director.state.combatChatWarning);
    EXPECT_EQ(h.defaults.getBool("combatChatWarning"), false);
}

TEST(StartupTest, AutorunLaunchesAfterTheCalibrationLines) {
    ShellHarness h;
    h.defaults.setString("AutorunMenuName", "Emberfall");
    h.defaults.setString("AutorunName", "Emberfall");
    h.start();
    EXPECT_EQ(h.launcher.activated, std::vector<std::string>{"Emberfall"});
    EXPECT_EQ(h.logLines().back(), "Launching Emberfall");
    EXPECT_TRUE(h.app->mainWindow.menu.autorunEmberMI->isChecked());
}

} // namespace
} // namespace et::test
