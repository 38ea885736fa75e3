#include "graph/sample_store.h"

#include <new>
#include <utility>

SampleStore gSampleStore;

namespace {
// First directory size: enough for about ten minutes of recording before it grows.
constexpr std::size_t kFirstDirectorySize = 16;
} // namespace

SampleStore::SampleStore() : allocateBlock(&SampleStore::defaultBlockAllocator) {}

SampleStore::Block SampleStore::defaultBlockAllocator() {
    return Block(new (std::nothrow) float[kBlockFloats]);
}

// Adds one block to each of the set's eight series, or to none of them. Only the directories'
// pointer arrays are ever copied, never a sample.
bool SampleStore::growSet(SetBlocks &set) {
    Block fresh[kChannels];
    try {
        for (Series &series : set.Channels) {
            std::vector<Block> &blocks = series.blocks_;
            if (blocks.size() == blocks.capacity()) {
                const std::size_t wanted =
                    blocks.empty() ? kFirstDirectorySize : blocks.capacity() * 2;
                blocks.reserve(wanted);
            }
        }
        for (Block &block : fresh) {
            block = allocateBlock();
            if (!block) return false;
        }
    } catch (...) {
        // The simulator must never see an exception; the caller drops the sample instead.
        return false;
    }
    for (int channel = 0; channel < kChannels; ++channel) {
        // Cannot throw: the capacity was reserved above.
        set.Channels[channel].blocks_.push_back(std::move(fresh[channel]));
    }
    return true;
}

void SampleStore::appendSample(int set, const float *values) {
    if (!validSet(set) || values == nullptr) return;
    if (!sets_[set]) {
        try {
            sets_[set] = std::make_shared<SetBlocks>();
        } catch (...) {
            ++dropped_[set];
            return;
        }
    }
    Series(&channels)[kChannels] = sets_[set]->Channels;
    const std::size_t count = channels[0].size_;
    if (count == channels[0].blocks_.size() * kBlockFloats && !growSet(*sets_[set])) {
        ++dropped_[set];
        return;
    }
    const std::size_t block = count >> kBlockShift;
    const std::size_t slot = count & (kBlockFloats - 1);
    for (int channel = 0; channel < kChannels; ++channel) {
        channels[channel].blocks_[block][slot] = values[channel];
        channels[channel].size_ = count + 1;
    }
}

void SampleStore::clearSet(int set) {
    SetSnapshot gone;
    takeSet(set, gone);
}

void SampleStore::takeSet(int set, SetSnapshot &out) {
    out = SetSnapshot{};
    if (!validSet(set)) return;
    // The blocks and their directories go whole; the set starts again from nothing.
    out.Count = sampleCount(set);
    out.Owner = std::move(sets_[set]);
    sets_[set].reset();
    dropped_[set] = 0;
}

bool SampleStore::snapshotSet(int set, SetSnapshot &out) const {
    out = SetSnapshot{};
    if (!validSet(set) || !sets_[set]) return true;
    const Series(&channels)[kChannels] = sets_[set]->Channels;
    const std::size_t count = channels[0].size_;
    const std::size_t blocks = (count + kBlockFloats - 1) >> kBlockShift;
    try {
        if (beforeSnapshotAllocation) beforeSnapshotAllocation(blocks * kChannels);
        for (int channel = 0; channel < kChannels; ++channel) {
            out.Columns[channel].resize(blocks);
            for (std::size_t block = 0; block < blocks; ++block)
                out.Columns[channel][block] = channels[channel].blocks_[block].get();
        }
    } catch (...) {
        out = SetSnapshot{};
        return false;
    }
    out.Owner = sets_[set];
    out.Count = count;
    return true;
}

std::size_t SampleStore::sampleCount(int set) const {
    return validSet(set) && sets_[set] ? sets_[set]->Channels[0].size_ : 0;
}

const SampleStore::Series &SampleStore::series(int set, int channel) const {
    if (!validSet(set) || !sets_[set] || channel < 0 || channel >= kChannels) return empty_;
    return sets_[set]->Channels[channel];
}

std::size_t SampleStore::droppedSampleCount(int set) const {
    return validSet(set) ? dropped_[set] : 0;
}

std::size_t SampleStore::bytesHeld(int set) const {
    if (!validSet(set) || !sets_[set]) return 0;
    std::size_t bytes = 0;
    for (const Series &series : sets_[set]->Channels) {
        bytes += series.blocks_.size() * kBlockFloats * sizeof(float);
        bytes += series.blocks_.capacity() * sizeof(Block);
    }
    return bytes;
}
