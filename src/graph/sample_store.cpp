#include "graph/sample_store.h"

#include <new>
#include <utility>

SampleStore gSampleStore;

SampleStore::SetRows::SetRows() {
    for (int channel = 0; channel < kChannels; ++channel) {
        channels_[channel].rows_ = this;
        channels_[channel].channel_ = channel;
    }
}

SampleStore::SetRows::~SetRows() = default;

SampleStore::SampleStore() : allocateBlock(&SampleStore::defaultBlockAllocator) {}

SampleStore::Block SampleStore::defaultBlockAllocator() {
    return Block(new (std::nothrow) float[kBlockFloats]);
}

// Adds one block to each of the set's eight series, or to none of them. Nothing that exists
// moves: a new page of the directory is added when the last one is full.
bool SampleStore::growSet(SetRows &rows) {
    const std::size_t index = rows.blocks_;
    const std::size_t page = index >> kPageShift;
    if (page >= kMaxPages) return false;
    Block fresh[kChannels];
    try {
        for (Block &block : fresh) {
            block = allocateBlock();
            if (!block) return false;
        }
    } catch (...) {
        // The simulator must never see an exception; the caller drops the sample instead.
        return false;
    }
    if (page == rows.pageCount_) {
        rows.pages_[page].reset(new (std::nothrow) SetRows::Page);
        if (!rows.pages_[page]) return false;
        ++rows.pageCount_;
    }
    for (int channel = 0; channel < kChannels; ++channel)
        rows.pages_[page]->Blocks[index & (kPageBlocks - 1)][channel] = std::move(fresh[channel]);
    ++rows.blocks_;
    return true;
}

void SampleStore::appendSample(int set, const float *values) {
    if (!validSet(set) || values == nullptr) return;
    if (!sets_[set]) {
        std::shared_ptr<SetRows> fresh;
        try {
            fresh = std::make_shared<SetRows>();
        } catch (...) {
            ++dropped_[set];
            return;
        }
        std::lock_guard<std::mutex> lock(sharing_);
        sets_[set] = std::move(fresh);
    }
    SetRows &rows = *sets_[set];
    const std::size_t count = rows.count_;
    if (count == rows.blocks_ * kBlockFloats && !growSet(rows)) {
        ++dropped_[set];
        return;
    }
    float *slots[kChannels];
    const std::size_t index = count >> kBlockShift;
    for (int channel = 0; channel < kChannels; ++channel)
        slots[channel] =
            rows.pages_[index >> kPageShift]->Blocks[index & (kPageBlocks - 1)][channel].get();
    const std::size_t slot = count & (kBlockFloats - 1);
    for (int channel = 0; channel < kChannels; ++channel)
        slots[channel][slot] = values[channel];
    rows.count_ = count + 1;
    // The row's values before its count, for a reader on another thread.
    rows.published_.store(count + 1, std::memory_order_release);
}

void SampleStore::clearSet(int set) {
    SetSnapshot gone;
    takeSet(set, gone);
}

void SampleStore::takeSet(int set, SetSnapshot &out) {
    out = SetSnapshot{};
    if (!validSet(set)) return;
    // The rows go whole; the set starts again from nothing.
    out.Count = sampleCount(set);
    {
        std::lock_guard<std::mutex> lock(sharing_);
        out.Rows = std::move(sets_[set]);
        sets_[set].reset();
    }
    dropped_[set] = 0;
}

SampleStore::SetSnapshot SampleStore::snapshotSet(int set) const {
    SetSnapshot snapshot;
    if (!validSet(set) || !sets_[set]) return snapshot;
    snapshot.Count = sets_[set]->count_;
    snapshot.Rows = sets_[set];
    return snapshot;
}

std::shared_ptr<const SampleStore::SetRows> SampleStore::shareSet(int set) const {
    if (!validSet(set)) return nullptr;
    std::lock_guard<std::mutex> lock(sharing_);
    return sets_[set];
}

std::size_t SampleStore::sampleCount(int set) const {
    return validSet(set) && sets_[set] ? sets_[set]->count_ : 0;
}

const SampleStore::Series &SampleStore::series(int set, int channel) const {
    if (!validSet(set) || !sets_[set] || channel < 0 || channel >= kChannels) return empty_;
    return sets_[set]->channels_[channel];
}

std::size_t SampleStore::droppedSampleCount(int set) const {
    return validSet(set) ? dropped_[set] : 0;
}

std::size_t SampleStore::bytesHeld(int set) const {
    if (!validSet(set) || !sets_[set]) return 0;
    const SetRows &rows = *sets_[set];
    return sizeof(SetRows) + rows.pageCount_ * sizeof(SetRows::Page) +
           rows.blocks_ * kChannels * kBlockFloats * sizeof(float);
}
