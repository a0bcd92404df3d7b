"""The encode entry that a field descriptor or type carries, by the shape
of its type. The encoder's parsers are bound to the type's constants
through the templates of src/encoder/encode_entries.h."""

_ENTRIES = {
    "base": "&encodeInteger<{size}>",
    "opaque": "&encodeRefused",
    "enum": "&encodeEnumeration<enum_{ident}>",
    "bitmask": "&encodeBitmask<enum_{ident}>",
    "bitoffset": "&encodeBitOffset<enum_{ident}>",
    "struct": "&encodeStructure<type_{ident}>",
    "array": "&encodeStructure<type_{ident}>",
    "alias": "&encodeAlias<type_{ident}>",
}

SHAPES = tuple(_ENTRIES)


def encode_entry(shape, ident, size):
    """C++ expression of the encode entry of a type.

    shape: "base", "opaque", "enum", "bitmask", "bitoffset", "struct",
    "array" or "alias"; ident: the C++ identifier part of the type's tables
    (enum_<ident>, type_<ident>); size: the type's size in bytes.
    """
    if shape not in _ENTRIES:
        raise ValueError(f"unknown type shape {shape!r}")
    return _ENTRIES[shape].format(ident=ident, size=size)
