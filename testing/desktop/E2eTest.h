#pragma once
// Shared pieces of the end-to-end tests: the fixture that skips without the application,
// and the checks the tests make on what the host received.
#include "AppSession.h"
#include "ProfileOracle.h"

#include <gtest/gtest.h>

#include <iostream>
#include <set>

namespace et::e2e {

inline constexpr int32_t kEnter = 0x1C;
inline constexpr int32_t kSpacebar = 0x39;

// The 18 keys that pulse in combat.
inline const std::vector<int32_t> kCombatKeys = {0x2A,  0x1D,  0x15B, 0x38,    0x39,    0x138,
                                                 0x15C, 0x15D, 0x11D, 0x36,    0x148,   0x14B,
                                                 0x150, 0x14D, 0x3A,  0xFFFF1, 0xFFFF2, 0x1C};

class E2eTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!AppSession::haveApplication()) GTEST_SKIP() << "ember-talon is not part of this build";
    }
    // On failure the application's last words go into the test's output.
    void TearDown() override {
        if (HasFailure() && session_) {
            const auto output = session_->app().output();
            std::cerr << "ember-talon printed " << output.size() << " lines; the last ones:\n";
            for (size_t i = output.size() > 40 ? output.size() - 40 : 0; i < output.size(); ++i)
                std::cerr << "  | " << output[i] << "\n";
            std::cerr << "the host received " << session_->mark() << " messages\n";
        }
        session_.reset();
    }
    // A session with `settings`; the application is not started yet.
    AppSession& prepare(const SettingsFile& settings, const SessionOptions& options) {
        session_ = std::make_unique<AppSession>(settings, options);
        EXPECT_TRUE(session_->ok()) << session_->error();
        return *session_;
    }

  private:
    std::unique_ptr<AppSession> session_;
};

// Waits for a complete profile frame equal to `expected` from record `from` on; returns the
// index after it, or 0 when none came within `timeout`.
inline size_t waitForFrame(const HostSim& host, const ProfileFrame& expected, size_t from,
                           double timeout) {
    size_t after = 0;
    host.waitUntil(
        [&](const std::vector<HostRecord>& records) {
            size_t at = from, end = 0;
            while (auto frame = findProfileFrame(records, at, &end)) {
                if (frame->bitmap == expected.bitmap && frame->keys == expected.keys) {
                    after = end;
                    return true;
                }
                at = end;
            }
            return false;
        },
        timeout);
    return after;
}

// Every key of `keys` has had a `command` message from `from` on.
inline bool allKeysSeen(const std::vector<HostRecord>& records, size_t from,
                        const std::vector<int32_t>& keys,
                        const char* command = "SetLightingForKeyWithKeyName") {
    std::set<int32_t> left(keys.begin(), keys.end());
    for (size_t i = from; i < records.size() && !left.empty(); ++i)
        if (records[i].is(command)) left.erase(records[i].key);
    return left.empty();
}

} // namespace et::e2e
