// Start-up: the order of its log lines and framework calls, the settings it reads, the
// dark keyboard while another application is in front, and debug mode.
#include "AppInfo.h"
#include "ShellHarness.h"

#include <gtest/gtest.h>


namespace et::test {
namespace {

TEST(StartupTest, FreshInstallationLogsItsStateAndLightsNothingUntilTheGameIsInFront) {
    ShellHarness h;
    h.defaults.setString("AutorunMenuName", "Emberfall");
    h.defaults.setString("AutorunName", "Emberfall");
    h.start();
    EXPECT_EQ(h.logLines(),
              (std::vector<std::string>{
                  "Ember Talon version " + std::string(build::kVersion) +
                      " using Corvane LED bundle 1.2.0",
                  "Corvane LED driver (version 1.2.0) initialized successfully.", "",
                  "Calibration settings not found!",
                  "Please install the Talonxmit AddOn into your Ember Interface/AddOns folder "
                  "and then calibrate Ember Talon to your screen. Click Help for details.",
                  "", "Launching Emberfall"}));
    EXPECT_EQ(h.launcher.activated, std::vector<std::string>{"Emberfall"});
    EXPECT_TRUE(h.app->mainWindow.menu.autorunEmberMI->isChecked());
    EXPECT_EQ(h.activity.events, std::vector<std::string>{"begin Reading the screen"});
    EXPECT_FALSE(h.defaults.contains("scanWidth")) << "the default strip is not written back";

    h.spin(0.5);
    EXPECT_EQ(h.lighting.names(), (std::vector<std::string>{"init", "getSdkVersion"}))
        << "nothing while another application is in front";
}

// Debug mode from the command line and then the menu, with the framework unavailable.
TEST(StartupTest, FrameworkUnavailableStillStartsTheCaptureAndNamesTheMissingLibrary) {
    ShellHarness h;
    h.lighting.result = false;
    h.platform.frameworkVersion.reset();
    h.defaults.setDouble("scanWidth", 75.5);
    h.defaults.setInt("scanOffset", 0);
    h.make().debugMode = true;
    h.app->applicationDidFinishLaunching();
    EXPECT_EQ(h.logLines(),
              (std::vector<std::string>{
                  "Ember Talon version " + std::string(build::kVersion) +
                      " using Corvane LED bundle Undetermined; not found (this isn't good)",
                  "Unable to initialize the Corvane LED driver. Please ensure the Corvane host "
                  "software (corvane-host) is installed and running; Ember Talon connects to it "
                  "as soon as it starts.",
                  "Debug mode active.", "The scanRect is {{0, 0}, {75.5, 1}}"}));
    EXPECT_EQ(h.lighting.names(), std::vector<std::string>{"init"});
    // 75.5 with offset 0 is a calibration and is taken as stored.
    EXPECT_EQ(*h.app->geometry.myScanRect(), (Rect{0, 0, 75.5, 1}));
    EXPECT_TRUE(h.app->myTimer.isActive() && h.app->myTimer2.isActive());
    EXPECT_TRUE(h.waitFor([&] { return h.captureSource.captures() > 0; }));

    QAction* item = h.app->mainWindow.menu.debugMenuItem;
    EXPECT_TRUE(item->isChecked());
    item->trigger();
    EXPECT_FALSE(h.app->debugMode || item->isChecked());
    item->trigger();
    const auto lines = h.logLines();
    EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
              (std::vector<std::string>{"Debug mode off.", "Debug mode active.",
                                        "The scanRect is {{0, 0}, {75.5, 1}}"}));
}

TEST(StartupTest, StoredSettingsReachTheControlsAndBadOnesAreIgnored) {
    struct Row {
        std::optional<double> blink;
        const char* shown;
        const char* frame;
        std::optional<QRect> geometry;
    } rows[] = {{std::nullopt, "1.0", "30 40 650 480", QRect(30, 40, 650, 480)},
                {0.004, "0.01", "10 10 -5 100", {}}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.frame);
        ShellHarness h;
        if (row.blink) h.defaults.setDouble("blinkTimePref", *row.blink);
        h.defaults.setBool("singleColorMode", true);
        h.defaults.setBool("autoToggleProfile", true);
        h.defaults.setBool("combatChatWarning", true);
        h.defaults.setString("windowPosition", row.frame);
        AppDelegate& app = h.start();
        EXPECT_EQ(app.colorProgrammerWindow.blinkTimeTextbox->text().toStdString(), row.shown);
        EXPECT_EQ(app.director.cooldowns.blinkTime, std::stod(row.shown));
        EXPECT_EQ(h.defaults.getDouble("blinkTimePref"), row.blink) << "the rule writes nothing";
        EXPECT_TRUE(app.mainWindow.singleColorModeBtn->isChecked());
        EXPECT_TRUE(app.mainWindow.autoChatProfileCheckbox->isChecked());
        EXPECT_TRUE(app.director.state.autoToggleProfile2);
        EXPECT_TRUE(app.director.state.combatChatWarning);
        if (row.geometry) {
            EXPECT_EQ(app.mainWindow.geometry(), *row.geometry);
        }

        // Clicking writes the setting at once.
        app.mainWindow.combatChatAlertCheckbox->click();
        EXPECT_FALSE(app.director.state.combatChatWarning);
        EXPECT_EQ(h.defaults.getBool("combatChatWarning"), false);
    }
    // Settings of the wrong type read as missing.
    ShellHarness h;
    for (const char* key : {"blinkTimePref", "singleColorMode", "autoToggleProfile",
                            "combatChatWarning", "scanWidth", "scanOffset"})
        h.defaults.setRaw(key, std::string("yes"));
    h.defaults.setRaw("windowPosition", int64_t{5});
    AppDelegate& app = h.start();
    EXPECT_EQ(app.colorProgrammerWindow.blinkTimeTextbox->text(), "1.0");
    EXPECT_FALSE(app.mainWindow.singleColorModeBtn->isChecked() ||
                 app.mainWindow.autoChatProfileCheckbox->isChecked() ||
                 app.director.state.combatChatWarning);
    EXPECT_EQ(h.logLines().at(3), "Calibration settings not found!");
}

} // namespace
} // namespace et::test
