// The runner and the host when memory runs out: a refused allocation in the host's screen
// capture or in a runner's action is reported as a host error at the scenario's line, the run
// ends there and the plug-in is stopped; nothing aborts. Allocations above a size are refused
// by this program's own operator new, as an address-space limit refuses them (the sanitizers'
// allocator never throws, so a real limit cannot stand in here).
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "scenario_parser.h"
#include "scenario_runner.h"
#include "support/host_fixture.h"

namespace {
// 0: every allocation is served.
std::atomic<std::size_t> refuseAbove{0};

void *allocate(std::size_t size) {
    const std::size_t limit = refuseAbove.load(std::memory_order_relaxed);
    if (limit != 0 && size > limit) return nullptr;
    return std::malloc(size == 0 ? 1 : size);
}
} // namespace

void *operator new(std::size_t size) {
    if (void *block = allocate(size)) return block;
    throw std::bad_alloc();
}
void *operator new[](std::size_t size) { return operator new(size); }
void *operator new(std::size_t size, const std::nothrow_t &) noexcept { return allocate(size); }
void *operator new[](std::size_t size, const std::nothrow_t &) noexcept { return allocate(size); }
void operator delete(void *block) noexcept { std::free(block); }
void operator delete[](void *block) noexcept { std::free(block); }
void operator delete(void *block, std::size_t) noexcept { std::free(block); }
void operator delete[](void *block, std::size_t) noexcept { std::free(block); }
void operator delete(void *block, const std::nothrow_t &) noexcept { std::free(block); }
void operator delete[](void *block, const std::nothrow_t &) noexcept { std::free(block); }

namespace {
using namespace plotwright_host;

constexpr std::size_t kLimit = 2u << 20; // below a 1024 x 1024 picture's 4 MiB

RunReport runWithLimit(const std::string &text, const std::string &folder) {
    Scenario scenario;
    std::string error;
    EXPECT_TRUE(parseScenario(text, "oom.scn", folder, &scenario, &error)) << error;
    RunOptions options;
    options.ModulePath = plotwright_test::modulePath();
    options.DefaultSettingsPath = std::string(PLOTWRIGHT_SOURCE_DIR) + "/dist/Plotwright.ini";
    options.OutDir = folder + "out";
    options.InstallRoot = folder + "out/install";
    refuseAbove = kLimit;
    RunReport report = runScenario(scenario, options);
    refuseAbove = 0;
    return report;
}

std::string joined(const std::vector<std::string> &lines) {
    std::string all;
    for (const std::string &line : lines)
        all += line + "\n";
    return all;
}

TEST(RunnerOutOfMemory, RefusedAllocationsAreHostErrorsAtTheirLine) {
    const std::string capture = plotwright_test::makeTempFolder("oom-capture");
    const RunReport shot = runWithLimit("screen 1024 1024\n"
                                        "start\n"
                                        "menu \"Graph Window\"\n"
                                        "wait 10 ticks\n"
                                        "screenshot screen.png\n"
                                        "wait 10 ticks\n",
                                        capture);
    EXPECT_FALSE(shot.Succeeded);
    EXPECT_EQ(shot.CommandsRun, 4) << "the run ends at the screenshot";
    EXPECT_NE(joined(shot.Failures)
                  .find("oom.scn:5: host error: capture: out of memory for a 1024 x 1024 picture"),
              std::string::npos)
        << joined(shot.Failures);

    // The runner's own reading of a file larger than memory allows.
    const std::string reading = plotwright_test::makeTempFolder("oom-expect");
    plotwright_test::writeFile(reading + "big.ini",
                               std::string(3u << 20, ';') + "\n[CONFIG]\nFullSizeWindow = 0\n");
    const RunReport expect = runWithLimit("settings file big.ini\n"
                                          "start\n"
                                          "expect file Plotwright.ini contains FullSizeWindow\n"
                                          "wait 10 ticks\n",
                                          reading);
    EXPECT_FALSE(expect.Succeeded);
    EXPECT_EQ(expect.CommandsRun, 2);
    EXPECT_NE(joined(expect.Failures)
                  .find("oom.scn:3: host error: out of memory while running \"expect file "
                        "Plotwright.ini contains FullSizeWindow\""),
              std::string::npos)
        << joined(expect.Failures);
}

} // namespace
