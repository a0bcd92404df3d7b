// Token records and the two token tables of the firmware build (print
// tokens for the log-group channels, alarm tokens for the alarm channels).
#pragma once

#include <cstdint>

#include "api/channel_table.h"
#include "records/token_formatter.h"

namespace tkdec {

struct TokenRecord {
    TokenFormatter formatter;
    uint32_t group;          // CKI_LogGroupId value; 0 = none
    uint32_t argumentCount;  // 0 to 32
    uint32_t line;           // 0 when file is null
    const char *file;        // source path as the build recorded it, or null
};

// An exact-match map from 32-bit token id to record, in constant time
// whatever the size of the build. The log points are numbered by multiples
// of 4, so those are found by a direct index (id / 4) as far as the index
// stays dense (at least a quarter of its slots used); every other id by a
// perfect hash of the rest: the id's bucket gives a displacement, and the
// displaced slot holds the position of the only rest id that can be the id.
struct TokenTable {
    const TokenRecord *records;  // the directly indexed ones, then the rest by id
    const uint32_t *direct;      // by id / 4: record index + 1, or 0 for none
    uint32_t directCount;        // covers the ids 0, 4, ... 4 * (directCount - 1)
    const uint32_t *restIds;     // ascending; restIds[i] is records[restFirst + i]
    uint32_t restFirst;
    uint32_t restCount;
    uint32_t restSeed;
    const uint16_t *restDisplacements;  // by bucket: restHash(id, seed) & restBucketMask
    uint32_t restBucketMask;
    const uint16_t *restSlots;  // position in restIds + 1, or 0 for none
    uint32_t restSlotMask;
};

// The hash of the rest ids (tools/gen/tkgen/perfect_hash.py computes the
// same); a slot is found with the seed plus kRestSlotSeed.
constexpr uint32_t restHash(uint32_t id, uint32_t seed) {
    uint32_t h = (id ^ seed) * 0x9E3779B1u;
    h ^= h >> 15;
    h *= 0x85EBCA6Bu;
    return h ^ (h >> 13);
}
inline constexpr uint32_t kRestSlotSeed = 0x6A09E667u;

namespace build {
extern const TokenTable printTokenTable;
extern const TokenTable alarmTokenTable;
}  // namespace build

// The record of id, or null.
const TokenRecord *findToken(const TokenTable &table, uint32_t id);

// The token table that a channel kind decodes with, or null.
const TokenTable *tokenTableOf(ChannelKind kind);

}  // namespace tkdec
