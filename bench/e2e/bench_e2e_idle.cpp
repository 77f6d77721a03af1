// ember-talon's CPU while it idles with the game in front: the capture thread reads the
// strip 20 times a second, the timers tick, and nothing is sent but the periodic refresh.
//   bench_e2e_idle [--seconds S]   (60)
#include "AppSession.h"
#include "ProcessStats.h"

#include <cstdio>
#include <iostream>
#include <thread>

using namespace et::e2e;

int main(int argc, char** argv) {
    double seconds = 60;
    for (int i = 1; i + 1 < argc; i += 2)
        if (std::string(argv[i]) == "--seconds") seconds = std::max(5.0, std::atof(argv[i + 1]));

    SettingsFile settings;
    settings.calibratedForCellWidth(8);
    AppSession session(settings);
    if (!session.ok() || !session.startApp()) {
        std::cerr << "bench_e2e_idle: cannot start: " << session.error() << "\n";
        return 1;
    }
    session.gameInFront();
    std::this_thread::sleep_for(std::chrono::seconds(3));
    const pid_t app = session.app().pid();
    const pid_t server = session.desktop().serverPid();
    const auto app0 = et::bench::cpuSeconds(app);
    const auto server0 = et::bench::cpuSeconds(server);
    const double start = now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double elapsed = now() - start;
    const auto app1 = et::bench::cpuSeconds(app);
    const auto server1 = et::bench::cpuSeconds(server);
    if (!app0 || !app1 || !server0 || !server1) {
        std::cerr << "bench_e2e_idle: cannot read /proc\n";
        return 1;
    }
    std::printf("idle with the game in front, %.0f s\n", elapsed);
    std::printf("  ember-talon %.2f %% of one core   Xvfb %.2f %%   ember-talon RSS %.1f MiB\n",
                100 * (*app1 - *app0) / elapsed, 100 * (*server1 - *server0) / elapsed,
                et::bench::residentMiB(app).value_or(0));
    return 0;
}
