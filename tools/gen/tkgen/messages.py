"""The message and event entries of the message type table.

Each entry links a message identifier (an enumerator of CKI_MsgId, or of
CKI_EventId for an event) to the structure of its class, as the firmware's
CKI_MESSAGE_ID() declarations do. Message entries come first in the table,
then events, in the order given.
"""

from .description import fields, section, suggestion
from .type_model import MessageEntry

TOP_LEVEL = {"messages", "events"}
SECTIONS = (("messages", "CKI_MsgId"), ("events", "CKI_EventId"))
HEADER = "CKI_Message"


def derives_from(kind, base_name):
    """Whether kind starts with base_name at offset 0, directly or
    through the first base part of its bases. A base reported wrong
    counts as a match, so that nothing more is reported about it (and a
    chain through a structure that contains itself ends there)."""
    while kind is not None:
        if kind.name == base_name or kind.broken:
            return True
        first = kind.fields[0] if kind.fields else None
        if first is None or first.name != "^" or first.offset != 0:
            return False
        kind = first.kind
    return False


def enumerator_values(enumeration):
    return {name: value for value, name in enumeration.enumerators} if enumeration else {}


def check_id(node, ids, used_ids, where):
    """The entry's id value, or None after reporting an error."""
    name = node.value
    value = enumerator_values(ids).get(name)
    if ids is not None and ids.broken:
        pass  # its mistakes are reported with the enumeration
    elif value is None:
        id_name = ids.name if ids is not None else "the identifier enumeration"
        node.error(f"\"{name}\" is no enumerator of {id_name}{suggestion(name, enumerator_values(ids))}")
    elif value == 0:
        node.error(f"\"{name}\" has the value 0, which the message type table keeps for type entries")
    elif value in used_ids:
        node.error(f"message id 0x{value:08X} is used twice (also by {used_ids[value]})")
    else:
        used_ids[value] = where
        return value
    return None


def check_class(node, tables, classes, where):
    """The entry's structure, or None after reporting an error."""
    structure = node.value
    kind = tables.types.get(structure)
    if kind is None:
        structures = [k.name for k in tables.types.values() if k.is_structure]
        node.error(f"unknown structure \"{structure}\"{suggestion(structure, structures)}")
    elif not kind.is_structure:
        node.error(f"\"{structure}\" is {kind.describe()}, not a structure")
    elif kind.broken:
        pass  # its mistakes are reported with the structure
    elif not derives_from(kind, HEADER):
        node.error(f"structure \"{structure}\" does not start with its {HEADER} header")
    elif structure in classes:
        node.error(f"structure \"{structure}\" is already the class of {classes[structure]}")
    else:
        classes[structure] = where
        return kind
    return None


def check_entry(node, ids, tables, classes, used_ids, where):
    members = fields(node, {"id": str, "structure": str})
    if members is None or len(members) < 2:
        return
    value = check_id(members["id"], ids, used_ids, where)
    kind = check_class(members["structure"], tables, classes, where)
    if value is not None and kind is not None:
        tables.messages.append(MessageEntry(members["id"].value, value, kind))


def check(desc, tables):
    """Adds the message and event entries of desc to tables."""
    classes, used_ids = {}, {}
    for key, id_type in SECTIONS:
        ids = tables.types.get(id_type)
        ids = ids if ids is not None and ids.is_enumeration else None
        for index, node in enumerate(section(desc, key)):
            check_entry(node, ids, tables, classes, used_ids, f"{key}[{index}]")
