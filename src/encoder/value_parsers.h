// The leaf parsers: each reads one value from the text at *text, writes it
// little-endian into the window [start, end) and advances *text past what
// it read. They return 0, or -1 on failure.
//
// UF_AsJson selects the JSON syntax (numbers and enumerator names may be
// quoted; lists are bracketed and separated by ','); every other format the
// designated-initialiser syntax (lists are joined by '|').
//
// On failure the position stays where it was, except for whitespace that
// the enumerator name parser skipped, the characters after a quoted value
// whose closing quote is missing, and the items that a list parser already
// read.
#pragma once

#include <cstdint>

#include "render/output.h"
#include "render/type_descriptor.h"

namespace tkdec {

// One number ("%i": decimal, octal after 0, hexadecimal after 0x), truncated
// to size bytes without a range check.
int32_t parseInteger(uint8_t *start, uint8_t *end, const char **text, OutputFormat syntax, uint32_t size);

// One identifier of at most 127 characters, looked up by exact name in the
// enumerator table (first match in table order).
int32_t parseEnumeratorName(uint8_t *start, uint8_t *end, const char **text, OutputFormat syntax,
                            uint32_t size, const Enumerator *table);

// A number, else an enumerator name. Any number is accepted.
int32_t parseEnumeration(uint8_t *start, uint8_t *end, const char **text, OutputFormat syntax,
                         uint32_t size, const Enumerator *table);

// Numbers and enumerator names combined by OR ("A|B" or JSON "[A, B]"; JSON
// also takes a single number).
int32_t parseBitmask(uint8_t *start, uint8_t *end, const char **text, OutputFormat syntax, uint32_t size,
                     const Enumerator *table);

// Enumerator names that name bit numbers (bit k is bit k % 8 of byte k / 8),
// each set when it is read; a number in the list is written as byte 0.
int32_t parseBitOffset(uint8_t *start, uint8_t *end, const char **text, OutputFormat syntax,
                       uint32_t size, const Enumerator *table);

}  // namespace tkdec
