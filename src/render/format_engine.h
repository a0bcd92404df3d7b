// A printf formatting engine that writes into a bounded window.
//
// It implements the standard conversions d i u o x X c s % with the flags
// "-+ #0", widths and precisions (also "*"), and the length modifiers
// hh h l ll j z t. It never reads a text argument beyond its precision
// ("%.0s" reads nothing) and never writes: "%n" is ignored. Output stops at
// the window's end; the caller decides about the terminator.
#pragma once

#include <cstdarg>
#include <cstddef>

#include "render/bounded_append.h"

namespace tkdec {

struct FormatWindow {
    char *pos;
    char *end;
    bool full() const { return pos >= end; }
};

// Takes the arguments from *args, which it advances (no copy: copying a
// va_list that va_start has just written stalls the processor).
void formatV(FormatWindow &window, const char *format, va_list *args);
void formatArguments(FormatWindow &window, const char *format, const FormatArgument *arguments,
                     size_t count);

}  // namespace tkdec
