#include "background/message_list.h"

#include <cstdio>

#include "XPLMUtilities.h"

void MessageList::keepLocked(const char *line) {
    if (lines_.size() >= kMaxLines) {
        ++dropped_;
    } else {
        try {
            lines_.emplace_back(line);
        } catch (...) {
            ++dropped_;
        }
    }
    waiting_ = true;
}

void MessageList::takeLocked(std::vector<std::string> &lines, std::size_t &dropped) {
    lines.swap(lines_);
    dropped = dropped_;
    dropped_ = 0;
    waiting_ = false;
}

void MessageList::log(const std::vector<std::string> &lines, std::size_t dropped) const {
    for (const std::string &line : lines)
        XPLMDebugString(line.c_str());
    if (dropped != 0) {
        char line[160];
        std::snprintf(line, sizeof line, "Plotwright - %zu more lines about %s were dropped.\n",
                      dropped, subject_);
        XPLMDebugString(line);
    }
}
