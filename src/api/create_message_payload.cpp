// tkdec_createMessagePayload over the generated tables of the build.
#include "encoder/message_payload.h"
#include "tkdec.h"
#include "type_tables.h"

extern "C" {

TKDEC_API int32_t TKDEC_CALL tkdec_createMessagePayload(uint8_t *buffer, uint32_t size, const char *name,
                                                        const char *destination, const char *body) {
    const tkdec::PayloadTables tables{tkdec::build::messageTypeTable, tkdec::build::enum_CKI_MsgId.table,
                                      tkdec::build::enum_CKI_TaskId.table};
    return tkdec::buildMessagePayload(tables, buffer, size, name, destination, body);
}

}  // extern "C"
