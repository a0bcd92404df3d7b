// The field list printer: the members of a structure with their names and
// separators, each in the print mode of its kind.
#include "render/bounded_append.h"
#include "render/text_writer.h"
#include "render/value_printers.h"

namespace tkdec {
namespace {

constexpr TextRow kOpenBrace = {{"", "", "{", "{"}};
constexpr TextRow kCloseBrace = {{"", "", "}", "}"}};
constexpr TextRow kSeparator = {{" ", "", ", ", ", "}};
// A member's name stands between these texts; the texts before it hold
// the separator from the member before, if any.
constexpr TextRow kBeforeFirstName = {{".", "<", "\"", "\""}};
constexpr TextRow kBeforeName = {{" .", "<", ", \"", ", \""}};
constexpr TextRow kAfterName = {{"=", ">", "\":", "\":"}};
// Behind the member's value, around its name again (XML only).
constexpr TextRow kBeforeEndName = {{"", "</", "", ""}};
constexpr TextRow kAfterEndName = {{"", ">", "", ""}};

// The separator and, for an ordinary member, the name, as one append.
void appendMemberStart(const FieldDescriptor &field, PrintMode mode, bool first, const ValueCall &call) {
    withFormat(call.format, [&](auto constant) {
        constexpr OutputFormat format = decltype(constant)::value;
        TextWriter out(call.pos, call.end, kCheckedWindow);
        if (mode == E_TYPE) {
            out.text(first ? kBeforeFirstName[format] : kBeforeName[format]);
            out.text(nameText(field.fieldName, field.fieldNameLength));
            out.text(kAfterName[format]);
        } else if (!first) {
            out.text(kSeparator[format]);
        }
        out.finish();
    });
}

void appendMemberEnd(const FieldDescriptor &field, const ValueCall &call) {
    if (kBeforeEndName[call.format].empty()) return;
    TextWriter out(call.pos, call.end, kCheckedWindow);
    out.text(kBeforeEndName[call.format]);
    out.text(nameText(field.fieldName, field.fieldNameLength));
    out.text(kAfterEndName[call.format]);
    out.finish();
}

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
    if (braces) appendFixed(call.pos, call.end, kOpenBrace[call.format], kCheckedWindow);
    bool first = true;
    for (const FieldDescriptor *field = fields; field->fieldName != nullptr; ++field) {
        const PrintMode mode = memberMode(*field);
        const CountFunction count = field->isArray ? call.count : field->count;
        if (count != nullptr && count(call.data, call.dataEnd, field->isArray ? 0 : 1) == 0) continue;
        appendMemberStart(*field, mode, first, call);
        first = false;
        printMember(*field, mode, count, call);
        if (mode == E_TYPE) appendMemberEnd(*field, call);
    }
    if (braces) appendFixed(call.pos, call.end, kCloseBrace[call.format], kCheckedWindow);
}

}  // namespace tkdec
