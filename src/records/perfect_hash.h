// The perfect hash of the generated tables (tools/gen/tkgen/perfect_hash.py
// builds it): a key's bucket gives a displacement, and the displaced slot
// holds the position + 1 of the only key that can be the key (0: none), so
// a lookup is two hashes and three loads whatever the number of keys.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tkdec {

// The hash of the keys (rest_hash of the generator).
constexpr uint32_t restHash(uint32_t id, uint32_t seed) {
    uint32_t h = (id ^ seed) * 0x9E3779B1u;
    h ^= h >> 15;
    h *= 0x85EBCA6Bu;
    return h ^ (h >> 13);
}
inline constexpr uint32_t kRestSlotSeed = 0x6A09E667u;  // added to the seed for the slot's hash

// The slot's content for key: a position + 1 to be confirmed, or 0.
inline uint32_t hashedSlot(uint32_t key, uint32_t seed, const uint16_t *displacements, uint32_t bucketMask,
                           const uint16_t *slots, uint32_t slotMask) {
    const uint32_t bucket = restHash(key, seed) & bucketMask;
    return slots[(restHash(key, seed + kRestSlotSeed) + displacements[bucket]) & slotMask];
}

// The 32-bit key of a name's bytes, 8 at a time (little-endian words);
// the bytes after the last whole 8 are the last 8, overlapping, or of a
// shorter name its first and last 4, or its first, middle and last byte.
inline uint32_t nameKey(const char *name, size_t length, uint32_t seed) {
    constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15u;
    static_assert(std::endian::native == std::endian::little, "name keys read little-endian words");
    const auto word = [name](size_t at) {
        uint64_t w;
        std::memcpy(&w, name + at, sizeof w);
        return w;
    };
    const auto half = [name](size_t at) {
        uint32_t w;
        std::memcpy(&w, name + at, sizeof w);
        return uint64_t{w};
    };
    uint64_t h = seed ^ length * kMultiplier;
    size_t i = 0;
    for (; i + 8 <= length; i += 8) h = (h ^ word(i)) * kMultiplier;
    if (i < length) {
        const auto byte = [name](size_t at) { return uint64_t{static_cast<unsigned char>(name[at])}; };
        const uint64_t tail = length >= 8   ? word(length - 8)
                              : length >= 4 ? half(0) | half(length - 4) << 32
                                            : byte(0) | byte(length / 2) << 8 | byte(length - 1) << 16;
        h = (h ^ tail) * kMultiplier;
    }
    return static_cast<uint32_t>(h ^ (h >> 32));
}

}  // namespace tkdec
