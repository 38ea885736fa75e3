#pragma once
// CRC-32 (the polynomial of zip and PNG): tells a journal's batch written whole from one a crash
// cut short or a disk damaged.

#include <cstddef>
#include <cstdint>

// The CRC of size bytes, continuing from crc (0 to begin).
std::uint32_t crc32(std::uint32_t crc, const void *data, std::size_t size);
