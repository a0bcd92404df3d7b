"""Types, enumerations and the message type table of a build.

Writes types.cpp (type descriptors, field lists, enumerator tables, the
message type table and the message class lookup) and type_tables.h, which
declares every table by a fixed name: enum_<identifier> for an
enumeration's EnumerationInfo, base_<identifier> for a base type's
BaseTypeInfo and type_<identifier> for a type descriptor (identifier:
cpp.identifier of the type's name).

The description gives each type as the firmware's sources read; the
generator derives element sizes, counts, descriptor getters, array flags
and the shape of every type:

    base, opaque      a base type (no field list)
    enum, bitmask, bitoffset
                      an enumeration: one "=" field, an enumerator table
    struct            a structure, with or without base parts ("^")
    array             "T[N]": one "^" field with the array flag
    alias             one "=" field printed whole within the alias's size
"""

from . import cpp, encode_entries, messages, structures
from .description import fields, is_type
from .type_model import Field, Tables, Type, parse_integer

FILES = ["types.cpp", "type_tables.h"]
TOP_LEVEL = {"base_types", "enumerations"} | structures.TOP_LEVEL | messages.TOP_LEVEL

# Base-type value conversions: description text -> BaseConversion.
CONVERSIONS = {
    "%u": "BaseConversion::Unsigned",
    "%d": "BaseConversion::Decimal",
    "%hhu": "BaseConversion::UnsignedChar",
    "%llu": "BaseConversion::Unsigned64",
    "opaque": None,
}
ENUMERATION_KINDS = {"enum": "printEnumeration", "bitmask": "printBitmask", "bitoffset": "printBitOffset"}
ENUMERATION_SIZES = (1, 2, 4)

# Types that the library's decoders use by name (message channels, message
# decoder, token decoder): a build must define them with these shapes.
WELL_KNOWN = {
    "CKI_LogGroupId": "enumeration",
    "CKI_TaskId": "enumeration",
    "CKI_MsgId": "enumeration",
    "CKI_EventId": "enumeration",
    "CKI_Message": "structure",
    "CKI_Timer": "structure",
}
LOG_GROUP_TYPE = "CKI_LogGroupId"
MAX_TABLE_ENTRIES = 0xFFFF  # the name order holds 16-bit positions


# --- base types -------------------------------------------------------------

def base_type_problem(members, size, conversion):
    """The node and reason of a mistake in a base type, or None."""
    if conversion not in CONVERSIONS:
        return members["format"], f"unknown format \"{conversion}\"; expected one of {', '.join(CONVERSIONS)}"
    if conversion == "opaque":
        if size not in (0, 1, 2, 4):
            return members["size"], f"an opaque type is read as at most 4 bytes, not {size}"
    elif size not in (1, 2, 4, 8):
        return members["size"], f"a base type has 1, 2, 4 or 8 bytes, not {size}"
    elif (conversion == "%llu") != (size == 8):
        return members["format"], "\"%llu\" is the format of 8-byte types, and 8-byte types need it"
    return None


def check_base_type(node, tables):
    members = fields(node, {"name": str, "size": int, "format": str}, {"signed": bool})
    if members is None or len(members) < 3:
        tables.add_broken(node, "base")
        return
    name, size, conversion = (members[k].value for k in ("name", "size", "format"))
    signed = members["signed"].value if "signed" in members else False
    kind = Type(name, "opaque" if conversion == "opaque" else "base", size, node)
    kind.conversion = (CONVERSIONS.get(conversion), signed)
    problem = base_type_problem(members, size, conversion)
    if problem is not None:
        problem[0].error(problem[1])
        kind.broken = True  # still known by name, so that its uses report nothing more
    tables.add(kind, node)


# --- enumerations -----------------------------------------------------------

def enumerator_fits(value, shape, size):
    if shape == "bitoffset":
        return 0 <= value <= 0xFFFFFFFF
    return -(1 << (8 * size - 1)) <= value < (1 << (8 * size))


def sorted_enumerators(pairs):
    """Ascending unsigned 32-bit order; aliases keep their source order
    (sorted() is stable) and negative values, stored as two's complement,
    sort last."""
    return sorted(((value & 0xFFFFFFFF, name) for value, name in pairs), key=lambda pair: pair[0])


