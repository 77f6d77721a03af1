// Soak: the add-on sends a message every 100 ms (a 50 ms offer and a 50 ms confirm frame)
// for ten minutes, a mix of combat, chat, profiles, whispers, cooldown frames and a reset
// every ten seconds; ember-talon's resident memory is sampled every ten seconds.
//   bench_e2e_soak [--seconds S]   (600)
#include "AppSession.h"
#include "ProcessStats.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <vector>

using namespace et::e2e;

int main(int argc, char** argv) {
    double seconds = 600;
    for (int i = 1; i + 1 < argc; i += 2)
        if (std::string(argv[i]) == "--seconds") seconds = std::max(20.0, std::atof(argv[i + 1]));

    SettingsFile settings;
    settings.calibratedForCellWidth(8)
        .set("autoToggleProfile", true)
        .set("combatChatWarning", true)
        .set("useActionBarCooldowns1", true);
    AppSession session(settings);
    if (!session.ok() || !session.startApp()) {
        std::cerr << "bench_e2e_soak: cannot start: " << session.error() << "\n";
        return 1;
    }
    session.gameInFront();
    const pid_t app = session.app().pid();
    // Ten seconds of play: 100 characters at 100 ms each.
    const std::string block = "hold 50\n"
                              "color white\nsend CyxwOEe12pIi3Ew\n"
                              "color red\nsend `@` @`@\n"
                              "color blue\nsend B@\n"
                              "color white\nsend Ee21pCOzyxwO12p3IiEe\n"
                              "color red\nsend `@`@\n"
                              "color white\nsend 1p2pCyOEe12IwxyzOEe3p21pCOEe1p2p1\n"
                              "color green\nsend `@`@ \n"
                              "color white\nsend pCOe1\nsend R";

    struct Sample {
        double at;
        double rss;
    };
    std::vector<Sample> samples;
    const double start = now();
    const auto cpu0 = et::bench::cpuSeconds(app);
    while (now() - start < seconds) {
        if (!session.strip(block)) {
            std::cerr << "bench_e2e_soak: talon-strip stopped\n";
            return 1;
        }
        if (!session.app().running()) {
            std::cerr << "bench_e2e_soak: ember-talon stopped\n";
            return 1;
        }
        samples.push_back({now() - start, et::bench::residentMiB(app).value_or(0)});
        std::fprintf(stderr, "  %5.0f s  RSS %.1f MiB  host messages %zu\n", samples.back().at,
                     samples.back().rss, session.host().count());
    }
    const double elapsed = now() - start;
    const auto cpu1 = et::bench::cpuSeconds(app);
    // The first minute fills caches and pools; drift is measured from there on.
    const auto settled =
        std::find_if(samples.begin(), samples.end(), [](const Sample& s) { return s.at >= 60; });
    const Sample first = settled != samples.end() ? *settled : samples.front();
    const Sample last = samples.back();
    double peak = 0;
    for (const auto& s : samples)
        peak = std::max(peak, s.rss);
    std::printf("soak of %.0f s, a message every 100 ms, %zu host messages\n", elapsed,
                session.host().count());
    std::printf("  RSS at %.0f s %.1f MiB, at the end %.1f MiB, peak %.1f MiB: drift %+.2f MiB\n",
                first.at, first.rss, last.rss, peak, last.rss - first.rss);
    if (cpu0 && cpu1)
        std::printf("  ember-talon CPU %.1f %% of one core\n", 100 * (*cpu1 - *cpu0) / elapsed);
    return session.quitApp() == 0 ? 0 : 1;
}
