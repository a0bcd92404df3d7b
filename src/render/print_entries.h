// Print entries: value printers bound to the constants of one type. The
// generated tables take their addresses (&printEnumeration<enum_X>), so
// every type's print entry is a constant function pointer.
#pragma once

#include "render/value_printers.h"

namespace tkdec {

#define TKDEC_VALUE_PRINTER_PARAMETERS                                                                \
    const uint8_t *data, const uint8_t *dataEnd, char **pos, char *end, OutputFormat format,          \
        PrintMode mode, uint32_t aliasIndex, CountFunction count, NameFilter filter
#define TKDEC_VALUE_CALL {data, dataEnd, pos, end, format, mode, aliasIndex, count, filter}

// In text and compact JSON a member's or element's number stands alone,
// so it takes the short way; everything else is framed by printBaseValue.
template <const BaseTypeInfo &B>
void printBaseType(TKDEC_VALUE_PRINTER_PARAMETERS) {
    if (mode != E_TOP_LEVEL && (format == UF_AsText || format == UF_AsJson))
        return printBareNumber(B, data, dataEnd, pos, end, format);
    printBaseValue(B, TKDEC_VALUE_CALL);
}

// The printer of a base type without a value template.
template <const BaseTypeInfo &B>
void printOpaque(TKDEC_VALUE_PRINTER_PARAMETERS) {
    printOpaqueValue(B, TKDEC_VALUE_CALL);
}

template <const EnumerationInfo &E>
void printEnumeration(TKDEC_VALUE_PRINTER_PARAMETERS) {
    printEnumerationValue(E, TKDEC_VALUE_CALL);
}

template <const EnumerationInfo &E>
void printBitmask(TKDEC_VALUE_PRINTER_PARAMETERS) {
    printBitmaskValue(E, TKDEC_VALUE_CALL);
}

template <const EnumerationInfo &E>
void printBitOffset(TKDEC_VALUE_PRINTER_PARAMETERS) {
    printBitOffsetValue(E, TKDEC_VALUE_CALL);
}

template <const TypeDescriptor &D>
void printStructure(TKDEC_VALUE_PRINTER_PARAMETERS) {
    printStructureValue(&D, TKDEC_VALUE_CALL);
}

// A type whose single field is printed whole: the field's printer, with
// the data confined to the type's one field.
template <const TypeDescriptor &D>
void printAlias(TKDEC_VALUE_PRINTER_PARAMETERS) {
    printAliasValue(D, TKDEC_VALUE_CALL);
}

#undef TKDEC_VALUE_CALL
#undef TKDEC_VALUE_PRINTER_PARAMETERS

}  // namespace tkdec
