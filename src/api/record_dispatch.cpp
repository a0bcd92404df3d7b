// tkdec_getText and its four wrappers: the decoder that a record's channel
// selects, inside the record frame of the output format.
#include "api/channel_table.h"
#include "api/message_trace.h"
#include "records/message_decoder.h"
#include "records/token_decoder.h"
#include "render/bounded_append.h"
#include "tkdec.h"

namespace {

using tkdec::FormatRow;
using tkdec::OutputFormat;

constexpr FormatRow kOpening = {{"", "<xml>", "{", "{"}};
constexpr FormatRow kClosing = {{"", "</xml>", "}", "}"}};
// Arguments: channel, token id.
constexpr FormatRow kClosingAfterFailure = {{
    "",
    "</xml>",
    "\"token_not_found\":\"channel 0x%.04x tokenId 0x%.8x\"}",
    "\"token_not_found\":\"channel 0x%.04x tokenId 0x%.8x\"}",
}};
constexpr FormatRow kErrorOpening = {{"", "", "{\"ERROR\":\"", "{\"ERROR\":\""}};
constexpr FormatRow kErrorClosing = {{"", "", "\"}", "\"}"}};
constexpr const char *kUnknownChannel = "Channel ID 0x%.4x is NOT handled by this decoder";

// A print or alarm record; in text without a frame, not even after a
// failure (the output then holds the empty text). Inlined, so that a text
// goes from tkdec_getText straight to the token decoder.
#if defined(__GNUC__)
__attribute__((always_inline))
#endif
inline int32_t decodeFramed(const uint8_t *payloadStart, const uint8_t *payloadEnd, char **pos, char *end,
                     OutputFormat format, uint32_t id, uint16_t channel, const tkdec::TokenTable &table) {
    if (format == UF_AsText) {
        const int32_t result = tkdec::decodeToken(payloadStart, payloadEnd, pos, end, format, id, table);
        if (result != 0 && tkdec::hasRoom(pos, end)) **pos = '\0';  // the empty text still ends the output
        return result;
    }
    tkdec::appendText(pos, end, kOpening[format]);
    const int32_t result = tkdec::decodeToken(payloadStart, payloadEnd, pos, end, format, id, table);
    const FormatRow &closing = result == 0 ? kClosing : kClosingAfterFailure;
    tkdec::appendRow(pos, end, closing, format, static_cast<unsigned>(channel), id);
    return result;
}

int32_t reportUnknownChannel(uint16_t channel, char **pos, char *end, OutputFormat format) {
    tkdec::appendText(pos, end, kErrorOpening[format]);
    tkdec::append(pos, end, kUnknownChannel, static_cast<unsigned>(channel));
    tkdec::appendText(pos, end, kErrorClosing[format]);
    return 1;
}

int32_t decodeInto(uint16_t channel, uint32_t id, uint32_t payloadSize, const uint8_t *payload, uint32_t outputSize,
                   char *output, OutputFormat format) {
    char *pos = output;
    return tkdec_getText(payload, payload != nullptr ? payload + payloadSize : nullptr, &pos,
                         output != nullptr ? output + outputSize : nullptr, format, id, channel);
}

}  // namespace

extern "C" {

TKDEC_API int32_t TKDEC_CALL tkdec_getText(const uint8_t *payloadStart, const uint8_t *payloadEnd, char **position,
                                           char *outputEnd, int32_t format, uint32_t id, uint16_t channel) {
    if (position == nullptr || !tkdec::isValidFormat(format)) return 1;
    const auto outputFormat = static_cast<OutputFormat>(format);
    switch (tkdec::build::channelKind(channel)) {
    case tkdec::ChannelKind::TokenisedPrint:
        return decodeFramed(payloadStart, payloadEnd, position, outputEnd, outputFormat, id, channel,
                            tkdec::build::printTokenTable);
    case tkdec::ChannelKind::Alarm:
        return decodeFramed(payloadStart, payloadEnd, position, outputEnd, outputFormat, id, channel,
                            tkdec::build::alarmTokenTable);
    // The message channels write no record frame and always succeed.
    case tkdec::ChannelKind::Message:
        return tkdec::decodeMessage(payloadStart, payloadEnd, position, outputEnd, outputFormat, id);
    case tkdec::ChannelKind::MessageTrace:
        tkdec::traceMessage(payloadStart, payloadEnd, position, outputEnd, outputFormat, id);
        return 0;
    case tkdec::ChannelKind::Unknown: break;
    }
    return reportUnknownChannel(channel, position, outputEnd, outputFormat);
}

TKDEC_API int32_t TKDEC_CALL tkdec_getShortText(uint16_t channel, uint32_t id, uint32_t payloadSize,
                                                const uint8_t *payload, uint32_t outputSize, char *output) {
    return decodeInto(channel, id, payloadSize, payload, outputSize, output, UF_AsText);
}

TKDEC_API int32_t TKDEC_CALL tkdec_getXml(uint16_t channel, uint32_t id, uint32_t payloadSize, const uint8_t *payload,
                                          uint32_t outputSize, char *output) {
    return decodeInto(channel, id, payloadSize, payload, outputSize, output, UF_AsXml);
}

TKDEC_API int32_t TKDEC_CALL tkdec_getLongJson(uint16_t channel, uint32_t id, uint32_t payloadSize,
                                               const uint8_t *payload, uint32_t outputSize, char *output) {
    return decodeInto(channel, id, payloadSize, payload, outputSize, output, UF_AsLongJson);
}

TKDEC_API int32_t TKDEC_CALL tkdec_getJson(uint16_t channel, uint32_t id, uint32_t payloadSize,
                                           const uint8_t *payload, uint32_t outputSize, char *output) {
    return decodeInto(channel, id, payloadSize, payload, outputSize, output, UF_AsJson);
}

}  // extern "C"
