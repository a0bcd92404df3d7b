// The channel table of the firmware build and the decoder kind of each
// channel id (both generated).
#pragma once

#include <cstdint>

namespace tkdec {

struct ChannelDescriptor {
    uint16_t id;
    uint16_t master;
    const char *source;
    const char *type;
    const char *label;
};

// The decoder that a channel id selects; decided by the id alone, not by
// the table's type texts.
enum class ChannelKind : uint8_t { Unknown, TokenisedPrint, Alarm, Message, MessageTrace };

// A slot of the channel kinds: every channel id has one of its own, at
// (id * channelSlotMultiplier) >> channelSlotShift; an empty one has the
// kind Unknown.
struct ChannelSlot {
    uint16_t id;
    ChannelKind kind;
};

namespace build {
extern const ChannelDescriptor channels[];
extern const uint32_t channelCount;
extern const ChannelSlot channelSlots[];
extern const uint32_t channelSlotMultiplier;
extern const uint32_t channelSlotShift;  // 16 to 31

// Inline: a record's dispatch costs no call for it.
inline ChannelKind channelKind(uint16_t id) {
    const ChannelSlot &slot = channelSlots[(static_cast<uint32_t>(id) * channelSlotMultiplier) >> channelSlotShift];
    return slot.id == id ? slot.kind : ChannelKind::Unknown;
}
}  // namespace build

}  // namespace tkdec
