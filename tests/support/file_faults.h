#pragma once
// File-system faults for tests that run as root as well as for a user: a full disk (a file-size
// limit stands in for it) and a process without the rights to a file. POSIX only: Windows has
// neither a file-size limit nor a user switch a test can make, so the tests that use these
// faults run on Linux.

#include <functional>
#include <string>

#if !defined(_WIN32)
namespace plotwright_test {

// Runs body while every write that would make a file larger than `bytes` fails, as on a full
// disk (EFBIG instead of ENOSPC; the signal the kernel would send is ignored meanwhile).
void withFileSizeLimit(long bytes, const std::function<void()> &body);

// Runs body in a child process that has no rights beyond an unprivileged user's (a root test run
// drops to "nobody"); returns the child's exit status, or -1 when it did not exit normally. The
// files body uses must lie in a SharedTempFolder: the build's own folders may sit below one only
// their owner can enter.
int runUnprivileged(const std::function<int()> &body);

// A new folder in /tmp that every user may enter and read, for the files of a test that runs
// part of itself unprivileged; removed with everything in it when the object goes.
class SharedTempFolder {
public:
    SharedTempFolder();
    ~SharedTempFolder();
    SharedTempFolder(const SharedTempFolder &) = delete;
    SharedTempFolder &operator=(const SharedTempFolder &) = delete;

    // Ends with "/".
    const std::string &path() const { return path_; }

private:
    std::string path_;
};

} // namespace plotwright_test
#endif
