// Cost of reading the strip through the desktop portal and PipeWire on a headless sway, at the
// capture thread's 20 frames a second, on a 1280×800 and a 3840×2160 output, while the strip
// changes 25 times a second: the capture thread's CPU, the rest of this process (PipeWire's
// thread copying the corner), the portal backend's and the compositor's extra CPU against the
// same animation without a cast, and the age of a color when the capture first sees it.
//
//   bench_portal [--seconds S]
#include "ChildProcess.h"
#include "PortalCast.h"
#include "PortalStack.h"
#include "ProcessStats.h"
#include "SwayDesktop.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <grp.h>
#include <iostream>
#include <mutex>
#include <pwd.h>
#include <sys/prctl.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace et;
using Clock = std::chrono::steady_clock;

namespace {

struct NoTokens : portal::PortalTokens {
    std::string restoreToken() override { return {}; }
    void keepRestoreToken(const std::string&) override {}
};

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())))];
}

// Paints frames whose first cell alternates red and green, 25 a second, and remembers when
// talon-strip had drawn each.
class Animation {
  public:
    explicit Animation(const std::string& display)
        : painter_({TALON_STRIP, "--display", display, "--width", "8"}) {
        thread_ = std::thread([this] { run(); });
    }
    ~Animation() {
        stop_ = true;
        thread_.join();
        painter_.write("quit\n");
    }
    // When the latest frame whose first cell is `red` (or green) was drawn before `at`.
    std::optional<Clock::time_point> paintedBefore(bool red, Clock::time_point at) {
        std::lock_guard lock(mutex_);
        for (auto it = painted_.rbegin(); it != painted_.rend(); ++it)
            if (it->second == red && it->first <= at) return it->first;
        return std::nullopt;
    }

  private:
    void run() {
        for (int n = 0; !stop_; ++n) {
            const bool red = n % 2 == 0;
            const std::string first = red ? "red" : "green";
            painter_.write("frame " + first + " white black white black white black white black "
                           "white black\necho p\n");
            if (painter_.readLine(5.0) != "p") return;
            {
                std::lock_guard lock(mutex_);
                painted_.emplace_back(Clock::now(), red);
                if (painted_.size() > 512) painted_.erase(painted_.begin(), painted_.begin() + 256);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
        }
    }
    test::ChildProcess painter_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::pair<Clock::time_point, bool>> painted_;
};

struct CpuWindow {
    pid_t sway = -1, backend = -1;
    double swayStart = 0, backendStart = 0, selfStart = 0;
    Clock::time_point start;
    void begin() {
        swayStart = bench::cpuSeconds(sway).value_or(0);
        backendStart = bench::cpuSeconds(backend).value_or(0);
        selfStart = bench::processCpuSeconds();
        start = Clock::now();
    }
    // Percent of one core over the window, for sway, the backend and this process.
    std::array<double, 3> end() const {
        const double wall = seconds(Clock::now() - start);
        return {100 * (bench::cpuSeconds(sway).value_or(0) - swayStart) / wall,
                100 * (bench::cpuSeconds(backend).value_or(0) - backendStart) / wall,
                100 * (bench::processCpuSeconds() - selfStart) / wall};
    }
};

bool measure(int width, int height, double window) {
    test::SwayDesktop::Options size;
    size.width = width;
    size.height = height;
    test::SwayDesktop desktop(size);
    test::PortalStack stack(desktop);
    if (!desktop.running() || !stack.running()) {
        std::cerr << "bench_portal: " << desktop.error() << stack.error() << "\n";
        return false;
    }
    Animation animation(desktop.display());
    CpuWindow cpu;
    cpu.sway = desktop.pid();
    cpu.backend = stack.backendPid();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    cpu.begin();
    std::this_thread::sleep_for(std::chrono::duration<double>(window));
    const auto still = cpu.end();

    NoTokens tokens;
    portal::PortalCast::Options options;
    options.busAddress = stack.busAddress();
    portal::PortalCast cast(tokens, {}, options);
    std::vector<double> seenAge, arrivalAge;
    double threadCpu = 0;
    std::array<double, 3> casting{};
    const uint64_t framesBefore = cast.frames();
    std::thread capture([&] {
        std::vector<Color> row;
        const auto until = Clock::now() + std::chrono::duration<double>(window + 3.0);
        std::optional<bool> last;
        bool measuring = false;
        double threadStart = 0;
        Clock::time_point measuredFrom;
        while (Clock::now() < until) {
            if (!measuring && cast.state() == portal::PortalCast::State::Streaming &&
                cast.frames() > framesBefore + 20) {
                // The cast is up and flowing: from here on it is the steady state.
                measuring = true;
                cpu.begin();
                threadStart = bench::clockSeconds(CLOCK_THREAD_CPUTIME_ID);
                measuredFrom = Clock::now();
            }
            cast.want();
            Clock::time_point arrived;
            if (cast.read({2, 0, 80, 1}, row, &arrived) && !row.empty() && measuring) {
                const bool red = row[0].red > 0.5;
                if (last && *last != red) {
                    const auto now = Clock::now();
                    if (auto painted = animation.paintedBefore(red, arrived)) {
                        seenAge.push_back(1000 * seconds(now - *painted));
                        arrivalAge.push_back(1000 * seconds(arrived - *painted));
                    }
                }
                last = red;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (measuring) {
            threadCpu = (bench::clockSeconds(CLOCK_THREAD_CPUTIME_ID) - threadStart) /
                        seconds(Clock::now() - measuredFrom);
            casting = cpu.end();
        }
    });
    capture.join();
    std::printf("%dx%d: capture thread %.3f %% of a core; this process %.2f %% (PipeWire's "
                "thread included)\n",
                width, height, 100 * threadCpu, casting[2]);
    std::printf("  portal backend %.2f %% (%.2f without a cast), sway %.2f %% (%.2f without): "
                "extra %.2f and %.2f %%\n",
                casting[1], still[1], casting[0], still[0], casting[1] - still[1],
                casting[0] - still[0]);
    std::printf("  color age when the capture first saw it: p50 %.1f ms, p95 %.1f ms, max %.1f "
                "ms (at arrival: p50 %.1f, max %.1f) over %zu changes; %llu frames\n",
                percentile(seenAge, 0.5), percentile(seenAge, 0.95), percentile(seenAge, 1.0),
                percentile(arrivalAge, 0.5), percentile(arrivalAge, 1.0), seenAge.size(),
                static_cast<unsigned long long>(cast.frames()));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    double window = 8.0;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--seconds") == 0) window = std::atof(argv[++i]);
    // The portal refuses root's processes (see tests/portal/main.cpp).
    if (::geteuid() == 0) {
        const passwd* user = getpwnam("nobody");
        const group* grp = getgrnam("nogroup");
        if (!user || !grp || setgroups(0, nullptr) != 0 || setgid(grp->gr_gid) != 0 ||
            setuid(user->pw_uid) != 0)
            return 2;
        prctl(PR_SET_DUMPABLE, 1);
    }
    bool ok = measure(1280, 800, window);
    ok = measure(3840, 2160, window) && ok;
    return ok ? 0 : 1;
}
