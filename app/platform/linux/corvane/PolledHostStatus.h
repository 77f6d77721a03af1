#pragma once
// The host's status, asked on a thread of its own every few seconds over the host's status
// channel, so that a stopped or stalled host never holds the main thread.
#include "HostStatus.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace et {

// The status document into a report; an unreadable one is a host not answering.
HostReport parseHostReport(const std::string& json);

class PolledHostStatus : public HostStatus {
  public:
    // `socketPath` is the library's socket; `every` the pause between two questions.
    explicit PolledHostStatus(std::string socketPath,
                              std::chrono::milliseconds every = std::chrono::seconds(2));
    ~PolledHostStatus() override;
    PolledHostStatus(const PolledHostStatus&) = delete;
    PolledHostStatus& operator=(const PolledHostStatus&) = delete;

    HostReport latest() override;

  private:
    void run();

    const std::string socketPath_;
    const std::chrono::milliseconds every_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    HostReport latest_;
    std::thread thread_;
};

} // namespace et
