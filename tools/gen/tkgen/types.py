"""Types, enumerations and the message type table of a build.

Writes types.cpp (type descriptors, field lists, enumerator tables, the
message type table) and type_tables.h, which declares every table by a
fixed name: enum_<identifier> for an enumeration's EnumerationInfo,
base_<identifier> for a base type's BaseTypeInfo and type_<identifier> for
a type descriptor (identifier: cpp.identifier of the type's name).

The description gives each type as its firmware sources read; this module
derives element sizes, counts, descriptor getters, array flags and the
shape of every type:

    base       a base type (no field list)
    opaque     a base type printed as an opaque 32-bit value
    enum, bitmask, bitoffset
               an enumeration and its printer ("=" field)
"""

from . import cpp, encode_entries
from .description import fields, is_type

FILES = ["types.cpp", "type_tables.h"]
TOP_LEVEL = {"base_types", "enumerations"}

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

# Types that the library's decoders use by name (message channels, token
# decoder): a build must define them with these shapes.
WELL_KNOWN = {
    "CKI_LogGroupId": "an enumeration",
    "CKI_TaskId": "an enumeration",
    "CKI_MsgId": "an enumeration",
    "CKI_EventId": "an enumeration",
}
ENUMERATION_SHAPES = ("enum", "bitmask", "bitoffset")
LOG_GROUP_TYPE = "CKI_LogGroupId"


class Type:
    """One type of the build."""

    def __init__(self, name, shape, size, node):
        self.name = name
        self.shape = shape
        self.size = size
        self.node = node
        self.ident = cpp.identifier(name)
        self.conversion = None   # base types: (BaseConversion, signed)
        self.enumerators = []    # enumerations: [(value, name)] sorted

    @property
    def is_enumeration(self):
        return self.shape in ENUMERATION_SHAPES


class Tables:
    """The checked types of a build, in the generator's order."""

    def __init__(self):
        self.types = {}  # name -> Type, in insertion order

    def add(self, kind, node):
        if kind.name in self.types:
            node.error(f"duplicate type name \"{kind.name}\"")
            return
        clash = next((t for t in self.types.values() if t.ident == kind.ident), None)
        if clash is not None:
            node.error(f"type \"{kind.name}\" has the same C++ identifier as \"{clash.name}\"")
            return
        self.types[kind.name] = kind


def parse_integer(node):
    """An integer given as a JSON number or as a C literal text ("0x2CC40007",
    "-1"); None after reporting an error."""
    value = node.value
    if is_type(value, int):
        return value
    if is_type(value, str):
        try:
            return int(value, 0)
        except ValueError:
            pass
    node.error(f"expected an integer or an integer text such as \"0x1F\", found {value!r}")
    return None


# --- base types -------------------------------------------------------------

def check_base_type(node, tables):
    members = fields(node, {"name": str, "size": int, "format": str}, {"signed": bool})
    if members is None or len(members) < 3:
        return
    name, size, conversion = (members[k].value for k in ("name", "size", "format"))
    signed = members["signed"].value if "signed" in members else False
    if conversion not in CONVERSIONS:
        members["format"].error(f"unknown format \"{conversion}\"; expected one of {', '.join(CONVERSIONS)}")
        return
    if conversion == "opaque":
        if size not in (0, 1, 2, 4):
            members["size"].error(f"an opaque type is read as at most 4 bytes, not {size}")
            return
    elif size not in (1, 2, 4, 8):
        members["size"].error(f"a base type has 1, 2, 4 or 8 bytes, not {size}")
        return
    elif (conversion == "%llu") != (size == 8):
        members["format"].error("\"%llu\" is the format of 8-byte types, and 8-byte types need it")
        return
    kind = Type(name, "opaque" if conversion == "opaque" else "base", size, node)
    kind.conversion = (CONVERSIONS[conversion], signed)
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


def check_enumeration(node, tables):
    members = fields(node, {"name": str, "size": int, "enumerators": dict}, {"kind": str})
    if members is None or len(members) < 3:
        return
    name, size = members["name"].value, members["size"].value
    shape = members["kind"].value if "kind" in members else "enum"
    if shape not in ENUMERATION_KINDS:
        members["kind"].error(f"unknown kind \"{shape}\"; expected one of {', '.join(ENUMERATION_KINDS)}")
        return
    if size not in ENUMERATION_SIZES:
        members["size"].error(f"an enumeration has 1, 2 or 4 bytes, not {size}")
        return
    listed = members["enumerators"]
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
    kind = Type(name, shape, size, node)
    kind.enumerators = sorted_enumerators(pairs)
    tables.add(kind, node)


