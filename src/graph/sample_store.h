#pragma once
// Every recorded sample: three data sets of eight series of 32-bit floats, oldest first.
//
// A set's rows live in fixed-size blocks, one per channel for each 4096 rows, reached through a
// directory of fixed pages. Neither a filled block nor a page ever moves, so an append after ten
// hours of recording costs what it cost after ten seconds (a doubling array would copy the whole
// recording in one tick), and the memory held stays within one partly filled block per series
// of the payload.
//
// Other threads read a set while the simulator's thread appends to it: an export writes the
// rows of its click, the journal follows the recording as it grows. So a row is published only
// once its eight values are in place (published() with acquire, the append's count with
// release), and what a reader may touch never moves under it. A set's rows belong to one shared
// object: a reader holds a reference to it (a snapshot takes one reference, not one per block,
// and allocates nothing), and a Clear only drops the store's, so no reader sees memory written
// or freed under it.

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>

// Frees a block with delete[] unless told otherwise: tests watch where blocks are freed.
struct SampleBlockDeleter {
    static void deleteArray(float *block) { delete[] block; }
    void (*Free)(float *) = &deleteArray;
    void operator()(float *block) const { Free(block); }
};

class SampleStore {
public:
    static constexpr int kSets = 3;
    static constexpr int kChannels = 8;

    // 16 KiB blocks: small enough to come from the allocator's fast path.
    static constexpr std::size_t kBlockShift = 12;
    static constexpr std::size_t kBlockFloats = std::size_t{1} << kBlockShift;
    // A directory page holds 256 rows of blocks (about a million rows, 2.9 hours); a set has at
    // most 1024 pages, a billion rows, which no computer's memory holds.
    static constexpr std::size_t kPageShift = 8;
    static constexpr std::size_t kPageBlocks = std::size_t{1} << kPageShift;
    static constexpr std::size_t kMaxPages = 1024;
    static constexpr std::size_t kMaxRows = kMaxPages * kPageBlocks * kBlockFloats;

    using BlockDeleter = SampleBlockDeleter;
    using Block = std::unique_ptr<float[], BlockDeleter>;
    // Hands out one uninitialised block of kBlockFloats floats, or null when memory is short.
    using BlockAllocator = std::function<Block()>;

    class SetRows;

    // Read-only, index access to one recorded series, for the simulator's thread.
    class Series {
    public:
        std::size_t size() const;
        float operator[](std::size_t index) const;

    private:
        friend class SampleStore;
        const SetRows *rows_ = nullptr;
        int channel_ = 0;
    };

    // One set's rows since it was last cleared.
    class SetRows {
    public:
        SetRows();
        ~SetRows();
        SetRows(const SetRows &) = delete;
        SetRows &operator=(const SetRows &) = delete;

        // Any thread: the rows whose values are all in place. Rows below it never change.
        std::size_t published() const { return published_.load(std::memory_order_acquire); }
        // Any thread, for a row below published(): the block that holds it, kBlockFloats rows
        // of one channel from row (index << kBlockShift) on.
        const float *block(std::size_t index, int channel) const {
            return pages_[index >> kPageShift]->Blocks[index & (kPageBlocks - 1)][channel].get();
        }
        float value(std::size_t row, int channel) const {
            return block(row >> kBlockShift, channel)[row & (kBlockFloats - 1)];
        }

    private:
        friend class SampleStore;
        friend class Series;
        struct Page {
            Block Blocks[kPageBlocks][kChannels];
        };
        std::unique_ptr<Page> pages_[kMaxPages];
        // The simulator's thread's own count and blocks; others go by published_.
        std::size_t count_ = 0;
        std::size_t blocks_ = 0;
        std::size_t pageCount_ = 0;
        std::atomic<std::size_t> published_{0};
        Series channels_[kChannels];
    };

    // A set as it stood when the snapshot was taken: its first Count rows, kept alive by Rows
    // (null while the set was empty).
    struct SetSnapshot {
        std::size_t Count = 0;
        std::shared_ptr<const SetRows> Rows;
    };

    SampleStore();

    // Appends values[k] (8 floats, channel 0 first) to series [set][k]. When memory runs out
    // the whole sample is dropped, so the eight series of a set always keep one length.
    void appendSample(int set, const float *values);
    void clearSet(int set);
    // Empties the set as clearSet does, but hands its rows to out instead of freeing them:
    // freeing ten hours of blocks would hold the simulator's thread for tens of milliseconds.
    void takeSet(int set, SetSnapshot &out);
    std::size_t sampleCount(int set) const;
    // Valid indices are 0 to sampleCount(set) - 1.
    const Series &series(int set, int channel) const;
    // Writes the set to Plotwright<set + 1>.csv in the plug-in's folder, on the calling thread;
    // a failure is logged. The graph's Export button hands the work to the export writer instead.
    void exportSetCsv(int set) const;
    // The set's rows as they are now; allocates nothing.
    SetSnapshot snapshotSet(int set) const;

    // Any thread: the set's rows as they are now, growing as the simulator's thread appends
    // (read up to their published()); a Clear hands out new ones. Null while the set is empty.
    std::shared_ptr<const SetRows> shareSet(int set) const;

    // Samples of the set dropped for want of memory since it was last cleared.
    std::size_t droppedSampleCount(int set) const;
    // Bytes the store holds for the set's samples: blocks plus directories.
    std::size_t bytesHeld(int set) const;

    // Where blocks come from. Replaceable so that tests can make memory run out; an allocator
    // that throws is treated like one that returns null.
    BlockAllocator allocateBlock;

    static Block defaultBlockAllocator();

private:
    static bool validSet(int set) { return set >= 0 && set < kSets; }
    bool growSet(SetRows &rows);

    // Written on the simulator's thread only, under sharing_ (which shareSet takes to read).
    std::shared_ptr<SetRows> sets_[kSets];
    mutable std::mutex sharing_;
    std::size_t dropped_[kSets] = {};
    Series empty_; // what series() hands out for an index outside the store
};

inline std::size_t SampleStore::Series::size() const {
    return rows_ != nullptr ? rows_->count_ : 0;
}

inline float SampleStore::Series::operator[](std::size_t index) const {
    return rows_->value(index, channel_);
}

// The program-wide store, built when the library is loaded.
extern SampleStore gSampleStore;
