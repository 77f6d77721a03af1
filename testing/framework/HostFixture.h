#pragma once
// A real host simulator on a private socket, with XDG_DATA_HOME pointing the library at it,
// and ways to read back what reached it. Effects tick on this thread's GLib context: tests
// pump it until a condition holds and count messages, never milliseconds; the deadline only
// keeps a broken effect from hanging the suite.
#include "CorvaneLED.h"
#include "HostServer.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

class HostFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/et-fw-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
        ::setenv("XDG_DATA_HOME", dir_.c_str(), 1);
        host_ = std::make_unique<hostsim::HostServer>(dir_ + "/Corvane/CHS_LED_SDK");
        ASSERT_TRUE(host_->start());
    }
    void TearDown() override {
        CorvLedShutdown();
        host_->stop();
        std::filesystem::remove_all(dir_);
    }

    // Inits and forgets the two opening messages (Init and SaveCurrentLighting).
    void initAndClear() {
        ASSERT_TRUE(CorvLedInit());
        ASSERT_TRUE(host_->waitForMessages(2, 5));
        host_->clear();
    }
    // Waits for exactly `n` messages and returns them, padded with empty ones when fewer came.
    std::vector<hostsim::Message> expectMessages(size_t n) {
        host_->waitForMessages(n, 5);
        auto out = host_->messages();
        EXPECT_EQ(out.size(), n);
        out.resize(n);
        return out;
    }
    // Gives a stray message time to arrive, then checks that none did.
    void expectNothingSent() { EXPECT_FALSE(host_->waitForMessages(1, 0.2)); }

    // Runs this thread's GLib context until `done` holds; false after ten seconds.
    static bool pumpUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        for (; !done(); g_usleep(200)) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            g_main_context_iteration(nullptr, FALSE);
        }
        return true;
    }
    bool pumpUntilMessages(size_t n) {
        return pumpUntil([&] { return host_->messageCount() >= n; });
    }
    // Gives an effect that should be over every chance to send more.
    static void pumpFor(int milliseconds) {
        const gint64 end = g_get_monotonic_time() + milliseconds * 1000;
        pumpUntil([end] { return g_get_monotonic_time() >= end; });
    }

    // Everything the host received so far: a short name and the fields after the header,
    // as "Set 1 2 3", "Save", "Key 28 1 2 3", "SaveKey 28", "Target 6".
    std::vector<std::string> received() const {
        static const std::map<uint32_t, std::string> names{
            {0x802, "Set"}, {0x803, "Target"},  {0x804, "Save"},      {0x805, "Restore"},
            {0x809, "Key"}, {0x811, "SaveKey"}, {0x812, "RestoreKey"}};
        std::vector<std::string> out;
        for (const auto& m : host_->messages()) {
            const auto name = names.find(m.command);
            out.push_back(name == names.end() ? m.name() : name->second);
            for (size_t at = 8; name != names.end() && at < m.bytes.size(); at += 4)
                out.back() += " " + std::to_string(m.field(at));
        }
        return out;
    }
    // Sends a marker command, waits for it and returns what arrived before it, then forgets
    // it all: proves what was (not) sent without waiting for a quiet period.
    std::vector<std::string> receivedBeforeMarker() {
        EXPECT_FALSE(CorvLedSetTargetDevice(6)); // the inverted result: false means sent
        // Waits without running the context, so no effect ticks in the meantime.
        std::vector<std::string> out = received();
        for (int i = 0; i < 1000 && (out.empty() || out.back() != "Target 6"); ++i) {
            host_->waitForMessages(out.size() + 1, 0.01);
            out = received();
        }
        EXPECT_EQ(out.empty() ? "" : out.back(), "Target 6") << "the marker never arrived";
        if (!out.empty()) out.pop_back();
        host_->clear();
        return out;
    }

    std::string dir_;
    std::unique_ptr<hostsim::HostServer> host_;
};
