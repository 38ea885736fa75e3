#include "background/worker_thread.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "XPLMUtilities.h"
#include "core/file_access.h"
#include "core/file_platform.h"

namespace {
void logMessages(WorkerState &state) {
    if (!state.Messages.waiting()) return;
    std::vector<std::string> lines;
    std::size_t dropped = 0;
    {
        std::lock_guard<std::mutex> lock(state.Mutex);
        state.Messages.takeLocked(lines, dropped);
    }
    state.Messages.log(lines, dropped);
}

// The thread: runs the owner's body behind the simulator's thread, then says it ended. Holds
// its own reference to its state, so that it may outlive the plug-in.
void runThread(WorkerThread::Body body, std::shared_ptr<WorkerState> state) {
    file_platform::runInBackground();
    body(state);
    std::lock_guard<std::mutex> lock(state->Mutex);
    state->Ended = true;
    state->Idle.notify_all();
}
} // namespace

bool heldByThreadLeftBehind(const std::vector<std::shared_ptr<WorkerState>> &leftBehind,
                            const char *path) {
    for (const std::shared_ptr<WorkerState> &other : leftBehind) {
        std::lock_guard<std::mutex> lock(other->Mutex);
        if (other->Holding != nullptr && std::strcmp(other->Holding, path) == 0) return true;
    }
    return false;
}

WorkerThread::WorkerThread(MakeState makeState, Body body)
    : makeState_(makeState), body_(body), state_(makeState()) {}

WorkerThread::~WorkerThread() {
    if (!thread_.joinable()) return;
    state_->Cancel = true;
    {
        std::lock_guard<std::mutex> lock(state_->Mutex);
        state_->Stopping = true;
    }
    state_->Work.notify_all();
    thread_.join();
}

bool WorkerThread::startLocked() {
    if (thread_.joinable()) return true;
    try {
        state_->Stopping = false;
        state_->Ended = false;
        thread_ = std::thread(runThread, body_, state_);
        return true;
    } catch (...) {
        // std::system_error, or no memory for the thread's start.
        return false;
    }
}

void WorkerThread::deliverMessages() {
    logMessages(*state_);
    for (std::size_t i = 0; i < leftBehind_.size();) {
        WorkerState &behind = *leftBehind_[i];
        logMessages(behind);
        bool ended = false;
        {
            std::lock_guard<std::mutex> lock(behind.Mutex);
            ended = behind.Ended && !behind.Messages.waiting();
        }
        if (ended)
            leftBehind_.erase(leftBehind_.begin() + static_cast<std::ptrdiff_t>(i));
        else
            ++i;
    }
}

std::size_t WorkerThread::threadsLeftBehind() {
    std::size_t running = 0;
    for (const std::shared_ptr<WorkerState> &behind : leftBehind_) {
        std::lock_guard<std::mutex> lock(behind->Mutex);
        running += behind->Ended ? 0 : 1;
    }
    return running;
}

bool WorkerThread::leaveThreadBehind() {
    std::shared_ptr<WorkerState> fresh = makeState_();
    if (!fresh) return false;
    try {
        leftBehind_.push_back(state_);
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
    state_ = std::move(fresh);
    return true;
}

void WorkerThread::finish(std::chrono::milliseconds grace, std::chrono::milliseconds giveUpWait) {
    char held[kMaxPathBytes] = {};
    bool gaveUp = false;
    std::shared_ptr<WorkerState> stopped = state_;
    if (thread_.joinable()) {
        WorkerState &state = *state_;
        std::unique_lock<std::mutex> lock(state.Mutex);
        if (!state.Idle.wait_for(lock, grace, [&state] { return state.idle(); })) {
            state.Cancel = true;
            state.giveUpWaiting();
            gaveUp = true;
        }
        state.Stopping = true;
        state.Work.notify_all();
        const bool ended = state.Idle.wait_for(lock, giveUpWait, [&state] { return state.Ended; });
        if (!ended && state.Holding != nullptr)
            std::snprintf(held, sizeof held, "%s", state.Holding);
        lock.unlock();
        // A thread that would not end and could not be left behind safely is waited for.
        if (ended || !leaveThreadBehind()) {
            thread_.join();
            held[0] = '\0';
        }
    }
    state_->Cancel = false;
    state_->Stopping = false;
    if (held[0] != '\0') {
        char message[kFileLogLineBytes];
        formatFileLogLine(message, sizeof message, "finish writing", held,
                          "the disk did not answer in time, so the plug-in stopped waiting; the "
                          "earlier file stays unless the disk completes the write later");
        std::lock_guard<std::mutex> lock(state_->Mutex);
        state_->Messages.keepLocked(message);
    }
    // After the held file's own line, so that the log keeps the order the work was asked in.
    if (gaveUp) stopped->reportGivenUp(*state_);
    deliverMessages();
}
