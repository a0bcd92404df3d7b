#include "channel_labels.h"

#include "tkdec.h"

namespace tkcli {

ChannelLabels::ChannelLabels() : rowOf_(65536, -1) {
    const int32_t count = tkdec_getNrSupportedChannels();
    for (int32_t i = 0; i < count; ++i) {
        uint16_t id = 0;
        char label[512] = {};
        if (tkdec_getSupportedChannels(i, &id) != 0) continue;
        tkdec_getLabel(i, sizeof label - 1, label);
        rowOf_[id] = static_cast<int32_t>(labels_.size());
        labels_.emplace_back(label);
    }
}

std::string libraryUuid() {
    char uuid[33] = {};
    tkdec_getUniqueId(sizeof uuid, uuid);
    return uuid;
}

}  // namespace tkcli
