// The identity of the firmware build (generated): its UUID and the pieces
// of the target information document.
#pragma once

#include <cstdint>

namespace tkdec::build {

extern const char uniqueId[];  // 32 lower-case hexadecimal digits
extern const char *const targetInformation[];
extern const uint32_t targetInformationPieceCount;

}  // namespace tkdec::build
