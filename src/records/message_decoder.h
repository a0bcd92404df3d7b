// The message decoder: a message record (channel 8433) printed as its
// whole message structure.
#pragma once

#include <cstdint>

#include "render/output.h"

namespace tkdec {

inline constexpr uint32_t kMessageIdScratchSize = 256;
// The payload is the message from this offset on: the id is the record's.
inline constexpr uint32_t kMessageIdSize = 4;

// Prints the message whose payload (message offsets 4 and up) is given:
// with its class's structure when the id has one, else as a CKI_Timer or
// as a CKI_Message header after a hint. Always returns 0.
int32_t decodeMessage(const uint8_t *payloadStart, const uint8_t *payloadEnd, char **pos, char *end,
                      OutputFormat format, uint32_t id);

}  // namespace tkdec
