// The recording's journal as the plug-in runs it: what a run the simulator never ended leaves is
// recovered at the next start exactly as Export would have written it and never replaces an
// earlier recovered file; a clean stop leaves nothing to recover, also when the disk held the
// journal at the stop and across a reload in the same process; a Clear starts a set's journal
// afresh; a full disk stops the journal, not the recording.

#if defined(__linux__)
#include <sys/stat.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "background/recording_journal.h"
#include "graph_test_support.h"
#include "support/file_faults.h"
#include "support/file_sync_log.h"
#include "support/write_stall.h"
#include "xphost/host.h"

namespace {
namespace fs = std::filesystem;
using plotwright_test::fileExists;
using plotwright_test::readFile;

class RecordingJournalTest : public graph_test::PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        xphost::defineDataRef("test/counter", xphost::DataRefKind::Float);
        startRecording();
    }

    void startRecording() {
        start();
        useDataRef(0, 0, "test/counter", 1.0f);
        useDataRef(1, 7, "test/counter", -2.0f);
        open("Graph Window");
        press(state_->GraphTransportButton[0]);
    }
    // Each row's value tells it apart: the counter runs on from where it stood.
    void record(int rows) {
        for (int row = 0; row < rows; ++row) {
            xphost::setDataRefValue("test/counter", static_cast<float>(counter_++));
            tick();
        }
    }
    void stop() {
        XPluginStop();
        started_ = false;
    }
    // A second start, and the recovery it runs in the background.
    void restart() {
        startRecording();
        gCsvExportWriter.waitUntilIdle();
        gCsvExportWriter.deliverMessages();
    }

    std::vector<std::string> filesEndingWith(const std::string &suffix) const {
        std::vector<std::string> names;
        for (const auto &entry : fs::directory_iterator(plotwright_test::fsPath(pluginDir_))) {
            const std::string name = entry.path().filename().u8string();
            if (name.size() >= suffix.size() &&
                name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
                names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    // What a run the simulator never ended leaves: this session's journals, as another
    // process's. The files themselves are this process's and are removed at its clean stop.
    void leaveAsCrashedRun(std::uint64_t session) {
        gRecordingJournal.writeNow();
        for (const std::string &name : filesEndingWith(".journal")) {
            std::string bytes = readFile(pluginDir_ + name);
            ASSERT_GE(bytes.size(), 32u);
            for (int i = 0; i < 8; ++i)
                bytes[24 + i] = static_cast<char>(session >> (8 * i));
            char renamed[kJournalNameBytes];
            formatJournalName(renamed, name[10] - '1', session);
            plotwright_test::writeFile(pluginDir_ + renamed, bytes);
        }
    }

    int counter_ = 0;
};

TEST_F(RecordingJournalTest, ACrashedRunIsRecoveredAsExportWritesItAndNeverReplacesARecovery) {
    record(SampleStore::kBlockFloats + 100); // more than one batch
    press(state_->GraphTransportButton[3]);  // Export of set 1, to compare with
    gCsvExportWriter.waitUntilIdle();
    const std::string exported = readFile(pluginDir_ + "Plotwright1.csv");
    leaveAsCrashedRun(0x0102030405060708u);
    stop();
    ASSERT_EQ(filesEndingWith(".journal").size(), 3u) << "the crashed run's, not this run's";

    restart();
    EXPECT_EQ(readFile(pluginDir_ + "Plotwright1-recovered.csv"), exported);
    EXPECT_TRUE(filesEndingWith(".journal").empty()) << "recovered journals go";
    EXPECT_NE(xphost::logText().find("Plotwright - Recovered 4196 rows of data set 1 from a "
                                     "recording the simulator did not end: " +
                                     pluginDir_ + "Plotwright1-recovered.csv.\n"),
              std::string::npos)
        << xphost::logText();

    // A second crash: its recovery takes the next name, the first stays.
    record(10);
    leaveAsCrashedRun(0x0102030405060709u);
    stop();
    restart();
    EXPECT_EQ(readFile(pluginDir_ + "Plotwright1-recovered.csv"), exported);
    const std::string second = readFile(pluginDir_ + "Plotwright1-recovered-2.csv");
    EXPECT_EQ(std::count(second.begin(), second.end(), '\n'), 10);
    EXPECT_EQ(filesEndingWith("-recovered-2.csv").size(), 3u);
}

TEST_F(RecordingJournalTest, ACleanStopLeavesNothingToRecoverAlsoAfterAReload) {
    record(50);
    gRecordingJournal.writeNow();
    EXPECT_EQ(filesEndingWith(".journal").size(), 3u);
    stop();
    EXPECT_TRUE(filesEndingWith(".journal").empty());
    restart();
    EXPECT_TRUE(filesEndingWith(".csv").empty());
    EXPECT_EQ(xphost::logText().find("Recovered"), std::string::npos);
}

TEST_F(RecordingJournalTest, AClearStartsTheSetsJournalAfresh) {
    record(30);
    gRecordingJournal.writeNow();
    XPSetWidgetProperty(state_->GraphWidget, graphProp_CurrentSet, 1);
    press(state_->GraphTransportButton[2]); // Clear set 2
    record(5);
    leaveAsCrashedRun(0x0a0b0c0d0e0f1011u);
    stop();
    restart();
    const std::string first = readFile(pluginDir_ + "Plotwright1-recovered.csv");
    const std::string cleared = readFile(pluginDir_ + "Plotwright2-recovered.csv");
    EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), 35);
    EXPECT_EQ(std::count(cleared.begin(), cleared.end(), '\n'), 5);
    EXPECT_EQ(cleared.substr(0, 9), "0.000000,") << cleared;
    EXPECT_NE(cleared.find(plotwright_test::textFileBytes("-60.000000\n")), std::string::npos)
        << "the rows after the Clear";
}

