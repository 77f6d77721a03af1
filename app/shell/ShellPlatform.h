#pragma once
// Everything the application takes from the outside world, handed to the AppDelegate at
// construction: production fills it with the Linux implementations, tests with fakes.
#include "Activity.h"
#include "Defaults.h"
#include "HostStatus.h"
#include "Launcher.h"
#include "Lighting.h"
#include "MainThread.h"
#include "ProfileFileMenu.h"
#include "RunLoop.h"
#include "ScreenSource.h"
#include "Sound.h"
#include "Speech.h"
#include "Workspace.h"

#include <functional>
#include <optional>
#include <string>

namespace et {

struct ShellPlatform {
    Lighting& lighting;
    Defaults& defaults;
    RunLoop& runLoop;
    MainThread& mainThread;
    Workspace& workspace;
    Launcher& launcher;
    Speech& speech;
    Sound& sound;
    Activity& activity;
    // Two views of the main display: one for the capture thread alone, one for calibration
    // on the main thread.
    ScreenSource& captureSource;
    ScreenSource& calibrationSource;
    // The CorvaneLED library's version as found loaded in the process; empty: not found.
    std::optional<std::string> frameworkVersion;
    // Opens a web address in the user's browser; the result is not looked at.
    std::function<void(const std::string&)> openUrl;
    // Ends the application's event loop once shutdown is complete.
    std::function<void()> exitEventLoop;
    // Every log line also goes to standard error.
    bool logToStandardError = true;
    // The file panels and the import warning of the profile file menu items; empty: Qt's
    // dialogs on the main window.
    std::optional<ProfileFilePanels> profileFilePanels;
    // What the host software says of the lighting; none: the main window's line stays empty.
    HostStatus* hostStatus = nullptr;
    // Called when the player starts a calibration, before the first read; may be empty.
    std::function<void()> calibrationStarting;
};

} // namespace et
