#pragma once
// The system's sleep and wake, from logind's PrepareForSleep signal: true before the
// system sleeps, false after it woke up. Without a system bus nothing is ever reported.
#include <QDBusConnection>
#include <QObject>

namespace et {

class LogindSleepWatcher : public QObject {
    Q_OBJECT
  public:
    explicit LogindSleepWatcher(QDBusConnection bus, QObject* parent = nullptr);
    // Whether the subscription is in place (a bus was reached).
    bool watching() const { return watching_; }

  Q_SIGNALS:
    void aboutToSleep();
    void wokeUp();

  private Q_SLOTS:
    void prepareForSleep(bool start);

  private:
    QDBusConnection bus_;
    bool watching_ = false;
};

} // namespace et
