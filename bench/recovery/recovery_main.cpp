// plotwright-recovery: how long recovering a crashed run's journals takes and how much memory it
// needs, the recovery the plug-in runs in the background at its start, called directly. The
// journals (e.g. a ten-hour recording's, kept by plotwright-actions --keep-journal) are copied
// into a fresh folder first, as recovery removes them; the peak is the process's resident
// memory at its highest during the recovery, reset just before it.
//
//   plotwright-recovery JOURNAL_DIR WORK_DIR
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>

#include "background/journal_recovery.h"
#include "process_memory.h"

namespace {
namespace fs = std::filesystem;
using plotwright_soak::residentMemory;

void printLine(const char *line, void *) { std::printf("  log: %s\n", line); }

// Linux: writing 5 to clear_refs starts the resident peak (VmHWM) afresh from what is resident.
bool resetPeakMemory() {
    std::FILE *file = std::fopen("/proc/self/clear_refs", "w");
    if (file == nullptr) return false;
    const bool written = std::fputs("5", file) >= 0;
    return std::fclose(file) == 0 && written;
}

double mib(long long bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

} // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: plotwright-recovery JOURNAL_DIR WORK_DIR\n");
        return 2;
    }
    const fs::path journals = argv[1], work = argv[2];
    std::error_code ec;
    fs::remove_all(work, ec);
    fs::create_directories(work, ec);
    long long journalBytes = 0;
    for (const auto &entry : fs::directory_iterator(journals, ec)) {
        if (entry.path().extension() != ".journal") continue;
        journalBytes += static_cast<long long>(entry.file_size());
        fs::copy_file(entry.path(), work / entry.path().filename());
    }
    if (journalBytes == 0) {
        std::fprintf(stderr, "no journal in %s\n", argv[1]);
        return 1;
    }
    const std::string folder = fs::absolute(work).string() + "/";
    const bool peakReset = resetPeakMemory();
    const auto before = residentMemory();
    const auto began = std::chrono::steady_clock::now();
    const std::clock_t cpuBegan = std::clock();
    recoverJournals(folder.c_str(), nullptr, printLine, nullptr);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    const double cpuSeconds = static_cast<double>(std::clock() - cpuBegan) / CLOCKS_PER_SEC;
    const auto after = residentMemory();
    long long csvBytes = 0;
    int journalsLeft = 0;
    for (const auto &entry : fs::directory_iterator(work, ec)) {
        if (entry.path().extension() == ".csv")
            csvBytes += static_cast<long long>(entry.file_size());
        if (entry.path().extension() == ".journal") ++journalsLeft;
    }
    std::printf("recovered %.1f MiB of journal into %.1f MiB of CSV in %.2f s wall, %.2f s CPU "
                "(%.0f MiB/s of journal); %d journals left\n",
                mib(journalBytes), mib(csvBytes), seconds, cpuSeconds, mib(journalBytes) / seconds,
                journalsLeft);
    std::printf("resident memory: %.1f MiB before, peak %.1f MiB during (%s), %.1f MiB after\n",
                mib(before.NowBytes), mib(after.PeakBytes),
                peakReset ? "peak reset before the recovery" : "peak of the whole process",
                mib(after.NowBytes));
    return journalsLeft == 0 ? 0 : 1;
}
