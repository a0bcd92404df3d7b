"""The checked tokens of a build, as the token emitter reads them."""

from dataclasses import dataclass, field

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


@dataclass
class TokenTable:
    """One table's tokens, laid out for lookup. Ids that are multiples of
    4 are found by id / 4 as far as that index stays dense: up to the
    largest such id at which at least a quarter of the index's slots hold
    a token. Every other id is found through the perfect hash of the rest,
    so the table grows with its tokens, not with their ids."""
    name: str
    direct: list = field(default_factory=list)  # by ascending id
    rest: list = field(default_factory=list)    # by ascending id

    @classmethod
    def of(cls, name, tokens):
        by_id = sorted(tokens, key=lambda t: t.id)
        quads = [t for t in by_id if t.id % 4 == 0]
        dense = 0
        for position, token in enumerate(quads):
            if 4 * (position + 1) >= token.id // 4 + 1:
                dense = position + 1
        indexed = {t.id for t in quads[:dense]}
        return cls(name, quads[:dense], [t for t in by_id if t.id not in indexed])

    @property
    def records(self):
        return self.direct + self.rest

    @property
    def index(self):
        """By id / 4: the record's position + 1, or 0."""
        slots = [0] * (self.direct[-1].id // 4 + 1 if self.direct else 0)
        for position, token in enumerate(self.direct):
            slots[token.id // 4] = position + 1
        return slots


@dataclass
class Tokens:
    prints: list
    alarms: list
    value_tables: list

    @property
    def tables(self):
        return [TokenTable.of("printToken", self.prints), TokenTable.of("alarmToken", self.alarms)]
