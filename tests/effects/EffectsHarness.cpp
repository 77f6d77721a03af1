#include "EffectsHarness.h"

#include "cSDKServer.h"
#include "cSingleton.h"

#include <glib.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <unistd.h>

namespace effects_test {

namespace {

constexpr auto kDeadline = std::chrono::seconds(10);

cSDKServer& server() {
    return cSingleton<cSDKServer>::GetInstance();
}

std::string rgb(const hostsim::Message& m, size_t offset) {
    return std::to_string(m.field(offset)) + "," + std::to_string(m.field(offset + 4)) + "," +
           std::to_string(m.field(offset + 8));
}

} // namespace

std::string describe(const hostsim::Message& m) {
    switch (m.command) {
    case 0x802:
        return "Set " + rgb(m, 8);
    case 0x803:
        return "Target " + std::to_string(m.field(8));
    case 0x804:
        return "Save";
    case 0x805:
        return "Restore";
    case 0x809:
        return "Key " + std::to_string(m.field(8)) + " " + rgb(m, 12);
    case 0x811:
        return "SaveKey " + std::to_string(m.field(8));
    case 0x812:
        return "RestoreKey " + std::to_string(m.field(8));
    default:
        return m.name() ? m.name() : "?";
    }
}

void EffectsTest::SetUp() {
    startHost();
    initFramework();
}

void EffectsTest::TearDown() {
    CorvLedShutdown();
    if (host_) host_->stop();
    server().setSocketPathForTesting("");
    if (!dir_.empty()) ::rmdir(dir_.c_str());
}

void EffectsTest::startHost() {
    char pattern[] = "/tmp/et-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    host_ = std::make_unique<hostsim::HostServer>(dir_ + "/CHS");
    std::string error;
    ASSERT_TRUE(host_->start(&error)) << error;
    server().setSocketPathForTesting(host_->path());
}

void EffectsTest::initFramework() {
    ASSERT_TRUE(CorvLedInit());
    ASSERT_TRUE(host_->waitForMessages(2, 10.0)); // the hello and the lighting save
    host_->clear();
}

bool EffectsTest::pumpUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + kDeadline;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        g_main_context_iteration(nullptr, FALSE);
        g_usleep(200);
    }
    return true;
}

bool EffectsTest::pumpUntilMessages(size_t count) {
    const auto deadline = std::chrono::steady_clock::now() + kDeadline;
    while (host_->messageCount() < count) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        g_main_context_iteration(nullptr, FALSE);
        host_->waitForMessages(count, 0.001);
    }
    return true;
}

void EffectsTest::runLoopFor(int milliseconds) {
    bool over = false;
    g_timeout_add(
        static_cast<guint>(milliseconds),
        [](gpointer flag) {
            *static_cast<bool*>(flag) = true;
            return G_SOURCE_REMOVE;
        },
        &over);
    while (!over)
        g_main_context_iteration(nullptr, TRUE);
}

std::vector<std::string> EffectsTest::received() const {
    std::vector<std::string> out;
    for (const auto& m : host_->messages())
        out.push_back(describe(m));
    return out;
}

std::vector<std::string> EffectsTest::receivedBeforeMarker() {
    // The inverted result: false means the marker was written.
    EXPECT_FALSE(CorvLedSetTargetDevice(6));
    const auto deadline = std::chrono::steady_clock::now() + kDeadline;
    std::vector<std::string> out = received();
    while (out.empty() || out.back() != "Target 6") {
        if (std::chrono::steady_clock::now() > deadline) {
            ADD_FAILURE() << "the marker never arrived";
            return out;
        }
        host_->waitForMessages(out.size() + 1, 0.01);
        out = received();
    }
    out.pop_back();
    host_->clear();
    return out;
}

int countIn(const std::vector<std::string>& sent, const std::string& description) {
    return static_cast<int>(std::count(sent.begin(), sent.end(), description));
}

} // namespace effects_test
