// Lifecycle, interface version, build UUID and target information.
#include "api/build_identity.h"
#include "render/bounded_append.h"
#include "tkdec.h"

namespace {

constexpr int32_t kApiVersion = 6;
constexpr int32_t kUniqueIdLength = 32;

}  // namespace

extern "C" {

// The library holds no resources: all its tables are constant data.
TKDEC_API int32_t TKDEC_CALL tkdec_init(void) { return 0; }
TKDEC_API int32_t TKDEC_CALL tkdec_exit(void) { return 0; }

TKDEC_API int32_t TKDEC_CALL tkdec_getApiVersion(void) { return kApiVersion; }

TKDEC_API int32_t TKDEC_CALL tkdec_getUniqueId(uint32_t size, char *buffer) {
    if (buffer == nullptr) return -1;
    char *pos = buffer;
    tkdec::appendText(&pos, buffer + size, tkdec::build::uniqueId);
    return pos - buffer == kUniqueIdLength ? kUniqueIdLength : -1;
}

TKDEC_API int32_t TKDEC_CALL tkdec_getTargetInformation(uint32_t size, char *buffer) {
    if (buffer == nullptr) return -1;
    char *pos = buffer;
    char *const end = buffer + size;
    for (uint32_t i = 0; i < tkdec::build::targetInformationPieceCount && pos < end; ++i)
        tkdec::appendText(&pos, end, tkdec::build::targetInformation[i]);
    return static_cast<int32_t>(pos - buffer);
}

}  // extern "C"
