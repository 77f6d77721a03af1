// What a frame, a profile switch and the profile file cost: composing a bitmap (done for
// every profile change and every cooldown start), sending a profile, loading one from the
// settings, saving one to the INI file, and exporting and importing all nine.
#include "ColorProfiles.h"
#include "KeyList.h"
#include "MemoryDefaults.h"
#include "ProfileFile.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <unistd.h>

#ifdef ET_BENCH_QSETTINGS
#include "QSettingsDefaults.h"
#endif

using namespace et;

namespace {

// Accepts every call and does nothing, so only our side of a frame is measured.
class NullLighting : public Lighting {
  public:
    bool init() override { return true; }
    bool getSdkVersion(int&, int&, int&) override { return true; }
    bool setTargetDevice(int) override { return true; }
    bool setLighting(int, int, int) override { return true; }
    bool stopEffects() override { return true; }
    bool setLightingFromBitmap(const unsigned char* b) override {
        benchmark::DoNotOptimize(b[0]);
        return true;
    }
    bool setLightingForKey(int32_t, int, int, int) override { return true; }
    bool flashSingleKey(int32_t, int, int, int, int, int) override { return true; }
    bool pulseSingleKey(int32_t, int, int, int, int, int, int, int, bool) override { return true; }
    bool stopEffectsOnKey(int32_t) override { return true; }
    void shutdown() override {}
};

void storeProfiles(ProfileStore& store) {
    std::mt19937 rng(1);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::uniform_int_distribution<int> index(0, 12);
    for (int n = 1; n <= 9; ++n) {
        ColorSet set;
        for (Color& c : set)
            c = {unit(rng), unit(rng), unit(rng), 1.0};
        store.saveProfileColors(set, n);
        KeyMap map(528);
        for (int& v : map)
            v = index(rng);
        store.saveKeyToColorMap(map, n);
        store.saveCooldownFlag(n, n % 2 == 0);
    }
}

std::set<int32_t> thirtyDimmedKeys() {
    std::set<int32_t> keys;
    for (const KeyLabel& k : keyList())
        if (k.id != kNoKey && keys.size() < 30) keys.insert(k.id);
    return keys;
}

void BM_ComposeBitmap(benchmark::State& state) {
    const ColorSet set = defaultColorSet();
    const KeyMap map = ProfileStore::defaultKeyToColorMap();
    for (auto _ : state)
        benchmark::DoNotOptimize(KeyboardFrames::composeBitmap(set, map));
}
BENCHMARK(BM_ComposeBitmap);

void BM_ComposeProfileBitmapWithCooldowns(benchmark::State& state) {
    const ColorSet set = defaultColorSet();
    const KeyMap map = ProfileStore::defaultKeyToColorMap();
    const auto dimmed = thirtyDimmedKeys();
    for (auto _ : state)
        benchmark::DoNotOptimize(KeyboardFrames::composeProfileBitmap(set, map, true, dimmed));
}
BENCHMARK(BM_ComposeProfileBitmapWithCooldowns);

void BM_ShowColorProfile(benchmark::State& state) {
    MemoryDefaults defaults;
    ProfileStore store(defaults);
    CanvasModel canvas;
    NullLighting lighting;
    KeyboardFrames frames(lighting, store, canvas);
    for (auto _ : state)
        frames.showColorProfile(1);
}
BENCHMARK(BM_ShowColorProfile);

void BM_SelectColorProfileFromMemory(benchmark::State& state) {
    MemoryDefaults defaults;
    ProfileStore store(defaults);
    storeProfiles(store);
    CanvasModel canvas;
    NullLighting lighting;
    KeyboardFrames frames(lighting, store, canvas);
    frames.dimmedKeys = thirtyDimmedKeys();
    int n = 0;
    for (auto _ : state)
        frames.selectColorProfile(n++ % 9 + 1);
}
BENCHMARK(BM_SelectColorProfileFromMemory);

void BM_ExportNineProfiles(benchmark::State& state) {
    MemoryDefaults defaults;
    ProfileStore store(defaults);
    storeProfiles(store);
    for (auto _ : state)
        benchmark::DoNotOptimize(exportProfileFile(store, "1"));
}
BENCHMARK(BM_ExportNineProfiles);

void BM_ImportNineProfiles(benchmark::State& state) {
    MemoryDefaults source;
    ProfileStore from(source);
    storeProfiles(from);
    const auto bytes = exportProfileFile(from, "1");
    MemoryDefaults defaults;
    ProfileStore store(defaults);
    for (auto _ : state)
        benchmark::DoNotOptimize(importProfileFile(bytes, store).status);
}
BENCHMARK(BM_ImportNineProfiles);

#ifdef ET_BENCH_QSETTINGS
// Saving one edited profile: 15 settings, then the atomic rewrite of the whole INI file
// (which holds all nine profiles, as on a player's machine).
void BM_SaveProfileToIniFile(benchmark::State& state) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("et-bench-profiles-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    {
        QSettingsDefaults defaults((dir / "EmberTalon.conf").string());
        ProfileStore store(defaults);
        storeProfiles(store);
        CanvasModel canvas;
        NullLighting lighting;
        KeyboardFrames frames(lighting, store, canvas);
        int active = 3;
        ColorProfiles profiles(frames, store, canvas, active);
        frames.loadColorProfile(3);
        profiles.showWorkingProfileInCanvas();
        for (auto _ : state)
            profiles.saveColorProfile(3);
        state.counters["file_bytes"] =
            static_cast<double>(std::filesystem::file_size(dir / "EmberTalon.conf"));
    }
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_SaveProfileToIniFile)->Unit(benchmark::kMicrosecond);
#endif

} // namespace

BENCHMARK_MAIN();