def listed_enumerators(listed, shape, size):
    """The (value, name) pairs of an "enumerators" object that fit."""
    pairs = []
    for enumerator in listed.value:
        value_node = listed.member(enumerator)
        value = parse_integer(value_node)
        if value is None:
            continue
        if not enumerator_fits(value, shape, size):
            what = "bit number" if shape == "bitoffset" else f"{size}-byte value"
            value_node.error(f"enumerator {enumerator} = {value} does not fit a {what}")
            continue
        pairs.append((value, enumerator))
    return pairs


def shared_enumerators(listed, shape, size, tables):
    """The pairs of the earlier enumeration that listed names, which
    this one shares (its table is emitted once)."""
    other = tables.types.get(listed.value)
    if other is None or not other.is_enumeration:
        listed.error(f"\"{listed.value}\" is no earlier enumeration whose enumerators this one could share")
        return None, None
    for value, name in other.enumerators:
        if not enumerator_fits(value, shape, size):
            listed.error(f"enumerator {name} = {value} of \"{other.name}\" does not fit this enumeration")
            return None, None
    return other.enumerators, other.shared or other


def check_enumeration(node, tables):
    members = fields(node, {"name": str, "size": int, "enumerators": (dict, str)}, {"kind": str})
    if members is None or len(members) < 3:
        tables.add_broken(node, "enum")
        return
    name, size = members["name"].value, members["size"].value
    shape = members["kind"].value if "kind" in members else "enum"
    kind = Type(name, shape if shape in ENUMERATION_KINDS else "enum", size, node)
    kind.fields = [Field("=", kind, 0, size)]
    tables.add(kind, node)
    if shape not in ENUMERATION_KINDS:
        members["kind"].error(f"unknown kind \"{shape}\"; expected one of {', '.join(ENUMERATION_KINDS)}")
        kind.broken = True
        return
    if size not in ENUMERATION_SIZES:
        members["size"].error(f"an enumeration has 1, 2 or 4 bytes, not {size}")
        kind.broken = True
        return
    listed = members["enumerators"]
    if is_type(listed.value, str):
        enumerators, kind.shared = shared_enumerators(listed, shape, size, tables)
        kind.enumerators = enumerators or []
    else:
        kind.enumerators = sorted_enumerators(listed_enumerators(listed, shape, size))


