// The channel table queries of the exported interface.
#include "api/channel_table.h"
#include "render/bounded_append.h"
#include "tkdec.h"

namespace {

using tkdec::ChannelDescriptor;

const ChannelDescriptor *rowAt(int32_t index) {
    if (index < 0 || static_cast<uint32_t>(index) >= tkdec::build::channelCount) return nullptr;
    return &tkdec::build::channels[index];
}

// Checks in this order: null pointer, index negative, index too large.
int32_t storeNumber(int32_t index, uint16_t *out, uint16_t ChannelDescriptor::*member) {
    if (out == nullptr) return 1;
    const ChannelDescriptor *row = rowAt(index);
    if (row == nullptr) return 1;
    *out = row->*member;
    return 0;
}

// Checks in this order: null buffer, size 0, index negative, index too
// large. Returns 0 when the text and its NUL fit, else 1 with the text cut.
int32_t copyText(int32_t index, uint32_t size, char *buffer, const char *ChannelDescriptor::*member) {
    if (buffer == nullptr || size == 0) return 1;
    const ChannelDescriptor *row = rowAt(index);
    if (row == nullptr) return 1;
    char *pos = buffer;
    char *const end = buffer + size;
    tkdec::appendText(&pos, end, row->*member);
    return pos < end ? 0 : 1;
}

}  // namespace

extern "C" {

TKDEC_API int32_t TKDEC_CALL tkdec_getNrSupportedChannels(void) {
    return static_cast<int32_t>(tkdec::build::channelCount);
}

TKDEC_API int32_t TKDEC_CALL tkdec_getSupportedChannels(int32_t index, uint16_t *channel) {
    return storeNumber(index, channel, &ChannelDescriptor::id);
}

TKDEC_API int32_t TKDEC_CALL tkdec_getChannelMaster(int32_t index, uint16_t *master) {
    return storeNumber(index, master, &ChannelDescriptor::master);
}

TKDEC_API int32_t TKDEC_CALL tkdec_getSource(int32_t index, uint32_t size, char *buffer) {
    return copyText(index, size, buffer, &ChannelDescriptor::source);
}

TKDEC_API int32_t TKDEC_CALL tkdec_getType(int32_t index, uint32_t size, char *buffer) {
    return copyText(index, size, buffer, &ChannelDescriptor::type);
}

TKDEC_API int32_t TKDEC_CALL tkdec_getLabel(int32_t index, uint32_t size, char *buffer) {
    return copyText(index, size, buffer, &ChannelDescriptor::label);
}

}  // extern "C"
