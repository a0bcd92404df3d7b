"""Checks the types, enumerations and the message type table of a build
and builds their model (type_model.py); type_emitter.py writes it as C++.

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

from . import messages, perfect_hash, structures
from .description import fields, is_type, quoted, section
from .structures import IDENTIFIER, check_type_name
from .type_model import Field, Shape, Tables, Type

TOP_LEVEL = {"base_types", "enumerations"} | structures.TOP_LEVEL | messages.TOP_LEVEL

# Base-type value conversions: description text -> BaseConversion.
CONVERSIONS = {
    "%u": "BaseConversion::Unsigned",
    "%d": "BaseConversion::Decimal",
    "%hhu": "BaseConversion::UnsignedChar",
    "%llu": "BaseConversion::Unsigned64",
    "opaque": None,
}
ENUMERATION_KINDS = {"enum": Shape.ENUM, "bitmask": Shape.BITMASK, "bitoffset": Shape.BITOFFSET}
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
MAX_TABLE_ENTRIES = perfect_hash.MAX_IDS  # the name index holds 16-bit positions


def parse_integer(node):
    """An integer given as a JSON number or as a C literal text ("0x2CC40007",
    "-1"); None after reporting an error. A text is at most 80 characters
    long, so that any value it gives can be shown in a report."""
    value = node.value
    if is_type(value, int):
        return value
    if is_type(value, str) and len(value) <= 80:
        try:
            return int(value, 0)
        except ValueError:
            pass
    node.error(f"expected an integer or an integer text such as \"0x1F\", found {value!r}")
    return None


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
    if members is None or len(members) < 3 or not check_type_name(members["name"]):
        tables.add_broken(node, Shape.BASE)
        return
    name, size, conversion = (members[k].value for k in ("name", "size", "format"))
    signed = members["signed"].value if "signed" in members else False
    kind = Type(name, Shape.OPAQUE if conversion == "opaque" else Shape.BASE, size, node,
                conversion=CONVERSIONS.get(conversion), signed=signed)
    problem = base_type_problem(members, size, conversion)
    if problem is not None:
        problem[0].error(problem[1])
        kind.broken = True  # still known by name, so that its uses report nothing more
    tables.add(kind, node)


# --- enumerations -----------------------------------------------------------

def enumerator_fits(value, shape, size):
    if shape is Shape.BITOFFSET:
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
        if not IDENTIFIER.match(enumerator):
            value_node.error(f"enumerator name {quoted(enumerator)} is not an identifier")
            continue
        value = parse_integer(value_node)
        if value is None:
            continue
        if not enumerator_fits(value, shape, size):
            what = "bit number" if shape is Shape.BITOFFSET else f"{size}-byte value"
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
    if members is None or len(members) < 3 or not check_type_name(members["name"]):
        tables.add_broken(node, Shape.ENUM)
        return
    name, size = members["name"].value, members["size"].value
    given = members["kind"].value if "kind" in members else "enum"
    shape = ENUMERATION_KINDS.get(given)
    kind = Type(name, shape or Shape.ENUM, size, node)
    kind.fields = [Field("=", kind, 0, size)]
    tables.add(kind, node)
    if shape is None:
        members["kind"].error(f"unknown kind {quoted(given)}; expected one of {', '.join(ENUMERATION_KINDS)}")
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
    groups = {channel.log_group: channel for channel in channels if channel.log_group is not None}
    node = kind.node.member("enumerators")
    for group, channel in sorted(groups.items()):
        expected = channel.label.split(":", 1)[-1]
        if expected not in by_value.get(group, []):
            node.error(f"log group {group} (channel {channel.id}, {quoted(channel.label)}) "
                       f"needs the enumerator {expected} = {group}")
    for value, names in sorted(by_value.items()):
        if value not in groups:
            node.error(f"enumerator {names[0]} = {value} names no log-group channel ({16 + 32 * value})")


# --- the whole description --------------------------------------------------

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
    for node in section(desc, "base_types"):
        check_base_type(node, tables)
    for node in section(desc, "enumerations"):
        check_enumeration(node, tables)
    structures.check(desc, tables)
    check_well_known(desc, errors, tables)
    check_log_groups(tables, channels, desc)
    messages.check(desc, tables)
    if len(tables.types) + len(tables.messages) > MAX_TABLE_ENTRIES:
        desc.at("structures").error(f"{len(tables.types)} types and {len(tables.messages)} messages are "
                                    f"more than the {MAX_TABLE_ENTRIES} entries of a message type table")
    return tables if len(errors.messages) == before else None