def check_log_groups(tables, channels, desc):
    """CKI_LogGroupId names the log group g of every log-group channel
    16 + 32 * g, as the channel's label does ("PTP:LOG_GROUP_X" -> LOG_GROUP_X)."""
    kind = tables.types.get(LOG_GROUP_TYPE)
    if kind is None or not kind.is_enumeration or kind.broken or channels is None:
        return
    by_value = {}
    for value, name in kind.enumerators:
        by_value.setdefault(value, []).append(name)
    groups = {(c["id"] - 16) // 32: c for c in channels if c["decoder"] == "log_group"}
    node = kind.node.member("enumerators")
    for group, channel in sorted(groups.items()):
        expected = channel["label"].split(":", 1)[-1]
        if expected not in by_value.get(group, []):
            node.error(f"log group {group} (channel {channel['id']}, \"{channel['label']}\") "
                       f"needs the enumerator {expected} = {group}")
    for value, names in sorted(by_value.items()):
        if value not in groups:
            node.error(f"enumerator {names[0]} = {value} names no log-group channel ({16 + 32 * value})")


# --- the whole description --------------------------------------------------

def check_section(desc, key, check_one, tables):
    section = desc.get(key)
    if section is None:
        return
    if not is_type(section.value, list):
        section.error("expected an array")
        return
    for item in section.items():
        check_one(item, tables)


def check_well_known(desc, errors, tables):
    for name, shape in WELL_KNOWN.items():
        kind = tables.types.get(name)
        reason = f"the build must define \"{name}\" as {'an' if shape[0] == 'e' else 'a'} {shape}: " \
                 "the library's decoders print it by name"
        if kind is None:
            section = "enumerations" if shape == "enumeration" else "structures"
            desc.at(section).error(reason)
        elif (shape == "enumeration") != kind.is_enumeration or (shape == "structure") != kind.is_structure:
            kind.node.error(reason)


def check(desc, errors, channels):
    """Returns the checked Tables, or None after reporting errors."""
    before = len(errors.messages)
    tables = Tables()
    check_section(desc, "base_types", check_base_type, tables)
    check_section(desc, "enumerations", check_enumeration, tables)
    structures.check(desc, tables)
    check_well_known(desc, errors, tables)
    check_log_groups(tables, channels, desc)
    messages.check(desc, tables)
    if len(tables.types) + len(tables.messages) > MAX_TABLE_ENTRIES:
        desc.at("structures").error(f"{len(tables.types)} types and {len(tables.messages)} messages are "
                                    f"more than the {MAX_TABLE_ENTRIES} entries of a message type table")
    return tables if len(errors.messages) == before else None


# --- emitting ---------------------------------------------------------------

def print_entry(kind):
    if kind.shape == "base":
        return f"&printBaseType<base_{kind.ident}>"
    if kind.shape == "opaque":
        return f"&printOpaque<base_{kind.ident}>"
    if kind.is_enumeration:
        return f"&{ENUMERATION_KINDS[kind.shape]}<enum_{kind.ident}>"
    if kind.shape == "alias":
        return f"&printAlias<type_{kind.ident}>"
    return f"&printStructure<type_{kind.ident}>"


def descriptor_getter(kind):
    return f"&descriptorOf<type_{kind.ident}>" if kind.has_descriptor_getter else "nullptr"


def encode_entry(kind):
    return encode_entries.encode_entry(kind.shape, kind.ident, kind.size)


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
    conversion, signed = kind.conversion
    info = cpp.designated(name=cpp.string_literal(kind.name), size=kind.size,
                          conversion=conversion or "BaseConversion::Unsigned", isSigned=cpp.boolean(signed))
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
    if kind.shape in ("base", "opaque"):
        text += emit_base(kind)
    if kind.is_enumeration:
        text += emit_enumeration(kind)
    return text + emit_descriptor(kind)


def message_type_row(printer, name, kind, value):
    return cpp.designated(print=printer, name=name, type=kind, id=cpp.hex32(value) if value else 0)


def emit_message_table(tables):
    entries = [(name, value, kind) for name, value, kind in tables.messages]
    entries += [(kind.name, 0, kind) for kind in tables.types.values()]
    rows = [f"    {message_type_row(print_entry(kind), cpp.string_literal(name), f'&type_{kind.ident}', value)},"
            for name, value, kind in entries]
    cases = "\n".join(f"    case 0x{value:08X}u: return &messageTypeTable[{index}];"
                       for index, (_, value, _) in enumerate(tables.messages))
    names = [name for name, _, _ in tables.messages] + [kind.name for kind in tables.types.values()]
    # strcmp order is the order of the UTF-8 bytes; equal names keep their table order.
    order = sorted(range(len(names)), key=lambda i: (names[i].encode("utf-8"), i))
    order_rows = "".join(f"    {', '.join(str(i) for i in order[k:k + 16])},\n" for k in range(0, len(order), 16))
    rows = "\n".join(rows)
    return f"""// Message and event entries first, then one type entry per type.
constinit const MessageTypeEntry messageTypeTable[] = {{
{rows}
    {message_type_row("nullptr", "nullptr", "nullptr", 0)},
}};
const uint32_t messageEntryCount = {len(tables.messages)};
const uint32_t messageTypeEntryCount = {len(names)};

// The entries' positions in the order of their names.
constinit const uint16_t messageTypeNameOrder[] = {{
{order_rows}}};

const MessageTypeEntry *findMessageClass(uint32_t id) {{
    switch (id) {{
{cases}
    default: return nullptr;
    }}
}}
"""


def declarations(tables):
    lines = []
    for kind in tables.types.values():
        if kind.shape in ("base", "opaque"):
            lines.append(f"extern const BaseTypeInfo base_{kind.ident};")
        if kind.is_enumeration:
            lines.append(f"extern const EnumerationInfo enum_{kind.ident};")
        lines.append(f"extern const TypeDescriptor type_{kind.ident};")
    return "\n".join(lines)


def emit(tables, source):
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
extern const uint32_t messageTypeEntryCount;  // all entries, without the end
// The positions of the entries sorted by name (strcmp), equal names in
// table order: an entry is found by its name by halving.
extern const uint16_t messageTypeNameOrder[];
// The message or event entry of an id, or null.
const MessageTypeEntry *findMessageClass(uint32_t id);

}}  // namespace tkdec::build
"""
    definitions = "\n".join(emit_type(kind) for kind in tables.types.values())
    body = f"""{cpp.preamble(source)}
#include "type_tables.h"

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
{emit_message_table(tables)}
}}  // namespace tkdec::build
"""
    return {"types.cpp": body, "type_tables.h": header}
