#include "background/recording_journal.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "XPLMUtilities.h"
#include "background/journal_format.h"
#include "core/file_access.h"
#include "core/file_platform.h"

RecordingJournal gRecordingJournal;

namespace {
// What every session of this module's life in the process shares: the session numbers differ
// in their last byte only. Drawn from the clock, the process and where the module lies, so two
// processes (a crashed run and the next) never share it. It outlives a reload while a thread of
// an earlier session is left behind, since the module then stays mapped.
std::uint64_t processToken() {
    static const std::uint64_t token = [] {
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        std::uint64_t mixed =
            static_cast<std::uint64_t>(
                std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()) ^
            (static_cast<std::uint64_t>(file_platform::processId()) << 40) ^
            static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(&kJournalPeriod));
        // splitmix64's finish: every input bit reaches every output bit.
        mixed ^= mixed >> 30;
        mixed *= 0xbf58476d1ce4e5b9u;
        mixed ^= mixed >> 27;
        mixed *= 0x94d049bb133111ebu;
        mixed ^= mixed >> 31;
        return mixed & ~std::uint64_t{0xFF};
    }();
    return token;
}

std::uint64_t beginSession() {
    static unsigned begun = 0;
    return processToken() | (begun++ & 0xFFu);
}

struct SetJournal {
    std::shared_ptr<const SampleStore::SetRows> Rows;
    std::uint64_t Written = 0;
    FileHandle File = kNoFileHandle;
    bool Dirty = false;
    char Path[kMaxPathBytes] = {};
};
} // namespace

bool journalSessionOfThisProcess(std::uint64_t session) {
    return (session & ~std::uint64_t{0xFF}) == processToken();
}

void formatJournalName(char *out, int set, std::uint64_t session) {
    std::snprintf(out, kJournalNameBytes, "Plotwright%c-%016llx.journal",
                  static_cast<char>('1' + set), static_cast<unsigned long long>(session));
}

bool parseJournalName(const char *name, int &set, std::uint64_t &session) {
    static const char kPrefix[] = "Plotwright";
    static const char kSuffix[] = ".journal";
    const std::size_t prefix = sizeof kPrefix - 1;
    if (std::strlen(name) != prefix + 2 + 16 + sizeof kSuffix - 1) return false;
    if (std::strncmp(name, kPrefix, prefix) != 0) return false;
    if (name[prefix] < '1' || name[prefix] > '3' || name[prefix + 1] != '-') return false;
    std::uint64_t value = 0;
    for (int i = 0; i < 16; ++i) {
        const char c = name[prefix + 2 + i];
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0) return false;
        value = (value << 4) | static_cast<std::uint64_t>(digit);
    }
    if (std::strcmp(name + prefix + 18, kSuffix) != 0) return false;
    set = name[prefix] - '1';
    session = value;
    return true;
}

struct RecordingJournal::State : WorkerState {
    State() : WorkerState("the journal") {}
    // Nothing queued: a stop ends the session at once.
    bool idle() const override { return true; }

    const SampleStore *Store = nullptr;
    char Folder[kMaxPathBytes] = {};
    std::uint64_t Session = 0;
    SetJournal Sets[SampleStore::kSets];
    bool Failed = false;
    bool WakeNow = false;
    std::uint64_t Looks = 0;
    std::chrono::steady_clock::time_point LastSync;
    // One batch: its header and up to kMaxJournalBatchRows rows.
    std::unique_ptr<unsigned char[]> Batch;
};

