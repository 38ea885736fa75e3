// Cost of reading the settings file at start (the simulator waits for it) and of writing
// PlotwrightNew.ini (the setup window's button waits for it), through the headless host.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "config/config_reader.h"
#include "config/config_writer.h"
#include "core/app_state.h"
#include "xphost/host.h"

namespace {

struct ConfigFixture {
    explicit ConfigFixture(const std::string &fileText) {
        const std::filesystem::path root =
            std::filesystem::temp_directory_path() / "plotwright-config-bench";
        xphost::resetHost(root.string() + "/");
        state = std::make_unique<AppState>();
        state->resetToDefaults();
        path = xphost::pluginFolder() + "Plotwright.ini";
        std::ofstream(path, std::ios::binary | std::ios::trunc) << fileText;
        path.copy(state->SettingsPath, sizeof state->SettingsPath - 1);
    }
    std::unique_ptr<AppState> state;
    std::string path;
};

std::string shippedExample() {
    const std::filesystem::path source =
        std::filesystem::path(__FILE__).parent_path().parent_path();
    std::ifstream in(source / "dist" / "Plotwright.ini");
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void readFile(benchmark::State &loop, const std::string &fileText) {
    ConfigFixture fixture(fileText);
    for (auto _ : loop)
        benchmark::DoNotOptimize(parseConfigFile(*fixture.state, fixture.path.c_str()));
    loop.SetBytesProcessed(static_cast<int64_t>(loop.iterations()) *
                           static_cast<int64_t>(fileText.size()));
}

void BM_ReadShippedExample(benchmark::State &loop) { readFile(loop, shippedExample()); }

// 1024 settings fill the table; the walk applies them all.
void BM_ReadFullTable(benchmark::State &loop) {
    std::string text = "[DATASET1]\n";
    for (int line = 0; line < 1024; ++line)
        text += "Name" + std::to_string(line % 8 + 1) + " = sim/flightmodel/position/x" +
                std::to_string(line) + "\n";
    readFile(loop, text);
}

// The longest a start can be held up: a file that reaches the reading limit.
void BM_ReadToTheSizeLimit(benchmark::State &loop) {
    std::string text;
    while (text.size() <= (1u << 20))
        text += std::string(254, '#') + "\n";
    readFile(loop, text);
}

void BM_WriteSettings(benchmark::State &loop) {
    ConfigFixture fixture("");
    for (int set = 0; set < kSetCount; ++set)
        for (int channel = 0; channel < kChannelCount; ++channel)
            std::string("sim/flightmodel/engine/ENGN_N1_")
                .copy(fixture.state->Name[set][channel], kTextSize - 1);
    for (auto _ : loop)
        benchmark::DoNotOptimize(writeConfigFile(*fixture.state));
}

// Create INI File as the setup window's button runs it, now that the file goes to the disk
// before it replaces the old one: 50 writes timed one by one, for the median and the worst (the
// disk's flushes vary far more than the formatting does). One iteration of 50 writes.
void BM_WriteSettingsToTheDisk(benchmark::State &loop) {
    ConfigFixture fixture("");
    for (int set = 0; set < kSetCount; ++set)
        for (int channel = 0; channel < kChannelCount; ++channel)
            std::string("sim/flightmodel/engine/ENGN_N1_")
                .copy(fixture.state->Name[set][channel], kTextSize - 1);
    constexpr int kWrites = 50;
    std::vector<double> millis;
    for (auto _ : loop) {
        millis.clear();
        for (int write = 0; write < kWrites; ++write) {
            const auto begin = std::chrono::steady_clock::now();
            benchmark::DoNotOptimize(writeConfigFile(*fixture.state));
            millis.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin)
                    .count());
        }
    }
    std::sort(millis.begin(), millis.end());
    loop.counters["median_ms"] = millis[kWrites / 2];
    loop.counters["worst_ms"] = millis.back();
}

BENCHMARK(BM_ReadShippedExample)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadFullTable)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadToTheSizeLimit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteSettings)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WriteSettingsToTheDisk)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
