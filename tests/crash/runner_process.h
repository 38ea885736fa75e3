#pragma once
// The scenario runner as a child process that a test can watch and kill: started with its
// output in a log file, its rows file read while it runs, SIGKILL at a moment of the test's
// choosing. Linux only, as the runner is.

#include <sys/types.h>

#include <string>
#include <vector>

namespace plotwright_test {

class RunnerProcess {
public:
    // Starts PLOTWRIGHT_HOST_RUNNER with `arguments`; stdout and stderr go to `logPath`.
    RunnerProcess(const std::vector<std::string> &arguments, const std::string &logPath);
    // Kills a runner still running: a failed assertion never leaves one behind.
    ~RunnerProcess();
    RunnerProcess(const RunnerProcess &) = delete;
    RunnerProcess &operator=(const RunnerProcess &) = delete;

    bool started() const { return pid_ > 0; }
    // Why it did not start.
    const std::string &error() const { return error_; }
    // Whether the runner has ended (without waiting for it).
    bool ended();
    // Waits for the end: the exit status, or -1 for a runner that a signal ended.
    int wait();
    // SIGKILL, then waits for it to be gone.
    void kill();

private:
    pid_t pid_ = -1;
    bool reaped_ = false;
    int status_ = -1;
    std::string error_;
};

// Runs the runner to its end and returns its exit status (-1: ended by a signal, or it could
// not start, which it prints).
int runRunner(const std::vector<std::string> &arguments, const std::string &logPath);

// The count in a runner's rows file; -1 while there is none or it holds no number.
long long readRowsFile(const std::string &path);

// The number of '\n' in a text.
long long lineCount(const std::string &text);

} // namespace plotwright_test
