#pragma once
// The file a run keeps holding the number of rows recorded so far, for a program that watches
// the run from outside (the crash test kills it at a given row). The count is the plug-in's
// own: the sample count its graph widget publishes for the set last appended to. Each call
// appends one row to each of the three sets, so while no set is cleared that is the number of
// rows of every set, exactly what a complete export would hold, with nothing inferred from the
// frame times. 0 before the graph window exists.
//
// The file holds the number and a newline. It is written beside itself and renamed over, so a
// reader sees the last count or the one before, never a torn one.

#include <string>
#include <utility>

namespace plotwright_host {

// The rows the plug-in's graph widget counts; 0 when there is no graph window.
long long recordedRows();

class RowsReport {
public:
    explicit RowsReport(std::string path) : path_(std::move(path)) {}
    bool enabled() const { return !path_.empty(); }
    // Writes the count when it changed since the last write (and at the first call).
    bool update(long long rows, std::string *error);

private:
    std::string path_;
    long long written_ = -1;
};

} // namespace plotwright_host
