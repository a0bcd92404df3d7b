"""Writes the checked tokens (token_model.py) as tokens.cpp: the value
tables, the rule arrays, the records and the two token tables with their
page directory and the perfect hash of the rest; the file's header names
each table's layout."""

import re
from string import Template

from . import cpp, perfect_hash
from .token_model import BOOLEAN_WORDS, FILTERS, MAX_CONVERSIONS
from .type_emitter import print_entry

FILES = ["tokens.cpp"]

FILE = Template("""$preamble
$layouts
#include "records/token_table.h"
#include "render/name_filters.h"
#include "render/print_entries.h"
#include "type_tables.h"

namespace tkdec::build {
namespace {

$arrays
}  // namespace

$tables
}  // namespace tkdec::build
""")
ARRAY = Template("constexpr $element $name[] = {\n$rows};\n")
TABLE = Template("constinit const TokenTable ${name}Table = $initialiser;\n")


class Arrays:
    """The constant arrays of the file, each written once however many
    tokens share it."""

    def __init__(self):
        self.texts = []
        self.names = {}

    def add(self, prefix, element, rows):
        """The array's name ("nullptr" for no rows)."""
        if not rows:
            return "nullptr"
        text = "".join(f"    {row},\n" for row in rows)
        key = (element, text)
        if key not in self.names:
            self.names[key] = f"{prefix}{sum(1 for e, _ in self.names if e == element) + 1}"
            self.texts.append(ARRAY.substitute(element=element, name=self.names[key], rows=text))
        return self.names[key]

    def add_numbers(self, name, element, values, per_line):
        rows = [", ".join(values[i:i + per_line]) for i in range(0, len(values), per_line)]
        self.texts.append(ARRAY.substitute(element=element, name=name, rows="".join(f"    {r},\n" for r in rows)))
        return name


# --- rules --------------------------------------------------------------------

# Types whose argument prints as one enumerator name. A bit-offset type's
# argument is one bit number, named by the enumeration printer over the
# type's table, not a bitmap.
ONE_NAME_SHAPES = ("enum", "bitoffset")


# The leading words that each name filter skips.
FILTER_WORDS = {"identity": 0, "skip2": 2, "skip3": 3, "skip4": 4, "skip5": 5}
SKIPS_PER_LINE = 16


def skipped_bytes(name, words):
    """The bytes that a filter skipping words leading words takes off name:
    up to behind its words-th underscore, or all of a name with fewer."""
    data, at = name.encode(), 0
    for _ in range(words):
        underscore = data.find(b"_", at)
        if underscore < 0:
            return len(data)
        at = underscore + 1
    return at


def filter_skips(kind, words, arrays):
    """The array of what the filter takes off each name of the enumerator
    table, in table order."""
    names = [name for _, name in (kind.shared or kind).enumerators]
    skips = [str(skipped_bytes(name, words)) for name in names]
    rows = [", ".join(skips[i:i + SKIPS_PER_LINE]) for i in range(0, len(skips), SKIPS_PER_LINE)]
    return arrays.add("skips", "uint16_t", rows)


def type_text_members(rule, arrays):
    kind = rule.printed
    if kind.shape not in ONE_NAME_SHAPES:
        return {"printer": print_entry(kind), "aliasIndex": rule.alias, "filter": f"&{FILTERS[rule.filter]}"}
    # The formatter takes a name that the table has in place, without rendering
    # it, and its filtered form by the generated skip.
    members = {"printer": f"&printEnumeration<enum_{kind.ident}>", "enumeration": f"&enum_{kind.ident}",
               "aliasIndex": rule.alias, "filter": f"&{FILTERS[rule.filter]}"}
    words = FILTER_WORDS[rule.filter]
    if words and kind.enumerators:
        members["filterSkips"] = filter_skips(kind, words, arrays)
    return members


def choice_members(rule, arrays):
    options = arrays.add("options", "ConversionRule", [rule_cpp(option, arrays) for option in rule.options])
    return {"options": options, "optionCount": len(rule.options), "listText": cpp.string_literal(rule.list_text)}


def letter_literal(letter):
    return "'\\" + letter + "'" if letter in "'\\" else f"'{letter}'"


PARAMETERS = {
    "raw": lambda rule, arrays: {},
    "enum": type_text_members,
    "bool": lambda rule, arrays: {"words": f"BooleanWords::{BOOLEAN_WORDS[rule.words]}"},
    "binary": lambda rule, arrays: {"digits": rule.digits},
    "address": lambda rule, arrays: {},
    "choice": choice_members,
    "value_text": lambda rule, arrays: {"values": f"&values_{cpp.identifier(rule.table)}"},
    "flag": lambda rule, arrays: {"letter": letter_literal(rule.letter)},
    "string": lambda rule, arrays: {},
    "data": lambda rule, arrays: {"unitSize": rule.unit, "unitFormat": cpp.string_literal(rule.unit_format)},
}


def rule_cpp(rule, arrays):
    source = cpp.designated(argument=rule.source.argument, shift=rule.source.shift, width=rule.source.width,
                            mask=cpp.hex32(rule.source.mask))
    return cpp.designated(kind=f"RuleKind::{rule.catalogued.cpp_kind}", source=source,
                          **PARAMETERS[rule.key](rule, arrays))


def value_table_cpp(table, arrays):
    rows = [cpp.designated(value=cpp.hex32(value), text=cpp.string_literal(text)) for value, text in table.values]
    entries = arrays.add("entries", "ValueTextEntry", rows)
    initialiser = cpp.designated(entries=entries, count=len(table.values),
                                 defaultText=cpp.string_literal(table.default))
    arrays.texts.append(f"constexpr ValueTextTable values_{cpp.identifier(table.name)} = {initialiser};\n")


