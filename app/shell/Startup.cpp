// The start-up sequence. The steps run in this order and none depends on an earlier one
// succeeding; no lighting is sent until the game is found in front.
#include "AppDelegate.h"

#include "SettingsKeys.h"

#include "AppInfo.h"
#include "LightingLine.h"
#include "WindowFrame.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>

#include <string>

namespace et {

namespace {
constexpr int kReadMsgQueueMs = 200;
constexpr int kHandleMessageQueueMs = 100;
} // namespace

void AppDelegate::logVersions() {
    const std::string appVersion = build::kVersion;
    const std::string frameworkVersion =
        platform_.frameworkVersion.value_or(app::kFrameworkNotFound);
    log_.appendLine("Ember Talon version " + appVersion + " using Corvane LED bundle " +
                    frameworkVersion);
}

void AppDelegate::restoreMainWindow() {
    restoreWindowFrame(mainWindow, platform_.defaults, settings::kWindowPosition);
    mainWindow.show();
}

void AppDelegate::applicationDidFinishLaunching() {
    Defaults& defaults = platform_.defaults;
    Lighting& lighting = platform_.lighting;

    // 1–3: versions.
    logVersions();
    // 4: keep the system awake while the screen is read.
    platform_.activity.begin("Reading the screen");
    // 5: sleep and wake arrive through watchSleep, connected by the platform.

    // 6: the lighting framework.
    if (!lighting.init()) {
        log_.appendLine("Unable to initialize the Corvane LED driver. Please ensure the Corvane "
                        "host software (corvane-host) is installed and running; Ember Talon "
                        "connects to it as soon as it starts.");
    } else {
        int major = 0, minor = 0, build = 0;
        lighting.getSdkVersion(major, minor, build);
        log_.appendLine("Corvane LED driver (version " + std::to_string(major) + "." +
                        std::to_string(minor) + "." + std::to_string(build) +
                        ") initialized successfully.");
    }

    // 7, 8: where the strip is; without a stored calibration the default strip is used.
    if (!geometry.loadCalibration(defaults)) {
        log_.appendLine("\nCalibration settings not found!\nPlease install the Talonxmit AddOn "
                        "into your Ember Interface/AddOns folder and then calibrate Ember Talon "
                        "to your screen. Click Help for details.\n");
    }
    geometry.applyScanRect();

    // 9–11: action-bar keys, the nine profiles (profile 1 ends up working), profile 1 shown.
    barMaps.loadActionBarKeyMaps();
    frames.loadAllColorProfiles();
    profiles.holdWorkingProfileInCanvas();
    director.state.activeColorProfile = 1;
    profiles.activeColorProfile = 1;
    frames.keyboardColorBitmap[0][0] = 69;

    // 12: the main window.
    restoreMainWindow();

    // 13–15: single-color mode, chat profile, blink time.
    frames.useSingleColorMode = defaults.getBool(settings::kSingleColorMode).value_or(false);
    mainWindow.singleColorModeBtn->setChecked(frames.useSingleColorMode);
    director.state.autoToggleProfile2 =
        defaults.getBool(settings::kAutoToggleProfile).value_or(false);
    mainWindow.autoChatProfileCheckbox->setChecked(director.state.autoToggleProfile2);
    director.cooldowns.loadBlinkTime();
    colorProgrammer.showBlinkTime();

    // 16: the user guide.
    helpWindow.loadHelpText();

    // 17, 18: application names and autorun.
    launcher.loadApplicationNames();
    launcher.autorunAtStartup();

    // 19: combat chat warning.
    director.state.combatChatWarning =
        defaults.getBool(settings::kCombatChatWarning).value_or(false);
    mainWindow.combatChatAlertCheckbox->setChecked(director.state.combatChatWarning);

    // 20: the 30 key menus.
    keyMapping.collectKeyMenus();

    // 21: the two message timers: the drain tick first, then the selection tick.
    myTimer.setTimerType(Qt::PreciseTimer);
    myTimer2.setTimerType(Qt::PreciseTimer);
    QObject::connect(&myTimer, &QTimer::timeout, [this] { relay.readMsgQueue(); });
    QObject::connect(&myTimer2, &QTimer::timeout, [this] { relay.handleMessageQueue(); });
    myTimer.start(kReadMsgQueueMs);
    myTimer2.start(kHandleMessageQueueMs);
    if (platform_.hostStatus) {
        showLightingLine();
        QObject::connect(&hostStatusTimer, &QTimer::timeout, [this] { showLightingLine(); });
        hostStatusTimer.start(1000);
    }

    // 22: the capture thread, last, once the strip is known and the timers run.
    activeScreenReader = std::make_unique<ScreenReader>(platform_.captureSource, geometry,
                                                        messageQueue, platform_.mainThread, log_);
    activeScreenReader->suspendScreenReads = screenReadsSuspended_;
    activeScreenReader->start();

    // Started with --debug: as if the menu item had been chosen now.
    if (debugMode) {
        debugMode = false;
        debugMenuItem();
    }
}

void AppDelegate::showLightingLine() {
    const QString line = QString::fromStdString(lightingLine(platform_.hostStatus->latest()));
    if (mainWindow.lightingLine->text() != line) mainWindow.lightingLine->setText(line);
}

} // namespace et
