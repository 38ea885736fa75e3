#include "support/file_faults.h"

#if !defined(_WIN32)
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace plotwright_test {

void withFileSizeLimit(long bytes, const std::function<void()> &body) {
    struct rlimit original;
    getrlimit(RLIMIT_FSIZE, &original);
    struct rlimit limited = original;
    limited.rlim_cur = static_cast<rlim_t>(bytes);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limited);
    body();
    setrlimit(RLIMIT_FSIZE, &original);
    std::signal(SIGXFSZ, previousHandler);
}

int runUnprivileged(const std::function<int()> &body) {
    const pid_t child = fork();
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        // The supplementary groups go too: root's would leave the child in group root.
        if (geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0))
            _exit(125);
        _exit(body());
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

SharedTempFolder::SharedTempFolder() {
    // /tmp itself, not TMPDIR, which may be as private as the build's folder.
    char pattern[] = "/tmp/plotwright-shared-XXXXXX";
    if (mkdtemp(pattern) == nullptr || chmod(pattern, 0755) != 0) {
        std::perror("shared test folder");
        std::abort();
    }
    path_ = std::string(pattern) + "/";
}

SharedTempFolder::~SharedTempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

} // namespace plotwright_test
#endif
