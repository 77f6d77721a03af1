// Cost of the applet configuration options: every getter re-reads and re-parses the
// whole file, and every new option rewrites it durably. Measured on a file of 100
// options in 10 groups, a generous applet.
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "CorvaneLED.h"
#include "JSON.h"

namespace {

std::string makeBase() {
    char pattern[] = "/tmp/et-bench-config-XXXXXX";
    if (!::mkdtemp(pattern)) std::abort();
    return pattern;
}

std::wstring optionPath(int index) {
    return L"group" + std::to_wstring(index / 10) + L"/option" + std::to_wstring(index);
}

// A base folder whose file holds the 100 options.
struct PopulatedConfig {
    PopulatedConfig() : base(makeBase()) {
        if (!CorvSetConfigFilePath(base.c_str())) std::abort();
        for (int i = 0; i < 100; ++i) {
            double value = i * 0.5;
            CorvLedGetConfigOptionNumber(optionPath(i).c_str(), &value);
        }
    }
    ~PopulatedConfig() { std::filesystem::remove_all(base); }
    std::string base;
};

std::wstring documentText() {
    PopulatedConfig config;
    std::unique_ptr<JSONValue> document;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(config.base))
        if (entry.path().filename() == "corv.cfg") {
            std::string text(entry.file_size(), '\0');
            FILE* file = std::fopen(entry.path().c_str(), "rb");
            if (!file || std::fread(text.data(), 1, text.size(), file) != text.size()) std::abort();
            std::fclose(file);
            document.reset(JSON::Parse(text.c_str()));
        }
    return JSON::Stringify(document.get());
}

void BM_ParseDocument(benchmark::State& state) {
    const std::wstring text = documentText();
    for (auto _ : state) {
        std::unique_ptr<JSONValue> value(JSON::Parse(text.c_str()));
        benchmark::DoNotOptimize(value.get());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseDocument);

void BM_StringifyDocument(benchmark::State& state) {
    const std::wstring text = documentText();
    std::unique_ptr<JSONValue> value(JSON::Parse(text.c_str()));
    for (auto _ : state)
        benchmark::DoNotOptimize(JSON::Stringify(value.get()));
}
BENCHMARK(BM_StringifyDocument);

void BM_GetExistingOption(benchmark::State& state) {
    PopulatedConfig config;
    for (auto _ : state) {
        double value = 0;
        benchmark::DoNotOptimize(CorvLedGetConfigOptionNumber(L"group9/option99", &value));
    }
}
BENCHMARK(BM_GetExistingOption);

// Each iteration adds an option, so the file is rewritten, flushed to disk and renamed.
void BM_AddOption(benchmark::State& state) {
    PopulatedConfig config;
    int next = 100;
    for (auto _ : state) {
        double value = 1;
        const std::wstring path = L"added/option" + std::to_wstring(next++);
        benchmark::DoNotOptimize(CorvLedGetConfigOptionNumber(path.c_str(), &value));
    }
}
BENCHMARK(BM_AddOption)->Iterations(200);

} // namespace

BENCHMARK_MAIN();
