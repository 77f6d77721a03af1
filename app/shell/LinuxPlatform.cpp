#include "LinuxPlatform.h"

#include "FrameworkVersion.h"
#include "PortalScreenSource.h"
#include "SystemBus.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QUrl>

#include <cstdio>
#include <cstdlib>

namespace et {

void LinuxPlatform::exitApplication() {
    // Inside a wait (a calibration can take 90 s) the code that waits cannot be unwound from
    // here, and every later wait would return at once and spin. Everything that must outlive
    // the process is done by now (settings written, keyboard handed back), so the process
    // ends right here, as a terminating application does.
    if (runLoop_.waiting()) {
        std::fflush(nullptr);
        std::_Exit(0);
    }
    QCoreApplication::exit(0);
}

LinuxPlatform::LinuxPlatform(Defaults& defaults)
    : portalTokens_(defaults, mainThread_),
      portalCast_(std::make_shared<portal::PortalCast>(
          portalTokens_, [this](const std::string& line) { reportPortal(line); })),
      launcher_(HelperLauncher::findHelper()),
      activity_(systemBus()), platform_{followingLighting_,
                                        defaults,
                                        runLoop_,
                                        mainThread_,
                                        workspace_,
                                        launcher_,
                                        speech_,
                                        sound_,
                                        activity_,
                                        *captureSource_,
                                        *calibrationSource_,
                                        loadedFrameworkVersion(),
                                        [](const std::string& address) {
                                            QUrl url(QString::fromStdString(address),
                                                     QUrl::StrictMode);
                                            if (url.isValid()) QDesktopServices::openUrl(url);
                                        },
                                        [this] { exitApplication(); },
                                        true,
                                        std::nullopt,
                                        &hostStatus_,
                                        // A cast the player refused is asked for again.
                                        [this] { portalCast_->askAgain(); }} {}

std::unique_ptr<ScreenRoutes> LinuxPlatform::makeRoutes(bool followEvents) {
    ScreenRouteOptions options;
    options.waylandSession = waylandSession_;
    options.followEvents = followEvents;
    options.route = route_.value_or(ScreenRoute::Automatic);
    options.portal = [this]() -> std::unique_ptr<ScreenSource> {
        return std::make_unique<portal::PortalScreenSource>(portalCast_);
    };
    auto routes = makeScreenRoutes(options);
    if (followEvents) routes->setStripFront(&stripFront_);
    return routes;
}

std::string LinuxPlatform::environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

void LinuxPlatform::reportPortal(const std::string& line) {
    std::lock_guard<std::mutex> lock(portalLogMutex_);
    if (Log* log = portalLog_) mainThread_.post([log, line] { log->appendLine(line); });
}

void LinuxPlatform::reportScreenReadingTo(Log& log) {
    {
        std::lock_guard<std::mutex> lock(portalLogMutex_);
        portalLog_ = &log;
    }
    if (!route_)
        mainThread_.post([&log, name = routeName_] {
            log.appendLine("Screen link: EMBER_TALON_SCREEN_ROUTE=\"" + name +
                           "\" names no route (portal, screencopy or x11); the routes are "
                           "tried in their usual order.");
        });
    captureSource_->setReport([this, &log](const std::string& line) {
        mainThread_.post([&log, line] { log.appendLine(line); });
    });
}

} // namespace et
