"""Writes the checked types (type_model.py) as types.cpp (type
descriptors, field lists, enumerator tables, the message type table and the
message class lookup) and type_tables.h, which declares every table by a
fixed name: enum_<identifier> for an enumeration's EnumerationInfo,
base_<identifier> for a base type's BaseTypeInfo and type_<identifier> for a
type descriptor (identifier: cpp.identifier of the type's name)."""

from . import cpp, perfect_hash
from .type_model import Shape

FILES = ["types.cpp", "type_tables.h"]
PRINT_ENTRIES = {
    Shape.BASE: "&printBaseType<base_{ident}>",
    Shape.OPAQUE: "&printOpaque<base_{ident}>",
    Shape.ENUM: "&printEnumeration<enum_{ident}>",
    Shape.BITMASK: "&printBitmask<enum_{ident}>",
    Shape.BITOFFSET: "&printBitOffset<enum_{ident}>",
    Shape.STRUCT: "&printStructure<type_{ident}>",
    Shape.ARRAY: "&printStructure<type_{ident}>",
    Shape.ALIAS: "&printAlias<type_{ident}>",
}

# The encoder's parsers, bound to the type's constants through the
# templates of src/encoder/encode_entries.h.
ENCODE_ENTRIES = {
    Shape.BASE: "&encodeInteger<{size}>",
    Shape.OPAQUE: "&encodeRefused",
    Shape.ENUM: "&encodeEnumeration<enum_{ident}>",
    Shape.BITMASK: "&encodeBitmask<enum_{ident}>",
    Shape.BITOFFSET: "&encodeBitOffset<enum_{ident}>",
    Shape.STRUCT: "&encodeStructure<type_{ident}>",
    Shape.ARRAY: "&encodeStructure<type_{ident}>",
    Shape.ALIAS: "&encodeAlias<type_{ident}>",
}


def print_entry(kind):
    return PRINT_ENTRIES[kind.shape].format(ident=kind.ident)


def descriptor_getter(kind):
    return f"&descriptorOf<type_{kind.ident}>" if kind.shape.is_structured else "nullptr"


def encode_entry(kind):
    return ENCODE_ENTRIES[kind.shape].format(ident=kind.ident, size=kind.size)


def field_row(field):
    kind = field.kind
    return "    " + cpp.designated(
        print=print_entry(kind), encode=encode_entry(kind), typeName=cpp.string_literal(kind.name),
        fieldName=cpp.string_literal(field.name), offset=field.offset, elementSize=field.size,
        elementCount=field.count, descriptor=descriptor_getter(kind), count="nullptr",
        isArray=cpp.boolean(field.is_array)) + ",\n"


def emit_descriptor(kind):
    fields_name = f"fields_{kind.ident}" if kind.fields else "nullptr"
    descriptor = cpp.designated(name=cpp.string_literal(kind.name), size=kind.size, fields=fields_name)
    text = f"constinit const TypeDescriptor type_{kind.ident} = {descriptor};\n"
    if not kind.fields:
        return text
    rows = "".join(field_row(field) for field in kind.fields)
    return f"constexpr FieldDescriptor {fields_name}[] = {{\n{rows}    {{}},\n}};\n" + text


def emit_base(kind):
    info = cpp.designated(name=cpp.string_literal(kind.name), size=kind.size,
                          conversion=kind.conversion or "BaseConversion::Unsigned", isSigned=cpp.boolean(kind.signed))
    return f"constinit const BaseTypeInfo base_{kind.ident} = {info};\n"


def enumerator_row(value, name):
    return "    " + cpp.designated(value=cpp.hex32(value), name=name) + ",\n"


def emit_enumeration(kind):
    table = f"enumerators_{(kind.shared or kind).ident}"
    text = ""
    if kind.shared is None:
        rows = "".join(enumerator_row(value, cpp.string_literal(name)) for value, name in kind.enumerators)
        text = f"constexpr Enumerator {table}[] = {{\n{rows}{enumerator_row(0, 'nullptr')}}};\n"
    info = cpp.designated(size=kind.size, name=cpp.string_literal(kind.name), table=table,
                          count=len(kind.enumerators))
    return text + f"constinit const EnumerationInfo enum_{kind.ident} = {info};\n"


def emit_type(kind):
    text = ""
    if kind.shape.is_base:
        text += emit_base(kind)
    if kind.is_enumeration:
        text += emit_enumeration(kind)
    return text + emit_descriptor(kind)


def message_type_row(printer, name, kind, value):
    return cpp.designated(print=printer, name=name, type=kind, id=cpp.hex32(value) if value else 0)


