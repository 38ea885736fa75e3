#pragma once
// The journal of one data set's recording: the rows that reach the disk while the set is
// recorded, so that a run the simulator never ended can be recovered at the next start.
// Little-endian, as every processor the simulator runs on:
//
//   header, 32 bytes: "PWJOURNL", format version (u32, 1), header size (u32, 32),
//                     set (u32, 0 to 2), values a row (u32, 8), session (u64)
//   then batches:     "ROWS", row count (u32, 1 to kMaxJournalBatchRows), first row (u64: the
//                     rows before it), CRC-32 of the 16 bytes before it and of the rows (u32),
//                     the rows (count x 8 floats of 4 bytes, channel 0 first, as recorded)
//
// A batch counts only when it is whole, follows the one before and its CRC matches: a journal
// cut short by a crash, or damaged, gives the rows of its whole batches before the damage and
// never a row made up. A reader refuses a header it does not understand (a newer version).
// Journal files come from the disk: nothing in them is trusted, and reading one allocates
// nothing that depends on them.

#include <cstddef>
#include <cstdint>

constexpr std::uint32_t kJournalVersion = 1;
constexpr std::size_t kJournalHeaderBytes = 32;
constexpr std::size_t kJournalBatchHeaderBytes = 20;
constexpr int kJournalRowValues = 8;
constexpr std::size_t kJournalRowBytes = kJournalRowValues * 4;
constexpr std::uint32_t kMaxJournalBatchRows = 4096;

void encodeJournalHeader(unsigned char (&out)[kJournalHeaderBytes], int set, std::uint64_t session);

// The header of a batch of count rows from firstRow on, whose bytes are rows.
void encodeJournalBatchHeader(unsigned char (&out)[kJournalBatchHeaderBytes], std::uint32_t count,
                              std::uint64_t firstRow, const void *rows);

// Where a journal's bytes come from: a file, or memory in the fuzz target and the tests.
class JournalSource {
public:
    virtual ~JournalSource() = default;
    // Up to size bytes into out; how many in got (0 at the end). False on a read error.
    virtual bool read(void *out, std::size_t size, std::size_t &got) = 0;
};

struct JournalHeader {
    int Set = 0;
    std::uint64_t Session = 0;
};

// How reading a journal ended.
enum class JournalEnd {
    Whole,      // every byte belonged to a whole batch
    CutShort,   // the last batch stops before its end: the crash came mid-write
    Damaged,    // a batch that is not one, out of order, or whose CRC does not match
    ReadFailed, // the disk would not give the bytes
};

// Why a header is refused when another version of the plug-in wrote the journal: such a journal
// is kept for that version.
extern const char kJournalOfAnotherVersion[];

// Reads the header. False when the bytes are no journal this version reads; why then says so
// in words for the log.
bool readJournalHeader(JournalSource &source, JournalHeader &header, const char *&why);

// Reads the next batch into rows (room for kMaxJournalBatchRows rows of kJournalRowValues
// floats) when it is whole and begins at row nextRow. Returns its row count; 0 at the end of
// what can be read, with end saying why.
std::uint32_t readJournalBatch(JournalSource &source, std::uint64_t nextRow, float *rows,
                               JournalEnd &end);
