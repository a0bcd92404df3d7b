"""The checked types of a build, as the emitters read them."""

from . import cpp
from .description import is_type

U32_MAX = 0xFFFFFFFF

# Shapes of a type; each has its own print entry.
BASE_SHAPES = ("base", "opaque")
ENUMERATION_SHAPES = ("enum", "bitmask", "bitoffset")
STRUCTURED_SHAPES = ("struct", "array", "alias")


class Field:
    """One field descriptor: a member, a base part ("^"), the elements of
    an array type ("^" with is_array) or a by-name value ("=")."""

    def __init__(self, name, kind, offset, size, count=1, is_array=False):
        self.name = name
        self.kind = kind          # the member's Type
        self.offset = offset
        self.size = size          # element size
        self.count = count        # element count
        self.is_array = is_array

    @property
    def end(self):
        return self.offset + self.size * self.count


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
        self.shared = None       # the enumeration whose table this one shares
        self.fields = []         # enumerations, structures, arrays, aliases
        self.broken = False      # reported already: its uses report nothing more

    @property
    def is_enumeration(self):
        return self.shape in ENUMERATION_SHAPES

    @property
    def is_structure(self):
        return self.shape == "struct"

    @property
    def has_descriptor_getter(self):
        return self.shape in STRUCTURED_SHAPES

    def describe(self):
        return {"base": "a base type", "opaque": "a base type", "enum": "an enumeration",
                "bitmask": "a bitmask enumeration", "bitoffset": "a bit-offset enumeration",
                "struct": "a structure", "array": "an array type", "alias": "an alias"}[self.shape]


class Tables:
    """The types of a build in the generator's order, and the message and
    event entries of the message type table."""

    def __init__(self):
        self.types = {}      # name -> Type, in insertion order
        self.messages = []   # (name, id, Type), messages then events

    def add(self, kind, node):
        """Registers kind; reports and returns False for a name or C++
        identifier that is taken."""
        if kind.name in self.types:
            node.error(f"duplicate type name \"{kind.name}\"")
            return False
        clash = next((t for t in self.types.values() if t.ident == kind.ident), None)
        if clash is not None:
            node.error(f"type \"{kind.name}\" has the same C++ identifier as \"{clash.name}\"")
            return False
        self.types[kind.name] = kind
        return True

    def add_broken(self, node, shape):
        """Keeps the name of a type whose declaration was reported wrong,
        so that its uses report nothing more about it."""
        name = node.value.get("name") if isinstance(node.value, dict) else None
        if is_type(name, str) and name not in self.types:
            kind = Type(name, shape, 0, node)
            kind.broken = True
            self.types[name] = kind


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
