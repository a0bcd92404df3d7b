#include "records/token_table.h"

namespace tkdec {

const TokenRecord *findRestToken(const TokenTable &table, uint32_t id) {
    if (table.restCount == 0) return nullptr;
    const uint32_t position = hashedSlot(id, table.restSeed, table.restDisplacements, table.restBucketMask,
                                         table.restSlots, table.restSlotMask);
    if (position == 0 || position > table.restCount || table.ids[table.restFirst + position - 1] != id) return nullptr;
    return &table.records[table.restFirst + position - 1];
}

const TokenTable *tokenTableOf(ChannelKind kind) {
    switch (kind) {
    case ChannelKind::TokenisedPrint: return &build::printTokenTable;
    case ChannelKind::Alarm: return &build::alarmTokenTable;
    case ChannelKind::Message:
    case ChannelKind::MessageTrace:
    case ChannelKind::Unknown: break;
    }
    return nullptr;
}

}  // namespace tkdec
