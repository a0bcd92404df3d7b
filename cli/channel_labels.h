// The channel table of the library, looked up by channel id.
#ifndef TKDEC_CLI_CHANNEL_LABELS_H
#define TKDEC_CLI_CHANNEL_LABELS_H

#include <cstdint>
#include <string>
#include <vector>

#include "decoder_library.h"

namespace tkcli {

class ChannelLabels {
public:
    explicit ChannelLabels(const DecoderFunctions &library);
    // The channel's label, or nullptr when the library has no such channel.
    const char *label(uint16_t channel) const {
        const int32_t index = rowOf_[channel];
        return index < 0 ? nullptr : labels_[static_cast<size_t>(index)].c_str();
    }

private:
    std::vector<int32_t> rowOf_;  // by channel id
    std::vector<std::string> labels_;
};

}  // namespace tkcli

#endif
