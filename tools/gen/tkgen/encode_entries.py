"""The encode entry that a field descriptor or type carries, by the shape
of its type. The encoder's parsers are bound to the type's constants
through the templates of src/encoder/encode_entries.h."""


def encode_entry(shape, ident, size):
    """C++ expression of the encode entry of a type.

    shape: "base", "opaque", "enum", "bitmask", "bitoffset", "struct",
    "array" or "alias"; ident: the C++ identifier part of the type's tables
    (enum_<ident>, type_<ident>); size: the type's size in bytes.
    """
    return "nullptr"
