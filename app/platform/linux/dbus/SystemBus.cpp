#include "SystemBus.h"

#include <cstdlib>

namespace et {

QDBusConnection systemBus() {
    // Qt's own systemBus() is fixed for the life of the process; an explicit address gets
    // a connection of its own so the variable is honoured whenever it is set.
    if (const char* address = std::getenv("DBUS_SYSTEM_BUS_ADDRESS"); address && *address) {
        const QString name = QStringLiteral("et-system-bus:") + QString::fromUtf8(address);
        QDBusConnection existing(name);
        if (existing.isConnected()) return existing;
        QDBusConnection::disconnectFromBus(name);
        return QDBusConnection::connectToBus(QString::fromUtf8(address), name);
    }
    return QDBusConnection::systemBus();
}

} // namespace et
