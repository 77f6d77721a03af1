// Cost of reading the strip through the compositor's screencopy on a headless sway, with the
// strip painted by a native Wayland game (talon-strip --wayland), at 1280x800 and 3840x2160:
// the capture thread's CPU at its rhythm of 20 frames a second, sway's CPU beyond its own
// idle, and how old the pixels are when decoded (from asking for the copy to having it),
// on a still screen and while the game repaints 20 times a second.
//
//   bench_screencopy [--seconds S]
#include "ChildProcess.h"
#include "MessageQueue.h"
#include "ProcessStats.h"
#include "RealTimeRunLoop.h"
#include "RecordingLog.h"
#include "ScreenReader.h"
#include "SwayDesktop.h"
#include "WlrScreencopySource.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <thread>
#include <vector>

using namespace et;
using Clock = std::chrono::steady_clock;

namespace {

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())));
    return v[i];
}

double swayCpu(const test::SwayDesktop& sway) {
    return bench::cpuSeconds(sway.pid()).value_or(0);
}

// Copies at 20 frames a second for `seconds`; the time from asking to having each copy.
std::vector<double> ages(WlrScreencopySource& source, double seconds) {
    std::vector<double> ms;
    ScreenImage image;
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < end) {
        const auto t0 = Clock::now();
        source.activeDisplayCount();
        if (source.capture({2, 0, 80, 1}, image))
            ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return ms;
}

bool measure(int width, int height, double seconds) {
    test::SwayDesktop::Options options;
    options.width = width;
    options.height = height;
    options.xwayland = false;
    test::SwayDesktop sway(options);
    if (!sway.running()) {
        std::cerr << "bench_screencopy: " << sway.error() << "\n";
        return false;
    }
    test::ChildProcess painter(
        {TALON_STRIP, "--wayland", "--display", sway.waylandDisplay(), "--width", "7.2727"});
    painter.write("frame white white white black white black black black white white black\n"
                  "echo shown\n");
    if (painter.readLine(20.0) != "shown") {
        std::cerr << "bench_screencopy: talon-strip did not start\n";
        return false;
    }
    // sway's own cost on a still screen, without us.
    double s0 = swayCpu(sway);
    auto w0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double idle =
        (swayCpu(sway) - s0) / std::chrono::duration<double>(Clock::now() - w0).count();

    ScanGeometry geometry;
    geometry.scanOffset = 2;
    geometry.scanWidth = 80.0;
    geometry.applyScanRect();
    test::RealTimeRunLoop mainThread;
    test::RecordingLog log;
    MessageQueue queue;
    WlrScreencopySource source(sway.waylandDisplay());
    ScreenReader reader(source, geometry, queue, mainThread, log);
    const double cpu0 = bench::processCpuSeconds();
    s0 = swayCpu(sway);
    w0 = Clock::now();
    reader.start();
    mainThread.runFor(seconds);
    bool stopped = false;
    reader.stop([&] { stopped = true; });
    mainThread.runUntil([&] { return stopped; }, 5.0);
    const double wall = std::chrono::duration<double>(Clock::now() - w0).count();
    const double cpu = bench::processCpuSeconds() - cpu0;
    const double swayExtra = (swayCpu(sway) - s0) / wall - idle;
    std::printf("%dx%d capture thread at 20 frames/s over %.1f s: %.3f %% of one core; sway "
                "beyond its idle %.3f %%: %.3f %%\n",
                width, height, wall, 100.0 * cpu / wall, 100.0 * idle, 100.0 * swayExtra);

    WlrScreencopySource timed(sway.waylandDisplay());
    const auto still = ages(timed, seconds / 2);
    // The game repaints its strip 20 times a second meanwhile.
    std::string script;
    for (int i = 0; i < 40 * static_cast<int>(seconds); ++i)
        script += (i % 2 ? "frame white white white black white black black black white white "
                           "black\nsleep 25\n"
                         : "frame white black white white black white white black white white "
                           "black\nsleep 25\n");
    painter.write(script);
    const auto moving = ages(timed, seconds / 2);
    if (still.empty() || moving.empty()) return false;
    std::printf("%dx%d age of a copy when decoded: still screen median %.3f ms max %.3f ms; "
                "repainting median %.3f ms p99 %.3f ms max %.3f ms (%zu + %zu copies)\n",
                width, height, percentile(still, 0.5), percentile(still, 1.0),
                percentile(moving, 0.5), percentile(moving, 0.99), percentile(moving, 1.0),
                still.size(), moving.size());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    double seconds = 20.0;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--seconds") seconds = std::max(2.0, std::atof(argv[++i]));
    bool ok = measure(1280, 800, seconds);
    ok = measure(3840, 2160, seconds) && ok;
    return ok ? 0 : 1;
}
