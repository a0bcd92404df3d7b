// Bounded little-endian read of 1, 2, 4 or 8 bytes.
#pragma once

#include <cstdint>

namespace tkdec {

// Reads n bytes low byte first; bytes at or behind dataEnd count as zero,
// and a null data pointer reads 0.
inline uint64_t readLittleEndian(uint32_t n, const uint8_t *data, const uint8_t *dataEnd) {
    if (data == nullptr) return 0;
    if (data < dataEnd && n <= static_cast<uint64_t>(dataEnd - data)) {
        // The whole value lies before the end: the common case, unrolled.
        switch (n) {
        case 1: return data[0];
        case 2: return static_cast<uint64_t>(data[0]) | static_cast<uint64_t>(data[1]) << 8;
        case 4:
            return static_cast<uint64_t>(data[0]) | static_cast<uint64_t>(data[1]) << 8 |
                   static_cast<uint64_t>(data[2]) << 16 | static_cast<uint64_t>(data[3]) << 24;
        default: break;
        }
    }
    uint64_t value = 0;
    for (uint32_t i = 0; i < n && data + i < dataEnd; ++i) value |= static_cast<uint64_t>(data[i]) << (8 * i);
    return value;
}

}  // namespace tkdec
