// Shutdown, sleep and wake, debug mode and the closing of the main window.
#include "AppDelegate.h"

#include "WindowFrame.h"

#include <QAction>

namespace et {

void AppDelegate::requestQuit() {
    if (terminating_) return;
    terminating_ = true;
    // The capture loop finishes its pass before the framework goes away.
    platform_.mainThread.post([this] { applicationWillTerminate(); });
}

void AppDelegate::applicationWillTerminate() {
    if (terminated_) return;
    terminated_ = true;
    platform_.activity.end();
    saveWindowFrame(mainWindow, platform_.defaults, "windowPosition");
    platform_.lighting.shutdown();
    if (platform_.exitEventLoop) platform_.exitEventLoop();
}

void AppDelegate::windowShouldClose() {
    helpWindow.close();
    aboutWindow.close();
}

void AppDelegate::screenAboutToSleep() {
    if (debugMode) log_.appendLine("Going to sleep; suspending screen reads.");
}

void AppDelegate::screenWakesUpFromSleep() {
    if (debugMode) log_.appendLine("Waking from sleep; resuming screen reads.");
}

void AppDelegate::debugMenuItem() {
    debugMode = !debugMode;
    mainWindow.menu.debugMenuItem->setChecked(debugMode);
    if (!debugMode) {
        log_.appendLine("Debug mode off.");
        return;
    }
    log_.appendLine("Debug mode active.");
}

} // namespace et
