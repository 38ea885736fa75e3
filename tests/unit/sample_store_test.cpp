// The recording: per-set append, clear and count, index access across block boundaries, and
// what happens when memory runs out while a series grows.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstddef>
#include <memory>
#include <new>
#include <stdexcept>
#include <thread>

#include "graph/sample_store.h"

namespace {

constexpr int kSets = SampleStore::kSets;
constexpr int kChannels = SampleStore::kChannels;

// A sample whose every value tells where it belongs: set, channel and sample number.
void fillSample(float *values, int set, std::size_t number) {
    for (int channel = 0; channel < kChannels; ++channel) {
        values[channel] = static_cast<float>(set * 1000000 + channel * 100000) +
                          static_cast<float>(number % 100000);
    }
}

void appendNumbered(SampleStore &store, int set, std::size_t count, std::size_t firstNumber = 0) {
    float values[kChannels];
    for (std::size_t i = 0; i < count; ++i) {
        fillSample(values, set, firstNumber + i);
        store.appendSample(set, values);
    }
}

void expectNumbered(const SampleStore &store, int set, std::size_t count) {
    ASSERT_EQ(store.sampleCount(set), count);
    float expected[kChannels];
    for (int channel = 0; channel < kChannels; ++channel) {
        const SampleStore::Series &series = store.series(set, channel);
        ASSERT_EQ(series.size(), count) << "set " << set << " channel " << channel;
        for (std::size_t i = 0; i < count; ++i) {
            fillSample(expected, set, i);
            ASSERT_EQ(series[i], expected[channel])
                << "set " << set << " channel " << channel << " sample " << i;
        }
    }
}

TEST(SampleStore, StartsEmpty) {
    const auto store = std::make_unique<SampleStore>();
    for (int set = 0; set < kSets; ++set) {
        EXPECT_EQ(store->sampleCount(set), 0u);
        for (int channel = 0; channel < kChannels; ++channel) {
            EXPECT_EQ(store->series(set, channel).size(), 0u);
        }
    }
}

TEST(SampleStore, AppendsKeepOrderPerSetAcrossBlockBoundaries) {
    const auto store = std::make_unique<SampleStore>();
    // Sets of different lengths, one exactly on a block boundary, one just past two.
    const std::size_t counts[kSets] = {5, SampleStore::kBlockFloats,
                                       2 * SampleStore::kBlockFloats + 3};
    for (int set = 0; set < kSets; ++set)
        appendNumbered(*store, set, counts[set]);
    for (int set = 0; set < kSets; ++set)
        expectNumbered(*store, set, counts[set]);
}

TEST(SampleStore, StoresValuesBitForBit) {
    const auto store = std::make_unique<SampleStore>();
    const float values[kChannels] = {-0.0f,       1e-45f,       -3.4028235e38f, 0.1f,
                                     1.0f / 0.0f, -1.0f / 0.0f, 123.456f,       -7.0f};
    store->appendSample(1, values);
    for (int channel = 0; channel < kChannels; ++channel) {
        const float stored = store->series(1, channel)[0];
        EXPECT_EQ(std::signbit(stored), std::signbit(values[channel]));
        EXPECT_EQ(stored, values[channel]);
    }
}

TEST(SampleStore, ClearEmptiesOneSetOnlyAndRecordingStartsAfresh) {
    const auto store = std::make_unique<SampleStore>();
    const std::size_t count = SampleStore::kBlockFloats + 10;
    for (int set = 0; set < kSets; ++set)
        appendNumbered(*store, set, count);

    store->clearSet(1);
    EXPECT_EQ(store->sampleCount(1), 0u);
    EXPECT_EQ(store->bytesHeld(1), 0u);
    expectNumbered(*store, 0, count);
    expectNumbered(*store, 2, count);

    appendNumbered(*store, 1, 7);
    expectNumbered(*store, 1, 7);
}

TEST(SampleStore, MemoryStaysCloseToThePayload) {
    const auto store = std::make_unique<SampleStore>();
    const std::size_t count = 50 * SampleStore::kBlockFloats + 1;
    appendNumbered(*store, 0, count);
    const std::size_t payload = count * kChannels * sizeof(float);
    EXPECT_GE(store->bytesHeld(0), payload);
    EXPECT_LE(store->bytesHeld(0), payload + payload / 10);
}

// An export or the journal reads a set on another thread while the simulator's thread appends
// to it and clears it: every row below published() holds its final values, and a cleared set's
// rows stay readable to whoever holds them. The ThreadSanitizer run checks the hand-over too.
TEST(SampleStore, AReaderOnAnotherThreadSeesEveryPublishedRowWhole) {
    const auto store = std::make_unique<SampleStore>();
    constexpr std::size_t kRows = 3 * SampleStore::kBlockFloats + 5;
    std::atomic<bool> appending{true};
    std::size_t checked = 0, wrong = 0;
    std::thread reader([&] {
        std::shared_ptr<const SampleStore::SetRows> rows;
        std::size_t seen = 0;
        float expected[kChannels];
        for (bool last = false; !last;) {
            last = !appending.load();
            std::shared_ptr<const SampleStore::SetRows> current = store->shareSet(0);
            if (current != rows) {
                rows = std::move(current);
                seen = 0;
            }
            if (!rows) continue;
            for (const std::size_t published = rows->published(); seen < published; ++seen) {
                fillSample(expected, 0, seen);
                for (int channel = 0; channel < kChannels; ++channel)
                    wrong += rows->value(seen, channel) != expected[channel] ? 1 : 0;
                ++checked;
            }
        }
    });
    appendNumbered(*store, 0, kRows);
    store->clearSet(0);
    appendNumbered(*store, 0, kRows);
    appending = false;
    reader.join();
    EXPECT_EQ(wrong, 0u);
    EXPECT_GE(checked, kRows) << "the last pass reads the whole second recording";
    const SampleStore::SetSnapshot snapshot = store->snapshotSet(0);
    ASSERT_EQ(snapshot.Count, kRows);
    store->clearSet(0);
    float last[kChannels];
    fillSample(last, 0, kRows - 1);
    EXPECT_EQ(snapshot.Rows->value(kRows - 1, 7), last[7])
        << "a cleared set lives on in its snapshot";
}

TEST(SampleStore, SetOrChannelOutsideTheStoreIsIgnored) {
    const auto store = std::make_unique<SampleStore>();
    const float values[kChannels] = {1, 2, 3, 4, 5, 6, 7, 8};
    store->appendSample(-1, values);
    store->appendSample(kSets, values);
    store->appendSample(0, nullptr);
    store->clearSet(kSets);
    for (int set = 0; set < kSets; ++set)
        EXPECT_EQ(store->sampleCount(set), 0u);
    EXPECT_EQ(store->sampleCount(-1), 0u);
    EXPECT_EQ(store->series(kSets, 0).size(), 0u);
    EXPECT_EQ(store->series(0, kChannels).size(), 0u);
}

// Out of memory: the append is dropped whole, nothing reaches the simulator, the set keeps one
// length for all eight series, and recording resumes once memory is back.
class SampleStoreOutOfMemory : public ::testing::Test {
protected:
    void SetUp() override {
        store_ = std::make_unique<SampleStore>();
        store_->allocateBlock = [this]() -> SampleStore::Block {
            if (blocksLeft_ == 0) return nullptr;
            --blocksLeft_;
            return SampleStore::defaultBlockAllocator();
        };
    }

