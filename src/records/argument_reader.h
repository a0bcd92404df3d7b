// The argument reader: takes a token's 32-bit argument words out of a
// record's payload.
#pragma once

#include <cstdint>

#include "render/output.h"

namespace tkdec {

inline constexpr uint32_t kMaxArguments = 32;
// Stands in for every argument word that the payload does not contain.
inline constexpr uint32_t kMissingArgument = 0xDEADBEEF;

// Fills arguments[0 .. wanted-1] (wanted is capped at kMaxArguments) from
// the little-endian words at payload, and kMissingArgument where the
// payload ends early or is null. In UF_AsText a short payload also appends
// the "Arguments missing" message.
void readArguments(uint32_t payloadLength, const uint8_t *payload, uint32_t *arguments, uint32_t wanted,
                   char **pos, char *end, OutputFormat format);

}  // namespace tkdec
