#include "LinuxPlatform.h"

#include "FrameworkVersion.h"
#include "SystemBus.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QUrl>

namespace et {

LinuxPlatform::LinuxPlatform(Defaults& defaults)
    : launcher_(HelperLauncher::findHelper()),
      activity_(systemBus()), platform_{lighting_,
                                        defaults,
                                        runLoop_,
                                        mainThread_,
                                        workspace_,
                                        launcher_,
                                        speech_,
                                        sound_,
                                        activity_,
                                        captureSource_,
                                        calibrationSource_,
                                        loadedFrameworkVersion(),
                                        [](const std::string& address) {
                                            QUrl url(QString::fromStdString(address),
                                                     QUrl::StrictMode);
                                            if (url.isValid()) QDesktopServices::openUrl(url);
                                        },
                                        [this] {
                                            runLoop_.setTerminating();
                                            QCoreApplication::exit(0);
                                        },
                                        true,
                                        std::nullopt} {}

} // namespace et