    std::unique_ptr<SampleStore> store_;
    int blocksLeft_ = 1000;
};

TEST_F(SampleStoreOutOfMemory, FirstAppendDroppedWhenNoBlockCanBeHad) {
    blocksLeft_ = 0;
    const float values[kChannels] = {1, 2, 3, 4, 5, 6, 7, 8};
    store_->appendSample(0, values);
    EXPECT_EQ(store_->sampleCount(0), 0u);
    EXPECT_EQ(store_->droppedSampleCount(0), 1u);
    for (int channel = 0; channel < kChannels; ++channel) {
        EXPECT_EQ(store_->series(0, channel).size(), 0u);
    }
}

TEST_F(SampleStoreOutOfMemory, FailureHalfwayThroughTheEightBlocksKeepsLengthsEqual) {
    appendNumbered(*store_, 2, SampleStore::kBlockFloats);
    // The next append needs eight new blocks; only three can be had.
    blocksLeft_ = 3;
    appendNumbered(*store_, 2, 5, SampleStore::kBlockFloats);
    EXPECT_EQ(store_->droppedSampleCount(2), 5u);
    expectNumbered(*store_, 2, SampleStore::kBlockFloats);

    // Memory is back: the next sample lands right after the last one kept.
    blocksLeft_ = 1000;
    appendNumbered(*store_, 2, 1, SampleStore::kBlockFloats);
    expectNumbered(*store_, 2, SampleStore::kBlockFloats + 1);
}

TEST_F(SampleStoreOutOfMemory, ThrowingOrMissingAllocatorNeverLetsAnExceptionOut) {
    const float values[kChannels] = {1, 2, 3, 4, 5, 6, 7, 8};
    store_->allocateBlock = []() -> SampleStore::Block { throw std::bad_alloc(); };
    EXPECT_NO_THROW(store_->appendSample(0, values));
    store_->allocateBlock = []() -> SampleStore::Block { throw std::runtime_error("odd"); };
    EXPECT_NO_THROW(store_->appendSample(0, values));
    store_->allocateBlock = nullptr;
    EXPECT_NO_THROW(store_->appendSample(0, values));
    EXPECT_EQ(store_->sampleCount(0), 0u);
    EXPECT_EQ(store_->droppedSampleCount(0), 3u);

    store_->clearSet(0);
    EXPECT_EQ(store_->droppedSampleCount(0), 0u);
}

} // namespace
