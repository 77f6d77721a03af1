#pragma once
// A real host simulator on a private socket, with XDG_DATA_HOME pointing the library at it.
#include "CorvaneLED.h"
#include "HostServer.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <unistd.h>

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

    // Waits for `n` messages and returns them; fails the test when they do not come.
    std::vector<hostsim::Message> expectMessages(size_t n) {
        EXPECT_TRUE(host_->waitForMessages(n, 5)) << "got " << host_->messageCount();
        return host_->messages();
    }

    // Gives a stray message time to arrive, then checks that none did.
    void expectNothingSent() {
        EXPECT_FALSE(host_->waitForMessages(1, 0.2));
    }

    std::string dir_;
    std::unique_ptr<hostsim::HostServer> host_;
};
