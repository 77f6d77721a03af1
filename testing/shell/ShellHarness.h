#pragma once
// A complete application on fakes: the real AppDelegate and windows (Qt offscreen), the
// real Qt run loop, settings in memory, and test doubles that record what the application
// asks of the outside world.
#include "Activity.h"
#include "AppDelegate.h"
#include "FakeScreenSource.h"
#include "Launcher.h"
#include "Lighting.h"
#include "MemoryDefaults.h"
#include "QtMainThread.h"
#include "QtRunLoop.h"
#include "RecordingLighting.h"
#include "Sound.h"
#include "Speech.h"
#include "Workspace.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace et::test {

class FakeWorkspace : public Workspace {
  public:
    std::optional<FrontmostApplication> front;
    std::optional<FrontmostApplication> frontmostApplication() override { return front; }
};

class RecordingLauncher : public Launcher {
  public:
    std::vector<std::string> activated;
    std::vector<Failed> failures; // one per activation, to report a failure with
    void activate(const std::string& name, Failed onFailure) override {
        activated.push_back(name);
        failures.push_back(std::move(onFailure));
    }
};

// What the host software says, as a test sets it.
struct FakeHostStatus : HostStatus {
    HostReport report;
    HostReport latest() override { return report; }
};

class Silence : public Speech, public Sound {
    void speak(const std::string&) override {}
    void play(const std::string&) override {}
};

class FakeActivity : public Activity {
  public:
    std::vector<std::string> events;
    bool begin(const std::string& reason) override {
        events.push_back("begin " + reason);
        return true;
    }
    void end() override { events.push_back("end"); }
};

// Settings in memory; `onDisk` holds them as of the last sync, what a crash would leave.
struct SyncedDefaults : MemoryDefaults {
    std::map<std::string, Value> onDisk;
    void sync() override { onDisk = values(); }
};

struct ShellHarness {
    // Another framework (the real library) or screen (a slow one) may stand in.
    explicit ShellHarness(Lighting* framework = nullptr, ScreenSource* screen = nullptr)
        : platform{framework ? *framework : lighting,
                   defaults,
                   runLoop,
                   mainThread,
                   workspace,
                   launcher,
                   silence,
                   silence,
                   activity,
                   screen ? *screen : captureSource,
                   calibrationSource,
                   std::string("1.2.0"),
                   [this](const std::string& url) { openedUrls.push_back(url); },
                   [this] { ++exits; },
                   /*logToStandardError=*/false,
                   std::nullopt,
                   &hostStatus,
                   [this] { ++calibrationsStarted; }} {}

    RecordingLighting lighting;
    SyncedDefaults defaults;
    QtRunLoop runLoop;
    QtMainThread mainThread;
    FakeWorkspace workspace;
    RecordingLauncher launcher;
    Silence silence;
    FakeActivity activity;
    FakeHostStatus hostStatus;
    int calibrationsStarted = 0;
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

    // The keyboard as the last bitmap left it; empty before any.
    std::vector<unsigned char> lastBitmap() const {
        const auto sent = lighting.named("setLightingFromBitmap");
        return sent.empty() ? std::vector<unsigned char>{} : sent.back().bitmap;
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
