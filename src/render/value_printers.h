// The common value printers. Generated print entries (print_entries.h)
// bind the constants of one type and call these.
#pragma once

#include <cstdint>
#include <string_view>

#include "render/output.h"
#include "render/type_descriptor.h"

namespace tkdec {

// The nine arguments of a value printer, bundled for the common printers.
struct ValueCall {
    const uint8_t *data;
    const uint8_t *dataEnd;
    char **pos;
    char *end;
    OutputFormat format;
    PrintMode mode;
    uint32_t aliasIndex;
    CountFunction count;
    NameFilter filter;
};

// The printf conversion of a base type's value row.
enum class BaseConversion : uint8_t {
    Unsigned,       // "%u"
    Decimal,        // "%d"
    UnsignedChar,   // "%hhu"
    Unsigned64,     // "%llu"
};

// The constants of one base type.
struct BaseTypeInfo {
    const char *name;
    uint32_t size;  // 1, 2, 4 or 8; 0 for an opaque type
    BaseConversion conversion;
    bool isSigned;  // the value is sign-extended from size bytes
    uint32_t nameLength = tkdec::nameLength(name);
};

// A member's data pointer: data + offset, or a pointer at or behind
// dataEnd when the member lies beyond the data (never past it by more).
inline const uint8_t *memberData(const uint8_t *data, const uint8_t *dataEnd, uint32_t offset) {
    if (data == nullptr || data >= dataEnd) return data;
    return offset < static_cast<uint64_t>(dataEnd - data) ? data + offset : dataEnd;
}

// True when n bytes from data lie before dataEnd.
inline bool hasBytes(const uint8_t *data, const uint8_t *dataEnd, uint32_t n) {
    return data != nullptr && data <= dataEnd && n <= static_cast<uint64_t>(dataEnd - data);
}

const char *filteredName(NameFilter filter, const char *name);
// An enumerator's name through a name filter. Every filter returns a
// suffix of its name, whose length follows from the generated one.
inline std::string_view filteredName(NameFilter filter, const Enumerator &enumerator) {
    const char *name = enumerator.name;
    if (filter == nullptr || name == nullptr) return nameText(name, enumerator.nameLength);
    const char *filtered = filter(name);
    return {filtered, static_cast<size_t>(name + enumerator.nameLength - filtered)};
}

void printBaseValue(const BaseTypeInfo &type, const ValueCall &call);
// printBaseValue of a member or element in text or compact JSON.
void printBareNumber(const BaseTypeInfo &type, const uint8_t *data, const uint8_t *dataEnd, char **pos, char *end,
                     OutputFormat format);
void printOpaqueValue(const BaseTypeInfo &type, const ValueCall &call);

// Index of the pair on which the search for value stops, with the alias
// index applied when the value is found; 0 for an empty table.
uint32_t searchEnumerator(const EnumerationInfo &enumeration, uint32_t value, uint32_t aliasIndex);

// The pair whose name (before any name filter) the enumeration printer
// prints for value, alias index applied, when the table has the value;
// else null.
const Enumerator *findEnumerator(const EnumerationInfo &enumeration, uint32_t value, uint32_t aliasIndex);

// The header and trailer of an enumeration value, by print mode.
void appendEnumerationHeader(const EnumerationInfo &enumeration, const ValueCall &call);
void appendEnumerationTrailer(const ValueCall &call);

void printEnumerationValue(const EnumerationInfo &enumeration, const ValueCall &call);
void printBitmaskValue(const EnumerationInfo &enumeration, const ValueCall &call);
void printBitOffsetValue(const EnumerationInfo &enumeration, const ValueCall &call);

// The kind texts of an enumeration description.
inline constexpr const char *kKindEnum = "enum";
inline constexpr const char *kKindBitmask = "enum_bitmask";
inline constexpr const char *kKindBitOffset = "enum_bitoffset";

// What the enumeration printers write when their data is missing.
void describeEnumeration(const EnumerationInfo &enumeration, const char *kind, const ValueCall &call);

void printStructureValue(const TypeDescriptor *type, const ValueCall &call);
void printFieldList(const FieldDescriptor *fields, const ValueCall &call);
void printArray(const FieldDescriptor &field, const ValueCall &call);
void printAliasValue(const TypeDescriptor &type, const ValueCall &call);

}  // namespace tkdec
