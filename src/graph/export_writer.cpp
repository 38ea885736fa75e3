#include "graph/export_writer.h"

#include <cstdio>
#include <new>
#include <utility>

#include "XPLMUtilities.h"

CsvExportWriter gCsvExportWriter;

CsvExportWriter::~CsvExportWriter() {
    // XPluginStop has joined the thread already; this only guards against a host that unloads
    // without stopping, where leaving a thread to run in unloaded code would be worse.
    if (thread_.joinable()) {
        cancel_ = true;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        work_.notify_all();
        thread_.join();
    }
}

void CsvExportWriter::submit(std::unique_ptr<CsvExportJob> job) {
    if (!job) return;
    std::unique_ptr<CsvExportJob> replaced;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        std::size_t slot = 0;
        while (slot < waitingCount_ && waiting_[slot]->Set != job->Set)
            ++slot;
        if (slot < waitingCount_) replaced = std::move(waiting_[slot]);
        // The thread comes first, so that a job is queued only where a thread will take it.
        const bool threaded = startThread();
        if (threaded) {
            if (slot == waitingCount_) ++waitingCount_;
            waiting_[slot] = std::move(job);
        } else if (replaced) {
            // The job is written below, on this thread: the one it replaces has had its day.
            for (std::size_t i = slot + 1; i < waitingCount_; ++i)
                waiting_[i - 1] = std::move(waiting_[i]);
            --waitingCount_;
        }
        // The replaced snapshot may hold the last reference to a set cleared since: its blocks
        // go back on the writer's thread, as a Clear's do.
        if (replaced && retireLocked(replaced->Rows)) replaced.reset();
        lock.unlock();
        if (threaded) {
            work_.notify_one();
            return;
        }
    }
    // No thread to be had: written here and now rather than lost.
    char message[kFileLogLineBytes];
    if (writeCsvExport(*job, nullptr, message, sizeof message) != CsvExportOutcome::Written)
        XPLMDebugString(message);
}

// Called with mutex_ held.
bool CsvExportWriter::retireLocked(SampleStore::SetSnapshot &blocks) {
    if (!blocks.Owner) return true;
    try {
        if (!startThread()) return false;
        retired_.push_back(std::move(blocks));
        return true;
    } catch (...) {
        return false; // no room in the list
    }
}

bool CsvExportWriter::startThread() {
    if (refuseThreads && refuseThreads()) return false;
    if (thread_.joinable()) return true;
    try {
        stopping_ = false;
        thread_ = std::thread(&CsvExportWriter::run, this);
        return true;
    } catch (...) {
        // std::system_error, or no memory for the thread's start.
        return false;
    }
}

void CsvExportWriter::release(SampleStore::SetSnapshot &&blocks) {
    if (!blocks.Owner) return;
    std::unique_lock<std::mutex> lock(mutex_);
    if (!retireLocked(blocks)) return; // no thread or no room: freed here, on return
    lock.unlock();
    work_.notify_one();
}

void CsvExportWriter::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        work_.wait(lock, [this] { return waitingCount_ > 0 || !retired_.empty() || stopping_; });
        if (!retired_.empty()) {
            std::vector<SampleStore::SetSnapshot> freeing;
            freeing.swap(retired_);
            // Busy until the memory is back: whoever waits for idle may count on it.
            busy_ = true;
            lock.unlock();
            freeing.clear();
            lock.lock();
            busy_ = false;
            if (waitingCount_ == 0 && retired_.empty()) idle_.notify_all();
            continue;
        }
        if (waitingCount_ == 0) break;
        std::unique_ptr<CsvExportJob> job = std::move(waiting_[0]);
        for (std::size_t i = 1; i < waitingCount_; ++i)
            waiting_[i - 1] = std::move(waiting_[i]);
        --waitingCount_;
        busy_ = true;
        lock.unlock();

        if (beforeEachExport) beforeEachExport();
        // Large enough for any line; on the heap, as threads on some systems get small stacks.
        std::unique_ptr<char[]> message(new (std::nothrow) char[kFileLogLineBytes]);
        char fallback[160];
        char *text = message ? message.get() : fallback;
        const std::size_t size = message ? kFileLogLineBytes : sizeof fallback;
        const bool written =
            writeCsvExport(*job, &cancel_, text, size) == CsvExportOutcome::Written;
        job.reset(); // the blocks a cleared set no longer needs go now

        lock.lock();
        if (!written) keepMessage(text);
        busy_ = false;
        if (waitingCount_ == 0 && retired_.empty()) idle_.notify_all();
    }
}

// Called with mutex_ held.
void CsvExportWriter::keepMessage(const char *line) {
    if (messages_.size() >= kMaxMessages) {
        ++droppedMessages_;
    } else {
        try {
            messages_.emplace_back(line);
        } catch (...) {
            ++droppedMessages_;
        }
    }
    hasMessages_ = true;
}

void CsvExportWriter::deliverMessages() {
    if (!hasMessages_.load()) return;
    std::vector<std::string> lines;
    std::size_t dropped = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        lines.swap(messages_);
        dropped = droppedMessages_;
        droppedMessages_ = 0;
        hasMessages_ = false;
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

void CsvExportWriter::finish(std::chrono::milliseconds grace) {
    std::unique_ptr<CsvExportJob> givenUp[kSettingsFileJob + 1];
    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (thread_.joinable()) {
            const bool done = idle_.wait_for(
                lock, grace, [this] { return waitingCount_ == 0 && !busy_ && retired_.empty(); });
            if (!done) {
                cancel_ = true;
                for (std::size_t i = 0; i < waitingCount_; ++i)
                    givenUp[i] = std::move(waiting_[i]);
                waitingCount_ = 0;
            }
            stopping_ = true;
        }
    }
    work_.notify_all();
    if (thread_.joinable()) thread_.join();
    cancel_ = false;
    stopping_ = false;
    // After the running export's own line, so that the log keeps the order they were asked in.
    char message[kFileLogLineBytes];
    for (const std::unique_ptr<CsvExportJob> &job : givenUp) {
        if (!job) continue;
        formatCancelledExport(*job, message, sizeof message);
        std::lock_guard<std::mutex> lock(mutex_);
        keepMessage(message);
    }
    deliverMessages();
}

void CsvExportWriter::waitUntilIdle() {
    std::unique_lock<std::mutex> lock(mutex_);
    idle_.wait(lock, [this] { return waitingCount_ == 0 && !busy_ && retired_.empty(); });
}

void clearSetInBackground(SampleStore &store, int set) {
    SampleStore::SetSnapshot cleared;
    store.takeSet(set, cleared);
    gCsvExportWriter.release(std::move(cleared));
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
