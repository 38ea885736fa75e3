// Exports written off the simulator's thread: the file holds the rows of the click whatever
// happens to the store meanwhile, a set never has two exports waiting, a stop gives up quickly
// and leaves no thread, and nothing reaches the simulator from the writer's thread (the host
// reports any API call from another thread as an error).

#if defined(__linux__)
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <thread>

#include "core/app_state.h"
#include "graph/export_writer.h"
#include "graph/sample_store.h"
#include "plugin_entry.h"
#include "support/file_sync_log.h"
#include "support/host_fixture.h"
#include "support/write_stall.h"
#include "xphost/host.h"
#include "xphost/menus.h"
#include "xphost/widgets.h"

namespace {
using plotwright_test::fileExists;
using plotwright_test::readFile;
using plotwright_test::textFileBytes;

// Holds the writer before an export until the test lets it go.
class Gate {
public:
    void pass() {
        std::unique_lock<std::mutex> lock(mutex_);
        ++arrived_;
        changed_.notify_all();
        changed_.wait(lock, [this] { return open_; });
    }
    void waitForArrivals(int count) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return arrived_ >= count; });
    }
    void open() {
        std::lock_guard<std::mutex> lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    int arrived() {
        std::lock_guard<std::mutex> lock(mutex_);
        return arrived_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int arrived_ = 0;
    bool open_ = false;
};

// Row i of a set holds i + offset in every channel: easy to tell rows and recordings apart.
void appendRows(SampleStore &store, int set, std::size_t count, int offset = 0) {
    const std::size_t first = store.sampleCount(set);
    for (std::size_t i = first; i < first + count; ++i) {
        float values[8];
        for (float &value : values)
            value = static_cast<float>(i) + static_cast<float>(offset);
        store.appendSample(set, values);
    }
}

std::string expectedRows(std::size_t count, int offset = 0) {
    std::string text;
    char field[64];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(field, sizeof field, "%f",
                      static_cast<double>(static_cast<float>(i) + static_cast<float>(offset)));
        for (int k = 0; k < 8; ++k)
            text += std::string(field) + (k < 7 ? ", " : "\n");
    }
    return textFileBytes(text);
}

class ExportWriterTest : public plotwright_test::HostTest {
protected:
    void TearDown() override {
        gCsvExportWriter.finish(kExportStopGrace);
        gCsvExportWriter.beforeEachExport = nullptr;
        gCsvExportWriter.refuseThreads = nullptr;
        HostTest::TearDown();
    }
    std::string exportPath(int set) const {
        return pluginDir_ + "Plotwright" + std::to_string(set + 1) + ".csv";
    }
    // The plug-in started as the simulator starts it, its graph window open.
    void startWithGraphWindow() {
        char name[256], signature[256], description[256];
        ASSERT_EQ(XPluginStart(name, signature, description), 1);
        std::string error;
        ASSERT_TRUE(xphost::chooseMenuItem({"Plotwrite", "Graph Window"}, &error)) << error;
    }
    void click(const char *label) {
        ASSERT_TRUE(xphost::clickWidget(
            xphost::findDescendants(gAppState->GraphWindowWidget, label).at(0)));
    }
    void holdWriter() {
        gCsvExportWriter.beforeEachExport = [this] { gate_.pass(); };
    }

    SampleStore store_;
    Gate gate_;
};

TEST_F(ExportWriterTest, TheFileHoldsTheRowsOfTheClickWhateverTheStoreDoesMeanwhile) {
    // Two full blocks and part of a third, which keeps being appended to after the click.
    const std::size_t atClick = 2 * SampleStore::kBlockFloats + 5;
    appendRows(store_, 0, atClick);
    holdWriter();
    requestCsvExport(store_, 0);
    gate_.waitForArrivals(1);

    appendRows(store_, 0, 10);
    store_.clearSet(0); // frees nothing the writer still reads
    appendRows(store_, 0, 3, 1000);
    gate_.open();
    gCsvExportWriter.waitUntilIdle();

    EXPECT_EQ(readFile(exportPath(0)), expectedRows(atClick));
    EXPECT_FALSE(fileExists(exportPath(0) + kPartialFileSuffix));
    EXPECT_EQ(store_.sampleCount(0), 3u);
    EXPECT_EQ(xphost::logText(), "");
}

