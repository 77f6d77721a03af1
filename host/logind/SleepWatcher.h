#pragma once
// Wake-ups from sleep, as logind announces them on the system bus (PrepareForSleep(false)),
// for a program without Qt. Its own bus connection is served on GDBus's worker thread, so
// the host needs no main loop for it. Without a system bus (containers, CI) it watches
// nothing and says nothing.
#include <functional>

typedef struct _GDBusConnection GDBusConnection;

namespace hostsim {

class SleepWatcher {
  public:
    // `wokeUp` runs on a thread of GDBus's; it must only hand the news on.
    explicit SleepWatcher(std::function<void()> wokeUp);
    ~SleepWatcher();
    SleepWatcher(const SleepWatcher&) = delete;
    SleepWatcher& operator=(const SleepWatcher&) = delete;

    // Whether a bus was reached and the signal subscribed.
    bool watching() const { return bus_ != nullptr; }

    struct Hook;

  private:
    void stopWatching();

    Hook* hook_ = nullptr; // GDBus frees it
    GDBusConnection* bus_ = nullptr;
    unsigned filter_ = 0;
};

} // namespace hostsim
