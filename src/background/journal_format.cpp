#include "background/journal_format.h"

#include <cstring>

#include "background/crc32.h"

namespace {
const char kHeaderMagic[8] = {'P', 'W', 'J', 'O', 'U', 'R', 'N', 'L'};
const char kBatchMagic[4] = {'R', 'O', 'W', 'S'};

void put32(unsigned char *out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<unsigned char>(value >> (8 * i));
}

void put64(unsigned char *out, std::uint64_t value) {
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<unsigned char>(value >> (8 * i));
}

std::uint32_t get32(const unsigned char *in) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | in[i];
    return value;
}

std::uint64_t get64(const unsigned char *in) {
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = (value << 8) | in[i];
    return value;
}

// Reads exactly size bytes unless the source ends first; got says how many came.
bool readFully(JournalSource &source, void *out, std::size_t size, std::size_t &got) {
    got = 0;
    auto *bytes = static_cast<unsigned char *>(out);
    while (got < size) {
        std::size_t now = 0;
        if (!source.read(bytes + got, size - got, now)) return false;
        if (now == 0) return true;
        got += now;
    }
    return true;
}
} // namespace

const char kJournalOfAnotherVersion[] = "it was written by another version of the plug-in";

void encodeJournalHeader(unsigned char (&out)[kJournalHeaderBytes], int set,
                         std::uint64_t session) {
    std::memcpy(out, kHeaderMagic, sizeof kHeaderMagic);
    put32(out + 8, kJournalVersion);
    put32(out + 12, static_cast<std::uint32_t>(kJournalHeaderBytes));
    put32(out + 16, static_cast<std::uint32_t>(set));
    put32(out + 20, static_cast<std::uint32_t>(kJournalRowValues));
    put64(out + 24, session);
}

void encodeJournalBatchHeader(unsigned char (&out)[kJournalBatchHeaderBytes], std::uint32_t count,
                              std::uint64_t firstRow, const void *rows) {
    std::memcpy(out, kBatchMagic, sizeof kBatchMagic);
    put32(out + 4, count);
    put64(out + 8, firstRow);
    std::uint32_t crc = crc32(0, out, 16);
    crc = crc32(crc, rows, count * kJournalRowBytes);
    put32(out + 16, crc);
}

bool readJournalHeader(JournalSource &source, JournalHeader &header, const char *&why) {
    unsigned char bytes[kJournalHeaderBytes];
    std::size_t got = 0;
    if (!readFully(source, bytes, sizeof bytes, got)) {
        why = "it could not be read";
        return false;
    }
    if (got == 0) {
        why = "it is empty";
        return false;
    }
    if (got < sizeof bytes || std::memcmp(bytes, kHeaderMagic, sizeof kHeaderMagic) != 0) {
        why = got < sizeof bytes ? "it ends inside its header" : "it is no journal";
        return false;
    }
    if (get32(bytes + 8) != kJournalVersion) {
        why = kJournalOfAnotherVersion;
        return false;
    }
    const std::uint32_t set = get32(bytes + 16);
    if (get32(bytes + 12) != kJournalHeaderBytes || set > 2 ||
        get32(bytes + 20) != static_cast<std::uint32_t>(kJournalRowValues)) {
        why = "its header is damaged";
        return false;
    }
    header.Set = static_cast<int>(set);
    header.Session = get64(bytes + 24);
    return true;
}

std::uint32_t readJournalBatch(JournalSource &source, std::uint64_t nextRow, float *rows,
                               JournalEnd &end) {
    unsigned char head[kJournalBatchHeaderBytes];
    std::size_t got = 0;
    if (!readFully(source, head, sizeof head, got)) {
        end = JournalEnd::ReadFailed;
        return 0;
    }
    if (got == 0) {
        end = JournalEnd::Whole;
        return 0;
    }
    if (got < sizeof head) {
        end = JournalEnd::CutShort;
        return 0;
    }
    const std::uint32_t count = get32(head + 4);
    if (std::memcmp(head, kBatchMagic, sizeof kBatchMagic) != 0 || count == 0 ||
        count > kMaxJournalBatchRows || get64(head + 8) != nextRow) {
        end = JournalEnd::Damaged;
        return 0;
    }
    const std::size_t bytes = count * kJournalRowBytes;
    if (!readFully(source, rows, bytes, got)) {
        end = JournalEnd::ReadFailed;
        return 0;
    }
    if (got < bytes) {
        end = JournalEnd::CutShort;
        return 0;
    }
    std::uint32_t crc = crc32(0, head, 16);
    crc = crc32(crc, rows, bytes);
    if (crc != get32(head + 16)) {
        end = JournalEnd::Damaged;
        return 0;
    }
    return count;
}
