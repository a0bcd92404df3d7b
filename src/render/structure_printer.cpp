// The structure printer: a structure or array type from its descriptor,
// framed by print mode, its members printed by the field list printer.
#include "render/bounded_append.h"
#include "render/value_printers.h"

namespace tkdec {
namespace {

constexpr FormatRow kOpenTopLevel = {{"(%s){", "<xml>%s", "{\"typename\":\"%s\"", "{\"%s\":"}};
constexpr FormatRow kOpenTopLevelNoData = {{"", "", ",\"type\":\"nested\"", "[\"nested\","}};
constexpr FormatRow kOpenInherited = {{"", "<%s>", "", ""}};
constexpr FormatRow kOpenArrayMember = {{"(%s)", "%s", "{\"typename\":\"%s\"", ""}};
constexpr FormatRow kOpenMember = {{"(%s){", "%s", "{\"typename\":\"%s\"", ""}};
constexpr FormatRow kValue = {{"", "", ",\"value\":", ""}};
constexpr FormatRow kNoData = {{"(no data)", "(no data)", "", "\"%s\""}};
constexpr FormatRow kCloseTopLevelNoData = {{"", "", "", "]"}};
constexpr FormatRow kCloseTopLevel = {{"}", "</xml>", "}", "}"}};
constexpr FormatRow kCloseInherited = {{"", "</%s>", "", ""}};
constexpr FormatRow kCloseArrayMember = {{"", "", "}", ""}};
constexpr FormatRow kCloseMember = {{"}", "", "}", ""}};

// An array type's list holds one field with several elements.
bool isArrayType(const TypeDescriptor &type) {
    return type.fields != nullptr && type.fields[0].fieldName != nullptr && type.fields[0].elementCount > 1;
}

void appendOpening(const TypeDescriptor &type, const ValueCall &call, bool hasData) {
    switch (call.mode) {
    case E_TOP_LEVEL:
        appendRow(call.pos, call.end, kOpenTopLevel, call.format, type.name);
        if (!hasData) appendRow(call.pos, call.end, kOpenTopLevelNoData, call.format);
        return;
    case E_INHERITED:
        return appendRow(call.pos, call.end, kOpenInherited, call.format, type.name);
    case E_TYPE:
        return appendRow(call.pos, call.end, isArrayType(type) ? kOpenArrayMember : kOpenMember, call.format,
                         type.name);
    case E_ARRAY:
        return;
    }
}

void appendClosing(const TypeDescriptor &type, const ValueCall &call, bool hasData) {
    switch (call.mode) {
    case E_TOP_LEVEL:
        if (!hasData) appendRow(call.pos, call.end, kCloseTopLevelNoData, call.format);
        return appendRow(call.pos, call.end, kCloseTopLevel, call.format);
    case E_INHERITED:
        return appendRow(call.pos, call.end, kCloseInherited, call.format, type.name);
    case E_TYPE:
        return appendRow(call.pos, call.end, isArrayType(type) ? kCloseArrayMember : kCloseMember, call.format);
    case E_ARRAY:
        return;
    }
}

void appendBody(const TypeDescriptor &type, const ValueCall &call, bool hasData) {
    if (call.mode == E_INHERITED) return printFieldList(type.fields, call);
    if (call.mode == E_TOP_LEVEL || hasData) {
        if (call.mode != E_ARRAY) appendRow(call.pos, call.end, kValue, call.format);
        return printFieldList(type.fields, call);
    }
    appendRow(call.pos, call.end, kNoData, call.format, type.name);
}

}  // namespace

const uint8_t *memberData(const uint8_t *data, const uint8_t *dataEnd, uint32_t offset) {
    if (data == nullptr || data >= dataEnd) return data;
    return offset < static_cast<uint64_t>(dataEnd - data) ? data + offset : dataEnd;
}

void printStructureValue(const TypeDescriptor *type, const ValueCall &call) {
    if (!hasRoom(call.pos, call.end) || type == nullptr) return;
    const bool hasData = call.data != nullptr && call.data < call.dataEnd;
    appendOpening(*type, call, hasData);
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
