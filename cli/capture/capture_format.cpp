#include "capture/capture_format.h"

#include <array>

namespace tkcli {

namespace {

// Slicing by eight: table k holds the CRC-32 of a byte followed by k zero
// bytes, so eight bytes are folded in with one lookup each, about four
// times as fast as a byte at a time.
using CrcTables = std::array<std::array<uint32_t, 256>, 8>;

constexpr CrcTables makeCrcTables() {
    CrcTables tables{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t value = i;
        for (int bit = 0; bit < 8; ++bit) value = value & 1 ? 0xEDB88320u ^ (value >> 1) : value >> 1;
        tables[0][i] = value;
    }
    for (size_t k = 1; k < 8; ++k) {
        for (uint32_t i = 0; i < 256; ++i) tables[k][i] = (tables[k - 1][i] >> 8) ^ tables[0][tables[k - 1][i] & 0xFF];
    }
    return tables;
}

constexpr CrcTables kCrcTables = makeCrcTables();
constexpr const std::array<uint32_t, 256> &kCrcTable = kCrcTables[0];

}  // namespace

uint32_t crc32(const uint8_t *bytes, size_t size) { return crc32Continue(0, bytes, size); }

uint32_t crc32Continue(uint32_t previous, const uint8_t *bytes, size_t size) {
    uint32_t crc = ~previous;
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        const uint32_t low = crc ^ loadLe<uint32_t>(bytes + i);
        const uint32_t high = loadLe<uint32_t>(bytes + i + 4);
        crc = kCrcTables[7][low & 0xFF] ^ kCrcTables[6][low >> 8 & 0xFF] ^ kCrcTables[5][low >> 16 & 0xFF] ^
              kCrcTables[4][low >> 24] ^ kCrcTables[3][high & 0xFF] ^ kCrcTables[2][high >> 8 & 0xFF] ^
              kCrcTables[1][high >> 16 & 0xFF] ^ kCrcTables[0][high >> 24];
    }
    for (; i < size; ++i) crc = kCrcTable[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

}  // namespace tkcli