#if defined(__linux__)
// Waking the writer with an Export click must not take the processor from the simulator's
// thread, and its formatting must not compete with it as an equal.
TEST_F(ExportWriterTest, TheWriterRunsBehindTheSimulatorsThread) {
    int policy = -1;
    int niceness = -100;
    gCsvExportWriter.beforeEachExport = [&] {
        sched_param param{};
        pthread_getschedparam(pthread_self(), &policy, &param);
        niceness = getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)));
    };
    appendRows(store_, 0, 1);
    requestCsvExport(store_, 0);
    gCsvExportWriter.waitUntilIdle();
    EXPECT_EQ(policy, SCHED_BATCH);
    EXPECT_GE(niceness, 10);
    EXPECT_EQ(sched_getscheduler(0), SCHED_OTHER) << "the simulator's thread is left as it was";
}
#endif

TEST_F(ExportWriterTest, ASetHasAtMostOneExportWaitingAndThreeSetsExportTogether) {
    appendRows(store_, 0, 1);
    holdWriter();
    requestCsvExport(store_, 0);
    gate_.waitForArrivals(1);

    // While set 1's first export runs, two more of it are asked for: the newer replaces the
    // waiting one. Sets 2 and 3 wait beside it.
    appendRows(store_, 0, 1);
    requestCsvExport(store_, 0);
    appendRows(store_, 0, 1);
    requestCsvExport(store_, 0);
    appendRows(store_, 1, 4, 10);
    requestCsvExport(store_, 1);
    appendRows(store_, 2, 2, 20);
    requestCsvExport(store_, 2);
    gate_.open();
    gCsvExportWriter.waitUntilIdle();

    EXPECT_EQ(gate_.arrived(), 4);
    EXPECT_EQ(readFile(exportPath(0)), expectedRows(3));
    EXPECT_EQ(readFile(exportPath(1)), expectedRows(4, 10));
    EXPECT_EQ(readFile(exportPath(2)), expectedRows(2, 20));
    EXPECT_EQ(xphost::logText(), "");
}

TEST_F(ExportWriterTest, AStopPastItsGraceGivesUpKeepsTheOldFilesAndLeavesNoThread) {
    plotwright_test::writeFile(exportPath(0), "the earlier export\n");
    // Many chunks: the writer notices the stop at the first.
    appendRows(store_, 0, 3 * SampleStore::kBlockFloats);
    appendRows(store_, 1, 5);
    gCsvExportWriter.beforeEachExport = [this] {
        gate_.pass();
        while (!gCsvExportWriter.cancelRequested())
            std::this_thread::yield();
    };
    gate_.open();
    requestCsvExport(store_, 0);
    requestCsvExport(store_, 1);
    gate_.waitForArrivals(1);

    // The writer notices at once; a whole minute to end keeps a loaded machine from leaving it
    // behind instead.
    gCsvExportWriter.finish(std::chrono::milliseconds(0), std::chrono::minutes(1));

    EXPECT_FALSE(gCsvExportWriter.running());
    EXPECT_EQ(gCsvExportWriter.threadsLeftBehind(), 0u);
    EXPECT_EQ(readFile(exportPath(0)), "the earlier export\n");
    EXPECT_FALSE(fileExists(exportPath(0) + kPartialFileSuffix));
    EXPECT_FALSE(fileExists(exportPath(1)));
    const std::string reason =
        ": the plug-in stopped before the export was complete; the previous file was kept.\n";
    EXPECT_EQ(xphost::logText(), "Plotwright - Could not write " + exportPath(0) + reason +
                                     "Plotwright - Could not write " + exportPath(1) + reason);

    // The next export starts a new thread.
    gCsvExportWriter.beforeEachExport = nullptr;
    requestCsvExport(store_, 1);
    gCsvExportWriter.waitUntilIdle();
    EXPECT_EQ(readFile(exportPath(1)), expectedRows(5));
}

