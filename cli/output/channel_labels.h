// The channel table of the library, looked up by channel id: each channel's
// label, the kind of record it carries and, for a log-group channel, the
// group.
#ifndef TKDEC_CLI_CHANNEL_LABELS_H
#define TKDEC_CLI_CHANNEL_LABELS_H

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "capture/capture_reader.h"
#include "output/decoder_library.h"

namespace tkcli {

enum class RecordKind : uint8_t { Print, Alarm, Exception, Message, Trace, UnknownChannel, UnknownToken };

// "print", "alarm", "exception", "message", "trace", "unknown_channel",
// "unknown_token".
const char *kindName(RecordKind kind);
bool parseKindName(std::string_view name, RecordKind &kind);

class ChannelLabels {
public:
    explicit ChannelLabels(const DecoderFunctions &library);
    // The channel's label, or nullptr when the library has no such channel.
    const char *label(uint16_t channel) const {
        const int32_t row = rowOf_[channel];
        return row < 0 ? nullptr : rows_[static_cast<size_t>(row)].label.c_str();
    }
    bool known(uint16_t channel) const { return rowOf_[channel] >= 0; }
    // Whether the build knows the channel and, on a channel of tokens, the
    // token (a message channel takes every id).
    bool knows(uint16_t channel, uint32_t id) const;
    // The kind of the channel's records, as far as the channel tells.
    RecordKind kind(uint16_t channel) const {
        const int32_t row = rowOf_[channel];
        return row < 0 ? RecordKind::UnknownChannel : rows_[static_cast<size_t>(row)].kind;
    }
    // The log group of a print channel, or nullptr.
    const char *group(uint16_t channel) const {
        const int32_t row = rowOf_[channel];
        if (row < 0 || rows_[static_cast<size_t>(row)].group.empty()) return nullptr;
        return rows_[static_cast<size_t>(row)].group.c_str();
    }

private:
    struct Row {
        std::string label;
        RecordKind kind;
        std::string group;
    };
    const DecoderFunctions &library_;
    std::vector<int32_t> rowOf_;  // by channel id
    std::vector<Row> rows_;
};

// The version 1 reader's test of a record when it resynchronises: the
// channel, and the token too while the capture is of the decoder's build
// (another build's tokens are not this one's; the reader's build may change
// on a concatenated capture).
std::function<bool(uint16_t, uint32_t)> knownRecordTest(const ChannelLabels &labels, const CaptureReader &reader,
                                                        const std::string &decoderUuid);

}  // namespace tkcli

#endif
