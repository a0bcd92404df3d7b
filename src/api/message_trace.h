// The message trace of channel 8465: the id and the two tasks of a
// received message, as one line.
#pragma once

#include <cstdint>

#include "render/output.h"

namespace tkdec {

inline constexpr uint32_t kTraceScratchSize = 32768;

// Appends "source -> (structure) -> destination" for an id with a message
// entry, "source -> id -> destination" for any other id.
void traceMessage(const uint8_t *payloadStart, const uint8_t *payloadEnd, char **pos, char *end,
                  OutputFormat format, uint32_t id);

}  // namespace tkdec
