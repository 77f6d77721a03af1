#pragma once
// The composition root of Ember Talon: creates the subsystems and the windows, connects
// every window action to the subsystem that owns it, runs the start-up sequence and the
// orderly shutdown, and receives the platform's notifications. The state lives in the
// subsystems' objects; this class only holds them together.
#include "AboutWindow.h"
#include "Calibration.h"
#include "ForegroundCheck.h"
#include "HelpWindow.h"
#include "LaunchOptionsWindow.h"
#include "LauncherControl.h"
#include "LauncherWindows.h"
#include "LogindSleepWatcher.h"
#include "MainWindow.h"
#include "MessageQueue.h"
#include "ScanGeometry.h"
#include "ScreenReader.h"
#include "ShellPlatform.h"
#include "TextViewLog.h"

#include <functional>
#include <memory>

namespace et {

class AppDelegate {
    ShellPlatform& platform_;

  public:
    explicit AppDelegate(ShellPlatform& platform);
    ~AppDelegate();
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // applicationDidFinishLaunching: the start-up sequence, in its fixed order.
    void applicationDidFinishLaunching();
    // applicationShouldTerminate: a quit request from the menu, the last window or a
    // signal. Stops the capture loop and finishes the shutdown once it has ended.
    void requestQuit();
    bool terminating() const { return terminating_; }
    bool terminated() const { return terminated_; }

    // Platform notifications.
    void screenAboutToSleep();
    void screenWakesUpFromSleep();
    void windowShouldClose();
    // Sleep and wake from logind reach screenAboutToSleep and screenWakesUpFromSleep.
    void watchSleep(LogindSleepWatcher& watcher);

    // Actions of this layer.
    void debugMenuItem();
    void autoToggleProfileClicked();
    void combatChatWarningClicked();
    void helpMenuItem();
    void myBtnClicked();
    void aboutMenuItem();
    void AboutLinkClicked();
    void openDownloadsPage();

    Log& log() { return log_; }
    bool debugMode = false;
    bool autoToggleProfile2 = false;
    bool combatChatWarning = false;

    MainWindow mainWindow;

  private:
    TextViewLog log_;

  public:
    HelpWindow helpWindow;
    AboutWindow aboutWindow;
    LaunchOptionsWindow launchOptionWindow;

    // The screen link.
    ScanGeometry geometry;
    MessageQueue messageQueue;
    Calibration calibration;
    std::unique_ptr<ScreenReader> activeScreenReader; // created by the last start-up step

    LauncherWindows launcherWindows;
    LauncherControl launcher;
    ForegroundCheck foreground;

  private:
    void connectActions();
    void connectMenu();
    // applicationWillTerminate: after the capture thread's go-ahead.
    void applicationWillTerminate();
    void logVersions();
    void restoreMainWindow();
    // Sleep before the capture thread exists is remembered for it.
    void suspendScreenReads(bool suspend);

    bool terminating_ = false;
    bool terminated_ = false;
    bool screenReadsSuspended_ = false;
};

} // namespace et
