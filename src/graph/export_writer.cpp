#include "graph/export_writer.h"

#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <utility>

#include "XPLMUtilities.h"
#include "core/file_platform.h"

CsvExportWriter gCsvExportWriter;

// Everything a writer's thread touches, owned jointly by the thread and the plug-in: a thread
// left behind by finish() keeps its own after the plug-in let go of it.
struct CsvExportWriter::Shared {
    std::mutex Mutex;
    std::condition_variable Work;
    // Signalled when the thread becomes idle and when it ends.
    std::condition_variable Idle;
    // Waiting jobs in the order asked, at most one per set.
    std::unique_ptr<CsvExportJob> Waiting[kSettingsFileJob + 1];
    std::size_t WaitingCount = 0;
    bool Busy = false;
    bool Stopping = false;
    bool Ended = false;
    std::atomic<bool> Cancel{false};
    // Blocks of cleared sets, waiting to be freed.
    std::vector<SampleStore::SetSnapshot> Retired;
    std::vector<std::string> Messages;
    std::size_t DroppedMessages = 0;
    std::atomic<bool> HasMessages{false};
    // The path of the export being written, while one is.
    const char *Writing = nullptr;
    std::function<void()> BeforeEachExport;
    // Threads left behind before this one started: the files they hold are not written here.
    std::vector<std::shared_ptr<Shared>> Earlier;

    bool idle() const { return WaitingCount == 0 && !Busy && Retired.empty(); }
};

namespace {
using Shared = CsvExportWriter::Shared;

// Called with shared.Mutex held.
void keepMessage(Shared &shared, const char *line) {
    if (shared.Messages.size() >= CsvExportWriter::kMaxMessages) {
        ++shared.DroppedMessages;
    } else {
        try {
            shared.Messages.emplace_back(line);
        } catch (...) {
            ++shared.DroppedMessages;
        }
    }
    shared.HasMessages = true;
}

void logMessages(Shared &shared) {
    if (!shared.HasMessages.load()) return;
    std::vector<std::string> lines;
    std::size_t dropped = 0;
    {
        std::lock_guard<std::mutex> lock(shared.Mutex);
        lines.swap(shared.Messages);
        dropped = shared.DroppedMessages;
        shared.DroppedMessages = 0;
        shared.HasMessages = false;
    }
    for (const std::string &line : lines)
        XPLMDebugString(line.c_str());
    if (dropped != 0) {
        char line[128];
        std::snprintf(line, sizeof line,
                      "Plotwright - %zu more lines about exports were dropped.\n", dropped);
        XPLMDebugString(line);
    }
}

// Whether a thread left behind is still writing path: its partial file would be removed or
// replaced under it.
bool heldByEarlierThread(const std::vector<std::shared_ptr<Shared>> &earlier, const char *path) {
    for (const std::shared_ptr<Shared> &other : earlier) {
        std::lock_guard<std::mutex> lock(other->Mutex);
        if (other->Writing != nullptr && std::strcmp(other->Writing, path) == 0) return true;
    }
    return false;
}

CsvExportOutcome writeJob(const CsvExportJob &job,
                          const std::vector<std::shared_ptr<Shared>> &earlier,
                          const std::atomic<bool> *cancel, char *message, std::size_t size) {
    if (heldByEarlierThread(earlier, job.Path)) {
        formatFileLogLine(message, size, "write", job.Path,
                          "an earlier export of it is still waiting for the disk; export again "
                          "once the disk answers");
        return CsvExportOutcome::Failed;
    }
    return writeCsvExport(job, cancel, message, size);
}

// The writer's thread. Holds its own reference to its state, so that it may outlive the plug-in.
void runWriter(std::shared_ptr<Shared> owned) {
    file_platform::runInBackground();
    Shared &shared = *owned;
    std::unique_lock<std::mutex> lock(shared.Mutex);
    for (;;) {
        shared.Work.wait(lock, [&shared] {
            return shared.WaitingCount > 0 || !shared.Retired.empty() || shared.Stopping;
        });
        if (!shared.Retired.empty()) {
            std::vector<SampleStore::SetSnapshot> freeing;
            freeing.swap(shared.Retired);
            // Busy until the memory is back: whoever waits for idle may count on it.
            shared.Busy = true;
            lock.unlock();
            freeing.clear();
            lock.lock();
            shared.Busy = false;
            if (shared.idle()) shared.Idle.notify_all();
            continue;
        }
        if (shared.WaitingCount == 0) break;
        std::unique_ptr<CsvExportJob> job = std::move(shared.Waiting[0]);
        for (std::size_t i = 1; i < shared.WaitingCount; ++i)
            shared.Waiting[i - 1] = std::move(shared.Waiting[i]);
        --shared.WaitingCount;
        shared.Busy = true;
        shared.Writing = job->Path;
        lock.unlock();

        if (shared.BeforeEachExport) shared.BeforeEachExport();
        // Large enough for any line; on the heap, as threads on some systems get small stacks.
        std::unique_ptr<char[]> message(new (std::nothrow) char[kFileLogLineBytes]);
        char fallback[160];
        char *text = message ? message.get() : fallback;
        const std::size_t size = message ? kFileLogLineBytes : sizeof fallback;
        const bool written =
            writeJob(*job, shared.Earlier, &shared.Cancel, text, size) == CsvExportOutcome::Written;

        lock.lock();
        shared.Writing = nullptr;
        lock.unlock();
        job.reset(); // the blocks a cleared set no longer needs go now
        lock.lock();
        if (!written) keepMessage(shared, text);
        shared.Busy = false;
        if (shared.idle()) shared.Idle.notify_all();
    }
    shared.Ended = true;
    shared.Idle.notify_all();
}
} // namespace

