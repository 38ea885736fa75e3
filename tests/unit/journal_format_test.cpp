// The journal's file format read back as a crash or a disk leaves it: only whole batches in
// order count, whatever byte the file ends at or is damaged at, and a header the reader does
// not understand is refused.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "background/journal_format.h"

namespace {
class MemorySource : public JournalSource {
public:
    explicit MemorySource(const std::vector<unsigned char> &bytes) : bytes_(bytes) {}
    bool read(void *out, std::size_t size, std::size_t &got) override {
        got = size < bytes_.size() - at_ ? size : bytes_.size() - at_;
        if (got != 0) std::memcpy(out, bytes_.data() + at_, got);
        at_ += got;
        return true;
    }

private:
    const std::vector<unsigned char> &bytes_;
    std::size_t at_ = 0;
};

// A journal of set 2 with batches of the given sizes; row r holds r + channel / 10.
std::vector<unsigned char> journal(const std::vector<std::uint32_t> &batches) {
    unsigned char header[kJournalHeaderBytes];
    encodeJournalHeader(header, 1, 0x1234);
    std::vector<unsigned char> bytes(header, header + sizeof header);
    std::uint64_t row = 0;
    for (const std::uint32_t count : batches) {
        std::vector<float> rows;
        for (std::uint32_t r = 0; r < count; ++r)
            for (int channel = 0; channel < kJournalRowValues; ++channel)
                rows.push_back(static_cast<float>(row + r) + static_cast<float>(channel) / 10);
        unsigned char head[kJournalBatchHeaderBytes];
        encodeJournalBatchHeader(head, count, row, rows.data());
        bytes.insert(bytes.end(), head, head + sizeof head);
        const auto *raw = reinterpret_cast<const unsigned char *>(rows.data());
        bytes.insert(bytes.end(), raw, raw + rows.size() * sizeof(float));
        row += count;
    }
    return bytes;
}

struct Read {
    bool Header = false;
    std::string Why;
    std::uint64_t Rows = 0;
    bool RowsRight = true;
    JournalEnd End = JournalEnd::Whole;
};

Read readAll(const std::vector<unsigned char> &bytes) {
    MemorySource source(bytes);
    Read result;
    JournalHeader header;
    const char *why = nullptr;
    result.Header = readJournalHeader(source, header, why);
    if (!result.Header) {
        result.Why = why;
        return result;
    }
    std::vector<float> rows(kMaxJournalBatchRows * kJournalRowValues);
    while (const std::uint32_t count =
               readJournalBatch(source, result.Rows, rows.data(), result.End)) {
        for (std::uint32_t r = 0; r < count; ++r)
            result.RowsRight = result.RowsRight && rows[r * kJournalRowValues + 7] ==
                                                       static_cast<float>(result.Rows + r) + 0.7f;
        result.Rows += count;
    }
    return result;
}

TEST(JournalFormat, OnlyWholeBatchesInOrderCountWhereverTheFileEnds) {
    const std::vector<unsigned char> whole = journal({3, kMaxJournalBatchRows, 2});
    const Read all = readAll(whole);
    ASSERT_TRUE(all.Header);
    EXPECT_EQ(all.Rows, 3u + kMaxJournalBatchRows + 2u);
    EXPECT_TRUE(all.RowsRight);
    EXPECT_EQ(all.End, JournalEnd::Whole);

    // Cut short anywhere inside the last batch (a crash mid-write): the batches before it.
    const std::size_t lastBatch = whole.size() - kJournalBatchHeaderBytes - 2 * kJournalRowBytes;
    for (std::size_t end = lastBatch + 1; end < whole.size(); ++end) {
        const Read cut = readAll(std::vector<unsigned char>(whole.begin(), whole.begin() + end));
        ASSERT_EQ(cut.Rows, 3u + kMaxJournalBatchRows) << "cut at " << end;
        ASSERT_EQ(cut.End, JournalEnd::CutShort) << "cut at " << end;
    }

    // A damaged byte in the second batch's rows, or its first row changed: the first batch.
    std::vector<unsigned char> damaged = whole;
    damaged[kJournalHeaderBytes + kJournalBatchHeaderBytes + 3 * kJournalRowBytes +
            kJournalBatchHeaderBytes + 100] ^= 1;
    EXPECT_EQ(readAll(damaged).Rows, 3u);
    EXPECT_EQ(readAll(damaged).End, JournalEnd::Damaged);
    damaged = whole;
    damaged[kJournalHeaderBytes + kJournalBatchHeaderBytes + 3 * kJournalRowBytes + 8] = 9;
    EXPECT_EQ(readAll(damaged).Rows, 3u);
    // An absurd row count is damage, not a request for memory.
    damaged = whole;
    std::memset(&damaged[kJournalHeaderBytes + 4], 0xFF, 4);
    EXPECT_EQ(readAll(damaged).Rows, 0u);
    EXPECT_EQ(readAll(damaged).End, JournalEnd::Damaged);
}

TEST(JournalFormat, AHeaderItDoesNotUnderstandIsRefusedWithAReason) {
    const std::vector<unsigned char> whole = journal({1});
    EXPECT_EQ(readAll({}).Why, "it is empty");
    EXPECT_EQ(readAll(std::vector<unsigned char>(whole.begin(), whole.begin() + 20)).Why,
              "it ends inside its header");
    std::vector<unsigned char> other = whole;
    other[8] = 2; // a newer version
    EXPECT_EQ(readAll(other).Why, "it was written by another version of the plug-in");
    other = whole;
    other[16] = 3; // no fourth set
    EXPECT_EQ(readAll(other).Why, "its header is damaged");
    other = whole;
    other[0] = 'X';
    EXPECT_EQ(readAll(other).Why, "it is no journal");
}

} // namespace