# --- tables -------------------------------------------------------------------

PLAIN = {"s": "s", "u": "u", "d": "d", "i": "d", "x": "x", "X": "X"}
# A precision, or a zero-padded width, of hexadecimal digits: "%08x" writes
# what "%.8x" writes, as the value has no sign.
PLAIN_CONVERSION = re.compile(rb"%(?:\.([1-9])|0([1-9]))?([sudixX])")
MAX_PIECE_OFFSET = 0xFFFF


def format_pieces(token):
    """The FormatPiece rows of a format that holds only literal runs, "%%"
    and one conversion that a piece can write per rule, or None (the
    engine writes it). "%%" ends a run at its first '%', so that the next
    run starts at the second one."""
    data = token.format.encode()
    if "%" not in token.format or b"\0" in data or len(data) > MAX_PIECE_OFFSET:
        return None
    pieces, start, i, conversions = [], 0, 0, 0
    while i < len(data):
        if data[i] != ord("%"):
            i += 1
            continue
        plain = PLAIN_CONVERSION.match(data, i)
        if data[i + 1:i + 2] == b"%":
            pieces.append((start, i + 1 - start, "0", 0))
            start = i = i + 2
        elif plain and (plain.group(3) in b"xX" or plain.group(1) is plain.group(2) is None):
            kind = PLAIN[plain.group(3).decode()]
            digits = int(plain.group(1) or plain.group(2) or 1) if kind in "xX" else 0
            pieces.append((start, i - start, f"'{kind}'", digits))
            conversions += 1
            start = i = plain.end()
        else:
            return None
    pieces.append((start, len(data) - start, "0", 0))
    if conversions != len(token.rules) or conversions > MAX_CONVERSIONS:
        return None
    return [f"{{{offset}, {length}, {kind}, {digits}}}" for offset, length, kind, digits in pieces
            if length or kind != "0"]


def record_cpp(token, arrays):
    rules = arrays.add("rules", "ConversionRule", [rule_cpp(rule, arrays) for rule in token.rules])
    verbatim = {"verbatim": "true", "length": len(token.format.encode().split(b"\0")[0])} \
        if not token.rules and "%" not in token.format \
        else {}
    pieces = format_pieces(token)
    if pieces is not None:
        verbatim = {"pieces": arrays.add("pieces", "FormatPiece", pieces), "pieceCount": len(pieces)}
    formatter = cpp.designated(format=cpp.string_literal(token.format), rules=rules, ruleCount=len(token.rules),
                               **verbatim)
    record = cpp.designated(formatter=formatter, group=token.group, argumentCount=token.arguments,
                            line=token.line, file=cpp.string_literal(token.file) if token.file is not None else "nullptr")
    return f"// {token.id:#010x}\n    {record}"


def hashed_members(table, arrays):
    """The members of the perfect hash of the table's rest ids."""
    if not table.rest:
        return {"restSeed": 0, "restDisplacements": "nullptr", "restBucketMask": 0, "restSlots": "nullptr",
                "restSlotMask": 0}
    seed, displacements, slots = perfect_hash.build([token.id for token in table.rest])
    return {
        "restSeed": seed,
        "restDisplacements": arrays.add_numbers(f"{table.name}RestDisplacements", "uint16_t",
                                                [str(d) for d in displacements], 16),
        "restBucketMask": len(displacements) - 1,
        "restSlots": arrays.add_numbers(f"{table.name}RestSlots", "uint16_t", [str(s) for s in slots], 16),
        "restSlotMask": len(slots) - 1,
    }


def directory_cpp(table):
    return [cpp.designated(number=cpp.hex32(number), first=first) for number, first in table.directory]


def table_cpp(table, arrays):
    records = [record_cpp(token, arrays) for token in table.records]
    layout = table.layout
    members = {
        "records": arrays.add_numbers(f"{table.name}Records", "TokenRecord", records, 1) if records else "nullptr",
        "ids": arrays.add_numbers(f"{table.name}Ids", "uint32_t", [cpp.hex32(t.id) for t in table.records], 6)
        if records else "nullptr",
        "directory": arrays.add_numbers(f"{table.name}Directory", "TokenPage", directory_cpp(table), 2),
        "pageSlots": arrays.add_numbers(f"{table.name}PageSlots", "uint16_t", [str(s) for s in table.slots], 16)
        if table.paged else "nullptr",
        "directoryMultiplier": cpp.hex32(layout.multiplier),
        "directoryShift": layout.shift,
        "pageBits": layout.page_bits,
        "pageMask": cpp.hex32(layout.page_slots - 1),
        "strideBits": layout.stride_bits,
        "restFirst": len(table.paged),
        "restCount": len(table.rest),
        **hashed_members(table, arrays),
    }
    return TABLE.substitute(name=table.name, initialiser=cpp.designated_block(**members))


def layout_comment(table):
    """One header line: how the table finds its ids."""
    layout = table.layout
    pages = (f"{len(table.paged)} ids in {len(layout.pages)} pages of {layout.page_slots} slots, one slot "
             f"every {1 << layout.stride_bits} ids, directory of {len(table.directory)} entries")
    return f"// {table.name}Table: {pages}; {len(table.rest)} ids by perfect hash.\n"


def emit(tokens, source):
    arrays = Arrays()
    for table in tokens.value_tables:
        value_table_cpp(table, arrays)
    tables = tokens.tables
    layouts = "// Token lookup (chosen from the ids):\n" + "".join(layout_comment(t) for t in tables)
    written = "\n".join(table_cpp(table, arrays) for table in tables)
    text = FILE.substitute(preamble=cpp.preamble(source), layouts=layouts, arrays="\n".join(arrays.texts),
                           tables=written)
    return {"tokens.cpp": text}
