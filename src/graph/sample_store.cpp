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
    float *raw = new (std::nothrow) float[kBlockFloats];
    if (raw == nullptr) return nullptr;
    // The shared count's own allocation may throw; the block is freed then, and growSet
    // treats it as memory running out.
    return Block(raw);
}

// Adds one block to each of the set's eight series, or to none of them. Only the directories'
// pointer arrays are ever copied, never a sample.
bool SampleStore::growSet(int set) {
    Block fresh[kChannels];
    try {
        for (Series &series : series_[set]) {
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
        series_[set][channel].blocks_.push_back(std::move(fresh[channel]));
    }
    return true;
}

void SampleStore::appendSample(int set, const float *values) {
    if (!validSet(set) || values == nullptr) return;
    Series(&channels)[kChannels] = series_[set];
    const std::size_t count = channels[0].size_;
    if (count == channels[0].blocks_.size() * kBlockFloats && !growSet(set)) {
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
    out.Count = series_[set][0].size_;
    for (int channel = 0; channel < kChannels; ++channel) {
        Series &series = series_[set][channel];
        // The whole directory goes, so that its memory is returned as well.
        out.Columns[channel].swap(series.blocks_);
        series.size_ = 0;
    }
    dropped_[set] = 0;
}

bool SampleStore::snapshotSet(int set, SetSnapshot &out) const {
    out = SetSnapshot{};
    if (!validSet(set)) return true;
    const Series(&channels)[kChannels] = series_[set];
    const std::size_t count = channels[0].size_;
    const std::size_t blocks = (count + kBlockFloats - 1) >> kBlockShift;
    try {
        if (beforeSnapshotAllocation) beforeSnapshotAllocation(blocks * kChannels);
        for (int channel = 0; channel < kChannels; ++channel) {
            const std::vector<Block> &from = channels[channel].blocks_;
            out.Columns[channel].assign(from.begin(),
                                        from.begin() + static_cast<std::ptrdiff_t>(blocks));
        }
    } catch (...) {
        out = SetSnapshot{};
        return false;
    }
    out.Count = count;
    return true;
}

std::size_t SampleStore::sampleCount(int set) const {
    return validSet(set) ? series_[set][0].size_ : 0;
}

const SampleStore::Series &SampleStore::series(int set, int channel) const {
    if (!validSet(set) || channel < 0 || channel >= kChannels) return empty_;
    return series_[set][channel];
}

std::size_t SampleStore::droppedSampleCount(int set) const {
    return validSet(set) ? dropped_[set] : 0;
}

std::size_t SampleStore::bytesHeld(int set) const {
    if (!validSet(set)) return 0;
    std::size_t bytes = 0;
    for (const Series &series : series_[set]) {
        bytes += series.blocks_.size() * kBlockFloats * sizeof(float);
        bytes += series.blocks_.capacity() * sizeof(Block);
    }
    return bytes;
}
