#include "records/token_decoder.h"

#include "records/argument_reader.h"
#include "render/argument_renderer.h"
#include "render/bounded_append.h"
#include "render/name_filters.h"
#include "render/print_entries.h"
#include "type_tables.h"

namespace tkdec {
namespace {

constexpr FormatRow kSourceReference = {{
    "",
    "<sourceref><file>%s</file><line>%d</line></sourceref>",
    "\"sourceref\":{\"file\":\"%s\",\"line\":%d},",
    "\"sourceref\":{\"file\":\"%s\",\"line\":%d},",
}};
constexpr FormatRow kGroup = {{"", "<group>%s</group>", "\"group\":%s", "\"group\":%s"}};
constexpr FormatRow kGroupSeparator = {{"", "", ",", ","}};
constexpr FormatRow kParamsOpening = {{"", "<params>", "\"params\":[", "\"params\":["}};
constexpr FormatRow kParamsClosing = {{"", "</params>", "]", "]"}};
// One parameter; the XML row takes (index, value, index), the JSON rows
// (separator, value).
constexpr FormatRow kXmlParam = {{"", "<p%u>0x%.8x</p%u>", "", ""}};
constexpr FormatRow kJsonParam = {{"", "", "%s\"0x%.8x\"", "%s\"0x%.8x\""}};

// The log group through the CKI_LogGroupId printer, rendered into a
// scratch area of this call.
void appendGroup(uint32_t group, bool parametersFollow, char **pos, char *end, OutputFormat format) {
    char scratch[kGroupScratchSize];
    char *scratchPos = scratch;
    const char *text = renderArgument(group, &scratchPos, scratch + sizeof scratch,
                                      &printEnumeration<build::enum_CKI_LogGroupId>, format, 0, filterIdentity);
    appendRow(pos, end, kGroup, format, text);
    if (parametersFollow) appendRow(pos, end, kGroupSeparator, format);
}

void appendParameters(const uint32_t *arguments, uint32_t count, char **pos, char *end, OutputFormat format) {
    appendRow(pos, end, kParamsOpening, format);
    for (uint32_t i = 0; i < count; ++i) {
        appendRow(pos, end, kXmlParam, format, i, arguments[i], i);
        appendRow(pos, end, kJsonParam, format, i == 0 ? "" : ",", arguments[i]);
    }
    appendRow(pos, end, kParamsClosing, format);
}

// Source reference, group and parameter list of a record (not UF_AsText).
void appendRecordFields(const TokenRecord &record, const uint32_t *arguments, char **pos, char *end,
                        OutputFormat format) {
    const bool hasParameters = record.argumentCount >= 1 && record.argumentCount <= kMaxArguments;
    if (record.file != nullptr) appendRow(pos, end, kSourceReference, format, record.file, record.line);
    if (record.group != 0 && hasRoom(pos, end)) appendGroup(record.group, hasParameters, pos, end, format);
    if (hasParameters) appendParameters(arguments, record.argumentCount, pos, end, format);
}

}  // namespace

int32_t decodeToken(const uint8_t *payloadStart, const uint8_t *payloadEnd, char **pos, char *end,
                    OutputFormat format, uint32_t id, const TokenTable &table) {
    const TokenRecord *record = findToken(table, id);
    if (record == nullptr) return 1;
    const uint32_t length =
        payloadStart != nullptr && payloadEnd > payloadStart ? static_cast<uint32_t>(payloadEnd - payloadStart) : 0;
    uint32_t arguments[kMaxArguments] = {};
    if (record->argumentCount != 0)
        readArguments(length, payloadStart, arguments, record->argumentCount, pos, end, format);
    if (format != UF_AsText) {
        appendRecordFields(*record, arguments, pos, end, format);
        return 0;
    }
    // The extended payload follows the argument words; a short payload has
    // none (its start is then the payload end).
    const uint64_t words = 4 * static_cast<uint64_t>(record->argumentCount);
    const uint8_t *extended = payloadStart == nullptr ? nullptr : payloadStart + (words < length ? words : length);
    formatToken(record->formatter, extended, payloadStart == nullptr ? nullptr : payloadStart + length, arguments,
                pos, end, format);
    return 0;
}

}  // namespace tkdec