CsvExportWriter::CsvExportWriter() : shared_(std::make_shared<Shared>()) {}

CsvExportWriter::~CsvExportWriter() {
    // XPluginStop has ended the thread already; this only guards against a host that unloads
    // without stopping, where leaving a thread to run in unloaded code would be worse.
    if (thread_.joinable()) {
        shared_->Cancel = true;
        {
            std::lock_guard<std::mutex> lock(shared_->Mutex);
            shared_->Stopping = true;
        }
        shared_->Work.notify_all();
        thread_.join();
    }
}

void CsvExportWriter::submit(std::unique_ptr<CsvExportJob> job) {
    if (!job) return;
    Shared &shared = *shared_;
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
    // No thread to be had: written here and now rather than lost.
    char message[kFileLogLineBytes];
    if (writeJob(*job, leftBehind_, nullptr, message, sizeof message) != CsvExportOutcome::Written)
        XPLMDebugString(message);
}

bool CsvExportWriter::retireLocked(SampleStore::SetSnapshot &blocks) {
    if (!blocks.Owner) return true;
    try {
        if (!startThread()) return false;
        shared_->Retired.push_back(std::move(blocks));
        return true;
    } catch (...) {
        return false; // no room in the list
    }
}

bool CsvExportWriter::startThread() {
    if (refuseThreads && refuseThreads()) return false;
    if (thread_.joinable()) return true;
    Shared &shared = *shared_;
    try {
        shared.Stopping = false;
        shared.Ended = false;
        shared.BeforeEachExport = beforeEachExport;
        shared.Earlier.clear();
        for (const std::shared_ptr<Shared> &earlier : leftBehind_)
            shared.Earlier.push_back(earlier);
        thread_ = std::thread(runWriter, shared_);
        return true;
    } catch (...) {
        // std::system_error, or no memory for the thread's start.
        return false;
    }
}

void CsvExportWriter::release(SampleStore::SetSnapshot &&blocks) {
    if (!blocks.Owner) return;
    std::unique_lock<std::mutex> lock(shared_->Mutex);
    if (!retireLocked(blocks)) return; // no thread or no room: freed here, on return
    lock.unlock();
    shared_->Work.notify_one();
}

