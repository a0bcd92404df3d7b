// Base-type printers: integers, characters, booleans and handles, and the
// opaque 32-bit printer.
#include "render/bounded_append.h"
#include "render/little_endian.h"
#include "render/value_printers.h"

namespace tkdec {
namespace {

constexpr FormatRow kNoDataTopLevel = {
    {"(%s)(no data)", "<xml>(%s)(no data)</xml>", "{\"typename\":\"%s\",\"type\":\"base\"}", "{\"%s\":[\"base\"]}"}};
constexpr FormatRow kNoDataMember = {{"(%s)(no data)", "(%s)(no data)", "{\"typename\":\"%s\"}", "\"%s\""}};

constexpr FormatRow kOpenTopLevel = {{"", "<xml>", "{\"typename\":\"%s\",\"type\":\"base\",\"value\":", "{\"%s\":"}};
constexpr FormatRow kOpenMember = {{"", "", "{\"typename\":\"%s\",\"value\":", ""}};
constexpr FormatRow kCloseTopLevel = {{"", "</xml>", "}", "}"}};
constexpr FormatRow kCloseMember = {{"", "", "}", ""}};

// Value rows by conversion, in BaseConversion order.
constexpr FormatRow kValueRows[] = {
    {{"%u", " (%u)", "{\"number\":%u}", "%u"}},
    {{"%d", " (%d)", "{\"number\":%d}", "%d"}},
    {{"%hhu", " (%hhu)", "{\"number\":%hhu}", "%hhu"}},
    {{"%llu", " (%llu)", "{\"number\":%llu}", "%llu"}},
};

constexpr const char *kOpaqueText = "(%s) 0x%.8x (%d)";
constexpr FormatRow kOpaqueRow = {{kOpaqueText, kOpaqueText, kOpaqueText, kOpaqueText}};

// XML renderings of a printable one-byte value, with the characters that
// XML escapes.
struct CharacterRendering {
    char character;
    const char *format;
};
constexpr CharacterRendering kEscapedCharacters[] = {
    {'\'', "0x%.2x &apos;&apos;&apos;"}, {'"', "0x%.2x &apos;&quot;&apos;"},
    {'<', "0x%.2x &apos;&lt;&apos;"},    {'>', "0x%.2x &apos;&gt;&apos;"},
    {'&', "0x%.2x &apos;&amp;&apos;"},
};
constexpr const char *kPrintableCharacter = "0x%.2x &apos;%c&apos;";
constexpr const char *kUnprintableCharacter = "0x%.2x";

void appendCharacter(char **pos, char *end, unsigned c) {
    if (c < 32 || c > 126) return append(pos, end, kUnprintableCharacter, c);
    for (const CharacterRendering &escaped : kEscapedCharacters)
        if (static_cast<unsigned>(escaped.character) == c) return append(pos, end, escaped.format, c);
    append(pos, end, kPrintableCharacter, c, c);
}

void appendHexPrefix(char **pos, char *end, uint32_t size, uint64_t value) {
    if (size == 1) return appendCharacter(pos, end, static_cast<unsigned>(value));
    if (size == 2) return append(pos, end, "0x%.4x", static_cast<unsigned>(value));
    append(pos, end, "0x%.*llx", static_cast<int>(2 * size), static_cast<unsigned long long>(value));
}

int64_t signExtended(uint64_t value, uint32_t size) {
    if (size >= 8) return static_cast<int64_t>(value);
    const uint64_t sign = uint64_t{1} << (8 * size - 1);
    return static_cast<int64_t>((value ^ sign) - sign);
}

void appendValue(const BaseTypeInfo &type, const ValueCall &call, uint64_t value) {
    const FormatRow &row = kValueRows[static_cast<int>(type.conversion)];
    switch (type.conversion) {
    case BaseConversion::Unsigned:
        return appendRow(call.pos, call.end, row, call.format, static_cast<unsigned>(value));
    case BaseConversion::Decimal: {
        const int64_t number = type.isSigned ? signExtended(value, type.size) : static_cast<int64_t>(value);
        return appendRow(call.pos, call.end, row, call.format, static_cast<int>(number));
    }
    case BaseConversion::UnsignedChar:
        return appendRow(call.pos, call.end, row, call.format, static_cast<unsigned>(value));
    case BaseConversion::Unsigned64:
        return appendRow(call.pos, call.end, row, call.format, static_cast<unsigned long long>(value));
    }
}

}  // namespace

void printBaseValue(const BaseTypeInfo &type, const ValueCall &call) {
    if (!hasRoom(call.pos, call.end)) return;
    const bool topLevel = call.mode == E_TOP_LEVEL;
    if (!hasBytes(call.data, call.dataEnd, type.size)) {
        return appendRow(call.pos, call.end, topLevel ? kNoDataTopLevel : kNoDataMember, call.format, type.name);
    }
    const uint64_t value = readLittleEndian(type.size, call.data, call.dataEnd);
    if (call.mode != E_ARRAY)
        appendRow(call.pos, call.end, topLevel ? kOpenTopLevel : kOpenMember, call.format, type.name);
    if (call.format == UF_AsXml) appendHexPrefix(call.pos, call.end, type.size, value);
    appendValue(type, call, value);
    if (call.mode != E_ARRAY) appendRow(call.pos, call.end, topLevel ? kCloseTopLevel : kCloseMember, call.format);
}

void printOpaqueValue(const BaseTypeInfo &type, const ValueCall &call) {
    if (!hasRoom(call.pos, call.end)) return;
    const uint32_t value = (call.data == nullptr || call.data >= call.dataEnd)
                               ? 0
                               : static_cast<uint32_t>(readLittleEndian(4, call.data, call.dataEnd));
    appendRow(call.pos, call.end, kOpaqueRow, call.format, type.name, value, static_cast<int>(value));
}

}  // namespace tkdec
