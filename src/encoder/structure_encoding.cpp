// The value step: where a parsed member value goes, found through the type
// descriptors, and how array values are laid out element by element.
#include <cstring>

#include "encoder/little_endian_writer.h"
#include "encoder/structure_encoding.h"

namespace tkdec {
namespace {

bool isBasePart(const FieldDescriptor &field) { return field.fieldName[0] == '^'; }

int32_t encodeField(uint8_t *start, uint8_t *end, const char **text, OutputFormat syntax,
                    const FieldDescriptor &field) {
    return field.encode != nullptr ? field.encode(start, end, text, syntax) : -1;
}

// A quoted string into a one-byte array of `count` elements; the text is at
// the opening quote (" or '). Characters that do not fit are stepped over
// and fail the value. What follows the closing quote, a ']' included, is
// left for the caller.
int32_t encodeString(uint8_t *start, uint8_t *end, const char **text, uint32_t count) {
    const char *p = *text;
    const char quote = *p++;
    const uint64_t room = static_cast<uint64_t>(end - start);
    uint32_t copied = 0;
    for (; *p != '\0' && *p != quote && copied < room && copied < count; ++copied) start[copied] = static_cast<uint8_t>(*p++);
    if (copied < count && copied < room) start[copied] = 0;
    int32_t result = 0;
    for (; *p != '\0' && *p != quote; ++p) result = -1;
    if (*p == quote)
        ++p;
    else
        result = -1;
    *text = p;
    return result;
}

// Elements separated by ','; text between an element's value and the next
// ',' is skipped. Each element gets a window of its own size.
int32_t encodeElements(uint8_t *start, uint8_t *end, const char **text, OutputFormat syntax,
                       const FieldDescriptor &field) {
    const char closing = syntax == UF_AsJson ? ']' : '}';
    const uint64_t size = field.elementSize;
    const uint64_t room = static_cast<uint64_t>(end - start);
    const char *p = *text;
    int32_t result = -1;
    for (uint64_t i = 0; *p != '\0' && *p != closing && i * size < room && i < field.elementCount; ++i) {
        result = encodeField(start + i * size, offsetWithin(start, end, (i + 1) * size), &p, syntax, field);
        if (result != 0) break;
        while (*p != '\0' && *p != ',' && *p != closing) ++p;
        if (*p == ',') ++p;
    }
    if (*p != closing)
        result = -1;
    else if (syntax == UF_AsJson)
        ++p;
    *text = p;
    return result;
}

}  // namespace

int32_t encodeValue(uint8_t *start, uint8_t *end, const char **text, OutputFormat syntax,
                    const TypeDescriptor *type, const char *name) {
    if (type == nullptr || type->fields == nullptr || type->fields[0].fieldName == nullptr) return -1;
    const FieldDescriptor &first = type->fields[0];
    if (first.isArray) return encodeArray(start, end, text, syntax, first);
    if (first.fieldName[0] == '=') return encodeMember(start, end, text, syntax, type, "=");
    return encodeMember(start, end, text, syntax, type, name);
}

int32_t encodeMember(uint8_t *start, uint8_t *end, const char **text, OutputFormat syntax,
                     const TypeDescriptor *type, const char *name) {
    if (text == nullptr || *text == nullptr || type == nullptr || type->fields == nullptr) return -1;
    if (**text == '\0') return -1;
    const char *p = *text;
    int32_t result = -1;
    for (const FieldDescriptor *field = type->fields; field->fieldName != nullptr && result != 0; ++field) {
        uint8_t *const at = offsetWithin(start, end, field->offset);
        if (isBasePart(*field))
            result = encodeMember(at, end, &p, syntax, field->descriptor ? field->descriptor() : nullptr, name);
        else if (std::strcmp(field->fieldName, name) == 0)
            result = encodeField(at, end, &p, syntax, *field);
    }
    *text = p;
    return result;
}

int32_t encodeArray(uint8_t *start, uint8_t *end, const char **text, OutputFormat syntax,
                    const FieldDescriptor &field) {
    if (text == nullptr || *text == nullptr) return -1;
    // The first character alone chooses the string form, in both syntaxes.
    const char first = **text;
    if ((first == '"' || first == '\'') && field.elementSize == 1) return encodeString(start, end, text, field.elementCount);
    return encodeElements(start, end, text, syntax, field);
}

}  // namespace tkdec
