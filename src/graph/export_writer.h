#pragma once
// The thread that writes CSV exports, so that the simulator's thread only takes a snapshot of
// the set (well under a millisecond after ten hours of recording) instead of freezing while
// hundreds of megabytes are formatted.
//
// - One thread, started at the first export and joined by finish(): never two writers on one
//   file, and no thread outlives the plug-in's disable or stop.
// - Exports run in the order they were asked for. A set has at most one export waiting: asking
//   again while one waits replaces its snapshot with the newer one (the file would end up the
//   same), so the queue never holds more than one export per set. The settings file the setup
//   window writes goes the same way, as a fourth kind of job.
// - The thread calls nothing of the simulator's. What it has to say (a failed export) is kept
//   as a finished log line and written by deliverMessages() on the simulator's thread: at the
//   next tick, and at finish().

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "graph/csv_export.h"

class CsvExportWriter {
public:
    CsvExportWriter() = default;
    ~CsvExportWriter();
    CsvExportWriter(const CsvExportWriter &) = delete;
    CsvExportWriter &operator=(const CsvExportWriter &) = delete;

    // The simulator's thread: queues the job. When no thread can be started, writes it here and
    // now, so that an export is never lost. Jobs wait only while a thread runs to take them:
    // the thread is started before a job is queued, and finish() empties the queue.
    void submit(std::unique_ptr<CsvExportJob> job);

    // The simulator's thread: frees blocks a Clear took out of the store on the writer's
    // thread (here when no thread can be had).
    void release(SampleStore::SetSnapshot &&blocks);

    // The simulator's thread: logs what the writer has to say. Cheap when there is nothing.
    void deliverMessages();

    // The simulator's thread: lets the queued exports finish for up to grace, then asks the
    // rest to give up (each notices within one 16 KiB chunk: their partial files are removed
    // and the previous files kept), joins the thread and delivers its messages. Afterwards no
    // thread runs; a later submit starts a new one.
    void finish(std::chrono::milliseconds grace);

    // Blocks until every queued export is written (tests and the bench wait on this, never on
    // a clock).
    void waitUntilIdle();

    // Whether the writer's thread exists (between the first export and finish()).
    bool running() const { return thread_.joinable(); }
    // Whether finish() has asked the running export to give up.
    bool cancelRequested() const { return cancel_.load(); }

    // Runs on the writer's thread before each export. Empty in the plug-in; tests hold the
    // writer here to act while an export is under way.
    std::function<void()> beforeEachExport;
    // Asked on the simulator's thread before any use of the thread. Empty in the plug-in; tests
    // return true to act as if the system would give the writer no thread at all.
    std::function<bool()> refuseThreads;

    // The most lines kept for the simulator's log between two deliveries; one more line says
    // how many were dropped.
    static constexpr std::size_t kMaxMessages = 16;

private:
    void run();
    // With mutex_ held: starts the thread unless it runs. False when none can be had.
    bool startThread();
    // With mutex_ held: hands blocks to the thread to free. False when no thread or no room
    // could be had; the caller frees them then.
    bool retireLocked(SampleStore::SetSnapshot &blocks);
    void keepMessage(const char *line);

    std::mutex mutex_;
    std::condition_variable work_;
    std::condition_variable idle_;
    std::thread thread_;
    // Waiting jobs in the order asked, at most one per set.
    std::unique_ptr<CsvExportJob> waiting_[kSettingsFileJob + 1];
    std::size_t waitingCount_ = 0;
    bool busy_ = false;
    bool stopping_ = false;
    std::atomic<bool> cancel_{false};
    // Blocks of cleared sets, waiting to be freed.
    std::vector<SampleStore::SetSnapshot> retired_;
    std::vector<std::string> messages_;
    std::size_t droppedMessages_ = 0;
    std::atomic<bool> hasMessages_{false};
};

// The program-wide writer; its thread is joined by XPluginDisable and XPluginStop.
extern CsvExportWriter gCsvExportWriter;

// How long XPluginDisable and XPluginStop let running exports finish before they give up.
constexpr std::chrono::milliseconds kExportStopGrace{10000};

// The Clear button: empties the set at once and frees its blocks on the writer's thread.
void clearSetInBackground(SampleStore &store, int set);

// The Export button: snapshot set on the simulator's thread and hand it to the writer. A
// snapshot that cannot be taken is refused with a log line; the store is never changed.
void requestCsvExport(const SampleStore &store, int set);
