#include "AppDelegate.h"

#include "SettingsKeys.h"

#include "AppInfo.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace et {

AppDelegate::AppDelegate(ShellPlatform& platform)
    : platform_(platform), log_(mainWindow.myTextScroll, platform.logToStandardError),
      profileStore(platform.defaults), frames(platform.lighting, profileStore, canvas),
      barMaps(platform.defaults),
      calibration(platform.calibrationSource, geometry, platform.runLoop, platform.sound,
                  platform.speech, platform.defaults, log_, [this] { return debugMode; }),
      colorProgrammerWindow(canvas, platform.lighting, frames.useSingleColorMode),
      canvasView(canvas, colorProgrammerWindow),
      director(platform.lighting, platform.runLoop, log_, platform.defaults, frames, canvasView,
               barMaps, random,
               {[this] { return debugMode; }, [this] { relay.resetQueue(); },
                [this] { calibration.confirmCalibrate = true; }}),
      profiles(frames, profileStore, canvas, director.state.activeColorProfile),
      foreground(
          platform.workspace, [this] { director.gameInFront(); },
          [this] { director.leaveGameLighting(); }),
      relay(messageQueue, director, [this] { foreground.checkGameInFront(); }),
      launcherWindows(mainWindow, launchOptionWindow),
      launcher(platform.launcher, platform.defaults, log_, launcherWindows),
      colorProgrammer(colorProgrammerWindow, profileChangeAlert, copyProfileDialog, profiles,
                      frames, canvas, director.cooldowns, platform.defaults, *this),
      keyMapping(actionKeySetterWindow, barMaps, colorProgrammer, platform.defaults),
      profileFile(profileStore, log_,
                  platform.profileFilePanels.value_or(qtProfileFilePanels(&mainWindow)),
                  [this] { reloadAfterImport(); }) {
    connectActions();
    connectMenu();
    connectColorProgrammer();
    colorProgrammerWindow.keyboardCanvas->onTouched = [this] { profiles.profileTouched = true; };
}

AppDelegate::~AppDelegate() = default;

bool AppDelegate::singleColorModeChosen() {
    return mainWindow.singleColorModeBtn->isChecked();
}

void AppDelegate::enableColorSwitches() {
    mainWindow.autoChatProfileCheckbox->setEnabled(true);
    mainWindow.singleColorModeBtn->setEnabled(true);
}

void AppDelegate::connectActions() {
    MainWindow& w = mainWindow;
    auto click = [](QAbstractButton* button, std::function<void()> fn) {
        QObject::connect(button, &QAbstractButton::clicked, [fn = std::move(fn)] { fn(); });
    };
    QObject::connect(&w, &MainWindow::closing, [this] { windowShouldClose(); });
    click(w.autoChatProfileCheckbox, [this] { autoToggleProfileClicked(); });
    click(w.combatChatAlertCheckbox, [this] { combatChatWarningClicked(); });
    click(w.controlAllLightsCheckbox, [this] { colorProgrammer.applyCanvasColors(); });
    click(w.singleColorModeBtn, [this] { colorProgrammer.singleColorModeCheck(); });
    click(w.calibrateButton, [this] { calibrateClicked(); });
    click(w.setColorsBtn, [this] { colorProgrammer.setColorsBtn(); });
    click(w.testButton, [this] { testButton(); });
    click(w.resetButton, [this] { resetClicked(); });
    click(w.helpButton, [this] { myBtnClicked(); });
    click(w.launchEmberBtn, [this] { launcher.launchEmber(); });
    click(w.launchEmberClassicBtn, [this] { launcher.launchClassic(); });
    click(w.RPLaunchBtn, [this] { launcher.launchRPort(); });
    QObject::connect(&aboutWindow, &AboutWindow::linkClicked, [this] { AboutLinkClicked(); });
}

void AppDelegate::connectMenu() {
    const MenuActions& m = mainWindow.menu;
    auto on = [](QAction* action, std::function<void()> fn) {
        QObject::connect(action, &QAction::triggered, [fn = std::move(fn)] { fn(); });
    };
    on(m.quit, [this] { requestQuit(); });
    on(m.aboutMenuItem, [this] { aboutMenuItem(); });
    on(m.openDownloadsPage, [this] { openDownloadsPage(); });
    on(m.helpMenuItem, [this] { helpMenuItem(); });
    on(m.ExportPreferencesMI, [this] { profileFile.ExportPreferencesMI(); });
    on(m.ImportPreferencesMI, [this] { profileFile.ImportPreferencesMI(); });
    on(m.calibrateMI, [this] { calibrateClicked(); });
    on(m.resetLightsMI, [this] { resetClicked(); });
    on(m.testLightsMI, [this] { testButton(); });
    on(m.setColorsMI, [this] { colorProgrammer.setColorsBtn(); });
    on(m.openWindowToMapKeys, [this] { keyMapping.openWindowToMapKeys(); });
    on(m.debugMenuItem, [this] { debugMenuItem(); });
    on(m.launchEmberMI, [this] { launcher.launchEmber(); });
    on(m.launchClassicMI, [this] { launcher.launchClassic(); });
    on(m.launchRPortMI, [this] { launcher.launchRPort(); });
    on(m.handleLauncherOptionsMI, [this] { launcher.editApplicationNames(); });
    on(m.editGameNamesMI, [this] { launcher.editApplicationNames(); });
    on(m.autorunNoneMI, [this] { launcher.autorunNone(); });
    on(m.autorunRPortMI, [this] { launcher.autorunRPort(); });
    on(m.autorunEmberMI, [this] { launcher.autorunEmber(); });
    on(m.autorunClassicMI, [this] { launcher.autorunClassic(); });
}

