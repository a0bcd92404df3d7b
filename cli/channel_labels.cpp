#include "channel_labels.h"

namespace tkcli {

ChannelLabels::ChannelLabels(const DecoderFunctions &library) : rowOf_(65536, -1) {
    const int32_t count = library.getNrSupportedChannels();
    for (int32_t i = 0; i < count; ++i) {
        uint16_t id = 0;
        char label[512] = {};
        if (library.getSupportedChannels(i, &id) != 0) continue;
        library.getLabel(i, sizeof label - 1, label);
        rowOf_[id] = static_cast<int32_t>(labels_.size());
        labels_.emplace_back(label);
    }
}

}  // namespace tkcli
