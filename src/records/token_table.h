// Token records and the two token tables of the firmware build (print
// tokens for the log-group channels, alarm tokens for the alarm channels).
#pragma once

#include <bit>
#include <cstdint>

#include "api/channel_table.h"
#include "records/perfect_hash.h"
#include "records/token_formatter.h"

namespace tkdec {

struct TokenRecord {
    TokenFormatter formatter;
    uint32_t group;          // CKI_LogGroupId value; 0 = none
    uint32_t argumentCount;  // 0 to 32
    uint32_t line;           // 0 when file is null
    const char *file;        // source path as the build recorded it, or null
};

// A page of the directory: the ids whose number (id >> pageBits) it is
// have their slots from first on. An unused entry has kNoPage.
struct TokenPage {
    uint32_t number;
    uint32_t first;
};
inline constexpr uint32_t kNoPage = 0xFFFFFFFFu;  // pageBits >= 1: no page has that number

// An exact-match map from 32-bit token id to record, in constant time
// whatever the size of the build. Where ids cluster, they are found in
// pages: the id rotated right by strideBits is its key (so that ids every
// 2^strideBits apart take neighbouring slots, and every other id a key
// beyond theirs); key >> pageBits is the page number, which picks a
// directory entry by one multiplication, and the entry that holds that
// number gives the page's slots. Every other id is found by a perfect hash
// of the rest: the id's bucket gives a displacement, and the displaced
// slot holds the position of the only rest id that can be the id. The
// generator picks the page size, stride and multiplier from the ids, and
// keeps pages and directory within a few slots per token.
struct TokenTable {
    const TokenRecord *records;  // the paged ones in slot order, then the rest by ascending id
    const uint32_t *ids;         // ids[i] is the id of records[i]
    const TokenPage *directory;  // by (number * directoryMultiplier) >> directoryShift
    const uint16_t *pageSlots;   // record index + 1, or 0 for none
    uint32_t directoryMultiplier;
    uint32_t directoryShift;  // 32 - log2 of the directory's entries, 1 to 31
    uint32_t pageBits;        // 1 to 16
    uint32_t pageMask;        // 2^pageBits - 1
    uint32_t strideBits;      // 0 to 31
    uint32_t restFirst;
    uint32_t restCount;
    uint32_t restSeed;
    const uint16_t *restDisplacements;  // by bucket: restHash(id, seed) & restBucketMask
    uint32_t restBucketMask;
    const uint16_t *restSlots;  // position among the rest + 1, or 0 for none
    uint32_t restSlotMask;
};

namespace build {
extern const TokenTable printTokenTable;
extern const TokenTable alarmTokenTable;
}  // namespace build

// The record of id among the rest, or null.
const TokenRecord *findRestToken(const TokenTable &table, uint32_t id);

// The record of id, or null. Inline: a paged id costs a rotation, two
// shifts, a multiplication, two loads and two comparisons.
inline const TokenRecord *findToken(const TokenTable &table, uint32_t id) {
    const uint32_t key = std::rotr(id, static_cast<int>(table.strideBits));
    const uint32_t number = key >> table.pageBits;
    const TokenPage &page = table.directory[(number * table.directoryMultiplier) >> table.directoryShift];
    if (page.number != number) return findRestToken(table, id);
    const uint32_t slot = table.pageSlots[page.first + (key & table.pageMask)];
    return slot != 0 ? &table.records[slot - 1] : nullptr;
}

// The token table that a channel kind decodes with, or null.
const TokenTable *tokenTableOf(ChannelKind kind);

}  // namespace tkdec
