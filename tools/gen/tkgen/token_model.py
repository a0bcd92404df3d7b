"""The checked tokens of a build, as the token emitter reads them."""

from dataclasses import dataclass, field
from functools import cached_property

from . import perfect_hash
from .type_model import Type

MAX_ARGUMENTS = 32
MAX_CONVERSIONS = 64  # kMaxConversions of src/records/token_formatter.h
TABLES = ("print", "alarm")
FILTERS = {
    "identity": "filterIdentity",
    "skip2": "filterSkip2Words",
    "skip3": "filterSkip3Words",
    "skip4": "filterSkip4Words",
    "skip5": "filterSkip5Words",
}
BOOLEAN_WORDS = {"true/false": "Lower", "TRUE/FALSE": "Upper", "True/False": "Capitalised"}
DATA_UNITS = {1: "%.2x", 4: "%.8x"}
ARGUMENT_BYTES = 4  # a type printed from one argument word reads at most its four bytes


@dataclass(frozen=True)
class Catalogued:
    """One rule of the catalogue: its RuleKind in C++, the argument slots
    of a format ("int", "char", "text") that it can feed, and its
    parameters {member: JSON type}, the required ones named."""
    cpp_kind: str
    feeds: frozenset
    parameters: dict = field(default_factory=dict)
    required: tuple = ()


NUMBER, CHARACTER, TEXT = frozenset({"int", "char"}), frozenset({"char"}), frozenset({"text"})
CATALOGUE = {
    "raw": Catalogued("RawWord", NUMBER),
    "enum": Catalogued("Enumeration", TEXT, {"type": str, "alias": int, "filter": str}, ("type",)),
    "bool": Catalogued("BooleanWord", TEXT, {"words": str}),
    "binary": Catalogued("BinaryDigits", TEXT, {"digits": int}),
    "address": Catalogued("DottedAddress", TEXT),
    "choice": Catalogued("Choice", TEXT, {"options": list, "text": str}, ("options",)),
    "value_text": Catalogued("ValueText", TEXT, {"table": str}, ("table",)),
    "flag": Catalogued("FlagLetter", CHARACTER, {"letter": str}, ("letter",)),
    "string": Catalogued("ExtendedString", TEXT),
    "data": Catalogued("ExtendedData", TEXT, {"unit": int, "unit_format": str}, ("unit",)),
}


@dataclass(frozen=True)
class Source:
    """Where a rule's value comes from: ((word >> shift) & (2^width - 1)) & mask."""
    argument: int
    shift: int = 0
    width: int = 32
    mask: int = 0xFFFFFFFF

    @property
    def label(self):
        """"[argument$shift:width]", as a choice's list text names an option."""
        return f"[{self.argument}${self.shift}:{self.width}]"


@dataclass(frozen=True)
class Rule:
    """One checked conversion rule; only the parameters of its key are set."""
    key: str                   # the rule's key in the description ("raw", "enum", ...)
    source: Source
    printed: Type = None       # enum: the type whose value printer writes the text
    alias: int = 0
    filter: str = "identity"
    words: str = "true/false"  # bool
    digits: int = 0            # binary
    options: tuple = ()        # choice: the option rules by position
    list_text: str = ""        # choice
    table: str = ""            # value_text: the value table's name
    letter: str = ""           # flag
    unit: int = 0              # data
    unit_format: str = ""      # data

    @property
    def catalogued(self):
        return CATALOGUE[self.key]


@dataclass(frozen=True)
class Token:
    id: int
    table: str        # "print" or "alarm"
    group: int
    arguments: int
    line: int
    file: str         # or None
    format: str
    rules: tuple      # one Rule per conversion of format

    def all_rules(self):
        """Every rule, the options of a choice included."""
        for rule in self.rules:
            yield rule
            yield from rule.options


@dataclass(frozen=True)
class ValueTable:
    name: str
    values: tuple     # (value, text), in the order given
    default: str


MIN_SLOTS = 256           # the page slots and directory entries a table may always take
SLOTS_PER_TOKEN = 4       # beyond that, both together stay within 4 per paged token
DIRECTORY_PER_PAGE = 4    # and the directory within 4 entries per page
MAX_PAGE_BITS = 16
SLOT_BYTES, ENTRY_BYTES = 2, 8  # a page slot, a directory entry


@dataclass(frozen=True)
class Layout:
    """How a table's paged ids are found. The id rotated right by
    stride_bits is its key (an id that is no multiple of 2^stride_bits gets
    a key above every multiple's, in no page); the key's page number is
    key >> page_bits, its directory entry (number * multiplier mod 2^32)
    >> shift, its slot key mod 2^page_bits of the page."""
    page_bits: int = 1
    stride_bits: int = 0
    multiplier: int = 0
    shift: int = 31
    pages: tuple = ()  # page numbers, in the order of their slots

    @property
    def page_slots(self):
        return 1 << self.page_bits

    def key(self, ident):
        return rotated(ident, self.stride_bits)


