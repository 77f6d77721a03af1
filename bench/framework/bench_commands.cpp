// Commands per second through the real library to a host that drains the socket.
#include "CorvaneLED.h"
#include "HostServer.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace {

class Host {
public:
    Host() {
        char pattern[] = "/tmp/et-bench-XXXXXX";
        dir_ = ::mkdtemp(pattern);
        ::setenv("XDG_DATA_HOME", dir_.c_str(), 1);
        server_ = std::make_unique<hostsim::HostServer>(dir_ + "/Corvane/CHS_LED_SDK");
        server_->setKeepMessages(false);
        server_->start();
        CorvLedInit();
    }
    ~Host() {
        CorvLedShutdown();
        server_->stop();
        std::filesystem::remove_all(dir_);
    }

private:
    std::string dir_;
    std::unique_ptr<hostsim::HostServer> server_;
};

void BM_SetLightingForKeyWithKeyName(benchmark::State& state) {
    Host host;
    int i = 0;
    for (auto _ : state) {
        if (!CorvLedSetLightingForKeyWithKeyName(CLK_A, i & 63, 0, 100)) state.SkipWithError("write failed");
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SetLightingForKeyWithKeyName)->MinTime(2.0)->UseRealTime();

void BM_SetLightingFromBitmap(benchmark::State& state) {
    Host host;
    unsigned char bitmap[CORVLED_BITMAP_SIZE] = {};
    for (auto _ : state) {
        bitmap[0]++;
        if (!CorvLedSetLightingFromBitmap(bitmap)) state.SkipWithError("write failed");
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SetLightingFromBitmap)->MinTime(2.0)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
