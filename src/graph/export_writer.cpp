#include "graph/export_writer.h"

#include <cstdio>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "XPLMUtilities.h"
#include "background/journal_recovery.h"

CsvExportWriter gCsvExportWriter;

namespace {
const char kRecoveryGivenUp[] =
    "Plotwright - The recovery of a recording the simulator did not end "
    "was given up when the plug-in stopped; the next start recovers "
    "it.\n";
} // namespace

// The export jobs one thread owns, jointly with the plug-in: a thread left behind keeps its own
// after the plug-in let go of it.
struct CsvExportWriter::Queue : WorkerState {
    Queue() : WorkerState("exports") {}

    bool idle() const override { return WaitingCount == 0 && !Busy && Retired.empty(); }

    void giveUpWaiting() override {
        for (std::size_t i = 0; i < WaitingCount; ++i) {
            GivenUp[i] = std::move(Waiting[i]);
            // Their rows go back on the thread too, as it ends.
            try {
                Retired.push_back(std::move(GivenUp[i]->Rows));
            } catch (...) {
                // No room in the list: freed with the job, on the simulator's thread.
            }
        }
        WaitingCount = 0;
    }

    void reportGivenUp(WorkerState &into) override {
        char message[kFileLogLineBytes];
        for (std::unique_ptr<CsvExportJob> &job : GivenUp) {
            if (!job) continue;
            if (job->Set == kRecoveryJob)
                std::snprintf(message, sizeof message, "%s", kRecoveryGivenUp);
            else
                formatCancelledExport(*job, message, sizeof message);
            job.reset();
            std::lock_guard<std::mutex> lock(into.Mutex);
            into.Messages.keepLocked(message);
        }
    }

    // Waiting jobs in the order asked, at most one per set.
    std::unique_ptr<CsvExportJob> Waiting[kRecoveryJob + 1];
    std::size_t WaitingCount = 0;
    // Taken out of Waiting by a stop past its grace, to be reported.
    std::unique_ptr<CsvExportJob> GivenUp[kRecoveryJob + 1];
    bool Busy = false;
    // Rows of cleared sets, waiting to be freed.
    std::vector<SampleStore::SetSnapshot> Retired;
    std::function<void()> BeforeEachExport;
    // Threads left behind before this one started: the files they hold are not written here.
    std::vector<std::shared_ptr<WorkerState>> Earlier;
};

namespace {
using Queue = CsvExportWriter::Queue;

void keepLine(const char *line, void *context) {
    Queue &queue = *static_cast<Queue *>(context);
    std::lock_guard<std::mutex> lock(queue.Mutex);
    queue.Messages.keepLocked(line);
}

std::shared_ptr<WorkerState> makeQueue() {
    std::shared_ptr<Queue> queue(new (std::nothrow) Queue);
    return queue;
}

CsvExportOutcome writeJob(const CsvExportJob &job,
                          const std::vector<std::shared_ptr<WorkerState>> &earlier,
                          const std::atomic<bool> *cancel, char *message, std::size_t size) {
    if (heldByThreadLeftBehind(earlier, job.Path)) {
        formatFileLogLine(message, size, "write", job.Path,
                          "an earlier export of it is still waiting for the disk; export again "
                          "once the disk answers");
        return CsvExportOutcome::Failed;
    }
    return writeCsvExport(job, cancel, message, size);
}

// The writer's thread: frees retired rows first, then writes the waiting jobs in order, until
// it is asked to stop with nothing left.
void runWriter(std::shared_ptr<WorkerState> state) {
    Queue &queue = static_cast<Queue &>(*state);
    std::unique_lock<std::mutex> lock(queue.Mutex);
    for (;;) {
        queue.Work.wait(lock, [&queue] {
            return queue.WaitingCount > 0 || !queue.Retired.empty() || queue.Stopping;
        });
        if (!queue.Retired.empty()) {
            std::vector<SampleStore::SetSnapshot> freeing;
            freeing.swap(queue.Retired);
            // Busy until the memory is back: whoever waits for idle may count on it.
            queue.Busy = true;
            lock.unlock();
            freeing.clear();
            lock.lock();
            queue.Busy = false;
            if (queue.idle()) queue.Idle.notify_all();
            continue;
        }
        if (queue.WaitingCount == 0) return;
        std::unique_ptr<CsvExportJob> job = std::move(queue.Waiting[0]);
        for (std::size_t i = 1; i < queue.WaitingCount; ++i)
            queue.Waiting[i - 1] = std::move(queue.Waiting[i]);
        --queue.WaitingCount;
        queue.Busy = true;
        queue.Holding = job->Path;
        lock.unlock();

        if (queue.BeforeEachExport) queue.BeforeEachExport();
        // Large enough for any line; on the heap, as threads on some systems get small stacks.
        std::unique_ptr<char[]> message(new (std::nothrow) char[kFileLogLineBytes]);
        char fallback[160];
        char *text = message ? message.get() : fallback;
        const std::size_t size = message ? kFileLogLineBytes : sizeof fallback;
        bool written = true;
        if (job->Set == kRecoveryJob) {
            recoverJournals(job->Path, &queue.Cancel, keepLine, &queue);
            if (queue.Cancel.load()) keepLine(kRecoveryGivenUp, &queue);
        } else {
            written = writeJob(*job, queue.Earlier, &queue.Cancel, text, size) ==
                      CsvExportOutcome::Written;
        }

        lock.lock();
        queue.Holding = nullptr;
        lock.unlock();
        job.reset(); // the blocks a cleared set no longer needs go now
        lock.lock();
        if (!written) queue.Messages.keepLocked(text);
        queue.Busy = false;
        if (queue.idle()) queue.Idle.notify_all();
    }
}
} // namespace

