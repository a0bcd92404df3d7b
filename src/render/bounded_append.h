// The bounded append: the one way in which any renderer writes output.
//
// A text shorter than the space left is copied and terminated, and the
// position advances by its length (the next append overwrites the NUL).
// A text exactly as long as the space, or longer, fills the space without a
// terminator and leaves the position at the end, so every later append into
// the same buffer is skipped. A null position address or position appends
// nothing.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

#include "render/output.h"

namespace tkdec {

// True when an append at *pos would write anything.
inline bool hasRoom(char *const *pos, const char *end) {
    return pos != nullptr && *pos != nullptr && *pos < end;
}

// The engine implements the C standard's conversions ("%hhu", "%zu"...);
// on MinGW the "printf" archetype checks Microsoft's older C library instead.
#if defined(__MINGW32__)
#define TKDEC_PRINTF_FORMAT(index, first) __attribute__((format(gnu_printf, index, first)))
#else
#define TKDEC_PRINTF_FORMAT(index, first) __attribute__((format(printf, index, first)))
#endif

// Appends the printf-style text of format and its arguments.
void append(char **pos, char *end, const char *format, ...) TKDEC_PRINTF_FORMAT(3, 4);
void appendV(char **pos, char *end, const char *format, va_list args) TKDEC_PRINTF_FORMAT(3, 0);

// Appends the row's entry for the output format, formatted with the
// arguments (rows are not literals, so the compiler cannot check them).
// The format is passed as int: va_start needs a last named parameter that
// default argument promotion leaves unchanged.
void appendRow(char **pos, char *end, const FormatRow &row, int format, ...);

// Appends a text as data, as append(pos, end, "%s", text) does.
void appendText(char **pos, char *end, const char *text);

// An argument of a format string whose conversions are chosen at run time
// (the token formatters): a number for the integer and character
// conversions and the "*" width and precision, a text for "%s".
struct FormatArgument {
    uint64_t number;
    const char *text;
};

// Appends format with its arguments taken from an array, in conversion
// order. Integer conversions without a length modifier read the low 32 bits
// of the number (the target's int); "ll" reads all 64. A conversion beyond
// the array reads 0 or the empty text.
void appendArguments(char **pos, char *end, const char *format, const FormatArgument *arguments,
                     size_t count);

}  // namespace tkdec
