#pragma once
// The production platform: the Linux implementations of every interface the application
// takes, created on the main thread after QApplication.
#include "BeepSound.h"
#include "CorvaneLighting.h"
#include "EspeakSpeech.h"
#include "HelperLauncher.h"
#include "HostFollowingLighting.h"
#include "HostSocketProbe.h"
#include "IdleInhibitor.h"
#include "PolledHostStatus.h"
#include "QtMainThread.h"
#include "QtRunLoop.h"
#include "ShellPlatform.h"
#include "X11ScreenSource.h"
#include "X11Workspace.h"

#include <memory>

namespace et {

class LinuxPlatform {
  public:
    // `defaults` is the settings store the caller opened.
    explicit LinuxPlatform(Defaults& defaults);
    // The application's log, for the line that says the host software was found again.
    void setLog(Log& log) { followingLighting_.setLog(&log); }

    ShellPlatform& platform() { return platform_; }
    QtRunLoop& runLoop() { return runLoop_; }
    // What the capture reads from (game window, screen, nothing) goes to `log`, which must
    // outlive the capture thread. Call before the capture starts.
    void reportScreenReadingTo(Log& log);

  private:
    void exitApplication();

    CorvaneLighting lighting_;
    QtRunLoop runLoop_;
    HostFollowingLighting followingLighting_{lighting_, runLoop_, hostSocketListening};
    QtMainThread mainThread_;
    X11Workspace workspace_;
    HelperLauncher launcher_;
    EspeakSpeech speech_;
    BeepSound sound_;
    IdleInhibitor activity_;
    X11ScreenSource captureSource_;
    // Used only while calibrating: it follows no events, which would pile up unread.
    X11ScreenSource calibrationSource_{{}, false};
    PolledHostStatus hostStatus_{hostSocketPath()};
    ShellPlatform platform_;
};

} // namespace et
