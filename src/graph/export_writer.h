#pragma once
// The thread that writes CSV exports, so that the simulator's thread only takes a snapshot of
// the set (well under a millisecond after ten hours of recording) instead of freezing while
// hundreds of megabytes are formatted.
//
// - One thread, started at the first export and ended by finish(): never two writers on one
//   file.
// - Exports run in the order they were asked for. A set has at most one export waiting: asking
//   again while one waits replaces its snapshot with the newer one (the file would end up the
//   same), so the queue never holds more than one export per set. The settings file the setup
//   window writes goes the same way, as a fourth kind of job.
// - The thread calls nothing of the simulator's. What it has to say (a failed export) is kept
//   as a finished log line and written by deliverMessages() on the simulator's thread: at the
//   next tick, and at finish().
// - finish() returns within a bound even when the disk never answers (a stalled drive, a
//   network share gone): a thread still inside a write or a flush then is left to end on its
//   own. It owns everything it touches (its queue, its job, its messages) and the module is
//   kept mapped for it, so nothing it uses goes away when the plug-in stops or is unloaded.
//   Until it ends, an export of the file it holds is refused with a log line rather than
//   written by two threads at once.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "graph/csv_export.h"

// How long XPluginDisable and XPluginStop let queued and running exports finish.
constexpr std::chrono::milliseconds kExportStopGrace{9000};
// How long they then wait for the running export to notice that it was given up (it does within
// one 16 KiB chunk, unless the disk holds it inside a call) before leaving its thread behind.
constexpr std::chrono::milliseconds kExportGiveUpWait{1000};
// The README promises that disabling or quitting never waits longer than this for exports.
constexpr std::chrono::milliseconds kExportStopBound{10000};
static_assert(kExportStopGrace + kExportGiveUpWait <= kExportStopBound,
              "a stop must not wait longer than the README says");

class CsvExportWriter {
public:
    CsvExportWriter();
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

    // The simulator's thread: logs what the writer (and any thread finish() left behind) has to
    // say. Cheap when there is nothing.
    void deliverMessages();

    // The simulator's thread: lets the queued exports finish for up to grace, then asks the
    // rest to give up (their partial files are removed and the previous files kept) and waits
    // up to giveUpWait for the thread to end. A thread that has not ended by then is held
    // inside a call by the disk: it is left to end on its own, and a line in the log says which
    // file it holds. Returns within grace + giveUpWait (plus the log's own time); afterwards no
    // thread of this writer runs, and a later submit starts a new one.
    void finish(std::chrono::milliseconds grace,
                std::chrono::milliseconds giveUpWait = kExportGiveUpWait);

    // Blocks until every queued export is written (tests and the bench wait on this, never on
    // a clock).
    void waitUntilIdle();

    // Whether the writer's thread exists (between the first export and finish()).
    bool running() const { return thread_.joinable(); }
    // Whether finish() has asked the running export to give up.
    bool cancelRequested() const;
    // Threads finish() left behind that have not ended yet.
    std::size_t threadsLeftBehind();

    // Runs on the writer's thread before each export; taken when the thread starts. Empty in
    // the plug-in; tests hold the writer here to act while an export is under way.
    std::function<void()> beforeEachExport;
    // Asked on the simulator's thread before any use of the thread. Empty in the plug-in; tests
    // return true to act as if the system would give the writer no thread at all.
    std::function<bool()> refuseThreads;

    // The most lines kept for the simulator's log between two deliveries; one more line says
    // how many were dropped.
    static constexpr std::size_t kMaxMessages = 16;

    // What one thread owns; defined in the source.
    struct Shared;

private:
    // With shared_->Mutex held: starts the thread unless it runs. False when none can be had.
    bool startThread();
    // With shared_->Mutex held: hands blocks to the thread to free. False when no thread or no
    // room could be had; the caller frees them then.
    bool retireLocked(SampleStore::SetSnapshot &blocks);
    // Leaves the thread, held by the disk, to end on its own. False when that cannot be done
    // safely (the module could not be kept mapped, no memory for the next thread's state).
    bool leaveThreadBehind();

    std::shared_ptr<Shared> shared_;
    std::thread thread_;
    // The state of threads finish() left behind, until they have ended and said everything.
    std::vector<std::shared_ptr<Shared>> leftBehind_;
};

// The program-wide writer; its thread is ended by XPluginDisable and XPluginStop.
extern CsvExportWriter gCsvExportWriter;

// The Clear button: empties the set at once and frees its blocks on the writer's thread.
void clearSetInBackground(SampleStore &store, int set);

// XPluginStop: empties every set the same way. A module kept mapped for a thread left behind is
// not built afresh at its next load, so the recording must not outlive the stop in the store.
void clearStoreInBackground(SampleStore &store);

// The Export button: snapshot set on the simulator's thread and hand it to the writer. A
// snapshot that cannot be taken is refused with a log line; the store is never changed.
void requestCsvExport(const SampleStore &store, int set);
