// ember-talon: the desktop application. Parses the command line, then either runs a
// headless profile operation or starts the windows and the screen link.
#include "AppDelegate.h"
#include "AppInfo.h"
#include "CommandLine.h"
#include "FrameworkVersion.h"
#include "LinuxPlatform.h"
#include "LogindSleepWatcher.h"
#include "ProfileFile.h"
#include "ProfileFileMenu.h"
#include "QSettingsDefaults.h"
#include "SignalBridge.h"
#include "SystemBus.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

#include <iostream>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const et::CommandLine cl = et::parseCommandLine(args);
    if (!cl.error.empty()) {
        std::cerr << "ember-talon: " << cl.error << "\n" << et::usageText();
        return 2;
    }
    if (cl.help) {
        std::cout << et::usageText();
        return 0;
    }
    if (cl.version) {
        std::cout << et::versionText(
            et::loadedFrameworkVersion().value_or(et::app::kFrameworkNotFound));
        return 0;
    }

    if (cl.headless()) {
        // No window and no display: only the settings file and the profile file.
        QCoreApplication core(argc, argv);
        et::QSettingsDefaults defaults;
        // Exporting the defaults of a settings file that could not be read would report a
        // backup that is not one.
        if (!defaults.ok()) {
            std::cerr << "ember-talon: cannot read the settings file " << defaults.path() << "\n";
            return 1;
        }
        et::ProfileStore store(defaults);
        std::string detail;
        const bool exporting = cl.exportProfiles.has_value();
        const int status = exporting ? et::writeProfileFile(*cl.exportProfiles, store, detail)
                                     : et::readProfileFile(*cl.importProfiles, store, detail);
        defaults.sync();
        if (!detail.empty()) std::cerr << detail << "\n";
        if (!defaults.ok()) {
            std::cerr << "ember-talon: cannot write the settings file " << defaults.path() << "\n";
            return 1;
        }
        (status == 0 ? std::cout : std::cerr)
            << (exporting ? et::exportStatusLine(status) : et::importStatusLine(status)) << "\n";
        return status == 0 ? 0 : 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName("ember-talon");
    QApplication::setApplicationDisplayName("Ember Talon");
    QApplication::setApplicationVersion(et::build::kVersion);
    QApplication::setDesktopFileName("ember-talon");
    QApplication::setWindowIcon(QIcon(":/icons/ember-talon.svg"));
    // The last window closing is a quit request like any other: it waits for the capture.
    QApplication::setQuitOnLastWindowClosed(false);

    et::QSettingsDefaults defaults;
    et::LinuxPlatform linuxPlatform(defaults);
    et::AppDelegate delegate(linuxPlatform.platform());
    linuxPlatform.reportScreenReadingTo(delegate.log());
    delegate.debugMode = cl.debug;

    et::SignalBridge signalBridge;
    QObject::connect(&signalBridge, &et::SignalBridge::quitRequested,
                     [&delegate] { delegate.requestQuit(); });
    QObject::connect(&app, &QGuiApplication::lastWindowClosed,
                     [&delegate] { delegate.requestQuit(); });
    QObject::connect(&app, &QGuiApplication::commitDataRequest,
                     [&delegate] { delegate.requestQuit(); });
    et::LogindSleepWatcher sleepWatcher(et::systemBus());
    delegate.watchSleep(sleepWatcher);

    QTimer::singleShot(0, [&delegate] { delegate.applicationDidFinishLaunching(); });
    return app.exec();
}
