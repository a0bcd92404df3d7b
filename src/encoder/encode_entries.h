// The encode entries of the generated tables: the parsers bound to the
// constants of one type. Every entry has the EncodeEntry signature.
#pragma once

#include <cstdint>

#include "encoder/structure_encoding.h"
#include "encoder/value_parsers.h"
#include "render/type_descriptor.h"

namespace tkdec {

// A base type: one number of Size bytes.
template <uint32_t Size>
int32_t encodeInteger(uint8_t *start, uint8_t *end, const char **text, OutputFormat syntax) {
    return parseInteger(start, end, text, syntax, Size);
}

template <const EnumerationInfo &E>
int32_t encodeEnumeration(uint8_t *start, uint8_t *end, const char **text, OutputFormat syntax) {
    return parseEnumeration(start, end, text, syntax, E.size, E.table);
}

template <const EnumerationInfo &E>
int32_t encodeBitmask(uint8_t *start, uint8_t *end, const char **text, OutputFormat syntax) {
    return parseBitmask(start, end, text, syntax, E.size, E.table);
}

template <const EnumerationInfo &E>
int32_t encodeBitOffset(uint8_t *start, uint8_t *end, const char **text, OutputFormat syntax) {
    return parseBitOffset(start, end, text, syntax, E.size, E.table);
}

// A structure or array type: its whole brace-enclosed (or bracketed) value.
template <const TypeDescriptor &T>
int32_t encodeStructure(uint8_t *start, uint8_t *end, const char **text, OutputFormat syntax) {
    return parseStructure(start, end, text, syntax, &T);
}

// An alias of a single field: that field's entry over the same window, which
// ends with the caller's buffer like every member's.
template <const TypeDescriptor &T>
int32_t encodeAlias(uint8_t *start, uint8_t *end, const char **text, OutputFormat syntax) {
    if (T.fields == nullptr || T.fields[0].encode == nullptr) return -1;
    return T.fields[0].encode(start, end, text, syntax);
}

// A type without a value syntax (an opaque handle type) takes no text.
inline int32_t encodeRefused(uint8_t *, uint8_t *, const char **, OutputFormat) { return -1; }

}  // namespace tkdec
