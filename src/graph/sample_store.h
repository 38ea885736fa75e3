#pragma once
// Every recorded sample: three data sets of eight series of 32-bit floats, oldest first.
//
// A series grows in fixed-size blocks reached through a small directory of block pointers.
// Filled blocks never move, so an append after ten hours of recording costs what it cost after
// ten seconds (a doubling array would copy the whole recording in one tick), and the memory
// held stays within one partly filled block per series of the payload.
//
// An export takes a snapshot of a set and writes it on another thread while recording goes on.
// A set's blocks belong to one shared object (one reference count per set, not per block, so
// that a snapshot after ten hours copies plain pointers instead of touching 7,000 counts all
// over memory); a snapshot holds a reference to it, its row count and the block addresses.
// Appends after the snapshot land in slots past its count or in new blocks, and a clear only
// drops the store's reference, so the writer never reads memory that is written or freed
// under it.

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

class SampleStore {
public:
    static constexpr int kSets = 3;
    static constexpr int kChannels = 8;

    // 16 KiB blocks: small enough to come from the allocator's fast path, large enough that
    // the directory stays tiny (under 900 entries per series for ten hours).
    static constexpr std::size_t kBlockShift = 12;
    static constexpr std::size_t kBlockFloats = std::size_t{1} << kBlockShift;

    // Frees a block with delete[] unless told otherwise: tests watch where blocks are freed.
    struct BlockDeleter {
        static void deleteArray(float *block) { delete[] block; }
        void (*Free)(float *) = &deleteArray;
        void operator()(float *block) const { Free(block); }
    };
    using Block = std::unique_ptr<float[], BlockDeleter>;
    // Hands out one uninitialised block of kBlockFloats floats, or null when memory is short.
    using BlockAllocator = std::function<Block()>;

    // Read-only, index access to one recorded series.
    class Series {
    public:
        std::size_t size() const { return size_; }
        float operator[](std::size_t index) const {
            return blocks_[index >> kBlockShift][index & (kBlockFloats - 1)];
        }

    private:
        friend class SampleStore;
        std::vector<Block> blocks_;
        std::size_t size_ = 0;
    };

    // A set as it stood when the snapshot was taken: Count rows in each channel's blocks,
    // kept alive by Owner.
    struct SetSnapshot {
        std::size_t Count = 0;
        std::vector<const float *> Columns[kChannels];
        std::shared_ptr<const void> Owner;
    };

    SampleStore();

    // Appends values[k] (8 floats, channel 0 first) to series [set][k]. When memory runs out
    // the whole sample is dropped, so the eight series of a set always keep one length.
    void appendSample(int set, const float *values);
    void clearSet(int set);
    // Empties the set as clearSet does, but hands its blocks to out instead of freeing them:
    // freeing ten hours of blocks would hold the simulator's thread for tens of milliseconds.
    void takeSet(int set, SetSnapshot &out);
    std::size_t sampleCount(int set) const;
    // Valid indices are 0 to sampleCount(set) - 1.
    const Series &series(int set, int channel) const;
    // Writes the set to Plotwright<set + 1>.csv in the plug-in's folder, on the calling thread;
    // a failure is logged. The graph's Export button hands the work to the export writer instead.
    void exportSetCsv(int set) const;
    // Fills out with the set's rows as they are now. False, with out empty, when memory for the
    // copies of the block addresses could not be had.
    bool snapshotSet(int set, SetSnapshot &out) const;

    // Samples of the set dropped for want of memory since it was last cleared.
    std::size_t droppedSampleCount(int set) const;
    // Bytes the store holds for the set's samples: blocks plus directories.
    std::size_t bytesHeld(int set) const;

    // Where blocks come from. Replaceable so that tests can make memory run out; an allocator
    // that throws is treated like one that returns null.
    BlockAllocator allocateBlock;

    static Block defaultBlockAllocator();

    // Called before a snapshot allocates, with the number of block addresses it will copy.
    // Empty in the plug-in; tests make it throw std::bad_alloc to make memory run out there.
    std::function<void(std::size_t)> beforeSnapshotAllocation;

private:
    struct SetBlocks {
        Series Channels[kChannels];
    };

    static bool validSet(int set) { return set >= 0 && set < kSets; }
    bool growSet(SetBlocks &blocks);

    // Null while the set is empty.
    std::shared_ptr<SetBlocks> sets_[kSets];
    std::size_t dropped_[kSets] = {};
    Series empty_; // what series() hands out for an index outside the store
};

// The program-wide store, built when the library is loaded.
extern SampleStore gSampleStore;