CsvExportWriter::CsvExportWriter() : worker_(makeQueue, runWriter) {}

CsvExportWriter::Queue &CsvExportWriter::queue() { return static_cast<Queue &>(worker_.state()); }

void CsvExportWriter::submit(std::unique_ptr<CsvExportJob> job) {
    if (!job) return;
    Queue &shared = queue();
    std::unique_ptr<CsvExportJob> replaced;
    {
        std::unique_lock<std::mutex> lock(shared.Mutex);
        std::size_t slot = 0;
        while (slot < shared.WaitingCount && shared.Waiting[slot]->Set != job->Set)
            ++slot;
        if (slot < shared.WaitingCount) replaced = std::move(shared.Waiting[slot]);
        // The thread comes first, so that a job is queued only where a thread will take it.
        const bool threaded = startThread();
        if (threaded) {
            if (slot == shared.WaitingCount) ++shared.WaitingCount;
            shared.Waiting[slot] = std::move(job);
        } else if (replaced) {
            // The job is written below, on this thread: the one it replaces has had its day.
            for (std::size_t i = slot + 1; i < shared.WaitingCount; ++i)
                shared.Waiting[i - 1] = std::move(shared.Waiting[i]);
            --shared.WaitingCount;
        }
        // The replaced snapshot may hold the last reference to a set cleared since: its blocks
        // go back on the writer's thread, as a Clear's do.
        if (replaced && retireLocked(replaced->Rows)) replaced.reset();
        lock.unlock();
        if (threaded) {
            shared.Work.notify_one();
            return;
        }
    }
    // No thread to be had: written here and now rather than lost; but a recovery may take
    // seconds, which the simulator's thread must not wait for, and the next start tries again.
    if (job->Set == kRecoveryJob) {
        XPLMDebugString(kRecoveryGivenUp);
        return;
    }
    char message[kFileLogLineBytes];
    if (writeJob(*job, worker_.leftBehind(), nullptr, message, sizeof message) !=
        CsvExportOutcome::Written)
        XPLMDebugString(message);
}

bool CsvExportWriter::retireLocked(SampleStore::SetSnapshot &rows) {
    if (!rows.Rows) return true;
    try {
        if (!startThread()) return false;
        queue().Retired.push_back(std::move(rows));
        return true;
    } catch (...) {
        return false; // no room in the list
    }
}

bool CsvExportWriter::startThread() {
    if (refuseThreads && refuseThreads()) return false;
    if (worker_.running()) return true;
    Queue &shared = queue();
    try {
        shared.BeforeEachExport = beforeEachExport;
        shared.Earlier = worker_.leftBehind();
    } catch (...) {
        return false;
    }
    return worker_.startLocked();
}

void CsvExportWriter::release(SampleStore::SetSnapshot &&rows) {
    if (!rows.Rows) return;
    Queue &shared = queue();
    std::unique_lock<std::mutex> lock(shared.Mutex);
    if (!retireLocked(rows)) return; // no thread or no room: freed here, on return
    lock.unlock();
    shared.Work.notify_one();
}

void CsvExportWriter::waitUntilIdle() {
    Queue &shared = queue();
    std::unique_lock<std::mutex> lock(shared.Mutex);
    shared.Idle.wait(lock, [&shared] { return shared.idle(); });
}

void clearSetInBackground(SampleStore &store, int set) {
    SampleStore::SetSnapshot cleared;
    store.takeSet(set, cleared);
    gCsvExportWriter.release(std::move(cleared));
}

void clearStoreInBackground(SampleStore &store) {
    for (int set = 0; set < SampleStore::kSets; ++set)
        clearSetInBackground(store, set);
}

void requestJournalRecovery(const char *folder) {
    std::unique_ptr<CsvExportJob> job(new (std::nothrow) CsvExportJob);
    if (!job) return; // the next start tries again
    job->Set = kRecoveryJob;
    std::snprintf(job->Path, sizeof job->Path, "%s", folder);
    gCsvExportWriter.submit(std::move(job));
}

void requestCsvExport(const SampleStore &store, int set) {
    if (set < 0 || set >= SampleStore::kSets) return;
    std::unique_ptr<CsvExportJob> job(new (std::nothrow) CsvExportJob);
    if (!job) {
        XPLMDebugString("Plotwright - Could not export a data set: there was not enough memory.\n");
        return;
    }
    if (!prepareCsvExport(store, set, *job)) return;
    gCsvExportWriter.submit(std::move(job));
}
