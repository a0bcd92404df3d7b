// Structure values: the structure parser, which reads a designated
// initialiser ({.member=value ...}) or a JSON object ({"member": value, ...})
// and hands each member's value to the value step, which finds the member
// through the type descriptors (base parts included) and calls its encode
// entry. Functions return 0, or -1 on failure, and write only into
// [start, end).
#pragma once

#include <cstdint>

#include "render/output.h"
#include "render/type_descriptor.h"

namespace tkdec {

// The longest member name that the structure parser reads; longer names
// fail the value (-1) without being copied.
inline constexpr uint32_t kMaxMemberNameLength = 128;

// Reads a whole structure (or array) value of the type at *text and writes
// its members at their offsets from start. Text before the first '{' is
// skipped. A malformed member name or a missing '=' or ':' ends parsing
// with 0, keeping the members written so far; a failed value or a value
// followed by anything but a separator gives -1. *text is left where parsing
// stopped.
int32_t parseStructure(uint8_t *start, uint8_t *end, const char **text, OutputFormat syntax,
                       const TypeDescriptor *type);

// The value of the member `name` of a value of the type at start (for an
// array type: the whole array; for a single-value type: the value, whatever
// the name).
int32_t encodeValue(uint8_t *start, uint8_t *end, const char **text, OutputFormat syntax,
                    const TypeDescriptor *type, const char *name);

// Finds the member by exact name, depth first through the "^" base parts,
// and calls its encode entry. A match whose entry fails does not end the
// search; a name that no field carries fails with the position unchanged.
int32_t encodeMember(uint8_t *start, uint8_t *end, const char **text, OutputFormat syntax,
                     const TypeDescriptor *type, const char *name);

// The elements of an array field from start: for one-byte elements whose
// value text begins with a quote, a string ("abc" or 'abc', NUL-terminated
// when shorter than the array, the text after its closing quote left for
// the caller, so that in JSON ["abc"] leaves its ']' unread); otherwise an
// element list closed by '}' (designated, left for the caller) or ']'
// (JSON, consumed).
int32_t encodeArray(uint8_t *start, uint8_t *end, const char **text, OutputFormat syntax,
                    const FieldDescriptor &field);

}  // namespace tkdec
