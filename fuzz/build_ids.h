// Known ids of the generated tables, so that fuzz inputs reach tokens,
// alarms and messages of the build as often as random ids.
#pragma once

#include <cstdint>

#include "type_tables.h"

namespace fuzzing {

inline uint32_t messageEntryCount() {
    uint32_t n = 0;
    while (tkdec::build::messageTypeTable[n].print != nullptr) ++n;
    return n;
}

// A known id chosen by selector: a log point (multiple of 4), an alarm id
// or a message or event id.
inline uint32_t knownId(uint32_t selector) {
    const tkdec::EnumerationInfo &alarms = tkdec::build::enum_CKI_AlarmId;
    static const uint32_t messages = messageEntryCount();
    switch (selector % 3) {
    case 0: return 4 * ((selector / 3) % 2700);
    case 1: return alarms.table[(selector / 3) % alarms.count].value;
    default: return tkdec::build::messageTypeTable[(selector / 3) % messages].id;
    }
}

}  // namespace fuzzing
