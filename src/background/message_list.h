#pragma once
// Lines a background thread has for the simulator's log. A thread of the plug-in calls nothing
// of the simulator's: it keeps its finished lines here, and the simulator's thread writes them
// to the log (at the next tick, and when the thread is stopped). Bounded: past kMaxLines, one
// more line says how many were dropped.

#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

class MessageList {
public:
    static constexpr std::size_t kMaxLines = 16;

    // subject names what the lines are about in the line that counts the dropped ones.
    explicit MessageList(const char *subject) : subject_(subject) {}

    // With the owner's lock held: keeps one finished log line (ending in a line feed).
    void keepLocked(const char *line);
    // Without the owner's lock: whether anything waits, cheap enough for every tick.
    bool waiting() const { return waiting_.load(); }
    // With the owner's lock held: hands the kept lines and the count of dropped ones over.
    void takeLocked(std::vector<std::string> &lines, std::size_t &dropped);
    // The simulator's thread: writes lines taken with takeLocked to the log.
    void log(const std::vector<std::string> &lines, std::size_t dropped) const;

private:
    const char *subject_;
    std::vector<std::string> lines_;
    std::size_t dropped_ = 0;
    std::atomic<bool> waiting_{false};
};
