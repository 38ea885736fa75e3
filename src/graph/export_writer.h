#pragma once
// The jobs of the export writer's thread, so that the simulator's thread only takes a snapshot
// of the set (a count and one reference) instead of freezing while hundreds of megabytes are
// formatted. How the thread starts, stops within its bound and is left behind when the disk
// holds it is background/worker_thread.h.
//
// - One thread, started at the first job and ended by finish(): never two writers on one file.
// - Exports run in the order they were asked for. A set has at most one export waiting: asking
//   again while one waits replaces its snapshot with the newer one (the file would end up the
//   same), so the queue never holds more than one export per set. The settings file the setup
//   window writes goes the same way, as a fourth kind of job.
// - Cleared recordings are freed here too: freeing ten hours of blocks would hold the
//   simulator's thread for tens of milliseconds.
// - Until a thread left behind has ended, an export of the file it holds is refused with a log
//   line rather than written by two threads at once.

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>

#include "background/worker_thread.h"
#include "graph/csv_export.h"

constexpr std::chrono::milliseconds kExportStopGrace = kWorkerStopGrace;
constexpr std::chrono::milliseconds kExportGiveUpWait = kWorkerGiveUpWait;
constexpr std::chrono::milliseconds kExportStopBound = kWorkerStopBound;

class CsvExportWriter {
public:
    CsvExportWriter();
    CsvExportWriter(const CsvExportWriter &) = delete;
    CsvExportWriter &operator=(const CsvExportWriter &) = delete;

    // The simulator's thread: queues the job. When no thread can be started, writes it here and
    // now, so that an export is never lost. Jobs wait only while a thread runs to take them:
    // the thread is started before a job is queued, and finish() empties the queue.
    void submit(std::unique_ptr<CsvExportJob> job);

    // The simulator's thread: frees rows a Clear took out of the store on the writer's thread
    // (here when no thread can be had).
    void release(SampleStore::SetSnapshot &&rows);

    // The simulator's thread: logs what the writer (and any thread finish() left behind) has to
    // say. Cheap when there is nothing.
    void deliverMessages() { worker_.deliverMessages(); }

    // The simulator's thread: see WorkerThread::finish. Exports given up remove their partial
    // files and keep the previous ones.
    void finish(std::chrono::milliseconds grace,
                std::chrono::milliseconds giveUpWait = kExportGiveUpWait) {
        worker_.finish(grace, giveUpWait);
    }

    // Blocks until every queued job is done (tests and the bench wait on this, never on a
    // clock).
    void waitUntilIdle();

    // Whether the writer's thread exists (between the first job and finish()).
    bool running() const { return worker_.running(); }
    // Whether finish() has asked the running export to give up.
    bool cancelRequested() const { return worker_.cancelRequested(); }
    // Threads finish() left behind that have not ended yet.
    std::size_t threadsLeftBehind() { return worker_.threadsLeftBehind(); }

    // Runs on the writer's thread before each export; taken when the thread starts. Empty in
    // the plug-in; tests hold the writer here to act while an export is under way.
    std::function<void()> beforeEachExport;
    // Asked on the simulator's thread before any use of the thread. Empty in the plug-in; tests
    // return true to act as if the system would give the writer no thread at all.
    std::function<bool()> refuseThreads;

    // The most lines kept for the simulator's log between two deliveries.
    static constexpr std::size_t kMaxMessages = MessageList::kMaxLines;

    // What one thread owns; defined in the source.
    struct Queue;

private:
    // With the queue's mutex held: starts the thread unless it runs. False when none can be had.
    bool startThread();
    // With the queue's mutex held: hands rows to the thread to free. False when no thread or no
    // room could be had; the caller frees them then.
    bool retireLocked(SampleStore::SetSnapshot &rows);
    Queue &queue();

    WorkerThread worker_;
};

// The program-wide writer; its thread is ended by XPluginDisable and XPluginStop.
extern CsvExportWriter gCsvExportWriter;

// The Clear button: empties the set at once and frees its blocks on the writer's thread.
void clearSetInBackground(SampleStore &store, int set);

// XPluginStop: empties every set the same way. A module kept mapped for a thread left behind is
// not built afresh at its next load, so the recording must not outlive the stop in the store.
void clearStoreInBackground(SampleStore &store);

// XPluginStart: recovers, on the writer's thread, the journals of recordings the simulator did
// not end (background/journal_recovery.h) in folder, the plug-in's.
void requestJournalRecovery(const char *folder);

// The Export button: snapshot set on the simulator's thread and hand it to the writer. An
// export that cannot be asked for (a path beyond the limit) is refused with a log line.
void requestCsvExport(const SampleStore &store, int set);
