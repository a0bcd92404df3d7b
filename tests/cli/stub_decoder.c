/* Stand-ins for decoder libraries that the tkdec tool must refuse. With
 * STUB_API_VERSION, all nineteen functions of another interface version;
 * without it, every function but tkdec_getText. */
#include <stdint.h>

#define STUB(name) int32_t name(void) { return 0; }

STUB(tkdec_init) STUB(tkdec_exit) STUB(tkdec_getUniqueId) STUB(tkdec_getTargetInformation)
STUB(tkdec_getNrSupportedChannels) STUB(tkdec_getSupportedChannels) STUB(tkdec_getChannelMaster)
STUB(tkdec_getSource) STUB(tkdec_getType) STUB(tkdec_getLabel) STUB(tkdec_getShortText) STUB(tkdec_getXml)
STUB(tkdec_getLongJson) STUB(tkdec_getJson) STUB(tkdec_getSourceReference) STUB(tkdec_decodeType)
STUB(tkdec_createMessagePayload)

#if defined(STUB_API_VERSION)
STUB(tkdec_getText)
int32_t tkdec_getApiVersion(void) { return STUB_API_VERSION; }
#else
STUB(tkdec_getApiVersion)
#endif