// Without a thread an export is written at once on the simulator's thread: it must be the one
// asked for, even when it replaces an export waiting between others.
TEST_F(ExportWriterTest, WithoutAThreadTheExportAskedForIsWrittenAtOnce) {
    appendRows(store_, 0, 1);
    appendRows(store_, 1, 2, 10);
    appendRows(store_, 2, 3, 20);
    holdWriter();
    requestCsvExport(store_, 0);
    gate_.waitForArrivals(1);
    requestCsvExport(store_, 1); // set 2 waits
    requestCsvExport(store_, 2); // set 3 waits behind it
    appendRows(store_, 1, 4, 10);
    gCsvExportWriter.refuseThreads = [] { return true; };
    requestCsvExport(store_, 1);
    gCsvExportWriter.refuseThreads = nullptr;
    EXPECT_EQ(readFile(exportPath(1)), expectedRows(6, 10));
    EXPECT_FALSE(fileExists(exportPath(2)));

    // The replaced export of set 2 is gone; set 3's still comes.
    gate_.open();
    gCsvExportWriter.waitUntilIdle();
    EXPECT_EQ(gate_.arrived(), 2);
    EXPECT_EQ(readFile(exportPath(1)), expectedRows(6, 10));
    EXPECT_EQ(readFile(exportPath(2)), expectedRows(3, 20));
    EXPECT_EQ(xphost::logText(), "");
}