def rotated(ident, bits):
    return ((ident >> bits) | (ident << (32 - bits))) & 0xFFFFFFFF if bits else ident


def pages_of(tokens, page_bits, stride_bits):
    """{page number: tokens}."""
    pages = {}
    for token in tokens:
        pages.setdefault(rotated(token.id, stride_bits) >> page_bits, []).append(token)
    return pages


def chosen_pages(pages, page_slots):
    """The page numbers kept, densest first: as many as the slot limit allows."""
    kept, covered = [], 0
    for number in sorted(pages, key=lambda n: (-len(pages[n]), n)):
        if (len(kept) + 1) * page_slots <= max(MIN_SLOTS, SLOTS_PER_TOKEN * (covered + len(pages[number]))):
            kept.append(number)
            covered += len(pages[number])
    return kept


def directory_bits(pages, kept, page_slots):
    """The largest directory the kept pages may take: at most
    DIRECTORY_PER_PAGE entries per page, and slots and entries together
    within the table's limit (0: none)."""
    covered = sum(len(pages[n]) for n in kept)
    room = max(MIN_SLOTS, SLOTS_PER_TOKEN * covered) - len(kept) * page_slots
    entries = min(DIRECTORY_PER_PAGE * len(kept), room)
    return max(0, entries.bit_length() - 1)


def layout_of(tokens):
    """(Layout, paged tokens in slot order): the pages that cover the most
    ids within the limits, the smallest first; the pages that find no
    directory of their own are dropped, the sparsest half at a time."""
    best, best_key = Layout(), (0, 0)
    for stride_bits in (2, 0):
        for page_bits in range(1, MAX_PAGE_BITS + 1):
            pages = pages_of(tokens, page_bits, stride_bits)
            kept = chosen_pages(pages, 1 << page_bits)
            while kept:
                found = perfect_hash.directory(kept, directory_bits(pages, kept, 1 << page_bits))
                if found is not None:
                    break
                kept = kept[:len(kept) // 2]
            if not kept:
                continue
            covered = sum(len(pages[n]) for n in kept)
            size = SLOT_BYTES * (len(kept) << page_bits) + ENTRY_BYTES * (1 << (32 - found[1]))
            key = (covered, -size)
            if key > best_key:
                kept.sort()
                best = Layout(page_bits, stride_bits, found[0], found[1], tuple(kept))
                best_key = key
    pages = pages_of(tokens, best.page_bits, best.stride_bits)
    paged = [t for n in best.pages for t in sorted(pages[n], key=lambda t: best.key(t.id))]
    return best, paged


@dataclass
class TokenTable:
    """One table's tokens, laid out for lookup: the ids of populated pages
    are found through a small directory of the pages, every other id
    through the perfect hash of the rest, so the table grows with its
    tokens, not with their ids."""
    name: str
    layout: Layout = field(default_factory=Layout)
    paged: list = field(default_factory=list)   # in slot order
    rest: list = field(default_factory=list)    # by ascending id

    @classmethod
    def of(cls, name, tokens):
        layout, paged = layout_of(tokens)
        in_pages = {t.id for t in paged}
        return cls(name, layout, paged, sorted((t for t in tokens if t.id not in in_pages), key=lambda t: t.id))

    @property
    def records(self):
        return self.paged + self.rest

    @property
    def slots(self):
        """The pages one after the other: the record's position + 1, or 0."""
        layout = self.layout
        slots = [0] * (len(layout.pages) * layout.page_slots)
        first = {n: i * layout.page_slots for i, n in enumerate(layout.pages)}
        for position, token in enumerate(self.paged):
            key = layout.key(token.id)
            slots[first[key >> layout.page_bits] + (key & (layout.page_slots - 1))] = position + 1
        return slots

    @property
    def directory(self):
        """(page number, first slot) by directory entry; unused entries have EMPTY_PAGE."""
        layout = self.layout
        entries = [(perfect_hash.EMPTY_PAGE, 0)] * (1 << (32 - layout.shift))
        for i, number in enumerate(layout.pages):
            entries[perfect_hash.directory_index(number, layout.multiplier, layout.shift)] = (
                number, i * layout.page_slots)
        return entries


@dataclass
class Tokens:
    prints: list
    alarms: list
    value_tables: list

    @cached_property
    def tables(self):
        return [TokenTable.of("printToken", self.prints), TokenTable.of("alarmToken", self.alarms)]