def name_index(entries):
    """(names, index) of the entries' names: per distinct name, in the
    order of its first entry, (its first entry, its first type entry (id 0)
    or the table's end, its length in bytes), and the perfect hash of their
    keys, (key_seed, seed, displacements, slots)."""
    first, first_type = {}, {}
    for position, (name, value, _) in enumerate(entries):
        data = name.encode("utf-8")
        first.setdefault(data, position)
        if not value:
            first_type.setdefault(data, position)
    names = [(position, first_type.get(data, len(entries)), len(data)) for data, position in first.items()]
    return names, perfect_hash.build_names(list(first))


def numbers(values):
    """Numbers for an array's initialiser, 16 a line."""
    return "".join(f"    {', '.join(str(v) for v in values[k:k + 16])},\n" for k in range(0, len(values), 16))


def table_entries(tables):
    """(name, id or 0, type) of every entry, in table order."""
    return [(name, value, kind) for name, value, kind in tables.messages] + \
        [(kind.name, 0, kind) for kind in tables.types.values()]


def name_layout(entries, names, index):
    """One header line: how the names are found."""
    key_seed, seed, displacements, slots = index
    return (f"// Name lookup: {len(names)} distinct names of {len(entries)} entries by the perfect hash of\n"
            f"// their keys (key seed {key_seed}, seed {seed}, {len(displacements)} buckets, {len(slots)} slots).\n")


def emit_names(names, index):
    _, _, displacements, slots = index
    rows = "".join(f"    {{{a}, {b}, {n}}},\n" for a, b, n in names)
    return f"""// The distinct names of the entries, by position in the name index.
constinit const TypeName messageTypeNames[] = {{
{rows}}};
constinit const uint16_t messageTypeNameDisplacements[] = {{
{numbers(displacements)}}};
constinit const uint16_t messageTypeNameSlots[] = {{
{numbers(slots)}}};
"""


def declare_name_index(index):
    """The index's declaration, its constants visible to the lookup."""
    key_seed, seed, displacements, slots = index
    index = cpp.designated_block(names="messageTypeNames", keySeed=key_seed, seed=seed,
                                 displacements="messageTypeNameDisplacements", bucketMask=len(displacements) - 1,
                                 slots="messageTypeNameSlots", slotMask=len(slots) - 1)
    return f"""extern const TypeName messageTypeNames[];
extern const uint16_t messageTypeNameDisplacements[];
extern const uint16_t messageTypeNameSlots[];
inline constexpr TypeNameIndex messageTypeNameIndex = {index};"""


def emit_message_table(tables, entries, names):
    rows = [f"    {message_type_row(print_entry(kind), cpp.string_literal(name), f'&type_{kind.ident}', value)},"
            for name, value, kind in entries]
    cases = "\n".join(f"    case 0x{value:08X}u: return &messageTypeTable[{index}];"
                       for index, (_, value, _) in enumerate(tables.messages))
    rows = "\n".join(rows)
    return f"""// Message and event entries first, then one type entry per type.
constinit const MessageTypeEntry messageTypeTable[] = {{
{rows}
    {message_type_row("nullptr", "nullptr", "nullptr", 0)},
}};
const uint32_t messageEntryCount = {len(tables.messages)};

{emit_names(*names)}const MessageTypeEntry *findMessageClass(uint32_t id) {{
    switch (id) {{
{cases}
    default: return nullptr;
    }}
}}
"""


def declarations(tables):
    lines = []
    for kind in tables.types.values():
        if kind.shape.is_base:
            lines.append(f"extern const BaseTypeInfo base_{kind.ident};")
        if kind.is_enumeration:
            lines.append(f"extern const EnumerationInfo enum_{kind.ident};")
        lines.append(f"extern const TypeDescriptor type_{kind.ident};")
    return "\n".join(lines)


def emit(tables, source):
    entries = table_entries(tables)
    names = name_index(entries)
    header = f"""{cpp.preamble(source, header=True)}
// The type tables of the build, by fixed names.
#include <cstdint>

#include "render/type_descriptor.h"
#include "render/value_printers.h"

namespace tkdec::build {{

{declarations(tables)}

// Message and event entries (id != 0), then one type entry per type; a
// null print entry ends the table.
extern const MessageTypeEntry messageTypeTable[];
extern const uint32_t messageEntryCount;      // the message and event entries
// The entries' names by the perfect hash of their keys.
{declare_name_index(names[1])}
// The message or event entry of an id, or null.
const MessageTypeEntry *findMessageClass(uint32_t id);

}}  // namespace tkdec::build
"""
    definitions = "\n".join(emit_type(kind) for kind in tables.types.values())
    body = f"""{cpp.preamble(source)}
{name_layout(entries, *names)}#include "type_tables.h"

#include "encoder/encode_entries.h"
#include "render/print_entries.h"

namespace tkdec::build {{
namespace {{

template <const TypeDescriptor &D>
const TypeDescriptor *descriptorOf() {{
    return &D;
}}

}}  // namespace

{definitions}
{emit_message_table(tables, entries, names)}
}}  // namespace tkdec::build
"""
    return {"types.cpp": body, "type_tables.h": header}
