// Export of one data set to its CSV file. The export runs on the simulator's thread and
// freezes it while it runs, so rows are formatted without printf into one large chunk that is
// written whole. The file replaces the previous export only once it is complete: a full disk
// leaves the last good export in place and says so in the log.

#include "core/file_access.h"
#include "core/plugin_paths.h"
#include "graph/csv_format.h"
#include "graph/sample_store.h"

namespace {

// Written to the file whenever less than one row's room is left.
constexpr std::size_t kChunkSize = 16 * 1024;
static_assert(kChunkSize > 2 * kMaxCsvRowChars, "a chunk must hold at least two rows");
static_assert(kCsvRowValues == SampleStore::kChannels, "a row holds one value per channel");

} // namespace

void SampleStore::exportSetCsv(int set) const {
    if (!validSet(set)) return;

    char fileName[] = "Plotwright1.csv";
    fileName[10] = static_cast<char>('1' + set);
    char path[kMaxPathBytes];
    if (!buildPluginFilePath(path, sizeof path, fileName)) {
        FileProblem tooLong;
        setFileProblem(tooLong, FileFailure::PathTooLong, 0);
        logFileProblem("write", fileName, tooLong);
        return;
    }

    ReplacingFileWriter file(path);
    if (!file.isOpen()) {
        logFileProblem("write", path, file.problem());
        return;
    }

    const Series(&channels)[kChannels] = series_[set];
    const std::size_t count = channels[0].size_;
    char chunk[kChunkSize];
    char *end = chunk;
    float row[kChannels];
    for (std::size_t first = 0, block = 0; first < count; first += kBlockFloats, ++block) {
        const std::size_t rows = count - first < kBlockFloats ? count - first : kBlockFloats;
        const float *columns[kChannels];
        for (int channel = 0; channel < kChannels; ++channel) {
            columns[channel] = channels[channel].blocks_[block].get();
        }
        for (std::size_t slot = 0; slot < rows; ++slot) {
            for (int channel = 0; channel < kChannels; ++channel) {
                row[channel] = columns[channel][slot];
            }
            end = writeCsvRow(end, row);
            if (static_cast<std::size_t>(chunk + kChunkSize - end) < kMaxCsvRowChars) {
                file.write(chunk, static_cast<std::size_t>(end - chunk));
                end = chunk;
            }
        }
    }
    if (end != chunk) file.write(chunk, static_cast<std::size_t>(end - chunk));
    if (!file.commit()) logFileProblem("write", path, file.problem());
}
