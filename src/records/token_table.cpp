#include "records/token_table.h"

namespace tkdec {

const TokenRecord *findToken(const TokenTable &table, uint32_t id) {
    if (id % 4 == 0 && id / 4 < table.directCount) {
        const uint32_t slot = table.direct[id / 4];
        return slot != 0 ? &table.records[slot - 1] : nullptr;
    }
    uint32_t lo = 0;
    uint32_t hi = table.restCount;
    while (lo < hi) {
        const uint32_t mid = lo + (hi - lo) / 2;
        if (table.restIds[mid] < id) lo = mid + 1;
        else hi = mid;
    }
    if (lo < table.restCount && table.restIds[lo] == id) return &table.records[table.restFirst + lo];
    return nullptr;
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