namespace {
using State = RecordingJournal::State;

std::shared_ptr<WorkerState> makeState() {
    std::shared_ptr<State> state(new (std::nothrow) State);
    return state;
}

void keep(State &journal, const char *line) {
    std::lock_guard<std::mutex> lock(journal.Mutex);
    journal.Messages.keepLocked(line);
}

// Stops the journal for the rest of the session; recording and Export go on from memory.
void fail(State &journal, const char *path, const FileProblem &problem) {
    char reason[160];
    describeFileProblem(problem, reason, sizeof reason);
    char line[kFileLogLineBytes];
    char what[sizeof reason + 80];
    std::snprintf(what, sizeof what,
                  "%s; the recording's journal stopped, recording and Export go on", reason);
    formatFileLogLine(line, sizeof line, "write", path, what);
    keep(journal, line);
    journal.Failed = true;
}

// Calls the disk with the file named as held, for the log line of a stop that gives up on it.
template <typename Call> bool holding(State &journal, const char *path, Call call) {
    {
        std::lock_guard<std::mutex> lock(journal.Mutex);
        journal.Holding = path;
    }
    const bool done = call();
    std::lock_guard<std::mutex> lock(journal.Mutex);
    journal.Holding = nullptr;
    return done;
}

bool writeHeader(State &journal, int set, SetJournal &file, FileProblem &problem) {
    unsigned char header[kJournalHeaderBytes];
    encodeJournalHeader(header, set, journal.Session);
    return holding(journal, file.Path, [&] {
        return file_platform::writeBytes(file.File, header, sizeof header, problem);
    });
}

// The set's file, made the first time the set has rows, or emptied when the set was cleared.
bool openOrRestart(State &journal, int set, SetJournal &file) {
    FileProblem problem;
    if (file.File != kNoFileHandle) {
        const bool emptied = holding(
            journal, file.Path, [&] { return file_platform::truncateToEmpty(file.File, problem); });
        if (!emptied || !writeHeader(journal, set, file, problem)) {
            fail(journal, file.Path, problem);
            return false;
        }
        file.Dirty = true;
        return true;
    }
    char name[kJournalNameBytes];
    formatJournalName(name, set, journal.Session);
    // Fits: XPluginStart journals only in a folder whose paths do.
    const std::size_t folderLength = std::strlen(journal.Folder);
    std::memcpy(file.Path, journal.Folder, folderLength);
    std::memcpy(file.Path + folderLength, name, std::strlen(name) + 1);
    const bool made = holding(journal, file.Path, [&] {
        file.File = file_platform::createForWriting(file.Path, file.Path, problem);
        return file.File != kNoFileHandle;
    });
    if (!made) {
        fail(journal, file.Path, problem);
        return false;
    }
    // The file's name must outlive a power cut as its rows do.
    FileProblem folder;
    file_platform::flushFolderOf(file.Path, folder);
    if (!writeHeader(journal, set, file, problem)) {
        fail(journal, file.Path, problem);
        return false;
    }
    file.Dirty = true;
    return true;
}

// Writes the rows of set published since the last look, in batches.
void journalSet(State &journal, int set) {
    SetJournal &file = journal.Sets[set];
    std::shared_ptr<const SampleStore::SetRows> rows = journal.Store->shareSet(set);
    if (rows != file.Rows) {
        // The set's first rows, or a Clear since the last look: the journal starts afresh (a
        // cleared set's file keeps only its header until rows come again).
        file.Rows = std::move(rows);
        file.Written = 0;
        if ((file.Rows || file.File != kNoFileHandle) && !openOrRestart(journal, set, file)) return;
    }
    if (!file.Rows) return;
    const std::uint64_t published = file.Rows->published();
    unsigned char *batch = journal.Batch.get();
    while (file.Written < published) {
        const std::uint64_t left = published - file.Written;
        const auto count =
            static_cast<std::uint32_t>(left < kMaxJournalBatchRows ? left : kMaxJournalBatchRows);
        float *values = reinterpret_cast<float *>(batch + kJournalBatchHeaderBytes);
        for (std::uint32_t row = 0; row < count; ++row)
            for (int channel = 0; channel < kJournalRowValues; ++channel)
                values[row * kJournalRowValues + channel] =
                    file.Rows->value(file.Written + row, channel);
        unsigned char(&head)[kJournalBatchHeaderBytes] =
            *reinterpret_cast<unsigned char(*)[kJournalBatchHeaderBytes]>(batch);
        encodeJournalBatchHeader(head, count, file.Written, values);
        FileProblem problem;
        const std::size_t bytes = kJournalBatchHeaderBytes + count * kJournalRowBytes;
        if (!holding(journal, file.Path,
                     [&] { return file_platform::writeBytes(file.File, batch, bytes, problem); })) {
            fail(journal, file.Path, problem);
            return;
        }
        file.Written += count;
        file.Dirty = true;
    }
}

void syncWhenDue(State &journal) {
    const auto now = std::chrono::steady_clock::now();
    if (now - journal.LastSync < kJournalSyncPeriod) return;
    journal.LastSync = now;
    for (SetJournal &file : journal.Sets) {
        if (!file.Dirty || journal.Failed) continue;
        FileProblem problem;
        if (!holding(journal, file.Path,
                     [&] { return file_platform::flushToDisk(file.File, problem); })) {
            fail(journal, file.Path, problem);
            return;
        }
        file.Dirty = false;
    }
}

// A clean end: the session's files go, whatever they hold.
void endSession(State &journal) {
    for (SetJournal &file : journal.Sets) {
        file.Rows.reset();
        if (file.File == kNoFileHandle) continue;
        FileProblem ignored;
        holding(journal, file.Path, [&] {
            file_platform::closeWritten(file.File, ignored);
            file_platform::removeFile(file.Path);
            return true;
        });
        file.File = kNoFileHandle;
    }
}

void runJournal(std::shared_ptr<WorkerState> shared) {
    State &journal = static_cast<State &>(*shared);
    journal.LastSync = std::chrono::steady_clock::now();
    std::unique_lock<std::mutex> lock(journal.Mutex);
    for (;;) {
        journal.Work.wait_for(lock, kJournalPeriod,
                              [&journal] { return journal.Stopping || journal.WakeNow; });
        if (journal.Stopping) break;
        journal.WakeNow = false;
        lock.unlock();
        for (int set = 0; set < SampleStore::kSets && !journal.Failed; ++set)
            journalSet(journal, set);
        if (!journal.Failed) syncWhenDue(journal);
        lock.lock();
        ++journal.Looks;
        journal.Idle.notify_all();
    }
    lock.unlock();
    endSession(journal);
}
} // namespace

