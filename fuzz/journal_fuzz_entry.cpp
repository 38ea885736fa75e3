// The journal reader on arbitrary bytes, as a crash, a damaged disk or anyone's file may leave a
// journal: it must never crash, read out of bounds, allocate by what the bytes say, or hand out
// a row that is not in a whole batch in order.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "background/journal_format.h"

namespace {
class MemorySource : public JournalSource {
public:
    MemorySource(const std::uint8_t *data, std::size_t size) : data_(data), size_(size) {}
    bool read(void *out, std::size_t size, std::size_t &got) override {
        got = size < size_ - at_ ? size : size_ - at_;
        if (got != 0) std::memcpy(out, data_ + at_, got);
        at_ += got;
        return true;
    }
    std::size_t at() const { return at_; }

private:
    const std::uint8_t *data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

float gRows[kMaxJournalBatchRows * kJournalRowValues];
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    MemorySource source(data, size);
    JournalHeader header;
    const char *why = nullptr;
    if (!readJournalHeader(source, header, why)) {
        if (why == nullptr || why[0] == '\0') std::abort(); // a refusal always says why
        return 0;
    }
    if (header.Set < 0 || header.Set > 2) std::abort();
    std::uint64_t rows = 0;
    JournalEnd end = JournalEnd::Whole;
    while (const std::uint32_t count = readJournalBatch(source, rows, gRows, end)) {
        if (count > kMaxJournalBatchRows) std::abort();
        rows += count;
        // Every row counted came from the input, with its batch's header.
        if (rows * kJournalRowBytes > size) std::abort();
    }
    if (end == JournalEnd::Whole && source.at() != size) std::abort();
    return 0;
}