void AppDelegate::connectColorProgrammer() {
    ColorProgrammerWindow& w = colorProgrammerWindow;
    ColorProgrammer& c = colorProgrammer;
    QObject::connect(w.colorButtonGroup, &QButtonGroup::idClicked,
                     [&c] { c.paintingColorPicker(); });
    for (ColorWell* well : w.wells)
        QObject::connect(well, &ColorWell::colorDropped,
                         [&c](ColorWell* dropped) { c.colorWellDropped(dropped); });
    QObject::connect(w.okButton, &QPushButton::clicked, [&c] { c.colorOK(); });
    QObject::connect(w.cancelButton, &QPushButton::clicked, [&c] { c.colorCancel(); });
    QObject::connect(w.currentProfilePopup, &QComboBox::activated,
                     [&c](int index) { c.profileSelectPopup(index); });
    QObject::connect(w.actionBarEffectCheckbox, &QCheckBox::clicked, [&c] { c.cooldownCheck(); });
    QObject::connect(w.blinkTimeTextbox, &QLineEdit::editingFinished,
                     [&c] { c.blinkTimeChanged(); });
    QObject::connect(w.cooldownPreviewBtn, &QPushButton::clicked,
                     [&c] { c.revealCooldownColors(); });
    QObject::connect(w.mapKeysButton, &QPushButton::clicked,
                     [this] { keyMapping.openWindowToMapKeys(); });
}

void AppDelegate::autoToggleProfileClicked() {
    director.state.autoToggleProfile2 = mainWindow.autoChatProfileCheckbox->isChecked();
    platform_.defaults.setBool(settings::kAutoToggleProfile, director.state.autoToggleProfile2);
    platform_.defaults.sync();
}

void AppDelegate::combatChatWarningClicked() {
    director.state.combatChatWarning = mainWindow.combatChatAlertCheckbox->isChecked();
    platform_.defaults.setBool(settings::kCombatChatWarning, director.state.combatChatWarning);
    platform_.defaults.sync();
}

void AppDelegate::calibrateClicked() {
    if (platform_.calibrationStarting) platform_.calibrationStarting();
    calibration.calibrateScreen();
}

void AppDelegate::resetClicked(bool silently) {
    director.resetClicked(silently);
}

void AppDelegate::testButton() {
    log_.appendLine("Showing test pattern on the keyboard.");
    messageQueue.enqueue("H");
    calibration.confirmCalibrate = true;
}

void AppDelegate::reloadAfterImport() {
    director.cooldowns.loadBlinkTime();
    colorProgrammer.showBlinkTime();
    profiles.reloadAfterImport();
    colorProgrammer.showProfileInEditor();
    colorProgrammer.showWorkingProfileInEditor();
}

void AppDelegate::helpMenuItem() {
    helpWindow.show();
    helpWindow.raise();
    helpWindow.activateWindow();
    calibration.confirmCalibrate = true;
}

void AppDelegate::myBtnClicked() {
    QTimer::singleShot(0, &helpWindow, [this] {
        helpWindow.show();
        helpWindow.raise();
        helpWindow.activateWindow();
    });
    calibration.confirmCalibrate = true;
}

void AppDelegate::aboutMenuItem() {
    aboutWindow.aboutVersionLabel->setText(
        QString("Version %1 (%2)")
            .arg(QString::fromUtf8(build::kVersion), QString::fromUtf8(build::kBuild)));
    aboutWindow.aboutCopyLabel->setText(QString::fromUtf8(app::kRightsNotice));
    aboutWindow.aboutLinkLabel->setText(QString::fromUtf8(app::kProductPage));
    aboutWindow.show();
    aboutWindow.raise();
    aboutWindow.activateWindow();
}

void AppDelegate::AboutLinkClicked() {
    if (platform_.openUrl) platform_.openUrl(app::kProductPage);
}

void AppDelegate::openDownloadsPage() {
    if (platform_.openUrl) platform_.openUrl(app::kDownloadsPage);
}

} // namespace et
