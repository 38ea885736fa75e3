#pragma once
// How every background thread of the plug-in starts, stops within a bound and, when the disk
// holds it inside a call, is left behind. The jobs a thread runs (exports and the settings file,
// freeing cleared recordings) are its owner's business; this is the mechanism they share.
//
// - The thread and its owner share one state object (a WorkerState the owner derives from): a
//   thread left behind owns its own after the plug-in let go of it, and the module is kept
//   mapped for it, so nothing it touches goes away when the plug-in stops or is unloaded.
// - The thread calls nothing of the simulator's: its log lines wait in its state's messages and
//   deliverMessages() writes them on the simulator's thread.
// - finish() returns within its bound even when the disk never answers (a stalled drive, a
//   network share gone): a thread still inside a call then is left to end on its own, and the
//   log says which file it holds.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "background/message_list.h"

// How long XPluginDisable and XPluginStop let a thread's queued work finish.
constexpr std::chrono::milliseconds kWorkerStopGrace{9000};
// How long they then wait for the thread to notice that its work was given up (within one chunk
// of a file, unless the disk holds it inside a call) before leaving it behind.
constexpr std::chrono::milliseconds kWorkerGiveUpWait{1000};
// The README promises that disabling or quitting never waits longer than this.
constexpr std::chrono::milliseconds kWorkerStopBound{10000};
static_assert(kWorkerStopGrace + kWorkerGiveUpWait <= kWorkerStopBound,
              "a stop must not wait longer than the README says");

// What a thread and its owner share; owners derive their queues from it.
struct WorkerState {
    explicit WorkerState(const char *subject) : Messages(subject) {}
    virtual ~WorkerState() = default;
    WorkerState(const WorkerState &) = delete;
    WorkerState &operator=(const WorkerState &) = delete;

    // Under Mutex: no work waits or runs.
    virtual bool idle() const = 0;
    // Under Mutex, when a stop's grace has run out: takes the waiting work out of the queue (the
    // thread no longer sees it); reportGivenUp() logs it once the thread was dealt with.
    virtual void giveUpWaiting() {}
    // The simulator's thread, after giveUpWaiting(): keeps a log line in into's messages for
    // each piece given up (into is the next thread's state when this one was left behind).
    virtual void reportGivenUp(WorkerState &into) { (void)into; }

    std::mutex Mutex;
    // The thread waits here for work and for the stop.
    std::condition_variable Work;
    // Signalled when the thread becomes idle and when it ends.
    std::condition_variable Idle;
    bool Stopping = false;
    bool Ended = false;
    // Set when a stop gave the work up: a long write checks it between chunks.
    std::atomic<bool> Cancel{false};
    // The file the thread is inside a call on, while it is.
    const char *Holding = nullptr;
    MessageList Messages;
};

class WorkerThread {
public:
    using Body = void (*)(std::shared_ptr<WorkerState> state);
    // Makes the state of a new thread; null when there is no memory for it.
    using MakeState = std::shared_ptr<WorkerState> (*)();

    WorkerThread(MakeState makeState, Body body);
    // XPluginStop has ended the thread already; this only guards against a host that unloads
    // without stopping, where leaving a thread to run in unloaded code would be worse.
    ~WorkerThread();
    WorkerThread(const WorkerThread &) = delete;
    WorkerThread &operator=(const WorkerThread &) = delete;

    // The state of the current (or next) thread.
    WorkerState &state() { return *state_; }
    // With state().Mutex held: starts the thread unless it runs. False when none can be had.
    bool startLocked();

    // The simulator's thread: lets the queued work finish for up to grace, then gives the rest
    // up and waits up to giveUpWait for the thread to end; a thread that has not ended by then
    // is left behind. Returns within grace + giveUpWait (plus the log's own time); afterwards no
    // thread of this worker runs, and the next start makes a new one.
    void finish(std::chrono::milliseconds grace,
                std::chrono::milliseconds giveUpWait = kWorkerGiveUpWait);

    // The simulator's thread: logs what the thread (and those left behind) have to say.
    void deliverMessages();

    bool running() const { return thread_.joinable(); }
    bool cancelRequested() const { return state_->Cancel.load(); }
    // Threads left behind that have not ended yet.
    std::size_t threadsLeftBehind();
    // Their states, for a new thread to see which files they still hold.
    const std::vector<std::shared_ptr<WorkerState>> &leftBehind() const { return leftBehind_; }

private:
    // Leaves the thread, held by the disk, to end on its own. False when that cannot be done
    // safely (the module could not be kept mapped, no memory for the next thread's state).
    bool leaveThreadBehind();

    MakeState makeState_;
    Body body_;
    std::shared_ptr<WorkerState> state_;
    std::thread thread_;
    std::vector<std::shared_ptr<WorkerState>> leftBehind_;
};

// Whether a thread left behind is still inside a call on path.
bool heldByThreadLeftBehind(const std::vector<std::shared_ptr<WorkerState>> &leftBehind,
                            const char *path);
