// Many single-key pulses at once, as in combat with the dead effect on top: the rate of
// messages the host receives, how evenly each key ticks, and what the effects cost in CPU.
//
//   bench_effects [seconds]   (default 10)
//
// Intervals are taken where the host receives the messages, so they include the host
// thread's own scheduling; on a loaded machine run it as e.g. `chrt -f 10 bench_effects` to
// see the library's part alone.
//
// Runs two loads: the application's combat and dead key sets as they are (45 pulse calls;
// five keys are in both sets, so their second pulse replaces the first: 40 pulses), and 45
// pulses on 45 distinct keys.
#include "ProcessStats.h"
#include "CorvaneLED.h"
#include "HostServer.h"

#include <glib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

const std::vector<int> kCombatKeys = {0x2A,  0x1D,  0x15B,   0x38,    0x39,  0x138,
                                      0x15C, 0x15D, 0x11D,   0x36,    0x148, 0x14B,
                                      0x150, 0x14D, 0xFFFF1, 0xFFFF2, 0x3A,  0x1C};
const std::vector<int> kDeadBright = {0x3A,  0x04, 0x13, 0x17, 0x30, 0x36,   0x49,  0x50,
                                      0x147, 0x0E, 0x01, 0x41, 0x2D, 0xFFF7, 0xFFF4};
const std::vector<int> kDeadDim = {0x1D, 0x06, 0x16,  0x32,  0x44,  0x11,
                                   0x39, 0x19, 0x153, 0x150, 0x135, 0xFFF1};
// Stand-ins for the five dead keys that are also combat keys, to get 45 distinct keys.
const std::vector<int> kSpareKeys = {0x1E, 0x1F, 0x20, 0x21, 0x22};

struct Arrival {
    double time;
    int key;
};

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const size_t index = static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

bool startPulses(bool distinct, std::mt19937& random) {
    std::uniform_int_distribution<int> extra(0, 249);
    bool ok = true;
    for (int key : kCombatKeys)
        ok &= CorvLedPulseSingleKey(static_cast<KeyName>(key), 100, 0, 0, 25, 0, 0, 400, true);
    auto deadKey = [&](int key) {
        if (!distinct) return key;
        auto combat = std::find(kCombatKeys.begin(), kCombatKeys.end(), key);
        if (combat == kCombatKeys.end()) return key;
        static size_t spare = 0;
        return kSpareKeys[spare++ % kSpareKeys.size()];
    };
    for (int key : kDeadBright)
        ok &= CorvLedPulseSingleKey(static_cast<KeyName>(deadKey(key)), 50, 40, 50, 100, 85, 100,
                                    650 + extra(random), true);
    for (int key : kDeadDim)
        ok &= CorvLedPulseSingleKey(static_cast<KeyName>(deadKey(key)), 50, 40, 50, 20, 10, 20,
                                    650 + extra(random), true);
    return ok;
}

int run(const std::string& title, bool distinct, int seconds) {
    char pattern[] = "/tmp/et-bench-XXXXXX";
    if (!::mkdtemp(pattern)) return 1;
    const std::string dir = pattern;
    ::setenv("XDG_DATA_HOME", dir.c_str(), 1); // the library finds its host under it
    hostsim::HostServer host(dir + "/Corvane/CHS_LED_SDK");
    host.setKeepMessages(false);
    std::vector<Arrival> arrivals;
    arrivals.reserve(static_cast<size_t>(seconds) * 6000);
    // Runs on the host's thread; read only after stop() has joined it.
    host.setOnMessage([&arrivals](const hostsim::Message& m) {
        if (m.command == 0x809) arrivals.push_back({m.time, m.field(8)});
    });
    std::string error;
    if (!host.start(&error)) {
        std::fprintf(stderr, "host: %s\n", error.c_str());
        return 1;
    }
    if (!CorvLedInit()) return 1;

    std::mt19937 random(12345);
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    g_timeout_add(
        static_cast<guint>(seconds) * 1000,
        [](gpointer data) {
            g_main_loop_quit(static_cast<GMainLoop*>(data));
            return G_SOURCE_REMOVE;
        },
        loop);

    const double process0 = et::bench::processCpuSeconds();
    const double thread0 = et::bench::clockSeconds(CLOCK_THREAD_CPUTIME_ID);
    const double wall0 = et::bench::clockSeconds(CLOCK_MONOTONIC);
    if (!startPulses(distinct, random)) std::fprintf(stderr, "a pulse was refused\n");
    g_main_loop_run(loop);
    const double wall = et::bench::clockSeconds(CLOCK_MONOTONIC) - wall0;
    const double thread = et::bench::clockSeconds(CLOCK_THREAD_CPUTIME_ID) - thread0;
    const double process = et::bench::processCpuSeconds() - process0;

    CorvLedShutdown();
    g_main_loop_unref(loop);
    host.stop();
    std::filesystem::remove_all(dir);

    std::map<int, std::vector<double>> intervals; // key → ms between its messages
    std::map<int, double> last;
    for (const auto& a : arrivals) {
        auto it = last.find(a.key);
        if (it != last.end()) intervals[a.key].push_back((a.time - it->second) * 1000.0);
        last[a.key] = a.time;
    }
    std::vector<double> all;
    double worstP99 = 0.0, lowestP1 = 1e9;
    for (const auto& [key, values] : intervals) {
        all.insert(all.end(), values.begin(), values.end());
        worstP99 = std::max(worstP99, percentile(values, 0.99));
        lowestP1 = std::min(lowestP1, percentile(values, 0.01));
    }

    std::printf("%s\n", title.c_str());
    std::printf("  pulsing keys            %zu\n", intervals.size());
    std::printf("  messages/s              %.0f  (%zu in %.2f s)\n",
                static_cast<double>(arrivals.size()) / wall, arrivals.size(), wall);
    std::printf("  interval p50 / p99      %.2f / %.2f ms (all keys)\n", percentile(all, 0.5),
                percentile(all, 0.99));
    std::printf("  per key: worst p99      %.2f ms, lowest p1 %.2f ms, longest %.2f ms\n", worstP99,
                lowestP1, all.empty() ? 0.0 : *std::max_element(all.begin(), all.end()));
    std::printf("  CPU effects thread      %.2f %% of one core\n", 100.0 * thread / wall);
    std::printf("  CPU whole process       %.2f %% (includes the simulated host's thread)\n",
                100.0 * process / wall);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    int status = run("combat + dead key sets (45 calls)", false, seconds);
    status |= run("45 distinct keys", true, seconds);
    return status;
}
