// The little-endian writer and the window arithmetic of the encoder. No
// encoder function writes outside the window [start, end) it is given.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tkdec {

// Writes the n low bytes of value, low byte first; bytes beyond the fourth
// are 0. Returns -1 without writing when the window has no room for n bytes.
inline int32_t writeLittleEndian(uint32_t n, uint32_t value, uint8_t *start, uint8_t *end) {
    if (start == nullptr || end == nullptr || end < start || n > static_cast<size_t>(end - start)) return -1;
    for (uint32_t i = 0; i < n; ++i) start[i] = i < 4 ? static_cast<uint8_t>(value >> (8 * i)) : 0;
    return 0;
}

// start + offset, or end when the offset lies at or behind the window's end,
// so that a window handed down never reaches past the caller's buffer.
inline uint8_t *offsetWithin(uint8_t *start, uint8_t *end, uint64_t offset) {
    return offset < static_cast<uint64_t>(end - start) ? start + offset : end;
}

}  // namespace tkdec
