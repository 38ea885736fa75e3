// Cost of one readChannel call for each kind of dataref, through the headless host (whose own
// handle checks are part of every figure). The sampler makes up to 48 of these calls a tick.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "core/app_state.h"
#include "xphost/datarefs.h"
#include "xphost/host.h"

namespace {

struct ReaderFixture {
    ReaderFixture() {
        const std::filesystem::path root =
            std::filesystem::temp_directory_path() / "plotwright-reader-bench";
        xphost::resetHost(root.string() + "/");
        state = std::make_unique<AppState>();
    }
    std::unique_ptr<AppState> state;
};

// The fixture must exist before the dataref is defined: a host reset forgets every dataref.
void readOne(benchmark::State &loop, ReaderFixture &fixture, XPLMDataRef handle, int index) {
    AppState &state = *fixture.state;
    state.DataRefHandle[1][3] = handle;
    state.Index[1][3] = index;
    for (auto _ : loop) {
        benchmark::DoNotOptimize(state.readChannel(1, 3));
    }
    if (!xphost::hostErrors().empty()) loop.SkipWithError(xphost::hostErrors().front().c_str());
}

XPLMDataRef define(const char *name, xphost::DataRefKind kind, std::size_t length = 1) {
    return xphost::defineDataRef(name, kind, length);
}

void BM_ReadInt(benchmark::State &loop) {
    ReaderFixture fixture;
    readOne(loop, fixture, define("bench/int", xphost::DataRefKind::Int), 0);
}
void BM_ReadFloat(benchmark::State &loop) {
    ReaderFixture fixture;
    readOne(loop, fixture, define("bench/float", xphost::DataRefKind::Float), 0);
}
void BM_ReadFloatDouble(benchmark::State &loop) {
    ReaderFixture fixture;
    readOne(loop, fixture, define("bench/float_double", xphost::DataRefKind::FloatDouble), 0);
}
void BM_ReadFloatArray8(benchmark::State &loop) {
    ReaderFixture fixture;
    readOne(loop, fixture, define("bench/floats", xphost::DataRefKind::FloatArray, 8), 5);
}
void BM_ReadIntArray8(benchmark::State &loop) {
    ReaderFixture fixture;
    readOne(loop, fixture, define("bench/ints", xphost::DataRefKind::IntArray, 8), 5);
}
void BM_ReadByteArray260(benchmark::State &loop) {
    ReaderFixture fixture;
    readOne(loop, fixture, define("bench/bytes", xphost::DataRefKind::ByteArray, 260), 100);
}
// An element far into a long array costs what element 0 of a short one costs: only the
// wanted element is fetched.
void BM_ReadFloatArray10000(benchmark::State &loop) {
    ReaderFixture fixture;
    readOne(loop, fixture, define("bench/long_floats", xphost::DataRefKind::FloatArray, 10000),
            9000);
}
void BM_ReadUnhandledMask(benchmark::State &loop) {
    ReaderFixture fixture;
    readOne(loop, fixture, xphost::defineDataRefWithTypes("bench/mask3", 3), 0);
}
void BM_ReadNullHandle(benchmark::State &loop) {
    ReaderFixture fixture;
    readOne(loop, fixture, nullptr, 0);
}

BENCHMARK(BM_ReadInt);
BENCHMARK(BM_ReadFloat);
BENCHMARK(BM_ReadFloatDouble);
BENCHMARK(BM_ReadFloatArray8);
BENCHMARK(BM_ReadIntArray8);
BENCHMARK(BM_ReadByteArray260);
BENCHMARK(BM_ReadFloatArray10000);
BENCHMARK(BM_ReadUnhandledMask);
BENCHMARK(BM_ReadNullHandle);

} // namespace

BENCHMARK_MAIN();
