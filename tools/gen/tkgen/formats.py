"""The conversions of a token's printf format string, as the library's
bounded append prints them.

Each conversion takes one or more argument slots: a "*" width or precision
takes an integer slot of its own before the conversion's value. A slot is
"int" (d i u o x X, and "*"), "char" (c) or "text" (s).
"""

import re

_CONVERSION = re.compile(
    r"%(?P<flags>[-+ #0]*)(?P<width>\*|[0-9]+)?(?:\.(?P<precision>\*|[0-9]*))?"
    r"(?P<length>hh|h|ll|l|j|z|t|L|q)?(?P<type>.?)", re.S)
_SLOT_KINDS = {"d": "int", "i": "int", "u": "int", "o": "int", "x": "int", "X": "int", "c": "char", "s": "text"}
_WIDE_LENGTHS = {"ll", "j", "z", "t", "L", "q"}


class FormatError(Exception):
    pass


def slots(text):
    """The argument slots of a format string in order, as (conversion text,
    kind) pairs. Raises FormatError for a conversion that the bounded append
    cannot print as the firmware meant."""
    result = []
    index = 0
    while True:
        index = text.find("%", index)
        if index < 0:
            return result
        if text.startswith("%%", index):
            index += 2
            continue
        match = _CONVERSION.match(text, index)
        conversion = match.group(0)
        kind = _SLOT_KINDS.get(match.group("type"))
        length = match.group("length")
        if not match.group("type"):
            raise FormatError(f"the format ends inside the conversion {conversion!r}")
        if kind is None:
            raise FormatError(f"unknown conversion {conversion!r} at offset {index}")
        if length in _WIDE_LENGTHS:
            raise FormatError(f"64-bit or wide conversion {conversion!r} at offset {index}; "
                              "the firmware prints 64-bit values as two words")
        if length and kind != "int":
            raise FormatError(f"conversion {conversion!r} at offset {index} takes no length modifier")
        if match.group("width") == "*":
            result.append((conversion, "int"))
        if match.group("precision") == "*":
            result.append((conversion, "int"))
        result.append((conversion, kind))
        index = match.end()
