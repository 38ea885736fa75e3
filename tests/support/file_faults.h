#pragma once
// File-system faults for tests that run as root as well as for a user: a full disk (a file-size
// limit stands in for it) and a process without the rights to a file. POSIX only: Windows has
// neither a file-size limit nor a user switch a test can make, so the tests that use these
// faults run on Linux.

#include <functional>

#if !defined(_WIN32)
namespace plotwright_test {

// Runs body while every write that would make a file larger than `bytes` fails, as on a full
// disk (EFBIG instead of ENOSPC; the signal the kernel would send is ignored meanwhile).
void withFileSizeLimit(long bytes, const std::function<void()> &body);

// Runs body in a child process that has no rights beyond an unprivileged user's (a root test run
// drops to "nobody"); returns the child's exit status, or -1 when it did not exit normally.
int runUnprivileged(const std::function<int()> &body);

} // namespace plotwright_test
#endif
