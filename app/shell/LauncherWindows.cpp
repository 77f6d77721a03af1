#include "LauncherWindows.h"

#include "LaunchOptionsWindow.h"
#include "MainWindow.h"

#include <QAction>
#include <QGuiApplication>
#include <QMessageBox>

namespace et {

LauncherWindows::LauncherWindows(MainWindow& mainWindow, LaunchOptionsWindow& launchOptions)
    : mainWindow_(mainWindow), launchOptions_(launchOptions) {}

QAction* LauncherWindows::item(AutorunItem which) const {
    switch (which) {
    case AutorunItem::None:
        return mainWindow_.menu.autorunNoneMI;
    case AutorunItem::RPort:
        return mainWindow_.menu.autorunRPortMI;
    case AutorunItem::Ember:
        return mainWindow_.menu.autorunEmberMI;
    case AutorunItem::Classic:
        return mainWindow_.menu.autorunClassicMI;
    }
    return nullptr;
}

std::string LauncherWindows::autorunTitle(AutorunItem which) const {
    QAction* a = item(which);
    return a ? a->text().toStdString() : std::string();
}

void LauncherWindows::setAutorunChecked(AutorunItem which, bool checked) {
    if (QAction* a = item(which)) a->setChecked(checked);
}

void LauncherWindows::showAutorunSheet(const std::string& informativeText) {
    auto* box = new QMessageBox(&mainWindow_);
    box->setObjectName("autorunSheet");
    box->setWindowTitle("Ember Talon");
    box->setText("Autolaunch Setting");
    box->setInformativeText(QString::fromStdString(informativeText));
    box->setStandardButtons(QMessageBox::Ok);
    // Without a width of its own the box wraps the name onto a line by itself.
    box->setStyleSheet("QLabel { min-width: 300px; }");
    box->setWindowModality(Qt::WindowModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

ApplicationNames LauncherWindows::runLaunchOptions(const ApplicationNames& names) {
    return launchOptions_.run(names);
}

bool LauncherWindows::optionKeyHeld() const {
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::AltModifier);
}

void LauncherWindows::showNames(const ApplicationNames& names) {
    launchOptions_.showNames(names);
}

} // namespace et
