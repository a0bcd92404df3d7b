#include "render/argument_renderer.h"

namespace tkdec {

const char *renderArgument(uint32_t value, char **scratchPos, char *scratchEnd, ValuePrinter printer,
                           OutputFormat format, uint32_t aliasIndex, NameFilter filter) {
    if (scratchPos == nullptr || *scratchPos == nullptr || *scratchPos >= scratchEnd) return kNoOutputBufferSpace;
    char *const start = *scratchPos;
    const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                              static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    printer(bytes, bytes + 4, scratchPos, scratchEnd, format, E_TYPE, aliasIndex, nullptr, filter);
    if (*scratchPos >= scratchEnd) {
        // The text was cut at the scratch end and has no terminator of its
        // own: give up its last character for one, so the formatter still
        // receives a terminated text.
        scratchEnd[-1] = '\0';
        *scratchPos = scratchEnd;
        return start;
    }
    // An empty rendering wrote no NUL at all; the append rule puts one
    // behind every text that fits.
    **scratchPos = '\0';
    ++*scratchPos;
    return start;
}

}  // namespace tkdec
