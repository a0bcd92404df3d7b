// The enumeration printer: one value, one name, found by halving the
// sorted enumerator table; unknown values print with their nearest pair.
#include "render/bounded_append.h"
#include "render/little_endian.h"
#include "render/text_writer.h"
#include "render/value_printers.h"

namespace tkdec {
namespace {

constexpr FormatRow kHeaderTopLevel = {{"", "<xml>", "{\"typename\":\"%s\"", "{\"%s\":"}};
constexpr FormatRow kHeaderMember = {{"", "", "{\"typename\":\"%s\"", ""}};
constexpr FormatRow kTrailerTopLevel = {{"", "</xml>", "}", "}"}};
constexpr FormatRow kTrailerMember = {{"", "", "}", ""}};

// A value that the table has: its name, then its number as the format
// writes it.
enum class FoundNumber : uint8_t { None, Hex, Decimal };
constexpr FoundNumber kFoundNumber[kOutputFormatCount] = {FoundNumber::None, FoundNumber::Hex, FoundNumber::Decimal,
                                                          FoundNumber::None};
constexpr TextRow kBeforeMemberType = {{"", "", "{\"typename\":\"", ""}};
constexpr TextRow kAfterMemberType = {{"", "", "\"", ""}};
constexpr TextRow kBeforeFoundName = {{"", "", ",\"value\":{\"text\":\"", "\""}};
constexpr TextRow kBeforeFoundNumber = {{"", " 0x", "\",\"number\":", ""}};
constexpr TextRow kAfterFoundNumber = {{"", "", "}", "\""}};
constexpr TextRow kFoundTrailerTopLevel = {{"", "</xml>", "}", "}"}};
constexpr TextRow kFoundTrailerMember = {{"", "", "}", ""}};
constexpr FormatRow kUnknown = {{"(%s)", "(%s)", "%.0s,\"value\":{\"number\":%u}", "%.0s%u"}};
constexpr FormatRow kUnknownHex = {{" 0x%.*x", " 0x%.*x", "", ""}};
constexpr FormatRow kNearest = {{" (%s + %d)", "", "", ""}};

// A found value with its trailer, and a member's header, as one append (a
// whole output's header has its own row).
void appendFoundValue(const EnumerationInfo &enumeration, const ValueCall &call, std::string_view name,
                      uint32_t value) {
    withFormat(call.format, [&](auto constant) {
        constexpr OutputFormat format = decltype(constant)::value;
        TextWriter out(call.pos, call.end, kCheckedWindow);
        if (call.mode != E_TOP_LEVEL && !kBeforeMemberType[format].empty()) {
            out.text(kBeforeMemberType[format]);
            out.text(nameText(enumeration.name, enumeration.nameLength));
            out.text(kAfterMemberType[format]);
        }
        out.text(kBeforeFoundName[format]);
        out.text(name);
        out.text(kBeforeFoundNumber[format]);
        if (kFoundNumber[format] == FoundNumber::Hex) out.hex(value, static_cast<int>(2 * enumeration.size));
        if (kFoundNumber[format] == FoundNumber::Decimal) out.unsignedDecimal(value);
        out.text(kAfterFoundNumber[format]);
        out.text(call.mode == E_TOP_LEVEL ? kFoundTrailerTopLevel[format] : kFoundTrailerMember[format]);
        out.finish();
    });
}

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

const Enumerator *findEnumerator(const EnumerationInfo &enumeration, uint32_t value, uint32_t aliasIndex) {
    if (enumeration.count == 0) return nullptr;
    // The printer reads size bytes of the value.
    const uint32_t bits = 8 * enumeration.size;
    if (bits < 32) value &= (uint32_t{1} << bits) - 1;
    const Enumerator &nearest = enumeration.table[searchEnumerator(enumeration, value, aliasIndex)];
    return nearest.value == value ? &nearest : nullptr;
}

void printEnumerationValue(const EnumerationInfo &enumeration, const ValueCall &call) {
    if (!hasRoom(call.pos, call.end)) return;
    if (!hasBytes(call.data, call.dataEnd, enumeration.size)) return describeEnumeration(enumeration, kKindEnum, call);
    const uint32_t value = static_cast<uint32_t>(readLittleEndian(enumeration.size, call.data, call.dataEnd));
    const uint32_t m = searchEnumerator(enumeration, value, call.aliasIndex);
    const Enumerator *nearest = enumeration.count > 0 ? &enumeration.table[m] : nullptr;
    if (nearest != nullptr && nearest->value == value) {
        if (call.mode == E_TOP_LEVEL) appendEnumerationHeader(enumeration, call);
        return appendFoundValue(enumeration, call, filteredName(call.filter, *nearest), value);
    }
    const int digits = static_cast<int>(2 * enumeration.size);
    appendEnumerationHeader(enumeration, call);
    appendRow(call.pos, call.end, kUnknown, call.format, enumeration.name, value);
    appendRow(call.pos, call.end, kUnknownHex, call.format, digits, value);
    if (nearest != nullptr)
        appendRow(call.pos, call.end, kNearest, call.format, filteredName(call.filter, nearest->name),
                  static_cast<int>(value - nearest->value));
    appendEnumerationTrailer(call);
}

}  // namespace tkdec
