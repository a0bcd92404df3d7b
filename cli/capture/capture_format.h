// Layout of the capture forms (docs/capture-formats.md), shared by the
// readers and the writers.
#ifndef TKDEC_CLI_CAPTURE_FORMAT_H
#define TKDEC_CLI_CAPTURE_FORMAT_H

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tkcli {

inline constexpr char kCaptureMagic[8] = {'T', 'K', 'D', 'E', 'C', 'C', 'A', 'P'};
inline constexpr size_t kCaptureHeaderSize = 28;  // magic, version, UUID

// Version 1: channel u16, id u32, payload length u32, payload.
inline constexpr size_t kV1HeaderSize = 10;
// Version 2: sync mark, channel u16, id u32, time u64, payload length u32,
// payload, CRC-32 of everything before it.
inline constexpr uint8_t kSyncMark[2] = {0xA5, 0x5A};
inline constexpr size_t kV2HeaderSize = 20;
inline constexpr size_t kV2TrailerSize = 4;

inline constexpr uint32_t kDefaultMaxRecord = 64u << 10;

inline uint64_t readLe(const uint8_t *bytes, size_t size) {
    uint64_t value = 0;
    for (size_t i = size; i-- > 0;) value = value << 8 | bytes[i];
    return value;
}

// A little-endian number of a fixed width, as one load where the machine is
// little-endian.
template <typename T>
inline T loadLe(const uint8_t *bytes) {
    if constexpr (std::endian::native == std::endian::little) {
        T value;
        std::memcpy(&value, bytes, sizeof value);
        return value;
    } else {
        return static_cast<T>(readLe(bytes, sizeof(T)));
    }
}

// CRC-32 as in zlib and Ethernet (reflected, polynomial 0xEDB88320).
uint32_t crc32(const uint8_t *bytes, size_t size);
// The CRC-32 of A followed by these bytes, from crc, the CRC-32 of A.
uint32_t crc32Continue(uint32_t crc, const uint8_t *bytes, size_t size);

}  // namespace tkcli

#endif
