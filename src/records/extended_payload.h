// Extended payload arguments: strings and data blocks that a record
// carries behind its argument words, referred to by a key in an argument.
//
// Item layout: key (4 bytes LE), length (4 bytes LE), data, padding to the
// next multiple of 4. An argument word 0..15 names a key, 17 a null
// pointer, 18 "no data"; every other word is not an extended argument.
#pragma once

#include <cstdint>

namespace tkdec {

enum class ItemStatus : uint8_t {
    LookupFailed = 0,
    Found = 1,
    PayloadTooSmall = 2,
    NoData = 3,
    NullPointer = 4,
};

struct ExtendedItem {
    ItemStatus status;
    const uint8_t *data;  // Found only
    uint32_t length;      // Found only
};

// Finds the first item whose key equals the argument word.
ExtendedItem findExtendedItem(uint32_t word, const uint8_t *start, const uint8_t *end);

// The text of an extended string argument: the item's data in place when
// it ends with a NUL, else a terminated copy in the scratch area, or a
// marked text.
const char *extendedString(uint32_t word, const uint8_t *start, const uint8_t *end, char **scratchPos,
                           char *scratchEnd);

// The text of an extended data argument: its bytes as units of unitSize
// (1 or 4) bytes, each printed with unitFormat and followed by separator,
// written into the scratch area; or a marked text.
const char *extendedData(uint32_t word, uint32_t unitSize, const char *unitFormat, const char *separator,
                         const uint8_t *start, const uint8_t *end, char **scratchPos, char *scratchEnd);

}  // namespace tkdec
