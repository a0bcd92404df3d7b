#include "output/channel_labels.h"

#include "tkdec.h"

namespace tkcli {

namespace {

constexpr const char *kKindNames[] = {"print", "alarm", "exception", "message", "trace", "unknown_channel",
                                      "unknown_token"};

// The kind of a channel from its type and label in the channel table: the
// first row whose type matches and whose text occurs in the label.
struct KindRule {
    std::string_view type;
    std::string_view labelPart;
    RecordKind kind;
};
constexpr KindRule kKindRules[] = {
    {"MESSAGE", "", RecordKind::Message},
    {"ALARM", "EXCEPTION", RecordKind::Exception},
    {"ALARM", "", RecordKind::Alarm},
    {"TOKENIZED_PRINT", "MSG RX", RecordKind::Trace},
    {"TOKENIZED_PRINT", "", RecordKind::Print},
};

RecordKind kindOf(std::string_view type, std::string_view label) {
    for (const KindRule &rule : kKindRules) {
        if (type == rule.type && label.find(rule.labelPart) != std::string_view::npos) return rule.kind;
    }
    return RecordKind::UnknownChannel;
}

// A print channel's label is "SOURCE:GROUP".
std::string groupOf(RecordKind kind, std::string_view label) {
    if (kind != RecordKind::Print) return {};
    const size_t colon = label.rfind(':');
    return std::string(colon == std::string_view::npos ? label : label.substr(colon + 1));
}

}  // namespace

const char *kindName(RecordKind kind) { return kKindNames[static_cast<size_t>(kind)]; }

bool parseKindName(std::string_view name, RecordKind &kind) {
    for (size_t i = 0; i < std::size(kKindNames); ++i) {
        if (name == kKindNames[i]) {
            kind = static_cast<RecordKind>(i);
            return true;
        }
    }
    return false;
}

ChannelLabels::ChannelLabels(const DecoderFunctions &library) : library_(library), rowOf_(65536, -1) {
    const int32_t count = library.getNrSupportedChannels();
    for (int32_t i = 0; i < count; ++i) {
        uint16_t id = 0;
        char label[512] = {}, type[512] = {};
        if (library.getSupportedChannels(i, &id) != 0) continue;
        library.getLabel(i, sizeof label - 1, label);
        library.getType(i, sizeof type - 1, type);
        const RecordKind kind = kindOf(type, label);
        rowOf_[id] = static_cast<int32_t>(rows_.size());
        rows_.push_back({label, kind, groupOf(kind, label)});
    }
}

// The library fails a record only for an unknown channel or token; the
// text itself (of no payload, into one byte) is not wanted.
bool ChannelLabels::knows(uint16_t channel, uint32_t id) const {
    static constexpr uint8_t kNoPayload[1] = {};
    char text[1];
    char *position = text;
    return known(channel) && library_.getText(kNoPayload, kNoPayload, &position, text + 1, UF_AsText, id, channel) == 0;
}

std::function<bool(uint16_t, uint32_t)> knownRecordTest(const ChannelLabels &labels, const CaptureReader &reader,
                                                        const std::string &decoderUuid) {
    return [&labels, &reader, decoderUuid](uint16_t channel, uint32_t id) {
        return reader.uuid() == decoderUuid ? labels.knows(channel, id) : labels.known(channel);
    };
}

}  // namespace tkcli
