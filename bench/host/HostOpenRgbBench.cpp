// The real chain, measured: the CorvaneLED library in this process → corvane-host → the
// OpenRGB SDK server test peer. Prints (1) the latency from a key command to the color
// stored in the server, read back over the SDK, p50/p95; (2) the host's CPU and the LED
// updates per second it sends while 18 combat pulses and a dead animation run, and whether
// the last frame arrives exactly. Not a pass/fail test.
#include "ChildProcess.h"
#include "CorvaneLED.h"
#include "ProcessStats.h"
#include "SdkClient.h"

#include <glib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;
using et::test::ChildProcess;

double since(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

void pump(double seconds) {
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < end) {
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[std::min(v.size() - 1, static_cast<size_t>(p * (v.size() - 1) + 0.5))];
}

uint64_t updatesSent(ChildProcess& host) {
    host.write("stats\n");
    while (auto line = host.readLine(5)) {
        const size_t at = line->find("\"updates\":");
        if (at != std::string::npos) return std::stoull(line->substr(at + 10));
        if (line->empty()) break;
    }
    return 0;
}

int ledIndex(const orgb::Device& d, const std::string& name) {
    const auto it = std::find(d.leds.begin(), d.leds.end(), name);
    return it == d.leds.end() ? -1 : static_cast<int>(it - d.leds.begin());
}
} // namespace

