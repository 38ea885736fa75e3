#include "background/crc32.h"

namespace {
struct Table {
    std::uint32_t Entries[256];
    constexpr Table() : Entries() {
        for (std::uint32_t byte = 0; byte < 256; ++byte) {
            std::uint32_t crc = byte;
            for (int bit = 0; bit < 8; ++bit)
                crc = (crc & 1) != 0 ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
            Entries[byte] = crc;
        }
    }
};
constexpr Table kTable;
} // namespace

std::uint32_t crc32(std::uint32_t crc, const void *data, std::size_t size) {
    const auto *bytes = static_cast<const unsigned char *>(data);
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i)
        crc = kTable.Entries[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}
