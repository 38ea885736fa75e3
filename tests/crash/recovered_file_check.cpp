#include "crash/recovered_file_check.h"

#include <algorithm>

#include "crash/runner_process.h"

namespace plotwright_test {
namespace {

std::string lineAt(const std::string &text, std::size_t offset) {
    const std::size_t begin = text.rfind('\n', offset == 0 ? 0 : offset - 1);
    const std::size_t from = begin == std::string::npos || offset == 0 ? 0 : begin + 1;
    const std::size_t end = text.find('\n', from);
    return "'" + text.substr(from, end == std::string::npos ? std::string::npos : end - from) + "'";
}

} // namespace

RecoveryVerdict checkRecoveredFile(bool exists, const std::string &recovered,
                                   const std::string &reference, long long rowsAtKill,
                                   long long marginRows) {
    RecoveryVerdict verdict;
    if (!exists) {
        verdict.Why = "no recovered file";
        verdict.Lost = rowsAtKill;
        return verdict;
    }
    verdict.Rows = lineCount(recovered);
    verdict.Lost = rowsAtKill - verdict.Rows;
    const std::size_t same = static_cast<std::size_t>(
        std::mismatch(recovered.begin(), recovered.end(), reference.begin(), reference.end())
            .first -
        recovered.begin());
    if (same < recovered.size()) {
        const long long line = lineCount(recovered.substr(0, same)) + 1;
        verdict.Why = "bytes differ from the uninterrupted run's export at line " +
                      std::to_string(line) + ": recovered " + lineAt(recovered, same) +
                      (same < reference.size() ? ", expected " + lineAt(reference, same)
                                               : ", which the uninterrupted run never recorded");
        return verdict;
    }
    if (!recovered.empty() && recovered.back() != '\n') {
        verdict.Why = "the file ends inside line " + std::to_string(verdict.Rows + 1);
        return verdict;
    }
    if (verdict.Lost > marginRows) {
        verdict.Why = "lost " + std::to_string(verdict.Lost) + " of the " +
                      std::to_string(rowsAtKill) + " rows recorded before the kill (" +
                      std::to_string(verdict.Rows) + " recovered), over the margin of " +
                      std::to_string(marginRows);
        return verdict;
    }
    verdict.Passed = true;
    return verdict;
}

} // namespace plotwright_test
