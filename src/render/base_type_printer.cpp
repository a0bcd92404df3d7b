// Base-type printers: integers, characters, booleans and handles, and the
// opaque 32-bit printer.
#include "render/bounded_append.h"
#include "render/little_endian.h"
#include "render/text_writer.h"
#include "render/value_printers.h"

namespace tkdec {
namespace {

constexpr FormatRow kNoDataTopLevel = {
    {"(%s)(no data)", "<xml>(%s)(no data)</xml>", "{\"typename\":\"%s\",\"type\":\"base\"}", "{\"%s\":[\"base\"]}"}};
constexpr FormatRow kNoDataMember = {{"(%s)(no data)", "(%s)(no data)", "{\"typename\":\"%s\"}", "\"%s\""}};

constexpr FormatRow kOpenTopLevel = {{"", "<xml>", "{\"typename\":\"%s\",\"type\":\"base\",\"value\":", "{\"%s\":"}};
// A member's opening names its type in long JSON only.
constexpr TextRow kBeforeMemberName = {{"", "", "{\"typename\":\"", ""}};
constexpr TextRow kAfterMemberName = {{"", "", "\",\"value\":", ""}};

// Around the number, whatever its conversion; behind it the value's
// closing by print mode (in PrintMode order) too.
constexpr TextRow kBeforeNumber = {{"", " (", "{\"number\":", ""}};
constexpr TextRow kAfterNumber[] = {
    {{"", ")</xml>", "}}", "}"}},  // E_TOP_LEVEL
    {{"", ")", "}}", ""}},         // E_INHERITED
    {{"", ")", "}", ""}},          // E_ARRAY
    {{"", ")", "}}", ""}},         // E_TYPE
};

constexpr const char *kOpaqueText = "(%s) 0x%.8x (%d)";
constexpr FormatRow kOpaqueRow = {{kOpaqueText, kOpaqueText, kOpaqueText, kOpaqueText}};

// XML renderings of the characters that XML escapes, for a printable
// one-byte value.
struct EscapedCharacter {
    char character;
    std::string_view text;
};
constexpr EscapedCharacter kEscapedCharacters[] = {
    {'\'', "&apos;"}, {'"', "&quot;"}, {'<', "&lt;"}, {'>', "&gt;"}, {'&', "&amp;"},
};
constexpr std::string_view kQuote = "&apos;";

TKDEC_WRITER_INLINE void writeCharacter(TextWriter &out, unsigned c) {
    if (c < 32 || c > 126) return;
    out.character(' ');
    out.text(kQuote);
    std::string_view escaped;
    for (const EscapedCharacter &e : kEscapedCharacters)
        if (static_cast<unsigned>(e.character) == c) escaped = e.text;
    if (escaped.empty())
        out.character(static_cast<char>(c));
    else
        out.text(escaped);
    out.text(kQuote);
}

// The XML form's hexadecimal value before the number: as many digits as
// the value has bytes, and a printable byte as a character too.
TKDEC_WRITER_INLINE void writeHexPrefix(TextWriter &out, uint32_t size, uint64_t value) {
    out.text("0x");
    out.hex(value, static_cast<int>(2 * size));
    if (size == 1) writeCharacter(out, static_cast<unsigned>(value));
}

int64_t signExtended(uint64_t value, uint32_t size) {
    if (size >= 8) return static_cast<int64_t>(value);
    const uint64_t sign = uint64_t{1} << (8 * size - 1);
    return static_cast<int64_t>((value ^ sign) - sign);
}

TKDEC_WRITER_INLINE void writeNumber(TextWriter &out, const BaseTypeInfo &type, uint64_t value) {
    switch (type.conversion) {
    case BaseConversion::Unsigned: return out.unsignedDecimal(static_cast<uint32_t>(value));
    case BaseConversion::Decimal: {
        const int64_t number = type.isSigned ? signExtended(value, type.size) : static_cast<int64_t>(value);
        return out.signedDecimal(static_cast<int32_t>(number));
    }
    case BaseConversion::UnsignedChar: return out.unsignedDecimal(static_cast<uint8_t>(value));
    case BaseConversion::Unsigned64: return out.unsignedDecimal64(value);
    }
}

// The value with its framing by print mode, as one append.
void appendValue(const BaseTypeInfo &type, const ValueCall &call, uint64_t value) {
    const bool member = call.mode == E_TYPE || call.mode == E_INHERITED;
    const PrintMode mode = call.mode <= E_TYPE ? call.mode : E_TYPE;
    withFormat(call.format, [&](auto constant) {
        constexpr OutputFormat format = decltype(constant)::value;
        TextWriter out(call.pos, call.end, kCheckedWindow);
        if (member && !kBeforeMemberName[format].empty()) {
            out.text(kBeforeMemberName[format]);
            out.text(nameText(type.name, type.nameLength));
            out.text(kAfterMemberName[format]);
        }
        if (format == UF_AsXml) writeHexPrefix(out, type.size, value);
        out.text(kBeforeNumber[format]);
        writeNumber(out, type, value);
        out.text(kAfterNumber[mode][format]);
        out.finish();
    });
}

}  // namespace

void printBaseValue(const BaseTypeInfo &type, const ValueCall &call) {
    if (!hasRoom(call.pos, call.end)) return;
    const bool topLevel = call.mode == E_TOP_LEVEL;
    if (!hasBytes(call.data, call.dataEnd, type.size)) {
        return appendRow(call.pos, call.end, topLevel ? kNoDataTopLevel : kNoDataMember, call.format, type.name);
    }
    const uint64_t value = readLittleEndian(type.size, call.data, call.dataEnd);
    if (topLevel) appendRow(call.pos, call.end, kOpenTopLevel, call.format, type.name);
    appendValue(type, call, value);
}

void printBareNumber(const BaseTypeInfo &type, const uint8_t *data, const uint8_t *dataEnd, char **pos, char *end,
                     OutputFormat format) {
    if (!hasRoom(pos, end)) return;
    if (!hasBytes(data, dataEnd, type.size)) return appendRow(pos, end, kNoDataMember, format, type.name);
    TextWriter out(pos, end, kCheckedWindow);
    writeNumber(out, type, readLittleEndian(type.size, data, dataEnd));
    out.finish();
}

void printOpaqueValue(const BaseTypeInfo &type, const ValueCall &call) {
    if (!hasRoom(call.pos, call.end)) return;
    const uint32_t value = (call.data == nullptr || call.data >= call.dataEnd)
                               ? 0
                               : static_cast<uint32_t>(readLittleEndian(4, call.data, call.dataEnd));
    appendRow(call.pos, call.end, kOpaqueRow, call.format, type.name, value, static_cast<int>(value));
}

}  // namespace tkdec
