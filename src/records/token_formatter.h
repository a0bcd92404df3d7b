// The token formatter: writes the log text of one token in UF_AsText by
// interpreting its format string and conversion rules.
#pragma once

#include <cstdint>

#include "records/conversion_rule.h"
#include "render/bounded_append.h"
#include "render/output.h"

namespace tkdec {

// A literal run of a format string (length bytes at its offset, "%%"
// made "%"), then one conversion without flags, width or length: 's', 'u',
// 'd', or 'x' or 'X' with a precision of digits (1 to 9, "%x" being
// "%.1x", "%08x" being "%.8x"); or none (0).
struct FormatPiece {
    uint16_t offset;
    uint16_t length;
    char conversion;
    uint8_t digits;
};

// A token's log text: its format string and one rule per conversion (a
// "*" width or precision counts as a conversion of its own).
struct TokenFormatter {
    const char *format;
    const ConversionRule *rules;
    uint32_t ruleCount;
    // A format without conversions and without '%' is its own text, of
    // length bytes, copied as it is.
    bool verbatim = false;
    uint32_t length = 0;
    // A format of literal runs and plain conversions only, as pieces: it is
    // written without being parsed (null: through the format engine).
    const FormatPiece *pieces = nullptr;
    uint32_t pieceCount = 0;
};

inline constexpr uint32_t kMaxConversions = 64;
inline constexpr uint32_t kFormatterScratchSize = 32768;
inline constexpr uint32_t kNoOptionBufferSize = 1024;

// The rules read the first argumentCount words of arguments (a word beyond
// them reads 0).
//
// The values of the formatter's conversions, in order (at most
// kMaxConversions): numbers as they are, texts written into the scratch
// area from the last conversion to the first; a choice's "No option" text
// goes to noOption (kNoOptionBufferSize bytes). Returns their count.
uint32_t formatterValues(const TokenFormatter &formatter, const uint8_t *extendedStart, const uint8_t *payloadEnd,
                         const uint32_t *arguments, uint32_t argumentCount, OutputFormat format, char **scratchPos,
                         char *scratchEnd, char *noOption, FormatArgument *values);

// Computes every conversion's value (texts into a scratch area on this
// call's stack, from the last conversion to the first) and appends the
// format string once with them. Does nothing when the output is full.
void formatToken(const TokenFormatter &formatter, const uint8_t *extendedStart, const uint8_t *payloadEnd,
                 const uint32_t *arguments, uint32_t argumentCount, char **pos, char *end, OutputFormat format);

}  // namespace tkdec
