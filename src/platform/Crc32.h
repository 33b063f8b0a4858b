#pragma once

#include <cstddef>
#include <cstdint>

namespace nw {

// CRC-32 of IEEE 802.3 (reflected, as zlib and PNG), continued from crc over len bytes.
// Start with 0; the result of one call is the crc of the next.
uint32_t crc32Update(uint32_t crc, const void* data, size_t len);

// Which library computes it, for the benchmarks' table.
const char* crc32Backend();

} // namespace nw
