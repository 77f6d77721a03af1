#include "IdleInhibitor.h"

#include "SystemBus.h"

#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>

#include <unistd.h>

namespace et {

IdleInhibitor::IdleInhibitor(QDBusConnection bus) : bus_(std::move(bus)) {}

IdleInhibitor::~IdleInhibitor() {
    end();
}

bool IdleInhibitor::begin(const std::string& reason) {
    if (active()) return true;
    if (!bus_.isConnected()) return false;
    auto call =
        QDBusMessage::createMethodCall(kLogindService, kLogindPath, kLogindManager, "Inhibit");
    call << QStringLiteral("idle") << QStringLiteral("Ember Talon")
         << QString::fromStdString(reason) << QStringLiteral("block");
    const QDBusMessage answer = bus_.call(call, QDBus::Block, kCallTimeoutMs);
    if (answer.type() != QDBusMessage::ReplyMessage || answer.arguments().isEmpty()) return false;
    auto fd = qvariant_cast<QDBusUnixFileDescriptor>(answer.arguments().first());
    if (!fd.isValid()) return false;
    // QDBusUnixFileDescriptor closes its copy; ours keeps the inhibitor alive.
    fd_ = ::dup(fd.fileDescriptor());
    return fd_ >= 0;
}

void IdleInhibitor::end() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

} // namespace et
