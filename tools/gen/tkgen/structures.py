"""Structures, array types and aliases of a build.

A structure is given as its sources read: a size and members with a name,
a type and an offset; base-class parts are members named "^" and come
first. Array types are named by element type and count ("uint8_t[24]");
a member may use one without declaring it. An alias is a type whose one
field, a value of another type, is printed whole within the alias's size
(a bitmap confined to its bytes).
"""

import re

from .description import fields, is_type, suggestion
from .type_model import U32_MAX, Field, Type

TOP_LEVEL = {"structures", "arrays", "aliases"}
ARRAY_NAME = re.compile(r"^(.+)\[([0-9]+)\]$")
MEMBER_NAME = re.compile(r"^[A-Za-z_][A-Za-z0-9_]*$")
BASE_PART = "^"


def check_size(node):
    size = node.value
    if not 0 <= size <= U32_MAX:
        node.error(f"size {size} is out of range")
        return None
    return size


def declare(node, tables, shape, required):
    """Registers a structure or alias by name and size; returns (Type,
    members) or None."""
    members = fields(node, required)
    size = check_size(members["size"]) if members is not None and len(members) == len(required) else None
    if size is None:
        tables.add_broken(node, shape)
        return None
    kind = Type(members["name"].value, shape, size, node)
    return (kind, members) if tables.add(kind, node) else None


def resolve(name, tables, node):
    """The type of a name, creating the array type "T[N]" on first use;
    None when unknown."""
    kind = tables.types.get(name)
    if kind is not None:
        return kind
    match = ARRAY_NAME.match(name)
    if match is None:
        return None
    element = resolve(match.group(1), tables, node)
    count = int(match.group(2))
    if element is None or count == 0 or element.size * count > U32_MAX:
        return None
    array = Type(name, "array", element.size * count, node)
    array.fields = [Field(BASE_PART, element, 0, element.size, count, is_array=True)]
    return array if tables.add(array, node) else None


def unknown_type(node, name, tables):
    match = ARRAY_NAME.match(name)
    if match is not None and int(match.group(2)) == 0:
        node.error(f"array type \"{name}\" has no elements")
    elif match is not None and match.group(1) not in tables.types:
        node.error(f"unknown type \"{match.group(1)}\"{suggestion(match.group(1), tables.types)}")
    else:
        node.error(f"unknown type \"{name}\"{suggestion(name, tables.types)}")


# --- members ------------------------------------------------------------------

def check_member(node, tables, seen_names, seen_named):
    """One member as a Field, or None after reporting errors. seen_names:
    the names of the members before it; seen_named: whether one of them
    is a named member."""
    members = fields(node, {"name": str, "type": str, "offset": int})
    if members is None or len(members) < 3:
        return None
    name, type_name, offset = (members[k].value for k in ("name", "type", "offset"))
    if name == BASE_PART:
        if seen_named:
            members["name"].error("a base part \"^\" must come before the named members")
            return None
    elif not MEMBER_NAME.match(name):
        members["name"].error(f"member name \"{name}\" is not an identifier")
        return None
    elif name in seen_names:
        members["name"].error(f"duplicate member name \"{name}\"")
        return None
    if not 0 <= offset <= U32_MAX:
        members["offset"].error(f"offset {offset} is out of range")
        return None
    kind = resolve(type_name, tables, members["type"])
    if kind is None:
        unknown_type(members["type"], type_name, tables)
        return None
    if name == BASE_PART and not kind.is_structure:
        members["type"].error(f"a base part must be a structure; \"{type_name}\" is {kind.describe()}")
        return None
    return Field(name, kind, offset, kind.size)


def describe_member(field):
    return f"{field.name} (offset {field.offset}, {field.size} bytes)"


def check_layout(kind, fields_, nodes):
    """Members must not overlap and must lie within the structure's size."""
    placed = sorted((f for f in zip(fields_, nodes) if f[0].size > 0), key=lambda f: f[0].offset)
    widest = None
    for field, node in placed:
        if widest is not None and field.offset < widest.end:
            node.error(f"member {describe_member(field)} overlaps {describe_member(widest)}")
        if widest is None or field.end > widest.end:
            widest = field
    for field, node in zip(fields_, nodes):
        if field.end > kind.size:
            node.error(f"structure size {kind.size} is smaller than its members: "
                       f"{describe_member(field)} ends at {field.end}")


def check_members(kind, members_node, tables):
    if not is_type(members_node.value, list):
        members_node.error("expected an array of members")
        return
    seen_names = set()
    checked, nodes = [], []
    for node in members_node.items():
        field = check_member(node, tables, seen_names, bool(seen_names))
        if field is not None:
            checked.append(field)
            nodes.append(node)
        else:
            kind.broken = True
        name = node.value.get("name") if isinstance(node.value, dict) else None
        if is_type(name, str) and name != BASE_PART:
            seen_names.add(name)
    check_layout(kind, checked, nodes)
    kind.fields = checked


# --- aliases and arrays -------------------------------------------------------

def check_alias(kind, members, tables):
    type_name = members["type"].value
    target = resolve(type_name, tables, members["type"])
    if target is None:
        unknown_type(members["type"], type_name, tables)
        kind.broken = True
        return
    if target.size > kind.size:
        members["size"].error(f"alias size {kind.size} is smaller than its type \"{type_name}\" ({target.size} bytes)")
        kind.broken = True
        return
    kind.fields = [Field("=", target, 0, kind.size)]


def check_arrays(node, tables):
    if not is_type(node.value, list):
        node.error("expected an array of array type names such as \"uint8_t[24]\"")
        return
    for item in node.items():
        name = item.value
        if not is_type(name, str) or ARRAY_NAME.match(name) is None:
            item.error(f"expected an array type name such as \"uint8_t[24]\", found {name!r}")
        elif name in tables.types:
            item.error(f"duplicate type name \"{name}\"")
        elif resolve(name, tables, item) is None:
            unknown_type(item, name, tables)


# --- containment --------------------------------------------------------------

def contained_types(kind):
    return [field.kind for field in kind.fields if field.kind.shape in ("struct", "array", "alias")]


def check_cycles(tables):
    """A structure that contains itself would be printed without end."""
    reported = set()
    for kind in tables.types.values():
        if kind.shape not in ("struct", "alias") or kind.name in reported:
            continue
        stack, seen = [(child, [kind.name]) for child in contained_types(kind)], set()
        while stack:
            child, path = stack.pop()
            if child is kind:
                kind.node.error(f"type \"{kind.name}\" contains itself ({' -> '.join(path + [kind.name])})")
                reported.add(kind.name)
                break
            if child.name in seen:
                continue
            seen.add(child.name)
            stack.extend((grandchild, path + [child.name]) for grandchild in contained_types(child))


def check(desc, tables):
    """Adds the structures, aliases and array types of desc to tables."""
    declared = []
    for key, shape, required in (("structures", "struct", {"name": str, "size": int, "members": list}),
                                 ("aliases", "alias", {"name": str, "type": str, "size": int})):
        section = desc.get(key)
        if section is None:
            continue
        if not is_type(section.value, list):
            section.error("expected an array")
            continue
        for node in section.items():
            result = declare(node, tables, shape, required)
            if result is not None:
                declared.append(result)
    if desc.get("arrays") is not None:
        check_arrays(desc["arrays"], tables)
    for kind, members in declared:
        if kind.shape == "struct":
            check_members(kind, members["members"], tables)
        else:
            check_alias(kind, members, tables)
    check_cycles(tables)
