// The enumeration printer: one value, one name, found by halving the
// sorted enumerator table; unknown values print with their nearest pair.
#include "render/bounded_append.h"
#include "render/little_endian.h"
#include "render/value_printers.h"

namespace tkdec {
namespace {

constexpr FormatRow kHeaderTopLevel = {{"", "<xml>", "{\"typename\":\"%s\"", "{\"%s\":"}};
constexpr FormatRow kHeaderMember = {{"", "", "{\"typename\":\"%s\"", ""}};
constexpr FormatRow kTrailerTopLevel = {{"", "</xml>", "}", "}"}};
constexpr FormatRow kTrailerMember = {{"", "", "}", ""}};

constexpr FormatRow kFound = {{"%s", "%s", ",\"value\":{\"text\":\"%s\",\"number\":%u}", "\"%s\""}};
constexpr FormatRow kFoundHex = {{"", " 0x%.*x", "", ""}};
constexpr FormatRow kUnknown = {{"(%s)", "(%s)", "%.0s,\"value\":{\"number\":%u}", "%.0s%u"}};
constexpr FormatRow kUnknownHex = {{" 0x%.*x", " 0x%.*x", "", ""}};
constexpr FormatRow kNearest = {{" (%s + %d)", "", "", ""}};

}  // namespace

const char *filteredName(NameFilter filter, const char *name) {
    return filter != nullptr ? filter(name) : name;
}

void appendEnumerationHeader(const EnumerationInfo &enumeration, const ValueCall &call) {
    appendRow(call.pos, call.end, call.mode == E_TOP_LEVEL ? kHeaderTopLevel : kHeaderMember, call.format,
              enumeration.name);
}

void appendEnumerationTrailer(const ValueCall &call) {
    appendRow(call.pos, call.end, call.mode == E_TOP_LEVEL ? kTrailerTopLevel : kTrailerMember, call.format);
}

uint32_t searchEnumerator(const EnumerationInfo &enumeration, uint32_t value, uint32_t aliasIndex) {
    const Enumerator *table = enumeration.table;
    const int64_t n = enumeration.count;
    if (n == 0) return 0;
    int64_t lo = 0;
    int64_t hi = n - 1;
    int64_t m = 0;
    if (table[0].value <= value && value <= table[hi].value) {
        m = hi / 2;
        while (lo < hi && table[m].value != value) {
            if (value > table[m].value)
                lo = m + 1;
            else
                hi = m - 1;
            m = (lo + hi) / 2;
        }
    }
    if (table[m].value != value) return static_cast<uint32_t>(m);
    while (m > 0 && table[m - 1].value == value) --m;
    if (m + aliasIndex < n && table[m + aliasIndex].value == value) m += aliasIndex;
    return static_cast<uint32_t>(m);
}

void printEnumerationValue(const EnumerationInfo &enumeration, const ValueCall &call) {
    if (!hasRoom(call.pos, call.end)) return;
    if (!hasBytes(call.data, call.dataEnd, enumeration.size)) return describeEnumeration(enumeration, kKindEnum, call);
    const uint32_t value = static_cast<uint32_t>(readLittleEndian(enumeration.size, call.data, call.dataEnd));
    const int digits = static_cast<int>(2 * enumeration.size);
    appendEnumerationHeader(enumeration, call);
    const uint32_t m = searchEnumerator(enumeration, value, call.aliasIndex);
    const Enumerator *nearest = enumeration.count > 0 ? &enumeration.table[m] : nullptr;
    if (nearest != nullptr && nearest->value == value) {
        appendRow(call.pos, call.end, kFound, call.format, filteredName(call.filter, nearest->name), value);
        appendRow(call.pos, call.end, kFoundHex, call.format, digits, value);
    } else {
        appendRow(call.pos, call.end, kUnknown, call.format, enumeration.name, value);
        appendRow(call.pos, call.end, kUnknownHex, call.format, digits, value);
        if (nearest != nullptr)
            appendRow(call.pos, call.end, kNearest, call.format, filteredName(call.filter, nearest->name),
                      static_cast<int>(value - nearest->value));
    }
    appendEnumerationTrailer(call);
}

}  // namespace tkdec
