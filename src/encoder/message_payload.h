// Building the raw payload of a message from its name and a description:
// the message identifier (u32) and length (u16) followed by the message
// structure from its offset 4, so structure offset k lands at payload
// offset k + 2.
#pragma once

#include <cstdint>

#include "render/type_descriptor.h"

namespace tkdec {

// The tables that the payload builder reads: the message type table and
// the enumerator tables of CKI_MsgId and CKI_TaskId.
struct PayloadTables {
    const MessageTypeEntry *entries;
    const Enumerator *messageIds;
    const Enumerator *taskIds;
};

// The entry named by name: a number or CKI_MsgId enumerator at the start
// of the text selects the first entry with that id; otherwise the first
// entry whose type descriptor's name is the whole text. Null when none.
const MessageTypeEntry *findMessageEntry(const PayloadTables &tables, const char *name);

// tkdec_createMessagePayload over the given tables. A buffer shorter than
// the payload (S + 2 bytes for a message structure of S bytes, S for a type
// value) is refused with -1; members are written anywhere within the buffer.
int32_t buildMessagePayload(const PayloadTables &tables, uint8_t *buffer, uint32_t size, const char *name,
                            const char *destination, const char *body);

}  // namespace tkdec