def check_log_groups(tables, channels, desc):
    """CKI_LogGroupId names the log group g of every log-group channel
    16 + 32 * g, as the channel's label does ("PTP:LOG_GROUP_X" -> LOG_GROUP_X)."""
    kind = tables.types.get(LOG_GROUP_TYPE)
    if kind is None or not kind.is_enumeration or channels is None:
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

SECTIONS = [
    ("base_types", check_base_type),
    ("enumerations", check_enumeration),
]


def check(desc, errors, channels):
    """Returns the checked Tables, or None after reporting errors."""
    before = len(errors.messages)
    tables = Tables()
    for key, check_one in SECTIONS:
        section = desc.get(key)
        if section is None:
            continue
        if not is_type(section.value, list):
            section.error("expected an array")
            continue
        for item in section.items():
            check_one(item, tables)
    for name, what in WELL_KNOWN.items():
        kind = tables.types.get(name)
        if kind is None:
            errors.add(desc.file, "enumerations",
                       f"the build must define \"{name}\" as {what}: the library's decoders print it by name")
        elif not kind.is_enumeration:
            kind.node.error(f"\"{name}\" must be {what}: the library's decoders print it by name")
    check_log_groups(tables, channels, desc)
    return tables if len(errors.messages) == before else None


# --- emitting ---------------------------------------------------------------

def print_entry(kind):
    if kind.shape == "base":
        return f"&printBaseType<base_{kind.ident}>"
    if kind.shape == "opaque":
        return f"&printOpaque<base_{kind.ident}>"
    return f"&{ENUMERATION_KINDS[kind.shape]}<enum_{kind.ident}>"


def emit_base(kind):
    conversion, signed = kind.conversion
    conversion = conversion or "BaseConversion::Unsigned"
    return (f"constinit const BaseTypeInfo base_{kind.ident} = "
            f"{{{cpp.string_literal(kind.name)}, {kind.size}, {conversion}, {'true' if signed else 'false'}}};\n"
            f"constinit const TypeDescriptor type_{kind.ident} = {{{cpp.string_literal(kind.name)}, {kind.size}, nullptr}};\n")


def field_row(entry, encode, type_name, field_name, offset, size, count, getter, is_array):
    return (f"    {{{entry}, {encode}, {cpp.string_literal(type_name)}, {cpp.string_literal(field_name)}, "
            f"{offset}, {size}, {count}, {getter}, nullptr, {'true' if is_array else 'false'}}},\n")


def emit_enumeration(kind):
    name = cpp.string_literal(kind.name)
    rows = "".join(f"    {{0x{value:08X}u, {cpp.string_literal(enumerator)}}},\n"
                   for value, enumerator in kind.enumerators)
    encode = encode_entries.encode_entry(kind.shape, kind.ident, kind.size)
    return (f"constexpr Enumerator enumerators_{kind.ident}[] = {{\n{rows}    {{0, nullptr}},\n}};\n"
            f"constexpr FieldDescriptor fields_{kind.ident}[] = {{\n"
            + field_row(print_entry(kind), encode, kind.name, "=", 0, kind.size, 1, "nullptr", False)
            + "    {},\n};\n"
            f"constinit const EnumerationInfo enum_{kind.ident} = "
            f"{{{kind.size}, {name}, enumerators_{kind.ident}, {len(kind.enumerators)}}};\n"
            f"constinit const TypeDescriptor type_{kind.ident} = {{{name}, {kind.size}, fields_{kind.ident}}};\n")


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
    header = f"""{cpp.header(source)}
// The type tables of the build, by fixed names.
#pragma once

#include "render/type_descriptor.h"
#include "render/value_printers.h"

namespace tkdec::build {{

{declarations(tables)}

}}  // namespace tkdec::build
"""
    definitions = []
    for kind in tables.types.values():
        if kind.shape in ("base", "opaque"):
            definitions.append(emit_base(kind))
        elif kind.is_enumeration:
            definitions.append(emit_enumeration(kind))
    body = f"""{cpp.header(source)}
#include "type_tables.h"

#include "render/print_entries.h"

namespace tkdec::build {{

{chr(10).join(definitions)}
}}  // namespace tkdec::build
"""
    return {"types.cpp": body, "type_tables.h": header}
