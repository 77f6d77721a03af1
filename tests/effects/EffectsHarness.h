#pragma once
// A host simulator on a private socket with the framework connected to it, and helpers
// that run this thread's GLib context while effects tick. Tests count messages (one per
// tick), never milliseconds; the deadlines only keep a broken effect from hanging the suite.
#include "CorvaneLED.h"
#include "HostServer.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace effects_test {

// Compact text of a message: "Set 1,2,3", "Save", "Restore", "Key 28 1,2,3", "SaveKey 28",
// "RestoreKey 28", "Target 6"; anything else by its command name.
std::string describe(const hostsim::Message& message);
int countIn(const std::vector<std::string>& sent, const std::string& description);

class EffectsTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the host and points the framework at it, without CorvLedInit.
    void startHost();
    // CorvLedInit, and forgets its two messages once the host has them.
    void initFramework();

    // Runs the context until the host holds `count` messages.
    bool pumpUntilMessages(size_t count);
    // Runs the context until `done` holds.
    bool pumpUntil(const std::function<bool()>& done);
    // Runs the context for a while, giving an effect that should be over every chance to
    // send more.
    void runLoopFor(int milliseconds);

    // Everything the host received so far, described.
    std::vector<std::string> received() const;
    // Sends a marker command, waits for it and returns what arrived before it, then forgets
    // it all: proves what was (not) sent without waiting for a quiet period.
    std::vector<std::string> receivedBeforeMarker();

    hostsim::HostServer& host() { return *host_; }

  private:
    std::string dir_;
    std::unique_ptr<hostsim::HostServer> host_;
};

// The same host, but the framework is left uninitialised.
class UninitialisedEffectsTest : public EffectsTest {
  protected:
    void SetUp() override { startHost(); }
};

} // namespace effects_test
