#include "records/token_decoder.h"

#include "records/argument_reader.h"
#include "render/bounded_append.h"
#include "render/name_filters.h"
#include "render/print_entries.h"
#include "render/text_writer.h"
#include "type_tables.h"

namespace tkdec {
namespace {

// The source reference: file and line between these texts.
constexpr TextRow kBeforeFile = {{"", "<sourceref><file>", "\"sourceref\":{\"file\":\"", "\"sourceref\":{\"file\":\""}};
constexpr TextRow kBeforeLine = {{"", "</file><line>", "\",\"line\":", "\",\"line\":"}};
constexpr TextRow kAfterLine = {{"", "</line></sourceref>", "},", "},"}};
constexpr FormatRow kGroupOpening = {{"", "<group>", "\"group\":", "\"group\":"}};
constexpr FormatRow kGroupClosing = {{"", "</group>", "", ""}};
constexpr FormatRow kGroupSeparator = {{"", "", ",", ","}};
constexpr TextRow kParamsOpening = {{"", "<params>", "\"params\":[", "\"params\":["}};
constexpr TextRow kParamsClosing = {{"", "</params>", "]", "]"}};
// One parameter: XML names it by its index (<p0>0x0000002a</p0>), JSON
// separates the values with commas ("0x0000002a").
constexpr TextRow kParamSeparator = {{"", "", ",", ","}};
constexpr TextRow kBeforeIndex = {{"", "<p", "", ""}};
constexpr TextRow kBeforeValue = {{"", ">0x", "\"0x", "\"0x"}};
constexpr TextRow kAfterValue = {{"", "</p", "\"", "\""}};
constexpr TextRow kAfterIndex = {{"", ">", "", ""}};
constexpr int kParamDigits = 8;

// The log group as the CKI_LogGroupId printer writes a token argument,
// printed straight into the output between the group's opening and closing.
void appendGroup(uint32_t group, bool parametersFollow, char **pos, char *end, OutputFormat format) {
    const uint8_t bytes[4] = {static_cast<uint8_t>(group), static_cast<uint8_t>(group >> 8),
                              static_cast<uint8_t>(group >> 16), static_cast<uint8_t>(group >> 24)};
    appendRow(pos, end, kGroupOpening, format);
    printEnumeration<build::enum_CKI_LogGroupId>(bytes, bytes + sizeof bytes, pos, end, format, E_TYPE, 0, nullptr,
                                                 filterIdentity);
    appendRow(pos, end, kGroupClosing, format);
    if (parametersFollow) appendRow(pos, end, kGroupSeparator, format);
}

void appendSourceReference(const TokenRecord &record, char **pos, char *end, OutputFormat format) {
    TextWriter out(pos, end);
    out.text(kBeforeFile[format]);
    out.text(record.file);
    out.text(kBeforeLine[format]);
    out.signedDecimal(static_cast<int32_t>(record.line));
    out.text(kAfterLine[format]);
    out.finish();
}

void appendParameters(const uint32_t *arguments, uint32_t count, char **pos, char *end, OutputFormat format) {
    TextWriter out(pos, end);
    const bool indexed = !kBeforeIndex[format].empty();
    out.text(kParamsOpening[format]);
    for (uint32_t i = 0; i < count && out.open(); ++i) {
        if (i != 0) out.text(kParamSeparator[format]);
        out.text(kBeforeIndex[format]);
        if (indexed) out.unsignedDecimal(i);
        out.text(kBeforeValue[format]);
        out.hex(arguments[i], kParamDigits);
        out.text(kAfterValue[format]);
        if (indexed) out.unsignedDecimal(i);
        out.text(kAfterIndex[format]);
    }
    out.text(kParamsClosing[format]);
    out.finish();
}

// Source reference, group and parameter list of a record (not UF_AsText).
void appendRecordFields(const TokenRecord &record, const uint32_t *arguments, char **pos, char *end,
                        OutputFormat format) {
    const bool hasParameters = record.argumentCount >= 1 && record.argumentCount <= kMaxArguments;
    if (record.file != nullptr) appendSourceReference(record, pos, end, format);
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
    // The reader fills the record's words; nothing reads the others.
    uint32_t arguments[kMaxArguments];
    const uint32_t wanted = record->argumentCount;
    if (wanted != 0 && wanted <= kMaxArguments && wanted <= length / 4) {
        // Every word is there (length is 0 without a payload): read them here.
        for (uint32_t i = 0; i < wanted; ++i) {
            const uint8_t *word = payloadStart + 4 * i;
            arguments[i] = static_cast<uint32_t>(word[0]) | static_cast<uint32_t>(word[1]) << 8 |
                           static_cast<uint32_t>(word[2]) << 16 | static_cast<uint32_t>(word[3]) << 24;
        }
    } else if (wanted != 0) {
        readArguments(length, payloadStart, arguments, wanted, pos, end, format);
    }
    if (format != UF_AsText) {
        appendRecordFields(*record, arguments, pos, end, format);
        return 0;
    }
    // The extended payload follows the argument words; a short payload has
    // none (its start is then the payload end).
    const uint64_t words = 4 * static_cast<uint64_t>(record->argumentCount);
    const uint8_t *extended = payloadStart == nullptr ? nullptr : payloadStart + (words < length ? words : length);
    const uint32_t filled = record->argumentCount < kMaxArguments ? record->argumentCount : kMaxArguments;
    formatToken(record->formatter, extended, payloadStart == nullptr ? nullptr : payloadStart + length, arguments,
                filled, pos, end, format);
    return 0;
}

}  // namespace tkdec
