// The real chain, measured: the CorvaneLED library in this process → corvane-host → the
// OpenRGB SDK server test peer of either line (0.9 or 1.0rc3, the third argument). Prints
// (1) the latency from a key command to the color stored in the server, read back over the
// SDK, p50/p95; (2) the host's CPU and the LED updates per second it sends while 18 combat
// pulses and a dead animation run, alone, with a status query every second (as a person
// running --status in a loop) and with the application's status poller, and whether the
// last frame arrives exactly; (3) the host's CPU per status query, back to back. Not a
// pass/fail test.
#include "ChildProcess.h"
#include "CorvaneLED.h"
#include "PolledHostStatus.h"
#include "ProcessStats.h"
#include "SdkClient.h"
#include "StatusClient.h"

#include <glib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
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
    const std::string line = argc > 3 ? argv[3] : "0.9";
    const std::string program = line == "1.0rc3" ? ET_OPENRGB10_PEER : ET_OPENRGB_PEER;
    if (program.empty() || !std::filesystem::exists(program)) {
        std::fprintf(stderr, "the OpenRGB %s SDK server test peer is not built: %s\n", line.c_str(),
                     program.c_str());
        return 1;
    }
    std::printf("OpenRGB %s test peer\n", line.c_str());
    char pattern[] = "/tmp/et-bench-host-XXXXXX";
    if (!::mkdtemp(pattern)) return 1;
    const std::string dir = pattern;
    ::setenv("XDG_DATA_HOME", dir.c_str(), 1);

    ChildProcess peer({program, "--port", "0", "--ignore-sigpipe"}, true);
    int port = 0;
    while (auto line = peer.readLine(30)) {
        if (line->rfind("listening on ", 0) == 0) {
            port = std::stoi(line->substr(13));
            break;
        }
    }
    const std::string socket = dir + "/Corvane/CHS_LED_SDK";
    // ET_BENCH_HOST: another build of the host, to compare before and after a change.
    const char* hostProgram = std::getenv("ET_BENCH_HOST");
    ChildProcess host({hostProgram ? hostProgram : ET_CORVANE_HOST, "--socket", socket, "--openrgb",
                       "127.0.0.1:" + std::to_string(port)},
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
    const std::string statusPath = hoststatus::statusPathFor(socket);
    for (const char* asking : {"no status query", "--status every second", "the app's poller"}) {
        const std::string how = asking;
        std::atomic<bool> done{false};
        std::atomic<int> answered{0};
        // A person's loop of --status: one question a second, each on a fresh connection.
        std::thread person;
        if (how == "--status every second")
            person = std::thread([&] {
                for (auto next = Clock::now(); !done; next += std::chrono::seconds(1)) {
                    if (hoststatus::askStatus(statusPath, std::chrono::seconds(3)).reached ==
                        hoststatus::Reached::Answered)
                        answered++;
                    while (!done && Clock::now() < next + std::chrono::seconds(1))
                        std::this_thread::sleep_for(std::chrono::milliseconds(20));
                }
            });
        std::unique_ptr<et::PolledHostStatus> poller;
        if (how == "the app's poller") poller = std::make_unique<et::PolledHostStatus>(socket);
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
        done = true;
        if (person.joinable()) person.join();
        const bool polled = poller && poller->latest().reach == et::HostReport::Reach::Answered;
        poller.reset();
        std::printf("under combat pulse (18 keys) + dead animation for %.1f s, %s: host CPU "
                    "%.2f %% of one core, %.1f OpenRGB updates/s%s\n",
                    wall, asking, 100 * cpu / wall, updates / wall,
                    how == "--status every second"
                        ? (", " + std::to_string(answered.load()) + " answered").c_str()
                    : polled ? ", the poller's last answer whole"
                             : "");
    }

    // 3. The cost of one question to the host, back to back.
    {
        constexpr int kQuestions = 5000;
        const double cpu0 = et::bench::cpuSeconds(host.pid()).value_or(0);
        const auto wall0 = Clock::now();
        int answered = 0;
        for (int i = 0; i < kQuestions; ++i)
            answered += hoststatus::askStatus(statusPath, std::chrono::seconds(3)).reached ==
                        hoststatus::Reached::Answered;
        const double cpu = et::bench::cpuSeconds(host.pid()).value_or(0) - cpu0;
        std::printf("%d status questions back to back (%d answered): %.1f us of host CPU each, "
                    "%.2f ms each end to end\n",
                    kQuestions, answered, 1e6 * cpu / kQuestions, since(wall0) / kQuestions);
    }

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
