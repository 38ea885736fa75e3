#pragma once
// The recording's journal: while a set is recorded, its rows reach a file in the plug-in's
// folder, so that a simulator that ends without stopping the plug-in (a crash, a killed process,
// a power cut) loses at most the last second of them; the next start recovers them
// (background/journal_recovery.h).
//
// - A thread of its own follows the store (SampleStore::shareSet): every quarter of a second it
//   writes the rows published since, so the simulator's thread neither copies nor allocates
//   anything for the journal; every two seconds the files are flushed to the disk itself. A
//   journal the disk holds never holds an export back, nor the other way round.
// - One file a set and session, "Plotwright<set>-<session>.journal" (background/journal_format.h):
//   the set's rows since it was last cleared, Record after Stop continuing it; a Clear starts it
//   afresh.
// - A clean end (XPluginStop: a quit, a reload) removes the files: a recording nobody exported
//   is gone, as it always was. A thread the disk holds at that moment removes them when the disk
//   answers, and no start in the same process ever recovers a session of its own.
// - A failure to write (a full disk, a removed folder) stops the journal with one line in the
//   log; recording and Export go on from memory.

#include <chrono>
#include <cstddef>
#include <cstdint>

#include "background/worker_thread.h"
#include "graph/sample_store.h"

// How often the journal's thread writes the rows recorded since its last look.
constexpr std::chrono::milliseconds kJournalPeriod{250};
// How often what was written is flushed to the disk itself.
constexpr std::chrono::milliseconds kJournalSyncPeriod{2000};

class RecordingJournal {
public:
    RecordingJournal();
    RecordingJournal(const RecordingJournal &) = delete;
    RecordingJournal &operator=(const RecordingJournal &) = delete;

    // The simulator's thread, at XPluginStart: a new session journals store into folder (the
    // plug-in's, ending with its separator). Without a thread nothing is journaled, and the log
    // says so.
    void start(const SampleStore &store, const char *folder);
    // The simulator's thread: asks the thread to end the session cleanly, without waiting.
    void requestStop();
    // The simulator's thread: waits up to wait for the thread to have ended the session (its
    // files removed); one the disk still holds then is left behind to remove them on its own.
    void finish(std::chrono::milliseconds wait);

    void deliverMessages() { worker_.deliverMessages(); }
    bool running() const { return worker_.running(); }
    std::size_t threadsLeftBehind() { return worker_.threadsLeftBehind(); }
    // This session's number (in its files' names).
    std::uint64_t session() const { return session_; }
    // Tests: wakes the thread now and waits until it has looked at the store once more.
    void writeNow();

    struct State;

private:
    State &state();

    WorkerThread worker_;
    std::uint64_t session_ = 0;
};

// The program-wide journal; started by XPluginStart, ended by XPluginStop.
extern RecordingJournal gRecordingJournal;

// Whether session is one this process began (in this module's life): a start never recovers
// a journal of its own process, which ended cleanly or is still being written.
bool journalSessionOfThisProcess(std::uint64_t session);

// Writes the name of set's journal file for session ("Plotwright1-00000000000000ab.journal")
// into out (room for kJournalNameBytes).
constexpr std::size_t kJournalNameBytes = 40;
void formatJournalName(char *out, int set, std::uint64_t session);
// Reads a journal file's name; false for any other name.
bool parseJournalName(const char *name, int &set, std::uint64_t &session);