#if defined(__linux__)
// A disk that stops answering inside a write (a stalled drive, a network share gone): the stop
// returns within its bound all the same and leaves the thread to end on its own, a new thread
// writes every file but the one the old thread holds, and once the disk answers the old thread
// gives its export up, keeps the earlier file and ends.
TEST_F(ExportWriterTest, AStopReturnsWithinItsBoundWhileTheDiskHoldsAWrite) {
    namespace stall = plotwright_test::write_stall;
    using std::chrono::seconds;
    plotwright_test::writeFile(exportPath(0), "the earlier export\n");
    appendRows(store_, 0, 10);
    appendRows(store_, 1, 5);
    stall::ReleaseAtEnd releaseAtEnd;
    stall::arm("Plotwright1.csv" + std::string(kPartialFileSuffix));
    requestCsvExport(store_, 0);
    stall::waitUntilHeld();
    {
        // Code that waits for the disk returns only once the watchdog lets the write go, two
        // minutes on: far beyond the bound and its slack for a loaded machine.
        stall::Watchdog watchdog(seconds(120));
        const auto start = std::chrono::steady_clock::now();
        gCsvExportWriter.finish(std::chrono::milliseconds(0));
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_LT(waited, kExportGiveUpWait + seconds(30));
    }
    EXPECT_FALSE(gCsvExportWriter.running());
    ASSERT_EQ(gCsvExportWriter.threadsLeftBehind(), 1u);
    std::string expectedLog = "Plotwright - Could not finish writing " + exportPath(0) +
                              ": the disk did not answer in time, so the plug-in stopped waiting; "
                              "the earlier file stays unless the disk completes the write later.\n";
    EXPECT_EQ(xphost::logText(), expectedLog);

    requestCsvExport(store_, 0);
    requestCsvExport(store_, 1);
    gCsvExportWriter.waitUntilIdle();
    gCsvExportWriter.deliverMessages();
    EXPECT_EQ(readFile(exportPath(1)), expectedRows(5));
    EXPECT_EQ(readFile(exportPath(0)), "the earlier export\n");
    expectedLog += "Plotwright - Could not write " + exportPath(0) +
                   ": an earlier export of it is still waiting for the disk; export again once "
                   "the disk answers.\n";
    EXPECT_EQ(xphost::logText(), expectedLog);

    stall::release();
    while (gCsvExportWriter.threadsLeftBehind() != 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    gCsvExportWriter.deliverMessages();
    EXPECT_EQ(readFile(exportPath(0)), "the earlier export\n");
    EXPECT_FALSE(fileExists(exportPath(0) + kPartialFileSuffix));
    expectedLog += "Plotwright - Could not write " + exportPath(0) +
                   ": the plug-in stopped before the export was complete; the previous file was "
                   "kept.\n";
    EXPECT_EQ(xphost::logText(), expectedLog);

    requestCsvExport(store_, 0);
    gCsvExportWriter.waitUntilIdle();
    EXPECT_EQ(readFile(exportPath(0)), expectedRows(10));
}
#endif

TEST_F(ExportWriterTest, AFailureIsLoggedFromTheSimulatorsThreadOnly) {
    std::filesystem::remove_all(plotwright_test::fsPath(pluginDir_));
    plotwright_test::writeFile(root_ + "Resources/plugins/Plotwright", "not a folder");
    appendRows(store_, 2, 1);
    requestCsvExport(store_, 2);
    gCsvExportWriter.waitUntilIdle();
    // The writer's thread keeps its line; the host would report a call from it.
    EXPECT_EQ(xphost::logText(), "");
    gCsvExportWriter.deliverMessages();
    EXPECT_EQ(xphost::logText().rfind("Plotwright - Could not write " + exportPath(2) + ": ", 0),
              0u)
        << xphost::logText();
}

#if !defined(_WIN32)
// The new file is in place once the rename is done: a folder whose flush fails afterwards is a
// warning, not "Could not write", which would send the user after a file that is fine.
TEST_F(ExportWriterTest, AFolderThatCannotBeFlushedAfterTheReplaceIsAWarningNotAFailure) {
    plotwright_test::FileSyncLog log;
    log.failFolderFlushes(EIO);
    appendRows(store_, 1, 3);
    requestCsvExport(store_, 1);
    gCsvExportWriter.waitUntilIdle();
    gCsvExportWriter.deliverMessages();
    EXPECT_EQ(readFile(exportPath(1)), expectedRows(3));
    EXPECT_EQ(xphost::logText(), "Plotwright - Wrote " + exportPath(1) +
                                     ", but its folder could not be flushed to the disk (" +
                                     std::strerror(EIO) +
                                     "); after a power cut the earlier file may come back.\n");
}
#endif

// Freeing ten hours of blocks takes tens of milliseconds: Clear empties the set at once and the
// writer's thread gives the memory back.
std::mutex gFreedMutex;
std::thread::id gTestThread;
int gFreedHere = 0, gFreedElsewhere = 0;

void countingFree(float *block) {
    {
        std::lock_guard<std::mutex> lock(gFreedMutex);
        ++(std::this_thread::get_id() == gTestThread ? gFreedHere : gFreedElsewhere);
    }
    delete[] block;
}

// From now on, the store's blocks count where they are freed: here or elsewhere.
void countFreesByThread(SampleStore &store) {
    gTestThread = std::this_thread::get_id();
    gFreedHere = gFreedElsewhere = 0;
    store.allocateBlock = [] {
        SampleStore::Block block = SampleStore::defaultBlockAllocator();
        block.get_deleter().Free = &countingFree;
        return block;
    };
}

TEST_F(ExportWriterTest, ClearFreesTheBlocksOffTheSimulatorsThread) {
    countFreesByThread(store_);
    appendRows(store_, 1, 2 * SampleStore::kBlockFloats + 1);
    clearSetInBackground(store_, 1);
    EXPECT_EQ(store_.sampleCount(1), 0u);
    EXPECT_EQ(store_.bytesHeld(1), 0u);
    gCsvExportWriter.waitUntilIdle();
    std::lock_guard<std::mutex> lock(gFreedMutex);
    EXPECT_EQ(gFreedHere, 0);
    EXPECT_EQ(gFreedElsewhere, 3 * SampleStore::kChannels);
}

#if defined(__linux__)
// A stop empties the store, even while the disk holds an export: the module stays mapped for
// that thread and is not built afresh at its next load, so rows left in the store would come
// back in the next session. The blocks go off the simulator's thread; those the held export
// took, when it ends.
TEST_F(ExportWriterTest, AStopEmptiesTheRecordingWhileTheDiskHoldsAnExport) {
    namespace stall = plotwright_test::write_stall;
    for (int set = 0; set < SampleStore::kSets; ++set)
        gSampleStore.clearSet(set);
    countFreesByThread(gSampleStore);
    startWithGraphWindow();
    ASSERT_NE(gAppState, nullptr);
    AppState &state = *gAppState;
    click(" Record");
    for (std::size_t tick = 0; tick <= SampleStore::kBlockFloats; ++tick)
        state.onFlightLoop(0.01f, 0.01f, 0, nullptr);
    constexpr int kBlocksPerSet = 2 * SampleStore::kChannels;

    stall::ReleaseAtEnd releaseAtEnd;
    stall::arm("Plotwright1.csv" + std::string(kPartialFileSuffix));
    click(" Export");
    stall::waitUntilHeld();
    gCsvExportWriter.finish(std::chrono::milliseconds(0)); // a disable, without its grace
    ASSERT_EQ(gCsvExportWriter.threadsLeftBehind(), 1u);
    XPluginStop();
    for (int set = 0; set < SampleStore::kSets; ++set)
        EXPECT_EQ(gSampleStore.sampleCount(set), 0u);
    {
        std::lock_guard<std::mutex> lock(gFreedMutex);
        EXPECT_EQ(gFreedHere, 0);
        EXPECT_EQ(gFreedElsewhere, 2 * kBlocksPerSet) << "sets 2 and 3, at the stop";
    }
    stall::release();
    while (gCsvExportWriter.threadsLeftBehind() != 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    gSampleStore.allocateBlock = &SampleStore::defaultBlockAllocator;
    std::lock_guard<std::mutex> lock(gFreedMutex);
    EXPECT_EQ(gFreedHere, 0);
    EXPECT_EQ(gFreedElsewhere, 3 * kBlocksPerSet) << "set 1 too, once its export ended";
}
#endif

// An export waiting behind others holds its snapshot of a set; once the set is cleared, that
// snapshot may be the last reference to ten hours of blocks. A newer export of the set replaces
// the waiting one, and the blocks must still go back on the writer's thread.
TEST_F(ExportWriterTest, AReplacedWaitingExportFreesAClearedSetOffTheSimulatorsThread) {
    countFreesByThread(store_);
    appendRows(store_, 0, 1);
    appendRows(store_, 1, 2 * SampleStore::kBlockFloats + 1);
    appendRows(store_, 2, 1);
    // The first export is held, and so is the second.
    Gate second;
    int arrivals = 0; // the writer's thread alone counts
    gCsvExportWriter.beforeEachExport = [&] {
        ++arrivals;
        if (arrivals == 1) gate_.pass();
        if (arrivals == 2) second.pass();
    };
    requestCsvExport(store_, 0); // set 1 runs
    gate_.waitForArrivals(1);
    requestCsvExport(store_, 2); // set 3 waits
    requestCsvExport(store_, 1); // set 2 waits behind it
    clearSetInBackground(store_, 1);
    gate_.open();
    second.waitForArrivals(1); // set 3 runs; the Clear's own reference is gone
    appendRows(store_, 1, 2, 50);
    requestCsvExport(store_, 1); // replaces the waiting one, the cleared rows' last holder
    {
        std::lock_guard<std::mutex> lock(gFreedMutex);
        EXPECT_EQ(gFreedHere, 0);
    }
    second.open();
    gCsvExportWriter.waitUntilIdle();
    EXPECT_EQ(readFile(exportPath(1)), expectedRows(2, 50));
    std::lock_guard<std::mutex> lock(gFreedMutex);
    EXPECT_EQ(gFreedHere, 0);
    EXPECT_EQ(gFreedElsewhere, 3 * SampleStore::kChannels);
}

// The plug-in's own road: Export in the graph window, then disable and stop while the writer
// may still run. Each joins it, and the file is complete.
TEST_F(ExportWriterTest, DisableAndStopWaitForTheExportAndLeaveNoThread) {
    startWithGraphWindow();
    ASSERT_NE(gAppState, nullptr);
    AppState &state = *gAppState;
    for (int set = 0; set < SampleStore::kSets; ++set)
        gSampleStore.clearSet(set);
    click(" Record");
    for (int tick = 0; tick < 5000; ++tick)
        state.onFlightLoop(0.01f, 0.01f, 0, nullptr);
    click(" Export");
    XPluginDisable();
    EXPECT_FALSE(gCsvExportWriter.running());
    const std::string first = readFile(exportPath(0));
    EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), 5000);

    for (int tick = 0; tick < 100; ++tick)
        state.onFlightLoop(0.01f, 0.01f, 0, nullptr);
    click(" Export");
    XPluginStop();
    EXPECT_FALSE(gCsvExportWriter.running());
    const std::string second = readFile(exportPath(0));
    EXPECT_EQ(std::count(second.begin(), second.end(), '\n'), 5100);
    for (int set = 0; set < SampleStore::kSets; ++set)
        gSampleStore.clearSet(set);
}

} // namespace
