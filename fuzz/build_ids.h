// Ids and names of the reference tables, so that fuzz inputs reach known
// tokens, messages and types as often as random ones.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>

#include "api/channel_table.h"
#include "type_tables.h"

namespace fuzzing {

inline uint32_t countEntries(const tkdec::MessageTypeEntry *table) {
    uint32_t n = 0;
    while (table[n].print != nullptr) ++n;
    return n;
}

inline const tkdec::MessageTypeEntry &pickEntry(FuzzedDataProvider &input) {
    static const uint32_t count = countEntries(tkdec::build::messageTypeTable);
    return tkdec::build::messageTypeTable[input.ConsumeIntegralInRange<uint32_t>(0, count - 1)];
}

inline uint16_t pickChannel(FuzzedDataProvider &input) {
    switch (input.ConsumeIntegralInRange<int>(0, 3)) {
    case 0: return input.ConsumeIntegral<uint16_t>();
    case 1: return static_cast<uint16_t>(16 + 32 * input.ConsumeIntegralInRange<int>(0, 400));
    default: {
        const uint32_t index = input.ConsumeIntegralInRange<uint32_t>(0, tkdec::build::channelCount - 1);
        return tkdec::build::channels[index].id;
    }
    }
}

inline uint32_t pickId(FuzzedDataProvider &input) {
    const tkdec::EnumerationInfo &alarms = tkdec::build::enum_CKI_AlarmId;
    switch (input.ConsumeIntegralInRange<int>(0, 3)) {
    case 0: return input.ConsumeIntegral<uint32_t>();
    case 1: return 4 * input.ConsumeIntegralInRange<uint32_t>(0, 2700);
    case 2: return alarms.table[input.ConsumeIntegralInRange<uint32_t>(0, alarms.count - 1)].value;
    default: return pickEntry(input).id;
    }
}

}  // namespace fuzzing
