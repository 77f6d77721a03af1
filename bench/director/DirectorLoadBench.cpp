// The director's heaviest steady load through the real library: combat pulsing on its 18
// keys while the dead effect runs, with the screen link's timers ticking and the lighting
// refresh due every 14th drain tick, as in the application's main loop. Prints what the
// host receives per second and what the main thread spends.
//
//   bench_director [seconds]   (default 10)
#include "ProcessStats.h"
#include "CorvaneLighting.h"
#include "GlibRunLoop.h"
#include "HostServer.h"
#include "LightingDirector.h"
#include "MemoryDefaults.h"
#include "MessageQueue.h"
#include "MessageRelay.h"
#include "ProfileStore.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <string>

namespace {

using namespace et;

class NoCanvas : public CooldownCanvas {
  public:
    CanvasModel& model() override { return model_; }
    void redraw() override {}

  private:
    CanvasModel model_;
};

class NoLog : public Log {
  public:
    void appendLine(const std::string&) override {}
};

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    char pattern[] = "/tmp/et-bench-director-XXXXXX";
    if (!::mkdtemp(pattern)) return 1;
    const std::string dir = pattern;
    ::setenv("XDG_DATA_HOME", dir.c_str(), 1);

    hostsim::HostServer host(dir + "/Corvane/CHS_LED_SDK");
    host.setKeepMessages(false);
    // Runs on the host's thread; read only after stop() has joined it.
    std::map<std::string, long> byCommand;
    std::map<int32_t, long> byKey;
    host.setOnMessage([&](const hostsim::Message& m) {
        ++byCommand[m.name()];
        if (std::string(m.name()) == "SetLightingForKeyWithKeyName") ++byKey[m.field(8)];
    });
    std::string error;
    if (!host.start(&error)) {
        std::fprintf(stderr, "host: %s\n", error.c_str());
        return 1;
    }

    CorvaneLighting lighting;
    test::GlibRunLoop runLoop;
    if (!lighting.init()) {
        std::fprintf(stderr, "the library could not reach the host\n");
        return 1;
    }
    NoLog log;
    MemoryDefaults defaults;
    ProfileStore store(defaults);
    CanvasModel canvasModel;
    KeyboardFrames frames(lighting, store, canvasModel);
    frames.loadAllColorProfiles();
    NoCanvas canvas;
    ActionBarMaps slots(defaults);
    SystemRandomSource random;
    LightingDirector director(lighting, runLoop, log, defaults, frames, canvas, slots, random, {});

    MessageQueue queue;
    int refreshes = 0;
    MessageRelay relay(queue, director, [&] {
        if (director.state.EmberisInTheForeground == 0) ++refreshes;
        director.gameInFront();
    });
    std::function<void()> selectTick = [&] {
        relay.handleMessageQueue();
        runLoop.after(0.1, selectTick);
    };
    std::function<void()> drainTick = [&] {
        relay.readMsgQueue();
        runLoop.after(0.2, drainTick);
    };
    runLoop.after(0.1, selectTick);
    runLoop.after(0.2, drainTick);

    // Straight to the director: through the queue a "D" would wait for combat to end.
    // Five dead keys are combat keys too; their dead pulse replaces the combat one.
    director.evaluateMessage("C");
    director.evaluateMessage("D");
    runLoop.runFor(0.5);

    const double process0 = et::bench::processCpuSeconds();
    const double thread0 = et::bench::clockSeconds(CLOCK_THREAD_CPUTIME_ID);
    const double wall0 = et::bench::clockSeconds(CLOCK_MONOTONIC);
    std::map<std::string, long> startCommands = byCommand;
    std::map<int32_t, long> startKeys = byKey;
    runLoop.runFor(seconds);
    const double wall = et::bench::clockSeconds(CLOCK_MONOTONIC) - wall0;
    const double thread = et::bench::clockSeconds(CLOCK_THREAD_CPUTIME_ID) - thread0;
    const double process = et::bench::processCpuSeconds() - process0;

    lighting.shutdown();
    host.stop();
    std::filesystem::remove_all(dir);

    long total = 0;
    std::printf("combat pulse on 18 keys + dead effect, %d s through CorvaneLED\n", seconds);
    std::printf("  state: combat %s, dead %s\n",
                director.state.combatAnimationPlaying ? "on" : "off",
                director.state.deadAnimationPlaying ? "on" : "off");
    for (const auto& [name, count] : byCommand) {
        const long n = count - startCommands[name];
        total += n;
        if (n > 0) std::printf("  %-30s %8.0f/s\n", name.c_str(), static_cast<double>(n) / wall);
    }
    long keysSeen = 0, fewest = -1, most = 0;
    for (const auto& [key, count] : byKey) {
        const long n = count - startKeys[key];
        if (n <= 0) continue;
        ++keysSeen;
        fewest = fewest < 0 ? n : std::min(fewest, n);
        most = std::max(most, n);
    }
    std::printf("  messages/s (all)               %8.0f  (%ld in %.2f s)\n",
                static_cast<double>(total) / wall, total, wall);
    std::printf("  keys lit                       %8ld  (per key %.0f–%.0f/s)\n", keysSeen,
                static_cast<double>(std::max(0L, fewest)) / wall, static_cast<double>(most) / wall);
    std::printf("  lighting refreshes             %8d\n", refreshes);
    std::printf("  CPU main thread                %8.2f %% of one core\n", 100.0 * thread / wall);
    std::printf("  CPU whole process              %8.2f %% (includes the simulated host)\n",
                100.0 * process / wall);
    return 0;
}