#if defined(__linux__)
TEST_F(RecordingJournalTest, AFullDiskStopsTheJournalNotTheRecording) {
    record(10);
    gRecordingJournal.writeNow();
    plotwright_test::withFileSizeLimit(200, [this] {
        record(100);
        gRecordingJournal.writeNow();
    });
    gRecordingJournal.deliverMessages();
    const std::string log = xphost::logText();
    EXPECT_NE(log.find("the recording's journal stopped, recording and Export go on"),
              std::string::npos)
        << log;
    record(10);
    press(state_->GraphTransportButton[3]);
    gCsvExportWriter.waitUntilIdle();
    const std::string exported = readFile(pluginDir_ + "Plotwright1.csv");
    EXPECT_EQ(std::count(exported.begin(), exported.end(), '\n'), 120);
    stop();
    EXPECT_TRUE(filesEndingWith(".journal").empty());
}

// Held by the disk at the stop, the journal is removed once the disk answers; meanwhile a
// reload in the same process does not take it for a crashed run's.
TEST_F(RecordingJournalTest, AJournalTheDiskHoldsAtTheStopIsRemovedWhenTheDiskAnswers) {
    namespace stall = plotwright_test::write_stall;
    record(10);
    gRecordingJournal.writeNow();
    stall::ReleaseAtEnd releaseAtEnd;
    stall::arm(".journal");
    record(10);
    stall::waitUntilHeld();
    stop();
    EXPECT_EQ(gRecordingJournal.threadsLeftBehind(), 1u);
    restart();
    EXPECT_TRUE(filesEndingWith(".csv").empty()) << "a session of this process was recovered";
    stall::release();
    while (gRecordingJournal.threadsLeftBehind() != 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    record(5);
    gRecordingJournal.writeNow();
    EXPECT_EQ(filesEndingWith(".journal").size(), 3u) << "only the new session's";
    stop();
    EXPECT_TRUE(filesEndingWith(".journal").empty());
}

// After a power cut at most the last seconds are lost: the journal reaches the disk itself
// every kJournalSyncPeriod, within the five seconds promised.
TEST_F(RecordingJournalTest, TheJournalIsFlushedToTheDisk) {
    static_assert(kJournalSyncPeriod <= std::chrono::seconds(5), "the promise");
    plotwright_test::FileSyncLog log;
    record(10);
    gRecordingJournal.writeNow();
    const std::string journal = pluginDir_ + filesEndingWith(".journal").at(0);
    struct stat status;
    ASSERT_EQ(stat(journal.c_str(), &status), 0);
    auto flushed = [&] {
        for (const plotwright_test::SyncEvent &event : log.events())
            if (event.Step == plotwright_test::SyncStep::FileFlushed &&
                event.Inode == status.st_ino)
                return true;
        return false;
    };
    // Waits on the journal's own clock, with room for a loaded machine.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!flushed() && std::chrono::steady_clock::now() < giveUp) {
        record(1);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_TRUE(flushed());
}
#endif

} // namespace
