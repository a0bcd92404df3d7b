// The field list printer: the members of a structure with their names and
// separators, each in the print mode of its kind.
#include "render/bounded_append.h"
#include "render/value_printers.h"

namespace tkdec {
namespace {

constexpr FormatRow kOpenBrace = {{"", "", "{", "{"}};
constexpr FormatRow kCloseBrace = {{"", "", "}", "}"}};
constexpr FormatRow kSeparator = {{" ", "", ", ", ", "}};
constexpr FormatRow kMemberName = {{".%s=", "<%s>", "\"%s\":", "\"%s\":"}};
constexpr FormatRow kMemberEnd = {{"", "</%s>", "", ""}};

PrintMode memberMode(const FieldDescriptor &field) {
    if (field.isArray) return E_ARRAY;
    return field.fieldName[0] == '^' ? E_INHERITED : E_TYPE;
}

void printMember(const FieldDescriptor &field, PrintMode mode, CountFunction count, const ValueCall &call) {
    const uint8_t *data = memberData(call.data, call.dataEnd, field.offset);
    if (field.isArray) {
        const ValueCall element = {data, call.dataEnd, call.pos, call.end, call.format, E_ARRAY,
                                   call.aliasIndex, count, call.filter};
        return printArray(field, element);
    }
    if (field.print == nullptr) return;
    field.print(data, call.dataEnd, call.pos, call.end, call.format, mode, call.aliasIndex, field.count,
                call.filter);
}

}  // namespace

void printFieldList(const FieldDescriptor *fields, const ValueCall &call) {
    if (fields == nullptr || !hasRoom(call.pos, call.end)) return;
    const bool braces = !fields[0].isArray && call.mode != E_INHERITED;
    if (braces) appendRow(call.pos, call.end, kOpenBrace, call.format);
    bool first = true;
    for (const FieldDescriptor *field = fields; field->fieldName != nullptr; ++field) {
        const PrintMode mode = memberMode(*field);
        const CountFunction count = field->isArray ? call.count : field->count;
        if (count != nullptr && count(call.data, call.dataEnd, field->isArray ? 0 : 1) == 0) continue;
        if (!first) appendRow(call.pos, call.end, kSeparator, call.format);
        first = false;
        if (mode == E_TYPE) appendRow(call.pos, call.end, kMemberName, call.format, field->fieldName);
        printMember(*field, mode, count, call);
        if (mode == E_TYPE) appendRow(call.pos, call.end, kMemberEnd, call.format, field->fieldName);
    }
    if (braces) appendRow(call.pos, call.end, kCloseBrace, call.format);
}

}  // namespace tkdec
