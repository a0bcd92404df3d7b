// The enumeration description: what the enumeration, bitmask and
// bit-offset printers write when their value is missing. At top level it
// lists every enumerator, which describes the type to the host.
#include "render/bounded_append.h"
#include "render/value_printers.h"

namespace tkdec {
namespace {

constexpr FormatRow kOpen = {{"(%s){", "<xml><%s>", "{\"typename\":\"%s\",\"type\":\"%s\",\"values\":[",
                              "{\"%s\":[\"%s\","}};
constexpr FormatRow kEntry = {{"%s(%s = %d)", "%.0s<%s>%d</%s>", "%s{\"number\":%.0s%u,\"text\":\"%s\"}",
                               "%s[%.0s%u,\"%s\"]"}};
constexpr FormatRow kClose = {{"}", "</%s></xml>", "]}", "]}"}};
constexpr FormatRow kNoDataMember = {{"(%s)(no data)", "(%s)(no data)", "{\"typename\":\"%s\"}", "\"%s\""}};
constexpr FormatRow kNoDataPart = {{"(%s)(no data)", "(%s)(no data)", "{\"typename\":\"%s\"}", ""}};
constexpr const char *kNoEnumerators = "(No enumerators)";

void appendEntry(const ValueCall &call, const char *separator, const char *name, uint32_t value) {
    appendRow(call.pos, call.end, kEntry, call.format, separator, name, value, name);
}

void listEnumerators(const EnumerationInfo &enumeration, const char *kind, const ValueCall &call) {
    appendRow(call.pos, call.end, kOpen, call.format, enumeration.name, kind);
    if (enumeration.count == 0) appendEntry(call, "", kNoEnumerators, 0);
    for (uint32_t i = 0; i < enumeration.count; ++i)
        appendEntry(call, i == 0 ? "" : ",", enumeration.table[i].name, enumeration.table[i].value);
    appendRow(call.pos, call.end, kClose, call.format, enumeration.name);
}

}  // namespace

void describeEnumeration(const EnumerationInfo &enumeration, const char *kind, const ValueCall &call) {
    if (!hasRoom(call.pos, call.end)) return;
    if (call.mode == E_TOP_LEVEL) return listEnumerators(enumeration, kind, call);
    appendRow(call.pos, call.end, call.mode == E_TYPE ? kNoDataMember : kNoDataPart, call.format, enumeration.name);
}

}  // namespace tkdec
