// End-to-end latency: from the moment talon-strip has put a confirm frame on the screen to
// the moment the host simulator reports the first message that ember-talon sent for it.
// The capture pause (0.05 s), the selection tick (0.1 s) and the drain tick (0.2 s) bound
// it at 0.35 s; each message starts at a random phase of those clocks.
//   bench_e2e_latency [--messages N]   (200)
#include "AppSession.h"
#include "StripScript.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <numeric>
#include <random>
#include <thread>

using namespace et::e2e;

namespace {

std::string frameCommand(const et::strip::Cells& cells) {
    std::string command = "frame";
    for (const auto& c : cells) {
        char hex[16];
        std::snprintf(hex, sizeof hex, " #%02x%02x%02x", c.redByte(), c.greenByte(), c.blueByte());
        command += hex;
    }
    return command;
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const double rank = p / 100.0 * (values.size() - 1);
    const size_t low = static_cast<size_t>(rank);
    const size_t high = std::min(low + 1, values.size() - 1);
    return values[low] + (values[high] - values[low]) * (rank - low);
}

} // namespace

int main(int argc, char** argv) {
    int messages = 200;
    for (int i = 1; i + 1 < argc; i += 2)
        if (std::string(argv[i]) == "--messages") messages = std::max(1, std::atoi(argv[i + 1]));

    SettingsFile settings;
    settings.calibratedForCellWidth(8);
    AppSession session(settings);
    if (!session.ok() || !session.startApp()) {
        std::cerr << "bench_e2e_latency: cannot start: " << session.error() << "\n";
        return 1;
    }
    // "p" toggles between profiles 1 and 2; each toggle sends a bitmap first.
    const std::string offer = frameCommand(et::strip::offerFrame('p', et::Color::white()));
    const std::string confirm = frameCommand(et::strip::confirmFrame('p', et::Color::white()));
    std::mt19937 random(12345);
    std::uniform_real_distribution<double> phase(0.0, 0.4);

    std::vector<double> latencies;
    int lost = 0;
    for (int i = -5; i < messages; ++i) { // five rounds to warm up
        const size_t before = session.mark();
        const std::string token = "confirmed " + std::to_string(i);
        session.stripPainter().runAsync(offer + "\nsleep 120\n" + confirm + "\necho " + token +
                                        "\nsleep 150\nclear");
        const auto first = session.host().waitFor(
            [](const HostRecord& r) { return r.is("SetLightingWithBitmap"); }, 5.0, before);
        session.stripPainter().drain();
        const double painted = session.stripPainter().echoedAt(token);
        if (!first || painted == 0.0) {
            ++lost;
            continue;
        }
        if (i >= 0) latencies.push_back(first->at - painted);
        session.host().waitForQuiet(0.1, 2.0);
        std::this_thread::sleep_for(std::chrono::duration<double>(phase(random)));
    }
    if (latencies.empty()) {
        std::cerr << "bench_e2e_latency: no message came through\n";
        return 1;
    }
    const double mean = std::accumulate(latencies.begin(), latencies.end(), 0.0) / latencies.size();
    std::printf("confirm frame painted -> first message at the host, %zu messages (%d lost)\n",
                latencies.size(), lost);
    std::printf("  p50 %.0f ms   p95 %.0f ms   mean %.0f ms   min %.0f ms   max %.0f ms\n",
                1000 * percentile(latencies, 50), 1000 * percentile(latencies, 95), 1000 * mean,
                1000 * *std::min_element(latencies.begin(), latencies.end()),
                1000 * *std::max_element(latencies.begin(), latencies.end()));
    return 0;
}
