// The bitmask printer: a value that is the OR of named masks.
#include "render/bounded_append.h"
#include "render/little_endian.h"
#include "render/value_printers.h"

namespace tkdec {
namespace {

constexpr FormatRow kOpen = {{"(", "(", ",\"value\":{\"number\":%u,\"text\":[", "["}};
constexpr FormatRow kName = {{"%s", "%s", "\"%s\"", "\"%s\""}};
constexpr FormatRow kSeparator = {{"|", "|", ",", ","}};
constexpr FormatRow kUnnamedHex = {{"(%s)0x%.*x", "(%s)0x%.*x", "", ""}};
constexpr FormatRow kUnnamedNumber = {{"", "", "%u", "%u"}};
constexpr FormatRow kClose = {{")", ")", "]}", "]"}};

void appendUnnamed(const EnumerationInfo &enumeration, const ValueCall &call, uint32_t bits) {
    appendRow(call.pos, call.end, kUnnamedHex, call.format, enumeration.name, static_cast<int>(2 * enumeration.size),
              bits);
    appendRow(call.pos, call.end, kUnnamedNumber, call.format, bits);
}

void appendMasks(const EnumerationInfo &enumeration, const ValueCall &call, uint32_t value) {
    for (uint32_t i = 0; i < enumeration.count && value != 0; ++i) {
        const uint32_t mask = enumeration.table[i].value;
        if (mask == 0 || (value & mask) != mask) continue;
        value &= ~mask;
        appendRow(call.pos, call.end, kName, call.format, filteredName(call.filter, enumeration.table[i].name));
        if (value != 0) appendRow(call.pos, call.end, kSeparator, call.format);
    }
    if (value != 0) appendUnnamed(enumeration, call, value);
}

void appendZero(const EnumerationInfo &enumeration, const ValueCall &call) {
    for (uint32_t i = 0; i < enumeration.count; ++i) {
        if (enumeration.table[i].value == 0)
            return appendRow(call.pos, call.end, kName, call.format,
                             filteredName(call.filter, enumeration.table[i].name));
    }
    appendUnnamed(enumeration, call, 0);
}

}  // namespace

void printBitmaskValue(const EnumerationInfo &enumeration, const ValueCall &call) {
    if (!hasRoom(call.pos, call.end)) return;
    if (!hasBytes(call.data, call.dataEnd, enumeration.size))
        return describeEnumeration(enumeration, kKindBitmask, call);
    const uint32_t value = static_cast<uint32_t>(readLittleEndian(enumeration.size, call.data, call.dataEnd));
    appendEnumerationHeader(enumeration, call);
    appendRow(call.pos, call.end, kOpen, call.format, value);
    if (value != 0)
        appendMasks(enumeration, call, value);
    else
        appendZero(enumeration, call);
    appendRow(call.pos, call.end, kClose, call.format);
    appendEnumerationTrailer(call);
}

}  // namespace tkdec
