#pragma once
// The system D-Bus as logind is reached on it. Honours DBUS_SYSTEM_BUS_ADDRESS (tests point
// it at a private bus). Never throws and never shows an error: without a bus the returned
// connection is simply not connected.
#include <QDBusConnection>

namespace et {

QDBusConnection systemBus();

inline constexpr const char* kLogindService = "org.freedesktop.login1";
inline constexpr const char* kLogindPath = "/org/freedesktop/login1";
inline constexpr const char* kLogindManager = "org.freedesktop.login1.Manager";

} // namespace et
