// The generated records through which every value of the firmware is
// printed and encoded: type descriptors, field descriptors, enumerator
// tables and the message type table. Generated tables are constant data.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "render/output.h"

namespace tkdec {

struct TypeDescriptor;

// The length of a table's name, taken where the table is compiled (every
// table is constant), so that the printers copy names without measuring
// them.
constexpr uint32_t nameLength(const char *name) {
    return name != nullptr ? static_cast<uint32_t>(std::char_traits<char>::length(name)) : 0;
}

// A name with its generated length, or "(null)" as the writers print a
// null text.
inline std::string_view nameText(const char *name, uint32_t length) {
    return name != nullptr ? std::string_view(name, length) : std::string_view("(null)");
}

// Parses a textual value of one type into the window [start, end) and
// advances *text past what it read. Returns 0, or -1 on failure.
// UF_AsJson selects the JSON syntax, every other format the designated
// initialiser syntax.
using EncodeEntry = int32_t (*)(uint8_t *start, uint8_t *end, const char **text, OutputFormat syntax);

// Returns the descriptor of a structure or array type, or null.
using DescriptorGetter = const TypeDescriptor *(*)();

struct FieldDescriptor {
    ValuePrinter print;
    EncodeEntry encode;
    const char *typeName;
    const char *fieldName;   // "^" base part or array elements, "=" whole value, null ends the list
    uint32_t offset;
    uint32_t elementSize;
    uint32_t elementCount;
    DescriptorGetter descriptor;
    CountFunction count;
    bool isArray;
    uint32_t fieldNameLength = nameLength(fieldName);
};

struct TypeDescriptor {
    const char *name;
    uint32_t size;
    const FieldDescriptor *fields;  // null for a base type
    uint32_t nameLength = tkdec::nameLength(name);
};

// One {value, name} pair; tables are sorted by unsigned value, aliases keep
// their source order, and end with {0, nullptr}.
struct Enumerator {
    uint32_t value;
    const char *name;
    uint32_t nameLength = tkdec::nameLength(name);
};

// The constants that an enumeration's wrappers bind.
struct EnumerationInfo {
    uint32_t size;  // bytes of one value (for bit-offset types: of one word)
    const char *name;
    const Enumerator *table;
    uint32_t count;  // pairs without the terminator
    uint32_t nameLength = tkdec::nameLength(name);
};

// One row of the message type table: messages and events (id != 0) first,
// then one type entry (id 0) per type descriptor; a null print ends it.
struct MessageTypeEntry {
    ValuePrinter print;
    const char *name;
    const TypeDescriptor *type;
    uint32_t id;
};

// A distinct name of the message type table: its first entry, its first
// type entry (id 0) or the table's end, and its length in bytes.
struct TypeName {
    uint32_t first;
    uint32_t firstType;
    uint32_t length;
};

// The table's names by the perfect hash (records/perfect_hash.h) of their
// keys, nameKey(name, length, keySeed): every name has a slot of its own.
struct TypeNameIndex {
    const TypeName *names;
    uint32_t keySeed;
    uint32_t seed;
    const uint16_t *displacements;
    uint32_t bucketMask;
    const uint16_t *slots;  // position in names + 1, or 0 for none
    uint32_t slotMask;
};

}  // namespace tkdec
