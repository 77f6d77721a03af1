// Cost of reading the strip from the game's own window on a Wayland desktop (headless weston
// with XWayland), and on Xvfb for comparison: one capture of an 80-pixel strip from the
// window, and the capture thread's CPU at its rhythm of 20 frames a second.
//
//   bench_game_window [--frames N] [--seconds S] [--xvfb-only | --weston-only]
#include "ProcessStats.h"
#include "ChildProcess.h"
#include "Desktop.h"
#include "MessageQueue.h"
#include "RealTimeRunLoop.h"
#include "RecordingLog.h"
#include "ScreenReader.h"
#include "X11ScreenSource.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <string>
#include <vector>

using namespace et;
using Clock = std::chrono::steady_clock;

namespace {

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())));
    return v[i];
}

bool measure(const char* desktopName, e2e::Desktop& desktop, int frames, double seconds) {
    if (!desktop.ok()) {
        std::cerr << "bench_game_window: " << desktopName << ": " << desktop.error() << "\n";
        return false;
    }
    // A windowed game away from the screen's corner, showing a confirm frame.
    test::ChildProcess painter({TALON_STRIP, "--display", desktop.display(), "--width", "7.2727",
                                "--game", "--geometry", "640x400+200+150"});
    painter.write("frame white white white black white black black black white white black\n"
                  "echo shown\n");
    if (painter.readLine(20.0) != "shown") {
        std::cerr << "bench_game_window: talon-strip did not start on " << desktopName << "\n";
        return false;
    }
    const Rect rect{2, 0, 80, 1};
    {
        X11ScreenSource source(desktop.display());
        ScreenImage image;
        // Wall time includes the X server's share and any wait for a core; CPU time is ours.
        std::vector<double> cost, cpu;
        for (int i = 0; i < 200; ++i) // connect, find the window, warm up
            source.capture(rect, image);
        if (source.reading() != X11ScreenSource::Reading::GameWindow) {
            std::cerr << "bench_game_window: the game window is not read on " << desktopName
                      << "\n";
            return false;
        }
        for (int i = 0; i < frames; ++i) {
            const auto t0 = Clock::now();
            const double c0 = 1e6 * et::bench::clockSeconds(CLOCK_THREAD_CPUTIME_ID);
            source.activeDisplayCount();
            source.capture(rect, image);
            cpu.push_back(1e6 * et::bench::clockSeconds(CLOCK_THREAD_CPUTIME_ID) - c0);
            cost.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
        }
        std::printf("%-8s one frame from the game window: median %6.1f us  p99 %7.1f us  "
                    "max %8.1f us (%zu frames); its CPU: median %5.1f us  p99 %6.1f us\n",
                    desktopName, percentile(cost, 0.5), percentile(cost, 0.99),
                    percentile(cost, 1.0), cost.size(), percentile(cpu, 0.5),
                    percentile(cpu, 0.99));
    }
    {
        ScanGeometry geometry;
        geometry.scanOffset = 2;
        geometry.scanWidth = 80.0;
        geometry.applyScanRect();
        test::RealTimeRunLoop mainThread;
        test::RecordingLog log;
        MessageQueue queue;
        X11ScreenSource source(desktop.display());
        ScreenReader reader(source, geometry, queue, mainThread, log);
        const double cpu0 = et::bench::processCpuSeconds();
        const auto wall0 = Clock::now();
        reader.start();
        mainThread.runFor(seconds);
        bool stopped = false;
        reader.stop([&] { stopped = true; });
        mainThread.runUntil([&] { return stopped; }, 5.0);
        const double wall = std::chrono::duration<double>(Clock::now() - wall0).count();
        const double cpu = et::bench::processCpuSeconds() - cpu0;
        std::printf("%-8s capture thread at 20 frames/s over %.1f s: CPU %.3f s = %.3f %% of one "
                    "core\n",
                    desktopName, wall, cpu, 100.0 * cpu / wall);
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    int frames = 20000;
    double seconds = 30.0;
    bool xvfb = true, weston = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--frames" && hasValue) frames = std::max(10, std::atoi(argv[++i]));
        if (arg == "--seconds" && hasValue) seconds = std::max(1.0, std::atof(argv[++i]));
        if (arg == "--xvfb-only") weston = false;
        if (arg == "--weston-only") xvfb = false;
    }
    bool ok = true;
    if (weston) {
        e2e::Desktop desktop{e2e::Desktop::OnWeston{}};
        ok = measure("XWayland", desktop, frames, seconds) && ok;
    }
    if (xvfb) {
        e2e::Desktop desktop;
        ok = measure("Xvfb", desktop, frames, seconds) && ok;
    }
    return ok ? 0 : 1;
}
