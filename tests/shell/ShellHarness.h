#pragma once
// A complete application on fakes: the real AppDelegate and windows (Qt offscreen), the
// real Qt run loop, recording lighting and platform, settings in memory.
#include "AppDelegate.h"
#include "FakeScreenSource.h"
#include "Fakes.h"
#include "MemoryDefaults.h"
#include "QtMainThread.h"
#include "QtRunLoop.h"

#include <QPlainTextEdit>
#include <QString>

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace et::test {

struct ShellHarness {
    // Another framework (the real library) or screen (a slow one) may stand in.
    explicit ShellHarness(Lighting* framework = nullptr, ScreenSource* screen = nullptr)
        : platform{framework ? *framework : lighting,
                   defaults,
                   runLoop,
                   mainThread,
                   workspace,
                   launcher,
                   speech,
                   sound,
                   activity,
                   screen ? *screen : captureSource,
                   calibrationSource,
                   std::string("1.2.0"),
                   [this](const std::string& url) { openedUrls.push_back(url); },
                   [this] { ++exits; },
                   /*logToStandardError=*/false,
                   std::nullopt} {}

    RecordingLighting lighting;
    MemoryDefaults defaults;
    QtRunLoop runLoop;
    QtMainThread mainThread;
    FakeWorkspace workspace;
    RecordingLauncher launcher;
    SilentSpeech speech;
    SilentSound sound;
    FakeActivity activity;
    FakeScreenSource captureSource;
    FakeScreenSource calibrationSource;
    std::vector<std::string> openedUrls;
    int exits = 0;
    ShellPlatform platform;
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
    std::vector<std::string> logLines() const {
        std::vector<std::string> lines;
        std::istringstream in(logText());
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    // Lets queued work and timers run for `seconds`.
    void spin(double seconds) { runLoop.runFor(seconds); }
    // Lets them run until `done`, for at most `seconds` (generous: the machine may be busy).
    bool waitFor(const std::function<bool()>& done, double seconds = 5) {
        for (int i = 0; i < seconds / 0.02 && !done(); ++i)
            spin(0.02);
        return done();
    }
};

} // namespace et::test
