#pragma once
// A complete application on fakes: the real AppDelegate and windows (Qt offscreen), the
// real Qt run loop, recording lighting and platform, settings in memory.
#include "AppDelegate.h"
#include "FakeScreenSource.h"
#include "Fakes.h"
#include "MemoryDefaults.h"
#include "QtMainThread.h"
#include "QtRunLoop.h"

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QString>

#include <memory>
#include <string>
#include <vector>

namespace et::test {

struct ShellHarness {
    RecordingLighting lighting;
    MemoryDefaults defaults;
    QtRunLoop runLoop;
    QtMainThread mainThread;
    FakeWorkspace workspace;
    RecordingLauncher launcher;
    RecordingSpeech speech;
    RecordingSound sound;
    FakeActivity activity;
    FakeScreenSource captureSource;
    FakeScreenSource calibrationSource;
    std::vector<std::string> openedUrls;
    int exits = 0;
    ShellPlatform platform{lighting,
                           defaults,
                           runLoop,
                           mainThread,
                           workspace,
                           launcher,
                           speech,
                           sound,
                           activity,
                           captureSource,
                           calibrationSource,
                           std::string("1.2.0"),
                           [this](const std::string& url) { openedUrls.push_back(url); },
                           [this] { ++exits; },
                           /*logToStandardError=*/false,
                           std::nullopt};
    std::unique_ptr<AppDelegate> app;

    // Creates the delegate; settings stored before this call are what start-up finds.
    AppDelegate& make() {
        app = std::make_unique<AppDelegate>(platform);
        return *app;
    }
    AppDelegate& start() {
        make();
        app->applicationDidFinishLaunching();
        return *app;
    }

    std::string logText() const {
        return app->mainWindow.myTextScroll->toPlainText().toStdString();
    }
    // The log split at its newlines (the last, empty piece dropped).
    std::vector<std::string> logLines() const;
    // Lets queued work and timers run for `seconds`.
    void spin(double seconds) { runLoop.runFor(seconds); }
};

} // namespace et::test
