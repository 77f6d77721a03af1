#include "LogindSleepWatcher.h"

#include "SystemBus.h"

namespace et {

LogindSleepWatcher::LogindSleepWatcher(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {
    // Subscribing by sender name would need logind to be running now; any sender on the
    // system bus may not Q_EMIT on logind's path and interface, so the match stays tight.
    if (bus_.isConnected())
        watching_ = bus_.connect(QString(), kLogindPath, kLogindManager, "PrepareForSleep", this,
                                 SLOT(prepareForSleep(bool)));
}

void LogindSleepWatcher::prepareForSleep(bool start) {
    if (start)
        Q_EMIT aboutToSleep();
    else
        Q_EMIT wokeUp();
}

} // namespace et
