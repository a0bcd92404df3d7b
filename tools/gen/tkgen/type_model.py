"""The checked types of a build, as the emitters read them."""

import enum
from dataclasses import dataclass, field
from typing import NamedTuple

from . import cpp

U32_MAX = 0xFFFFFFFF


class Shape(str, enum.Enum):
    """How a type is printed; each shape has its own print entry. The
    values are the names that the description and the reports use."""
    BASE = "base"
    OPAQUE = "opaque"
    ENUM = "enum"
    BITMASK = "bitmask"
    BITOFFSET = "bitoffset"
    STRUCT = "struct"
    ARRAY = "array"
    ALIAS = "alias"

    @property
    def is_base(self):
        return self in (Shape.BASE, Shape.OPAQUE)

    @property
    def is_enumeration(self):
        return self in (Shape.ENUM, Shape.BITMASK, Shape.BITOFFSET)

    @property
    def is_structured(self):
        """Printed through a field list: it has a descriptor getter."""
        return self in (Shape.STRUCT, Shape.ARRAY, Shape.ALIAS)

    @property
    def described(self):
        return _DESCRIBED[self]


_DESCRIBED = {Shape.BASE: "a base type", Shape.OPAQUE: "a base type", Shape.ENUM: "an enumeration",
              Shape.BITMASK: "a bitmask enumeration", Shape.BITOFFSET: "a bit-offset enumeration",
              Shape.STRUCT: "a structure", Shape.ARRAY: "an array type", Shape.ALIAS: "an alias"}


@dataclass(eq=False)
class Field:
    """One field descriptor: a member, a base part ("^"), the elements of
    an array type ("^" with is_array) or a by-name value ("=")."""
    name: str
    kind: "Type"        # the member's Type
    offset: int
    size: int           # element size
    count: int = 1      # element count
    is_array: bool = False

    @property
    def end(self):
        return self.offset + self.size * self.count


@dataclass(eq=False)
class Type:
    """One type of the build. The checks fill it in as they read its
    declaration; node is where it is declared, for later reports."""
    name: str
    shape: Shape
    size: int
    node: object = field(default=None, repr=False)
    conversion: str = None   # base types: the BaseConversion, None for opaque
    signed: bool = False     # base types
    enumerators: list = field(default_factory=list)  # enumerations: [(value, name)] sorted
    shared: "Type" = None    # the enumeration whose table this one shares
    fields: list = field(default_factory=list)       # enumerations, structures, arrays, aliases
    broken: bool = False     # reported already: its uses report nothing more

    def __post_init__(self):
        self.ident = cpp.identifier(self.name)

    @property
    def is_enumeration(self):
        return self.shape.is_enumeration

    @property
    def is_structure(self):
        return self.shape is Shape.STRUCT

    def describe(self):
        return self.shape.described


class MessageEntry(NamedTuple):
    """A message or event entry of the message type table."""
    name: str     # the enumerator that names its id
    id: int
    kind: Type    # the structure of its class


@dataclass
class Tables:
    """The types of a build in the generator's order, and the message and
    event entries of the message type table."""
    types: dict = field(default_factory=dict)      # name -> Type, in insertion order
    messages: list = field(default_factory=list)   # MessageEntry, messages then events
    idents: dict = field(default_factory=dict, repr=False)  # C++ identifier -> Type

    def add(self, kind, node):
        """Registers kind; reports and returns False for a name or C++
        identifier that is taken."""
        if kind.name in self.types:
            node.error(f"duplicate type name \"{kind.name}\"")
            return False
        clash = self.idents.get(kind.ident)
        if clash is not None:
            node.error(f"type \"{kind.name}\" has the same C++ identifier as \"{clash.name}\"")
            return False
        self.types[kind.name] = kind
        self.idents[kind.ident] = kind
        return True

    def add_broken(self, node, shape):
        """Keeps the name of a type whose declaration was reported wrong,
        so that its uses report nothing more about it."""
        name = node.value.get("name") if isinstance(node.value, dict) else None
        if isinstance(name, str) and name not in self.types:
            kind = self.types[name] = Type(name, shape, 0, node, broken=True)
            self.idents.setdefault(kind.ident, kind)
