#include "crash/runner_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace plotwright_test {

RunnerProcess::RunnerProcess(const std::vector<std::string> &arguments,
                             const std::string &logPath) {
    std::vector<std::string> words{PLOTWRIGHT_HOST_RUNNER};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char *> argv;
    for (std::string &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    // Opened before the fork: the child only duplicates descriptors and execs.
    const int log = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (log < 0) {
        error_ = "cannot open " + logPath + ": " + std::strerror(errno);
        return;
    }
    pid_ = ::fork();
    if (pid_ < 0) error_ = std::string("cannot fork: ") + std::strerror(errno);
    if (pid_ == 0) {
        ::dup2(log, STDOUT_FILENO);
        ::dup2(log, STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(log);
}

RunnerProcess::~RunnerProcess() {
    if (started() && !reaped_) kill();
}

bool RunnerProcess::ended() {
    if (!started() || reaped_) return true;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) != pid_) return false;
    reaped_ = true;
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return true;
}

int RunnerProcess::wait() {
    if (started() && !reaped_) {
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        reaped_ = true;
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return status_;
}

void RunnerProcess::kill() {
    if (!started() || reaped_) return;
    ::kill(pid_, SIGKILL);
    wait();
}

int runRunner(const std::vector<std::string> &arguments, const std::string &logPath) {
    RunnerProcess runner(arguments, logPath);
    if (!runner.started()) std::fprintf(stderr, "%s\n", runner.error().c_str());
    return runner.wait();
}

long long readRowsFile(const std::string &path) {
    std::ifstream in(path);
    long long rows = -1;
    if (!(in >> rows)) return -1;
    return rows;
}

long long lineCount(const std::string &text) {
    return static_cast<long long>(std::count(text.begin(), text.end(), '\n'));
}

} // namespace plotwright_test
