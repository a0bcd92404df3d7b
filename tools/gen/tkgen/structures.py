"""Structures, array types and aliases of a build.

A structure is given as its sources read: a size and members with a name,
a type and an offset; base-class parts are members named "^" and come
first. Array types are named by element type and count ("uint8_t[24]");
a member may use one without declaring it. An alias is a type whose one
field, a value of another type, is printed whole within the alias's size
(a bitmap confined to its bytes).
"""

import re

from .description import fields, is_type, quoted, section, suggestion
from .type_model import U32_MAX, Field, Shape, Type

TOP_LEVEL = {"structures", "arrays", "aliases"}
ARRAY_NAME = re.compile(r"^(.+)\[([0-9]+)\]$")
IDENTIFIER = re.compile(r"^[A-Za-z_][A-Za-z0-9_]*$")
# C++ words joined by "::" or a blank, then any array bounds:
# "unsigned char", "CKI_Timer::CKI_TimerState", "CKI_LogGroupId_BITMAP[64]".
TYPE_NAME = re.compile(r"^[A-Za-z_][A-Za-z0-9_]*(?:(?:::| )[A-Za-z_][A-Za-z0-9_]*)*(?:\[[0-9]+\])*$")
MAX_TYPE_NAME = 1024  # every name is written several times: its length bounds the output
MAX_COUNT_DIGITS = 10  # an element count beyond 32 bits is refused without reading it whole
BASE_PART = "^"


def check_type_name(node):
    """Whether the type name at node reads as a C++ type name; reports one that does not."""
    if len(node.value) > MAX_TYPE_NAME:
        node.error(f"a type name of {len(node.value)} characters is longer than {MAX_TYPE_NAME}")
        return False
    if TYPE_NAME.match(node.value):
        return True
    node.error(f"type name {quoted(node.value)} is not a C++ type name (words of letters, digits and '_' "
               "joined by '::' or a blank, then any array bounds)")
    return False


def element_count(text):
    return int(text) if len(text) <= MAX_COUNT_DIGITS else U32_MAX + 1


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
    complete = members is not None and len(members) == len(required) and check_type_name(members["name"])
    size = check_size(members["size"]) if complete else None
    if size is None:
        tables.add_broken(node, shape)
        return None
    kind = Type(members["name"].value, shape, size, node)
    return (kind, members) if tables.add(kind, node) else None


def resolve(name, tables, node):
    """The type of a name, creating the array types "T[N]", "T[N][M]", ...
    on first use; None when unknown."""
    if len(name) > MAX_TYPE_NAME:
        return None
    pending = []  # (array name, count), outermost first
    kind = tables.types.get(name)
    while kind is None:
        match = ARRAY_NAME.match(name)
        if match is None:
            return None
        pending.append((name, element_count(match.group(2))))
        name = match.group(1)
        kind = tables.types.get(name)
    for name, count in reversed(pending):
        if count == 0 or count > U32_MAX or kind.size * count > U32_MAX:
            return None
        array = Type(name, Shape.ARRAY, kind.size * count, node)
        array.fields = [Field(BASE_PART, kind, 0, kind.size, count, is_array=True)]
        if not tables.add(array, node):
            return None
        kind = array
    return kind


def unknown_type(node, name, tables):
    match = ARRAY_NAME.match(name)
    if len(name) > MAX_TYPE_NAME:
        node.error(f"a type name of {len(name)} characters is longer than {MAX_TYPE_NAME}")
    elif match is not None and element_count(match.group(2)) == 0:
        node.error(f"array type \"{name}\" has no elements")
    elif match is not None and match.group(1) in tables.types:
        node.error(f"array type \"{name}\" has more than {U32_MAX} bytes")
    elif match is not None:
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
    elif not IDENTIFIER.match(name):
        members["name"].error(f"member name {quoted(name)} is not an identifier")
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
    return [field.kind for field in kind.fields if field.kind.shape.is_structured]


def check_cycles(tables):
    """A structure that contains itself would be printed without end. The
    containment graph's strongly connected components are found in one
    pass (Tarjan's, without recursion); each one that holds a cycle is
    reported once, at its first structure or alias, with one cycle
    through it. Its types are marked broken: their uses report nothing
    more, and nothing walks them again."""
    kinds = [kind for kind in tables.types.values() if kind.shape.is_structured]
    order = {id(kind): position for position, kind in enumerate(kinds)}
    index, low, on_stack, stack, cyclic = {}, {}, set(), [], []
    for root in kinds:
        if id(root) in index:
            continue
        work = [(root, iter(contained_types(root)))]
        index[id(root)] = low[id(root)] = len(index)
        stack.append(root)
        on_stack.add(id(root))
        while work:
            kind, children = work[-1]
            child = next(children, None)
            if child is not None:
                if id(child) not in index:
                    index[id(child)] = low[id(child)] = len(index)
                    stack.append(child)
                    on_stack.add(id(child))
                    work.append((child, iter(contained_types(child))))
                elif id(child) in on_stack:
                    low[id(kind)] = min(low[id(kind)], index[id(child)])
                continue
            work.pop()
            if work:
                parent = work[-1][0]
                low[id(parent)] = min(low[id(parent)], low[id(kind)])
            if low[id(kind)] == index[id(kind)]:
                component = []
                while True:
                    member = stack.pop()
                    on_stack.discard(id(member))
                    component.append(member)
                    if member is kind:
                        break
                if len(component) > 1 or kind in contained_types(kind):
                    cyclic.append(component)
    for component in sorted(cyclic, key=lambda c: min(order[id(k)] for k in c)):
        report_cycle(component, order)


def report_cycle(component, order):
    members = {id(kind) for kind in component}
    reported = [kind for kind in component if kind.shape is not Shape.ARRAY]
    first = min(reported or component, key=lambda kind: order[id(kind)])
    path = cycle_path(first, members)
    first.node.error(f"type \"{first.name}\" contains itself ({' -> '.join(kind.name for kind in path)})")
    for kind in component:
        kind.broken = True


def cycle_path(start, members):
    """The shortest containment path from start back to itself within a
    component (breadth first, so linear in the component)."""
    came_from, frontier = {}, [start]
    while frontier:
        following = []
        for kind in frontier:
            for child in contained_types(kind):
                if child is start:
                    path = [start, kind]
                    while path[-1] is not start:
                        path.append(came_from[id(path[-1])])
                    return path[1:][::-1] + [start]
                if id(child) in members and id(child) not in came_from:
                    came_from[id(child)] = kind
                    following.append(child)
        frontier = following
    return [start, start]


def check(desc, tables):
    """Adds the structures, aliases and array types of desc to tables."""
    declared = []
    for key, shape, required in (("structures", Shape.STRUCT, {"name": str, "size": int, "members": list}),
                                 ("aliases", Shape.ALIAS, {"name": str, "type": str, "size": int})):
        for node in section(desc, key):
            result = declare(node, tables, shape, required)
            if result is not None:
                declared.append(result)
    if desc.get("arrays") is not None:
        check_arrays(desc["arrays"], tables)
    for kind, members in declared:
        if kind.shape is Shape.STRUCT:
            check_members(kind, members["members"], tables)
        else:
            check_alias(kind, members, tables)
    check_cycles(tables)
