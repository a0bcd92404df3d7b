// The catalogue of conversion rules from which every token formatter is
// composed: per conversion of a token's format string, how the value that
// the conversion prints is made from the token's 32-bit arguments.
#pragma once

#include <cstdint>

#include "render/output.h"
#include "render/type_descriptor.h"

namespace tkdec {

enum class RuleKind : uint8_t {
    RawWord,         // the (bit field of the) word, for a number, character or "*"
    Enumeration,     // the text of an enumeration's value printer
    BooleanWord,     // one of a pair of words, the first when the value is not 0
    BinaryDigits,    // `digits` characters "0"/"1", most significant first
    DottedAddress,   // "%d.%d.%d.%d" of the four bytes, least significant first
    Choice,          // the text of the option at the selector's position
    ValueText,       // the fixed text of a value, or a default text
    FlagLetter,      // `letter` when the value is not 0, else '-'
    ExtendedString,  // a string of the extended payload
    ExtendedData,    // a dump of a data block of the extended payload
};

// The word pairs of BooleanWord.
enum class BooleanWords : uint8_t { Lower, Upper, Capitalised };

// Where a rule's value comes from: ((argument >> shift) & (2^width - 1)) & mask.
struct ArgumentSource {
    uint8_t argument;
    uint8_t shift;
    uint8_t width;  // 1 to 32
    uint32_t mask;
};

struct ValueTextEntry {
    uint32_t value;
    const char *text;
};

// A table of fixed texts by value, for ValueText.
struct ValueTextTable {
    const ValueTextEntry *entries;
    uint32_t count;
    const char *defaultText;
};

struct ConversionRule {
    RuleKind kind;
    ArgumentSource source;
    // Enumeration: the printer, and the enumerator table that it prints
    // (null for a printer of another kind)
    ValuePrinter printer = nullptr;
    const EnumerationInfo *enumeration = nullptr;
    uint32_t aliasIndex = 0;
    NameFilter filter = nullptr;
    // the bytes that the filter takes off each name of the table, in table
    // order (null for no filter)
    const uint16_t *filterSkips = nullptr;
    // BooleanWord
    BooleanWords words = BooleanWords::Lower;
    // BinaryDigits
    uint32_t digits = 0;
    // Choice: the options by position and the list's text
    const ConversionRule *options = nullptr;
    uint32_t optionCount = 0;
    const char *listText = nullptr;
    // ValueText
    const ValueTextTable *values = nullptr;
    // FlagLetter
    char letter = 0;
    // ExtendedData
    uint32_t unitSize = 0;
    const char *unitFormat = nullptr;
};

// The value of a rule's source among the token's count arguments; a word
// beyond them reads 0 (generated rules never name one).
inline uint32_t sourceValue(const ArgumentSource &source, const uint32_t *arguments, uint32_t count) {
    const uint32_t word = (source.argument < count ? arguments[source.argument] : 0) >> (source.shift & 31);
    const uint32_t field = source.width >= 32 ? word : word & ((uint32_t{1} << source.width) - 1);
    return field & source.mask;
}

}  // namespace tkdec
