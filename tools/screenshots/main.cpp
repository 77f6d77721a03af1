// shell-screenshots DIR: renders every window of the application, filled as at a normal
// start, into PNG files in DIR, for looking at the layouts.
#include "ShellHarness.h"

#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <iostream>

using namespace et;

namespace {
void save(QWidget& w, const QDir& dir, const QString& name) {
    w.show();
    QApplication::processEvents();
    const QString path = dir.filePath(name + ".png");
    if (!w.grab().save(path))
        std::cerr << "cannot write " << path.toStdString() << "\n";
    else
        std::cout << path.toStdString() << "\n";
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QDir dir(argc > 1 ? argv[1] : ".");
    dir.mkpath(".");

    test::ShellHarness h;
    h.defaults.setString("AutorunMenuName", "Emberfall");
    h.defaults.setString("AutorunName", "Emberfall");
    AppDelegate& a = h.start();
    a.debugMenuItem();
    save(a.mainWindow, dir, "main-window");
    for (QAction* menuAction : a.mainWindow.menuBar()->actions()) {
        QMenu* menu = menuAction->menu();
        if (!menu) continue;
        menu->popup(QPoint(0, 0));
        QApplication::processEvents();
        save(*menu, dir, "menu-" + menuAction->text().remove('&').toLower());
        menu->hide();
    }
    a.helpMenuItem();
    save(a.helpWindow, dir, "help-window");
    a.aboutMenuItem();
    save(a.aboutWindow, dir, "about-window");
    a.launchOptionWindow.showNames(a.launcher.names);
    save(a.launchOptionWindow, dir, "launch-options-window");
    a.launchOptionWindow.hide();

    a.colorProgrammer.setColorsBtn();
    QApplication::processEvents();
    save(a.colorProgrammerWindow, dir, "color-programmer-window");
    a.keyMapping.openWindowToMapKeys();
    save(a.actionKeySetterWindow, dir, "key-mapping-window");

    a.profileChangeAlert.message->setText("<b>Save the changes to profile 3?</b><br><br>Your "
                                          "changes to the colors of profile 3 are lost if you "
                                          "don't save them.");
    save(a.profileChangeAlert, dir, "profile-change-alert");
    a.profileChangeAlert.hide();
    a.copyProfileDialog.fromProfileMenu->setCurrentIndex(8);
    a.copyProfileDialog.toProfileMenu->setCurrentIndex(0);
    save(a.copyProfileDialog, dir, "copy-profile-dialog");
    a.copyProfileDialog.hide();

    a.launcherWindows.showAutorunSheet(
        "Each time Ember Talon opens, it will automatically launch\nEmberfall");
    if (auto* sheet = a.mainWindow.findChild<QMessageBox*>("autorunSheet")) {
        save(*sheet, dir, "autorun-sheet");
        sheet->close();
    }
    auto warning = makeImportWarning(&a.mainWindow);
    save(*warning, dir, "import-warning");
    warning->hide();
    auto exportPanel = makeExportPanel(&a.mainWindow, QDir::tempPath().toStdString(),
                                       "Ember Talon Color Profiles");
    save(*exportPanel, dir, "export-panel");
    exportPanel->hide();
    auto importPanel = makeImportPanel(&a.mainWindow, QDir::tempPath().toStdString());
    save(*importPanel, dir, "import-panel");
    importPanel->hide();
    QColorDialog colorPanel(QColor(0, 255, 255), &a.colorProgrammerWindow);
    colorPanel.setOption(QColorDialog::DontUseNativeDialog);
    save(colorPanel, dir, "color-panel");
    colorPanel.hide();

    // The preview of the cooldown keys on the canvas.
    a.colorProgrammer.setColorsBtn();
    QApplication::processEvents();
    a.canvas.usingActionbarCooldowns = true;
    a.colorProgrammer.revealCooldownColors();
    save(a.colorProgrammerWindow, dir, "color-programmer-cooldown-preview");
    return 0;
}
