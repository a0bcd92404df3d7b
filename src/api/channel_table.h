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

namespace build {
extern const ChannelDescriptor channels[];
extern const uint32_t channelCount;
ChannelKind channelKind(uint16_t id);
}  // namespace build

}  // namespace tkdec
