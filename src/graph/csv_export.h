#pragma once
// One export of a data set to its CSV file, split in the part that must run on the simulator's
// thread (the path, which asks the simulator, and the snapshot of the rows) and the part that
// may run anywhere (formatting and writing), which calls nothing of the simulator's.

#include <atomic>
#include <cstddef>
#include <string>

#include "core/file_access.h"
#include "graph/sample_store.h"

// Jobs for the settings file carry kSettingsFileJob in Set and their finished text in Text.
constexpr int kSettingsFileJob = SampleStore::kSets;
// The recovery of journals a crashed run left carries kRecoveryJob in Set and the plug-in's
// folder in Path.
constexpr int kRecoveryJob = kSettingsFileJob + 1;

struct CsvExportJob {
    int Set = 0;
    char Path[kMaxPathBytes] = {};
    SampleStore::SetSnapshot Rows;
    std::string Text;
};

// WrittenFolderNotFlushed: the file is in place, but message holds a warning for the log.
enum class CsvExportOutcome { Written, WrittenFolderNotFlushed, Failed, Cancelled };

// The simulator's thread: fills job with set's path and rows. On failure (a path beyond the
// limit) logs why and returns false.
bool prepareCsvExport(const SampleStore &store, int set, CsvExportJob &job);

// Any thread: writes the job's rows to its file, replacing the old file only when complete.
// Checks cancel (when given) between chunks and gives up at once when it is set, removing the
// partial file. On any outcome but Written, message holds the log line to hand to the simulator.
CsvExportOutcome writeCsvExport(const CsvExportJob &job, const std::atomic<bool> *cancel,
                                char *message, std::size_t messageSize);

// The log line for an export that was given up because the plug-in stopped.
void formatCancelledExport(const CsvExportJob &job, char *message, std::size_t messageSize);
