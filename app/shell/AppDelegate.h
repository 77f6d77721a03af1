#pragma once
// The composition root of Ember Talon: creates the subsystems and the windows, connects
// every window action to the subsystem that owns it, runs the start-up sequence and the
// orderly shutdown, and receives the platform's notifications. The state lives in the
// subsystems' objects (the profile model, the screen link, the director); this class only
// holds them together.
#include "AboutWindow.h"
#include "ActionBarMaps.h"
#include "AppLog.h"
#include "Calibration.h"
#include "CanvasModel.h"
#include "ColorProfiles.h"
#include "ColorProgrammer.h"
#include "ColorProgrammerWindow.h"
#include "ForegroundCheck.h"
#include "HelpWindow.h"
#include "KeyMapping.h"
#include "KeyMappingWindow.h"
#include "KeyboardFrames.h"
#include "LaunchOptionsWindow.h"
#include "LauncherControl.h"
#include "LauncherWindows.h"
#include "LightingDirector.h"
#include "LogindSleepWatcher.h"
#include "MainWindow.h"
#include "MessageQueue.h"
#include "MessageRelay.h"
#include "ProfileDialogs.h"
#include "ProfileFileMenu.h"
#include "ProfileStore.h"
#include "RandomSource.h"
#include "ScanGeometry.h"
#include "ScreenReader.h"
#include "ShellPlatform.h"

#include <QTimer>

#include <memory>

namespace et {

// The canvas as the cooldown display reaches it.
class CanvasView : public CooldownCanvas {
  public:
    CanvasView(CanvasModel& model, ColorProgrammerWindow& window)
        : model_(model), window_(window) {}
    CanvasModel& model() override { return model_; }
    void redraw() override { window_.keyboardCanvas->update(); }

  private:
    CanvasModel& model_;
    ColorProgrammerWindow& window_;
};

class AppDelegate : private ProgrammerSurroundings {
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

    // Actions of the shell itself.
    void debugMenuItem();
    void autoToggleProfileClicked();
    void combatChatWarningClicked();
    void resetClicked(bool silently = false);
    void calibrateClicked();
    void testButton();
    void helpMenuItem();
    void myBtnClicked();
    void aboutMenuItem();
    void AboutLinkClicked();
    void openDownloadsPage();

    Log& log() { return log_; }
    bool debugMode = false;

    MainWindow mainWindow;

  private:
    AppLog log_;

  public:
    // Color profiles and key maps.
    ProfileStore profileStore;
    CanvasModel canvas;
    KeyboardFrames frames;
    ActionBarMaps barMaps;

    // The screen link.
    ScanGeometry geometry;
    MessageQueue messageQueue;
    Calibration calibration;

    // Windows.
    HelpWindow helpWindow;
    AboutWindow aboutWindow;
    LaunchOptionsWindow launchOptionWindow;
    ColorProgrammerWindow colorProgrammerWindow;
    KeyMappingWindow actionKeySetterWindow;
    ProfileChangeAlert profileChangeAlert;
    CopyProfileDialog copyProfileDialog;

    // The lighting director and what feeds it.
    SystemRandomSource random;
    CanvasView canvasView;
    LightingDirector director;
    // The color programmer's profile operations, on the director's active profile.
    ColorProfiles profiles;
    ForegroundCheck foreground;
    MessageRelay relay;
    QTimer myTimer;  // readMsgQueue, 0.2 s
    QTimer myTimer2; // handleMessageQueue, 0.1 s
    // The main window's lighting line, every second.
    QTimer hostStatusTimer;

    // Controllers of the windows.
    LauncherWindows launcherWindows;
    LauncherControl launcher;
    ColorProgrammer colorProgrammer;
    KeyMapping keyMapping;
    ProfileFileMenu profileFile;

    std::unique_ptr<ScreenReader> activeScreenReader; // created by the last start-up step

  private:
    // ProgrammerSurroundings.
    bool singleColorModeChosen() override;
    void enableColorSwitches() override;
    bool autoToggleProfile() override { return director.state.autoToggleProfile2; }
    void confirmCalibrate() override { calibration.confirmCalibrate = true; }

    void connectActions();
    void connectMenu();
    void connectColorProgrammer();
    // applicationWillTerminate: after the capture thread's go-ahead.
    void applicationWillTerminate();
    void logVersions();
    void restoreMainWindow();
    void reloadAfterImport();
    // Sleep before the capture thread exists is remembered for it.
    void suspendScreenReads(bool suspend);
    void showLightingLine();

    bool terminating_ = false;
    bool terminated_ = false;
    bool screenReadsSuspended_ = false;
};

} // namespace et
