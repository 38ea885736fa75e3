// The recording's costs on the simulator's thread: an append per tick, the worst single tick
// over a ten-hour recording (beside what a doubling std::vector would do), the memory held
// against the payload, and the export of an hour of recording (beside a plain fprintf export).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "graph/sample_store.h"
#include "xphost/host.h"

namespace {

constexpr int kSets = SampleStore::kSets;
constexpr int kChannels = SampleStore::kChannels;
constexpr long long kTicksPerHour = 360000; // one tick every 0.01 s
constexpr long long kTenHours = 10 * kTicksPerHour;

using Clock = std::chrono::steady_clock;

double microseconds(Clock::duration span) {
    return std::chrono::duration<double, std::micro>(span).count();
}

// Values that change every tick, as flight data does.
void nextSample(float *values, long long tick) {
    for (int channel = 0; channel < kChannels; ++channel) {
        values[channel] = static_cast<float>(tick % 1000) * 0.37f + static_cast<float>(channel);
    }
}

// One tick of recording: a sample for each of the three sets.
void BM_AppendTick(benchmark::State &loop) {
    auto store = std::make_unique<SampleStore>();
    float values[kChannels];
    long long tick = 0;
    for (auto _ : loop) {
        nextSample(values, tick);
        for (int set = 0; set < kSets; ++set)
            store->appendSample(set, values);
        if (++tick == kTicksPerHour) {
            // Keep the benchmark's memory bounded: start a fresh hour.
            loop.PauseTiming();
            for (int set = 0; set < kSets; ++set)
                store->clearSet(set);
            tick = 0;
            loop.ResumeTiming();
        }
    }
    benchmark::DoNotOptimize(store->sampleCount(0));
}
BENCHMARK(BM_AppendTick);

struct TickFigures {
    double worstMicroseconds = 0;
    double meanMicroseconds = 0;
    double p99999Microseconds = 0; // all but the slowest 36 of 3.6 million ticks
    long long slowTicks = 0;       // ticks over 100 microseconds
    // Ticks that start a new block (every 4096th). On a shared machine the overall worst can
    // be a tick that did nothing but was preempted; these show the store's own cost.
    double medianBlockTickMicroseconds = 0;
    double worstBlockTickMicroseconds = 0;
};

template <typename AppendTick> TickFigures recordTenHours(AppendTick appendTick) {
    TickFigures figures;
    float values[kChannels];
    Clock::duration total{};
    std::vector<float> spans(static_cast<std::size_t>(kTenHours));
    std::vector<float> blockSpans;
    for (long long tick = 0; tick < kTenHours; ++tick) {
        nextSample(values, tick);
        const Clock::time_point start = Clock::now();
        appendTick(values);
        const Clock::duration span = Clock::now() - start;
        total += span;
        const double us = microseconds(span);
        spans[static_cast<std::size_t>(tick)] = static_cast<float>(us);
        figures.worstMicroseconds = std::max(figures.worstMicroseconds, us);
        if (tick % static_cast<long long>(SampleStore::kBlockFloats) == 0) {
            blockSpans.push_back(static_cast<float>(us));
        }
        if (us > 100.0) ++figures.slowTicks;
    }
    figures.meanMicroseconds = microseconds(total) / static_cast<double>(kTenHours);
    const std::size_t rank = spans.size() - spans.size() / 100000;
    std::nth_element(spans.begin(), spans.begin() + static_cast<std::ptrdiff_t>(rank), spans.end());
    figures.p99999Microseconds = spans[rank];
    std::sort(blockSpans.begin(), blockSpans.end());
    figures.medianBlockTickMicroseconds = blockSpans[blockSpans.size() / 2];
    figures.worstBlockTickMicroseconds = blockSpans.back();
    return figures;
}

constexpr double kPayloadBytesPerTick = kSets * kChannels * sizeof(float);

void reportRecording(benchmark::State &loop, const TickFigures &figures, std::size_t held) {
    const double payload = kPayloadBytesPerTick * static_cast<double>(kTenHours);
    loop.counters["worst_tick_us"] = figures.worstMicroseconds;
    loop.counters["mean_tick_us"] = figures.meanMicroseconds;
    loop.counters["ticks_over_100us"] = static_cast<double>(figures.slowTicks);
    loop.counters["p99999_tick_us"] = figures.p99999Microseconds;
    loop.counters["median_block_tick_us"] = figures.medianBlockTickMicroseconds;
    loop.counters["worst_block_tick_us"] = figures.worstBlockTickMicroseconds;
    loop.counters["payload_MB"] = payload / 1e6;
    loop.counters["held_MB"] = static_cast<double>(held) / 1e6;
    loop.counters["held_over_payload"] = static_cast<double>(held) / payload;
}

// Every tick timed on its own over 3.6 million ticks: the worst is what the simulator feels.
void BM_TenHourRecording_BlockStore(benchmark::State &loop) {
    for (auto _ : loop) {
        auto store = std::make_unique<SampleStore>();
        const TickFigures figures = recordTenHours([&store](const float *values) {
            for (int set = 0; set < kSets; ++set)
                store->appendSample(set, values);
        });
        std::size_t held = 0;
        for (int set = 0; set < kSets; ++set)
            held += store->bytesHeld(set);
        reportRecording(loop, figures, held);
    }
}
BENCHMARK(BM_TenHourRecording_BlockStore)->Iterations(1)->Unit(benchmark::kMillisecond);

// The same recording in 24 doubling arrays, for comparison.
void BM_TenHourRecording_StdVector(benchmark::State &loop) {
    for (auto _ : loop) {
        auto series = std::make_unique<std::vector<float>[]>(kSets * kChannels);
        const TickFigures figures = recordTenHours([&series](const float *values) {
            for (int set = 0; set < kSets; ++set) {
                for (int channel = 0; channel < kChannels; ++channel) {
                    series[set * kChannels + channel].push_back(values[channel]);
                }
            }
        });
        std::size_t held = 0;
        for (int i = 0; i < kSets * kChannels; ++i)
            held += series[i].capacity() * sizeof(float);
        reportRecording(loop, figures, held);
    }
}
BENCHMARK(BM_TenHourRecording_StdVector)->Iterations(1)->Unit(benchmark::kMillisecond);

// An hour of recording in set 0, with values of the magnitudes flight data has.
struct ExportFixture {
    ExportFixture() {
        // One folder per process: two benchmark runs at once must not write each other's file.
        root = std::filesystem::temp_directory_path() /
               ("plotwright-store-bench-" + std::to_string(getpid()));
        xphost::resetHost(root.string() + "/");
        store = std::make_unique<SampleStore>();
        std::mt19937 random(42u);
        std::uniform_real_distribution<float> value(-5000.0f, 5000.0f);
        float values[kChannels];
        for (long long tick = 0; tick < kTicksPerHour; ++tick) {
            for (float &v : values)
                v = value(random);
            store->appendSample(0, values);
        }
    }
    ~ExportFixture() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    std::string exportPath() const { return xphost::pluginFolder() + "Plotwright1.csv"; }
    std::filesystem::path root;
    std::unique_ptr<SampleStore> store;
};

std::string readWhole(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void BM_ExportHour_Store(benchmark::State &loop) {
    ExportFixture fixture;
    for (auto _ : loop)
        fixture.store->exportSetCsv(0);
    const auto bytes = std::filesystem::file_size(fixture.exportPath());
    loop.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
    loop.SetBytesProcessed(static_cast<std::int64_t>(loop.iterations()) *
                           static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_ExportHour_Store)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The plain way: one fprintf with "%f" eight times per line.
void exportWithFprintf(const SampleStore &store, const std::string &path) {
    std::FILE *file = std::fopen(path.c_str(), "wt");
    if (file == nullptr) return;
    const std::size_t count = store.sampleCount(0);
    for (std::size_t i = 0; i < count; ++i) {
        std::fprintf(file, "%f, %f, %f, %f, %f, %f, %f, %f\n", double(store.series(0, 0)[i]),
                     double(store.series(0, 1)[i]), double(store.series(0, 2)[i]),
                     double(store.series(0, 3)[i]), double(store.series(0, 4)[i]),
                     double(store.series(0, 5)[i]), double(store.series(0, 6)[i]),
                     double(store.series(0, 7)[i]));
    }
    std::fclose(file);
}

void BM_ExportHour_FprintfPerLine(benchmark::State &loop) {
    ExportFixture fixture;
    const std::string path = xphost::pluginFolder() + "fprintf.csv";
    for (auto _ : loop)
        exportWithFprintf(*fixture.store, path);
    const auto bytes = std::filesystem::file_size(path);
    loop.SetBytesProcessed(static_cast<std::int64_t>(loop.iterations()) *
                           static_cast<std::int64_t>(bytes));
    // The two exports must agree to the byte, or the comparison means nothing.
    fixture.store->exportSetCsv(0);
    loop.counters["identical_to_store_export"] =
        readWhole(path) == readWhole(fixture.exportPath()) ? 1 : 0;
}
BENCHMARK(BM_ExportHour_FprintfPerLine)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The Export click's own share after ten hours: a snapshot of one set (its row count and one
// shared reference), alone and while another thread drops an earlier snapshot of the same
// rows, as the writer does when an export ends.
void snapshotTenHours(benchmark::State &loop, bool contended) {
    auto store = std::make_unique<SampleStore>();
    float values[kChannels];
    for (long long tick = 0; tick < kTenHours; ++tick) {
        nextSample(values, tick);
        store->appendSample(0, values);
    }
    for (auto _ : loop) {
        SampleStore::SetSnapshot earlier = store->snapshotSet(0);
        std::thread dropper;
        if (contended) dropper = std::thread([&earlier] { earlier = SampleStore::SetSnapshot{}; });
        const Clock::time_point start = Clock::now();
        SampleStore::SetSnapshot snapshot = store->snapshotSet(0);
        const Clock::duration took = Clock::now() - start;
        if (dropper.joinable()) dropper.join();
        loop.SetIterationTime(std::chrono::duration<double>(took).count());
        benchmark::DoNotOptimize(snapshot.Count);
    }
}
void BM_SnapshotTenHours(benchmark::State &loop) { snapshotTenHours(loop, false); }
void BM_SnapshotTenHours_WhileAnotherIsDropped(benchmark::State &loop) {
    snapshotTenHours(loop, true);
}
BENCHMARK(BM_SnapshotTenHours)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(20);
BENCHMARK(BM_SnapshotTenHours_WhileAnotherIsDropped)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(20);

} // namespace

BENCHMARK_MAIN();