int main(int argc, char** argv) {
    const int samples = argc > 1 ? std::max(10, std::atoi(argv[1])) : 300;
    const double loadSeconds = argc > 2 ? std::max(1.0, std::atof(argv[2])) : 10.0;
    if (!std::filesystem::exists(ET_OPENRGB_PEER)) {
        std::fprintf(stderr, "the OpenRGB SDK server test peer is not built: %s\n",
                     ET_OPENRGB_PEER);
        return 1;
    }
    char pattern[] = "/tmp/et-bench-host-XXXXXX";
    if (!::mkdtemp(pattern)) return 1;
    const std::string dir = pattern;
    ::setenv("XDG_DATA_HOME", dir.c_str(), 1);

    ChildProcess peer({ET_OPENRGB_PEER, "--port", "0", "--ignore-sigpipe"}, true);
    int port = 0;
    while (auto line = peer.readLine(30)) {
        if (line->rfind("listening on ", 0) == 0) {
            port = std::stoi(line->substr(13));
            break;
        }
    }
    const std::string socket = dir + "/Corvane/CHS_LED_SDK";
    ChildProcess host(
        {ET_CORVANE_HOST, "--socket", socket, "--openrgb", "127.0.0.1:" + std::to_string(port)},
        true);
    for (int i = 0; i < 200 && !std::filesystem::exists(socket); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    orgb::SdkClient reader;
    std::string error;
    if (!port || !CorvLedInit() || !reader.open("127.0.0.1", port, &error)) {
        std::fprintf(stderr, "could not set up the chain: %s\n", error.c_str());
        return 1;
    }
    CorvLedSetTargetDevice(4);
    auto device = reader.controllerData(0, &error);
    const int keyA = device ? ledIndex(*device, "Key: A") : -1;
    if (keyA < 0) return 1;

    // 1. Latency: a key command, then SDK reads until the server holds that color.
    std::mt19937 random(7);
    std::vector<double> latency;
    int lost = 0;
    for (int i = 0; i < samples; ++i) {
        const int r = static_cast<int>(random() % 101), g = static_cast<int>(random() % 101);
        const uint32_t expected = orgb::rgb(r * 255 / 100, g * 255 / 100, 0);
        const auto t0 = Clock::now();
        CorvLedSetLightingForKeyWithKeyName(CLK_A, r, g, 0);
        bool seen = false;
        while (!seen && since(t0) < 500) {
            device = reader.controllerData(0, &error);
            seen = device && device->colors[static_cast<size_t>(keyA)] == expected;
        }
        if (seen)
            latency.push_back(since(t0));
        else
            ++lost;
        std::this_thread::sleep_for(std::chrono::milliseconds(20 + random() % 20));
    }
    std::printf(
        "latency command -> color in the OpenRGB server (%d samples, %d not seen in 500 ms):"
        " p50 %.2f ms, p95 %.2f ms, max %.2f ms\n",
        samples, lost, percentile(latency, 0.5), percentile(latency, 0.95),
        latency.empty() ? 0.0 : *std::max_element(latency.begin(), latency.end()));

    // 2. Load: the combat pulse on 18 keys and a dead animation (a red bitmap fading, 10
    // frames a second), as the application sends them.
    const KeyName combat[] = {CLK_LeftShift, CLK_LeftCtrl, CLK_LeftGui, CLK_LeftAlt, CLK_Space,
                              CLK_RightAlt,  CLK_1,        CLK_2,       CLK_3,       CLK_4,
                              CLK_Q,         CLK_W,        CLK_E,       CLK_R,       CLK_A,
                              CLK_S,         CLK_D,        CLK_F};
    for (KeyName k : combat)
        CorvLedPulseSingleKey(k, 100, 0, 0, 30, 0, 0, 600, true);
    const uint64_t updates0 = updatesSent(host);
    const double cpu0 = et::bench::cpuSeconds(host.pid()).value_or(0);
    const auto wall0 = Clock::now();
    unsigned char bitmap[504];
    for (int frame = 0; since(wall0) < loadSeconds * 1000; ++frame) {
        for (int c = 0; c < 126; ++c) {
            bitmap[4 * c] = 0;
            bitmap[4 * c + 1] = 0;
            bitmap[4 * c + 2] = static_cast<unsigned char>(255 - (frame * 25) % 256);
            bitmap[4 * c + 3] = 255;
        }
        CorvLedSetLightingFromBitmap(bitmap);
        pump(0.1);
    }
    const double wall = since(wall0) / 1000;
    const double cpu = et::bench::cpuSeconds(host.pid()).value_or(0) - cpu0;
    const uint64_t updates = updatesSent(host) - updates0;
    std::printf("under combat pulse (18 keys) + dead animation for %.1f s: host CPU %.2f %% of one "
                "core, %.1f OpenRGB updates/s\n",
                wall, 100 * cpu / wall, updates / wall);

    // The end of it: every pulse stopped, one exact last frame.
    for (KeyName k : combat)
        CorvLedStopEffectsOnKey(k);
    pump(0.2); // each stopped pulse restores its key on its timer's next tick
    for (KeyName k : combat)
        CorvLedSetLightingForKeyWithKeyName(k, 0, 100, 0);
    const auto t0 = Clock::now();
    bool exact = false;
    static const char* const names[] = {"Key: Left Shift",
                                        "Key: Left Control",
                                        "Key: Left Windows",
                                        "Key: Left Alt",
                                        "Key: Space",
                                        "Key: Right Alt",
                                        "Key: 1",
                                        "Key: 2",
                                        "Key: 3",
                                        "Key: 4",
                                        "Key: Q",
                                        "Key: W",
                                        "Key: E",
                                        "Key: R",
                                        "Key: A",
                                        "Key: S",
                                        "Key: D",
                                        "Key: F"};
    while (!exact && since(t0) < 2000) {
        device = reader.controllerData(0, &error);
        exact = device.has_value();
        for (const char* name : names) {
            if (!exact) break;
            const int at = ledIndex(*device, name);
            exact = at >= 0 && device->colors[static_cast<size_t>(at)] == orgb::rgb(0, 255, 0);
        }
    }
    std::printf("last frame exact: %s (after %.1f ms)\n", exact ? "yes" : "NO", since(t0));
    CorvLedShutdown();
    host.stop();
    peer.stop();
    std::filesystem::remove_all(dir);
    return exact ? 0 : 1;
}
