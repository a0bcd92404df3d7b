// The structure printer: a structure or array type from its descriptor,
// framed by print mode, its members printed by the field list printer.
#include "render/bounded_append.h"
#include "render/text_writer.h"
#include "render/value_printers.h"

namespace tkdec {
namespace {

constexpr NamedRow kOpenTopLevel = {
    {{"(", "<xml>", "{\"typename\":\"", "{\""}}, {{"){", "", "\"", "\":"}}, {true, true, true, true}};
constexpr TextRow kOpenTopLevelNoData = {{"", "", ",\"type\":\"nested\"", "[\"nested\","}};
constexpr NamedRow kOpenInherited = {{{"", "<", "", ""}}, {{"", ">", "", ""}}, {false, true, false, false}};
constexpr NamedRow kOpenArrayMember = {
    {{"(", "", "{\"typename\":\"", ""}}, {{")", "", "\"", ""}}, {true, true, true, false}};
constexpr NamedRow kOpenMember = {
    {{"(", "", "{\"typename\":\"", ""}}, {{"){", "", "\"", ""}}, {true, true, true, false}};
constexpr TextRow kValue = {{"", "", ",\"value\":", ""}};
constexpr NamedRow kNoData = {{{"(no data)", "(no data)", "", "\""}}, {{"", "", "", "\""}}, {false, false, false, true}};
constexpr TextRow kCloseTopLevelNoData = {{"", "", "", "]"}};
constexpr TextRow kCloseTopLevel = {{"}", "</xml>", "}", "}"}};
constexpr NamedRow kCloseInherited = {{{"", "</", "", ""}}, {{"", ">", "", ""}}, {false, true, false, false}};
constexpr TextRow kCloseArrayMember = {{"", "", "}", ""}};
constexpr TextRow kCloseMember = {{"}", "", "}", ""}};

// An array type's list holds one field with several elements.
bool isArrayType(const TypeDescriptor &type) {
    return type.fields != nullptr && type.fields[0].fieldName != nullptr && type.fields[0].elementCount > 1;
}

TKDEC_WRITER_INLINE void writeOpening(TextWriter &out, const TypeDescriptor &type, const ValueCall &call, bool hasData) {
    switch (call.mode) {
    case E_TOP_LEVEL:
        out.named(kOpenTopLevel, call.format, nameText(type.name, type.nameLength));
        if (!hasData) out.text(kOpenTopLevelNoData[call.format]);
        return;
    case E_INHERITED: return out.named(kOpenInherited, call.format, nameText(type.name, type.nameLength));
    case E_TYPE: return out.named(isArrayType(type) ? kOpenArrayMember : kOpenMember, call.format, nameText(type.name, type.nameLength));
    case E_ARRAY: return;
    }
}

void appendClosing(const TypeDescriptor &type, const ValueCall &call, bool hasData) {
    TextWriter out(call.pos, call.end, kCheckedWindow);
    switch (call.mode) {
    case E_TOP_LEVEL:
        if (!hasData) out.text(kCloseTopLevelNoData[call.format]);
        out.text(kCloseTopLevel[call.format]);
        break;
    case E_INHERITED: out.named(kCloseInherited, call.format, nameText(type.name, type.nameLength)); break;
    case E_TYPE: out.text(isArrayType(type) ? kCloseArrayMember[call.format] : kCloseMember[call.format]); break;
    case E_ARRAY: break;
    }
    out.finish();
}

// The opening, and the members or the no-data text.
void appendBody(const TypeDescriptor &type, const ValueCall &call, bool hasData) {
    TextWriter out(call.pos, call.end, kCheckedWindow);
    writeOpening(out, type, call, hasData);
    if (call.mode == E_INHERITED || call.mode == E_TOP_LEVEL || hasData) {
        if (call.mode != E_INHERITED && call.mode != E_ARRAY) out.text(kValue[call.format]);
        out.finish();
        return printFieldList(type.fields, call);
    }
    out.named(kNoData, call.format, nameText(type.name, type.nameLength));
    out.finish();
}

}  // namespace

void printStructureValue(const TypeDescriptor *type, const ValueCall &call) {
    if (!hasRoom(call.pos, call.end) || type == nullptr) return;
    const bool hasData = call.data != nullptr && call.data < call.dataEnd;
    appendBody(*type, call, hasData);
    appendClosing(*type, call, hasData);
}

void printAliasValue(const TypeDescriptor &type, const ValueCall &call) {
    if (type.fields == nullptr || type.fields[0].print == nullptr) return;
    const FieldDescriptor &field = type.fields[0];
    ValueCall confined = call;
    if (hasBytes(call.data, call.dataEnd, field.elementSize)) confined.dataEnd = call.data + field.elementSize;
    field.print(confined.data, confined.dataEnd, confined.pos, confined.end, confined.format, confined.mode,
                confined.aliasIndex, confined.count, confined.filter);
}

}  // namespace tkdec