RecordingJournal::RecordingJournal() : worker_(makeState, runJournal) {}

RecordingJournal::State &RecordingJournal::state() { return static_cast<State &>(worker_.state()); }

void RecordingJournal::start(const SampleStore &store, const char *folder) {
    session_ = beginSession();
    State &journal = state();
    std::unique_lock<std::mutex> lock(journal.Mutex);
    journal.Store = &store;
    std::snprintf(journal.Folder, sizeof journal.Folder, "%s", folder);
    journal.Session = session_;
    journal.Failed = false;
    for (SetJournal &file : journal.Sets)
        file = SetJournal{};
    if (!journal.Batch)
        journal.Batch.reset(
            new (std::nothrow) unsigned char[kJournalBatchHeaderBytes +
                                             kMaxJournalBatchRows * kJournalRowBytes]);
    if (!journal.Batch || !worker_.startLocked()) {
        lock.unlock();
        XPLMDebugString("Plotwright - The recording's journal could not start; a recording "
                        "lives only in memory until it is exported.\n");
    }
}

void RecordingJournal::requestStop() {
    if (!worker_.running()) return;
    State &journal = state();
    {
        std::lock_guard<std::mutex> lock(journal.Mutex);
        journal.Stopping = true;
    }
    journal.Work.notify_all();
}

void RecordingJournal::finish(std::chrono::milliseconds wait) {
    requestStop();
    worker_.finish(std::chrono::milliseconds(0), wait);
}

void RecordingJournal::writeNow() {
    if (!worker_.running()) return;
    State &journal = state();
    std::unique_lock<std::mutex> lock(journal.Mutex);
    const std::uint64_t looks = journal.Looks;
    journal.WakeNow = true;
    journal.Work.notify_all();
    journal.Idle.wait(lock, [&journal, looks] { return journal.Looks > looks || journal.Ended; });
}
