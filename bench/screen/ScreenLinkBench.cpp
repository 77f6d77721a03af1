// Cost of the screen link on a real X server (Xvfb): one frame (capture of an 80-pixel
// strip plus classification and handshake), and the capture thread's CPU at its normal
// rhythm of 20 frames a second.
//
//   bench_screen [--frames N] [--seconds S]
#include "ProcessStats.h"
#include "ChildProcess.h"
#include "MessageQueue.h"
#include "PixelDecoder.h"
#include "RealTimeRunLoop.h"
#include "RecordingLog.h"
#include "ScreenReader.h"
#include "X11ScreenSource.h"
#include "XvfbServer.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace et;
using namespace et::test;
using Clock = std::chrono::steady_clock;

namespace {

// Counts the frames the capture thread takes.
class CountingSource : public ScreenSource {
  public:
    explicit CountingSource(ScreenSource& inner) : inner_(inner) {}
    int activeDisplayCount() override { return inner_.activeDisplayCount(); }
    bool capture(const Rect& rect, ScreenImage& image) override {
        ++captures;
        return inner_.capture(rect, image);
    }
    double mainDisplayScaleFactor() override { return inner_.mainDisplayScaleFactor(); }
    std::atomic<long> captures{0};

  private:
    ScreenSource& inner_;
};

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())));
    return v[i];
}

void report(const char* what, const std::vector<double>& micros) {
    std::printf("%-34s median %7.1f us   p99 %7.1f us   max %8.1f us   (%zu samples)\n", what,
                percentile(micros, 0.5), percentile(micros, 0.99), percentile(micros, 1.0),
                micros.size());
}

} // namespace

int main(int argc, char** argv) {
    int frames = 20000;
    double seconds = 30.0;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--frames") frames = std::max(10, std::atoi(argv[i + 1]));
        if (arg == "--seconds") seconds = std::max(1.0, std::atof(argv[i + 1]));
    }

    XvfbServer server({"-screen", "0", "1920x1080x24"});
    if (!server.running()) {
        std::cerr << "bench_screen: Xvfb did not start\n";
        return 1;
    }
    // A strip 80 pixels wide at the default place, showing a confirm frame.
    ChildProcess painter({TALON_STRIP, "--display", server.display(), "--width", "7.2727"});
    painter.write("frame white white white black white black black black white white black\n"
                  "echo shown\n");
    if (painter.readLine(10.0) != "shown") {
        std::cerr << "bench_screen: talon-strip did not start\n";
        return 1;
    }

    ScanGeometry geometry;
    geometry.scanOffset = 2;
    geometry.scanWidth = 80.0;
    geometry.applyScanRect();
    RealTimeRunLoop mainThread;
    RecordingLog log;
    MessageQueue queue;

    {
        X11ScreenSource source(server.display());
        ScreenReader reader(source, geometry, queue, mainThread, log, [](auto) {});
        std::vector<double> frameCost, captureCost, decodeCost;
        ScreenImage image;
        PixelDecoder decoder;
        PixelDecoder::Frame cells{};
        const Rect rect{2, 0, 80, 1};
        for (int i = 0; i < 200; ++i)
            reader.recordColors(); // connect and warm up
        for (int i = 0; i < frames; ++i) {
            auto t0 = Clock::now();
            reader.recordColors();
            auto t1 = Clock::now();
            source.capture(rect, image);
            auto t2 = Clock::now();
            for (size_t c = 0; c < cells.size(); ++c)
                cells[c] = image.colorAt(geometry.pixelOffsets()[c]).value_or(Color{});
            decoder.decode(cells);
            auto t3 = Clock::now();
            frameCost.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
            captureCost.push_back(std::chrono::duration<double, std::micro>(t2 - t1).count());
            decodeCost.push_back(std::chrono::duration<double, std::micro>(t3 - t2).count());
        }
        report("frame (recordColors)", frameCost);
        report("  capture of 80 pixels (GetImage)", captureCost);
        report("  sampling and decoding", decodeCost);
    }

    {
        X11ScreenSource inner(server.display());
        CountingSource source(inner);
        ScreenReader reader(source, geometry, queue, mainThread, log);
        const double cpu0 = et::bench::processCpuSeconds();
        const double server0 = et::bench::cpuSeconds(server.pid()).value_or(0.0);
        const auto wall0 = Clock::now();
        reader.start();
        mainThread.runFor(seconds);
        bool stopped = false;
        reader.stop([&] { stopped = true; });
        mainThread.runUntil([&] { return stopped; }, 5.0);
        const double wall = std::chrono::duration<double>(Clock::now() - wall0).count();
        const double cpu = et::bench::processCpuSeconds() - cpu0;
        const double serverCpu = et::bench::cpuSeconds(server.pid()).value_or(0.0) - server0;
        std::printf("capture thread over %.1f s: %ld frames (%.1f/s), CPU %.3f s = %.3f %% of "
                    "one core; Xvfb serving it: %.2f %%\n",
                    wall, source.captures.load(), static_cast<double>(source.captures) / wall, cpu,
                    100.0 * cpu / wall, 100.0 * serverCpu / wall);
    }
    return 0;
}
