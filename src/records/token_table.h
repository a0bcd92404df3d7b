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

// An exact-match map from 32-bit token id to record. The log points are
// numbered by multiples of 4, so those up to the largest located one are
// found by a direct index (id / 4); every other id by binary search over
// the records that follow them.
struct TokenTable {
    const TokenRecord *records;  // the directly indexed ones, then the rest by id
    const uint32_t *direct;      // by id / 4: record index + 1, or 0 for none
    uint32_t directCount;        // covers the ids 0, 4, ... 4 * (directCount - 1)
    const uint32_t *restIds;     // ascending; restIds[i] is records[restFirst + i]
    uint32_t restFirst;
    uint32_t restCount;
};

namespace build {
extern const TokenTable printTokenTable;
extern const TokenTable alarmTokenTable;
}  // namespace build

// The record of id, or null.
const TokenRecord *findToken(const TokenTable &table, uint32_t id);

// The token table that a channel kind decodes with, or null.
const TokenTable *tokenTableOf(ChannelKind kind);

}  // namespace tkdec