void CsvExportWriter::deliverMessages() {
    logMessages(*shared_);
    for (std::size_t i = 0; i < leftBehind_.size();) {
        Shared &behind = *leftBehind_[i];
        logMessages(behind);
        bool ended = false;
        {
            std::lock_guard<std::mutex> lock(behind.Mutex);
            ended = behind.Ended && !behind.HasMessages;
        }
        if (ended)
            leftBehind_.erase(leftBehind_.begin() + static_cast<std::ptrdiff_t>(i));
        else
            ++i;
    }
}

std::size_t CsvExportWriter::threadsLeftBehind() {
    std::size_t running = 0;
    for (const std::shared_ptr<Shared> &behind : leftBehind_) {
        std::lock_guard<std::mutex> lock(behind->Mutex);
        running += behind->Ended ? 0 : 1;
    }
    return running;
}

bool CsvExportWriter::cancelRequested() const { return shared_->Cancel.load(); }

bool CsvExportWriter::leaveThreadBehind() {
    std::shared_ptr<Shared> fresh(new (std::nothrow) Shared);
    if (!fresh) return false;
    try {
        leftBehind_.push_back(shared_);
    } catch (...) {
        return false;
    }
    // The thread returns into this module's code whenever the disk answers, perhaps after the
    // simulator unloaded the plug-in: the module must stay mapped until the process ends.
    if (!file_platform::keepModuleMapped()) {
        leftBehind_.pop_back();
        return false;
    }
    thread_.detach();
    shared_ = std::move(fresh);
    return true;
}

void CsvExportWriter::finish(std::chrono::milliseconds grace,
                             std::chrono::milliseconds giveUpWait) {
    std::unique_ptr<CsvExportJob> givenUp[kSettingsFileJob + 1];
    char held[kMaxPathBytes] = {};
    if (thread_.joinable()) {
        Shared &shared = *shared_;
        std::unique_lock<std::mutex> lock(shared.Mutex);
        if (!shared.Idle.wait_for(lock, grace, [&shared] { return shared.idle(); })) {
            shared.Cancel = true;
            for (std::size_t i = 0; i < shared.WaitingCount; ++i) {
                givenUp[i] = std::move(shared.Waiting[i]);
                // Their rows go back on the thread too, as it ends.
                retireLocked(givenUp[i]->Rows);
            }
            shared.WaitingCount = 0;
        }
        shared.Stopping = true;
        shared.Work.notify_all();
        const bool ended =
            shared.Idle.wait_for(lock, giveUpWait, [&shared] { return shared.Ended; });
        if (!ended && shared.Writing != nullptr)
            std::snprintf(held, sizeof held, "%s", shared.Writing);
        lock.unlock();
        // A thread that would not end and could not be left behind safely is waited for.
        if (ended || !leaveThreadBehind()) {
            thread_.join();
            held[0] = '\0';
        }
    }
    shared_->Cancel = false;
    shared_->Stopping = false;
    char message[kFileLogLineBytes];
    if (held[0] != '\0') {
        formatFileLogLine(message, sizeof message, "finish writing", held,
                          "the disk did not answer in time, so the plug-in stopped waiting; the "
                          "earlier file stays unless the disk completes the write later");
        std::lock_guard<std::mutex> lock(shared_->Mutex);
        keepMessage(*shared_, message);
    }
    // After the running export's own line, so that the log keeps the order they were asked in.
    for (const std::unique_ptr<CsvExportJob> &job : givenUp) {
        if (!job) continue;
        formatCancelledExport(*job, message, sizeof message);
        std::lock_guard<std::mutex> lock(shared_->Mutex);
        keepMessage(*shared_, message);
    }
    deliverMessages();
}

void CsvExportWriter::waitUntilIdle() {
    Shared &shared = *shared_;
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
