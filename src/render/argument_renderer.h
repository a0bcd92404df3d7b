// Renders one 32-bit token argument through a value printer into a scratch
// area and returns the text for a "%s" conversion.
#pragma once

#include <cstdint>

#include "render/output.h"

namespace tkdec {

inline constexpr const char *kNoOutputBufferSpace = "** No output buffer space **";

// Returns a terminated text: the printer's output in the scratch area, or
// kNoOutputBufferSpace when the scratch area is already full. The scratch
// position ends behind the text's terminator, so the next text follows it.
const char *renderArgument(uint32_t value, char **scratchPos, char *scratchEnd, ValuePrinter printer,
                           OutputFormat format, uint32_t aliasIndex, NameFilter filter);

}  // namespace tkdec
