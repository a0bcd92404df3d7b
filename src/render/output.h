// Output formats, print modes, format rows and the common value-printer
// signature shared by every renderer of the library.
#pragma once

#include <cstdint>

#include "tkdec.h"

namespace tkdec {

using OutputFormat = tkdec_OutputFormat;
inline constexpr int kOutputFormatCount = 4;

inline bool isValidFormat(int32_t format) { return format >= UF_AsText && format <= UF_AsJson; }

// Where a value stands in the output; printers frame it accordingly.
enum PrintMode : uint32_t {
    E_TOP_LEVEL = 0,  // the whole output: the printer writes the document frame
    E_INHERITED = 1,  // the base-class part ("^") of a structure
    E_ARRAY = 2,      // an array element, or the array field of an array type
    E_TYPE = 3,       // an ordinary member, or a token argument
};

// One format string per output format, indexed by OutputFormat. An empty
// entry appends nothing for that format.
struct FormatRow {
    const char *text[kOutputFormatCount];
    const char *operator[](OutputFormat format) const { return text[format]; }
};

// Maps an enumerator name to the text printed for it (a pointer into it).
using NameFilter = const char *(*)(const char *name);

// For an array field: the actual element count (presence == 0); for any
// other member: whether it is present (presence == 1, 0 = absent).
using CountFunction = uint32_t (*)(const uint8_t *data, const uint8_t *dataEnd, uint32_t presence);

// The common signature of every value printer (print entry). It appends the
// value at data (never reading at or behind dataEnd) through the cursor
// (*pos, end).
using ValuePrinter = void (*)(const uint8_t *data, const uint8_t *dataEnd, char **pos, char *end,
                              OutputFormat format, PrintMode mode, uint32_t aliasIndex,
                              CountFunction count, NameFilter filter);

}  // namespace tkdec
