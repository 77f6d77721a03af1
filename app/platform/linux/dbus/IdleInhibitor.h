#pragma once
// The "Reading the screen" activity: a logind idle inhibitor, held as the file descriptor
// logind hands out and released by closing it. Without a system bus or logind, begin()
// does nothing and says so by its result; no error reaches the user.
#include "Activity.h"

#include <QDBusConnection>

namespace et {

class IdleInhibitor : public Activity {
  public:
    explicit IdleInhibitor(QDBusConnection bus);
    ~IdleInhibitor() override;
    IdleInhibitor(const IdleInhibitor&) = delete;
    IdleInhibitor& operator=(const IdleInhibitor&) = delete;

    // Starts inhibiting idle with `reason`; true when logind granted it. A second call
    // while active keeps the first inhibitor.
    bool begin(const std::string& reason) override;
    // Lets the system idle again. Safe when nothing was begun.
    void end() override;
    bool active() const { return fd_ >= 0; }

    // How long begin() waits for logind before giving up, so a hung bus cannot stall
    // start-up.
    static constexpr int kCallTimeoutMs = 2000;

  private:
    QDBusConnection bus_;
    int fd_ = -1;
};

} // namespace et
