#pragma once
// What the crash test asks of a recovered file: the bytes an uninterrupted run of the same
// recording exported, cut after a whole line, and at most a margin fewer rows than the killed
// run had reported when it was killed.

#include <string>

namespace plotwright_test {

struct RecoveryVerdict {
    bool Passed = false;
    std::string Why;    // for a failure: what is wrong, with the line where it shows
    long long Rows = 0; // the rows the recovered file holds
    long long Lost = 0; // rowsAtKill - Rows; negative when rows came after the last report
};

// `recovered` is the file's text (absent: `exists` false), `reference` the uninterrupted run's
// export of the same set.
RecoveryVerdict checkRecoveredFile(bool exists, const std::string &recovered,
                                   const std::string &reference, long long rowsAtKill,
                                   long long marginRows);

} // namespace plotwright_test
