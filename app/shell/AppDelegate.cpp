#include "AppDelegate.h"

#include "AppInfo.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace et {

AppDelegate::AppDelegate(ShellPlatform& platform)
    : platform_(platform), log_(mainWindow.myTextScroll),
      calibration(platform.calibrationSource, geometry, platform.runLoop, platform.sound,
                  platform.speech, platform.defaults, log_, [this] { return debugMode; }),
      launcherWindows(mainWindow, launchOptionWindow),
      launcher(platform.launcher, platform.defaults, log_, launcherWindows),
      foreground(
          platform.workspace, [] {}, [] {}) {
    connectActions();
    connectMenu();
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::connectActions() {
    MainWindow& w = mainWindow;
    QObject::connect(&w, &MainWindow::closing, [this] { windowShouldClose(); });
    QObject::connect(w.autoChatProfileCheckbox, &QCheckBox::clicked,
                     [this] { autoToggleProfileClicked(); });
    QObject::connect(w.combatChatAlertCheckbox, &QCheckBox::clicked,
                     [this] { combatChatWarningClicked(); });
    QObject::connect(w.helpButton, &QPushButton::clicked, [this] { myBtnClicked(); });
    QObject::connect(w.calibrateButton, &QPushButton::clicked,
                     [this] { calibration.calibrateScreen(); });
    QObject::connect(w.launchEmberBtn, &QPushButton::clicked, [this] { launcher.launchEmber(); });
    QObject::connect(w.launchEmberClassicBtn, &QPushButton::clicked,
                     [this] { launcher.launchClassic(); });
    QObject::connect(w.RPLaunchBtn, &QPushButton::clicked, [this] { launcher.launchRPort(); });
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
    on(m.debugMenuItem, [this] { debugMenuItem(); });
    on(m.calibrateMI, [this] { calibration.calibrateScreen(); });
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

void AppDelegate::autoToggleProfileClicked() {
    autoToggleProfile2 = mainWindow.autoChatProfileCheckbox->isChecked();
    platform_.defaults.setBool("autoToggleProfile", autoToggleProfile2);
    platform_.defaults.sync();
}

void AppDelegate::combatChatWarningClicked() {
    combatChatWarning = mainWindow.combatChatAlertCheckbox->isChecked();
    platform_.defaults.setBool("combatChatWarning", combatChatWarning);
    platform_.defaults.sync();
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
