#include "records/token_formatter.h"

#include <cstddef>
#include <cstring>

#include "records/extended_payload.h"
#include "render/argument_renderer.h"
#include "render/bounded_append.h"
#include "render/text_writer.h"
#include "render/value_printers.h"

namespace tkdec {
namespace {

constexpr const char *kBooleanWords[][2] = {{"true", "false"}, {"TRUE", "FALSE"}, {"True", "False"}};
constexpr const char *kNoDigits = "0";
constexpr const char *kNoAddress = "";
constexpr char kFlagClear = '-';
constexpr const char *kDumpSeparator = " ";

// What the rules of one formatter call work on.
struct FormatterCall {
    const uint8_t *extendedStart;
    const uint8_t *payloadEnd;
    const uint32_t *arguments;
    uint32_t argumentCount;
    OutputFormat format;
    char **scratchPos;
    char *scratchEnd;
    char *noOption;  // kNoOptionBufferSize bytes
};

// Ends a text that an append wrote into the scratch area at start: steps
// past its NUL, or, when the text was cut at the scratch end, gives up its
// last character for a NUL.
const char *closeScratchText(const char *start, char **pos, char *end) {
    if (*pos >= end) {
        end[-1] = '\0';
        return start;
    }
    ++*pos;
    return start;
}

const char *binaryDigits(uint32_t value, uint32_t digits, char **pos, char *end) {
    if (digits == 0 || !hasRoom(pos, end) || static_cast<size_t>(digits) + 1 >= static_cast<size_t>(end - *pos))
        return kNoDigits;
    char *const text = *pos;
    for (uint32_t i = 0; i < digits; ++i) {
        const uint32_t bit = digits - 1 - i;
        text[i] = bit < 32 && ((value >> bit) & 1) != 0 ? '1' : '0';
    }
    text[digits] = '\0';
    *pos = text + digits + 1;
    return text;
}

const char *dottedAddress(uint32_t value, char **pos, char *end) {
    if (!hasRoom(pos, end)) return kNoAddress;
    char *const start = *pos;
    append(pos, end, "%d.%d.%d.%d", static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
           static_cast<int>((value >> 16) & 0xFF), static_cast<int>(value >> 24));
    return closeScratchText(start, pos, end);
}

const char *valueText(const ValueTextTable &table, uint32_t value) {
    for (uint32_t i = 0; i < table.count; ++i)
        if (table.entries[i].value == value) return table.entries[i].text;
    return table.defaultText;
}

// "(No option ...)" in the call's own buffer, cut to fit and terminated.
const char *noOptionText(uint32_t selector, const char *listText, char *buffer) {
    char *pos = buffer;
    append(&pos, buffer + kNoOptionBufferSize - 1, "(No option %d in (%s))", static_cast<int>(selector),
           listText);
    *pos = '\0';
    return buffer;
}

FormatArgument evaluate(const ConversionRule &rule, const FormatterCall &call);

// A name of the rule's table through the rule's filter.
std::string_view filteredText(const ConversionRule &rule, const Enumerator &enumerator) {
    if (rule.filterSkips == nullptr) return filteredName(rule.filter, enumerator);
    const uint16_t skip = rule.filterSkips[&enumerator - rule.enumeration->table];
    return {enumerator.name + skip, enumerator.nameLength - skip};
}

// In UF_AsText the enumeration printer's text of a value that its table
// has is the filtered name alone: it is taken from the table in place, and
// only its room in the scratch area is taken, as a rendering would take it.
// Everything else is rendered.
const char *enumerationText(const ConversionRule &rule, uint32_t value, const FormatterCall &call) {
    if (rule.enumeration != nullptr && call.format == UF_AsText && hasRoom(call.scratchPos, call.scratchEnd)) {
        if (const Enumerator *enumerator = findEnumerator(*rule.enumeration, value, rule.aliasIndex)) {
            const std::string_view text = filteredText(rule, *enumerator);
            if (text.size() < static_cast<size_t>(call.scratchEnd - *call.scratchPos)) {
                *call.scratchPos += text.size() + 1;
                return text.data();
            }
        }
    }
    return renderArgument(value, call.scratchPos, call.scratchEnd, rule.printer, call.format, rule.aliasIndex,
                          rule.filter);
}

const char *choiceText(const ConversionRule &rule, uint32_t selector, const FormatterCall &call) {
    if (selector < rule.optionCount) return evaluate(rule.options[selector], call).text;
    return noOptionText(selector, rule.listText, call.noOption);
}

FormatArgument evaluate(const ConversionRule &rule, const FormatterCall &call) {
    const uint32_t value = sourceValue(rule.source, call.arguments, call.argumentCount);
    switch (rule.kind) {
    case RuleKind::RawWord: return {value, nullptr};
    case RuleKind::Enumeration: return {0, enumerationText(rule, value, call)};
    case RuleKind::BooleanWord:
        return {0, kBooleanWords[static_cast<int>(rule.words) % 3][value != 0 ? 0 : 1]};
    case RuleKind::BinaryDigits: return {0, binaryDigits(value, rule.digits, call.scratchPos, call.scratchEnd)};
    case RuleKind::DottedAddress: return {0, dottedAddress(value, call.scratchPos, call.scratchEnd)};
    case RuleKind::Choice: return {0, choiceText(rule, value, call)};
    case RuleKind::ValueText: return {0, valueText(*rule.values, value)};
    case RuleKind::FlagLetter:
        return {static_cast<uint8_t>(value != 0 ? rule.letter : kFlagClear), nullptr};
    case RuleKind::ExtendedString:
        return {0, extendedString(value, call.extendedStart, call.payloadEnd, call.scratchPos, call.scratchEnd)};
    case RuleKind::ExtendedData:
        return {0, extendedData(value, rule.unitSize, rule.unitFormat, kDumpSeparator, call.extendedStart,
                                call.payloadEnd, call.scratchPos, call.scratchEnd)};
    }
    return {value, nullptr};
}

}  // namespace

uint32_t formatterValues(const TokenFormatter &formatter, const uint8_t *extendedStart, const uint8_t *payloadEnd,
                         const uint32_t *arguments, uint32_t argumentCount, OutputFormat format, char **scratchPos,
                         char *scratchEnd, char *noOption, FormatArgument *values) {
    const FormatterCall call{extendedStart, payloadEnd, arguments, argumentCount, format, scratchPos, scratchEnd,
                             noOption};
    const uint32_t count = formatter.ruleCount < kMaxConversions ? formatter.ruleCount : kMaxConversions;
    for (uint32_t i = count; i-- > 0;) values[i] = evaluate(formatter.rules[i], call);
    return count;
}

void formatToken(const TokenFormatter &formatter, const uint8_t *extendedStart, const uint8_t *payloadEnd,
                 const uint32_t *arguments, uint32_t argumentCount, char **pos, char *end, OutputFormat format) {
    if (!hasRoom(pos, end)) return;
    if (formatter.verbatim) return appendFixed(pos, end, std::string_view(formatter.format, formatter.length), kCheckedWindow);
    if (formatter.ruleCount == 0) {
        // Most tokens without conversions have no '%' at all: their format
        // is their text, copied without the engine.
        if (std::strchr(formatter.format, '%') == nullptr) return appendFixed(pos, end, formatter.format, kCheckedWindow);
        return appendArguments(pos, end, formatter.format, nullptr, 0);
    }
    char scratch[kFormatterScratchSize];
    char *scratchPos = scratch;
    char noOption[kNoOptionBufferSize];
    FormatArgument values[kMaxConversions];
    const uint32_t count = formatterValues(formatter, extendedStart, payloadEnd, arguments, argumentCount, format,
                                           &scratchPos, scratch + sizeof scratch, noOption, values);
    if (formatter.pieces == nullptr) return appendArguments(pos, end, formatter.format, values, count);
    // What the engine writes for these conversions: a missing value reads
    // as 0 or as the empty text, a null text as "(null)".
    TextWriter out(pos, end, kCheckedWindow);
    uint32_t next = 0;
    for (const FormatPiece *piece = formatter.pieces; piece != formatter.pieces + formatter.pieceCount; ++piece) {
        out.text(std::string_view(formatter.format + piece->offset, piece->length));
        const FormatArgument value = next < count ? values[next] : FormatArgument{0, ""};
        switch (piece->conversion) {
        case 's': out.text(value.text); break;
        case 'u': out.unsignedDecimal(static_cast<uint32_t>(value.number)); break;
        case 'd': out.signedDecimal(static_cast<int32_t>(value.number)); break;
        case 'x':
        case 'X':
            out.hex(static_cast<uint32_t>(value.number), piece->digits,
                    piece->conversion == 'x' ? kLowerHexDigits : kUpperHexDigits);
            break;
        default: continue;
        }
        ++next;
    }
    out.finish();
}

}  // namespace tkdec
