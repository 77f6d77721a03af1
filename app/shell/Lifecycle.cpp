// Shutdown, sleep and wake, debug mode and the closing of the main window.
#include "AppDelegate.h"

#include "SettingsKeys.h"

#include "TextFormat.h"
#include "WindowFrame.h"

#include <QAction>

namespace et {

void AppDelegate::requestQuit() {
    if (terminating_) return;
    terminating_ = true;
    // The capture loop finishes its pass (and its pause) before the framework goes away;
    // the reader posts the go-ahead to the main thread.
    if (activeScreenReader)
        activeScreenReader->stop([this] { applicationWillTerminate(); });
    else
        platform_.mainThread.post([this] { applicationWillTerminate(); });
}

void AppDelegate::applicationWillTerminate() {
    if (terminated_) return;
    terminated_ = true;
    platform_.activity.end();
    saveWindowFrame(mainWindow, platform_.defaults, settings::kWindowPosition);
    platform_.lighting.shutdown();
    if (platform_.exitEventLoop) platform_.exitEventLoop();
}

void AppDelegate::windowShouldClose() {
    helpWindow.close();
    colorProgrammerWindow.close();
    aboutWindow.close();
}

void AppDelegate::watchSleep(LogindSleepWatcher& watcher) {
    QObject::connect(&watcher, &LogindSleepWatcher::aboutToSleep, [this] { screenAboutToSleep(); });
    QObject::connect(&watcher, &LogindSleepWatcher::wokeUp, [this] { screenWakesUpFromSleep(); });
}

void AppDelegate::screenAboutToSleep() {
    if (debugMode) log_.appendLine("Going to sleep; suspending screen reads.");
    suspendScreenReads(true);
}

void AppDelegate::suspendScreenReads(bool suspend) {
    screenReadsSuspended_ = suspend;
    if (activeScreenReader) activeScreenReader->suspendScreenReads = suspend;
}

void AppDelegate::screenWakesUpFromSleep() {
    if (debugMode) log_.appendLine("Waking from sleep; resuming screen reads.");
    suspendScreenReads(false);
}

void AppDelegate::debugMenuItem() {
    debugMode = !debugMode;
    mainWindow.menu.debugMenuItem->setChecked(debugMode);
    if (!debugMode) {
        log_.appendLine("Debug mode off.");
        return;
    }
    log_.appendLine("Debug mode active.");
    const auto rect = geometry.myScanRect();
    log_.appendLine("The scanRect is " + (rect ? describeRect(*rect) : std::string("empty")));
}

} // namespace et
