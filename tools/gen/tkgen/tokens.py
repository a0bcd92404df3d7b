"""Checks the print and alarm tokens of a build and builds their model.

A token is one log point of the firmware: its id, the table it belongs to
("print" for the log-group channels, "alarm" for the alarm channels), its
log group, argument count, source line and file, its format string as the
firmware build completed it, and one conversion rule per conversion of the
format (docs/build-description.md, "Tokens"). check() returns the model of
token_model.py; token_emitter.py writes it as C++.
"""

from dataclasses import dataclass, replace

from . import formats, perfect_hash
from .channels import log_groups
from .description import fields, is_type, section, suggestion
from .token_model import (ARGUMENT_BYTES, BOOLEAN_WORDS, CATALOGUE, DATA_UNITS, FILTERS, MAX_ARGUMENTS,
                          MAX_CONVERSIONS, TABLES, TEXT, Rule, Source, Token, Tokens, ValueTable)

TOP_LEVEL = {"tokens", "named_alarms", "value_tables", "conversion_sets"}
SOURCE_MEMBERS = {"shift": int, "width": int, "mask": (int, str)}
TOKEN_MEMBERS = {"id": (int, str), "table": str, "group": int, "arguments": int, "line": int,
                 "format": str, "conversions": list}
NAME_PLACEHOLDER = "{name}"


def number(node, bits=32):
    """An unsigned number given as an integer or as a "0x..." text, or None
    after reporting the mistake."""
    value = node.value
    if is_type(value, str):
        try:
            value = int(value, 16) if value.lower().startswith("0x") else None
        except ValueError:
            value = None
        if value is None:
            node.error(f"expected a number or a \"0x...\" hexadecimal text, found {node.value!r}")
            return None
    elif not is_type(value, int):
        node.error("expected a number or a \"0x...\" hexadecimal text")
        return None
    if not 0 <= value < 1 << bits:
        node.error(f"{node.value} does not fit {bits} bits")
        return None
    return value


def checked_members(node, required, optional=None):
    """fields(), or None when it reported a mistake."""
    before = len(node.errors.messages)
    members = fields(node, required, optional)
    return members if len(node.errors.messages) == before else None


def named_objects(desc, key, what):
    """The (name, Node) pairs of a top-level object of named things."""
    node = desc.get(key)
    if node is None:
        return []
    if not is_type(node.value, dict):
        node.error(f"expected an object of {what} by name")
        return []
    return [(name, node.member(name)) for name in node.value]


# --- value tables and conversion sets ---------------------------------------

def check_value_table(name, node):
    members = checked_members(node, {"values": list, "default": str})
    if members is None:
        return None
    values, seen = [], set()
    for pair in members["values"].items():
        if not (is_type(pair.value, list) and len(pair.value) == 2 and is_type(pair.value[1], str)):
            pair.error("expected a pair [value, text]")
            continue
        value = number(pair.item(0))
        if value is None:
            continue
        if value in seen:
            pair.error(f"value {value} is given twice")
        seen.add(value)
        values.append((value, pair.value[1]))
    return ValueTable(name, tuple(values), members["default"].value)


def check_conversion_set(node):
    if not is_type(node.value, list):
        node.error("expected an array of conversion rules")
        return None
    return node.items()


@dataclass
class Context:
    """What the checks of the tokens need from the rest of the build; a
    part that failed its own checks is None, and nothing is checked
    against it."""
    groups: dict        # {log group: channel}
    types: object       # the checked type Tables
    value_tables: dict  # {name: ValueTable}
    sets: dict          # {name: [rule Node]}


# --- conversion rules -------------------------------------------------------

@dataclass
class RuleInput:
    """A rule object's well-typed members and its checked source."""
    key: str
    node: object
    members: dict
    source: Source
    arguments: int
    context: Context

    def get(self, member, default):
        return self.members[member].value if member in self.members else default

    def rule(self, **parameters):
        return Rule(self.key, self.source, **parameters)


def check_plain(given):
    return given.rule()


def check_type_text(given):
    """The text of a type's value printer. Any type of at most one
    argument word may be named; its printer decides how the value reads."""
    alias, name_filter = given.get("alias", 0), given.get("filter", "identity")
    if alias < 0:
        given.members["alias"].error("the alias index must not be negative")
        return None
    if name_filter not in FILTERS:
        given.members["filter"].error(f"unknown name filter {name_filter!r}; expected one of {', '.join(FILTERS)}")
        return None
    types = given.context.types
    if types is None:
        return None  # the types were reported wrong: nothing to check the name against
    node, name = given.members["type"], given.members["type"].value
    kind = types.types.get(name)
    if kind is None:
        node.error(f"unknown type \"{name}\"{suggestion(name, types.types)}")
    elif kind.size > ARGUMENT_BYTES:
        node.error(f"type \"{name}\" has {kind.size} bytes; an argument word has {ARGUMENT_BYTES}")
    else:
        return given.rule(printed=kind, alias=alias, filter=name_filter)
    return None


def check_bool(given):
    words = given.get("words", "true/false")
    if words in BOOLEAN_WORDS:
        return given.rule(words=words)
    given.members["words"].error(f"unknown word pair {words!r}; expected one of {', '.join(BOOLEAN_WORDS)}")
    return None


def check_binary(given):
    digits = given.get("digits", given.source.width)
    if 0 <= digits <= 32:
        return given.rule(digits=digits)
    given.members["digits"].error(f"{digits} digits is outside 0 to 32")
    return None


def check_choice(given):
    options = []
    for option in given.members["options"].items():
        checked = check_rule(option, given.arguments, given.context)
        if checked is None:
            continue
        if checked.key == "choice" or checked.catalogued.feeds != TEXT:
            option.error(f"a choice's option must give a text other than a choice, not \"{checked.key}\"")
            continue
        options.append(checked)
    if len(options) != len(given.members["options"].value):
        return None
    if "text" in given.members:
        text = given.members["text"].value
    elif all(option.key == "enum" for option in options):
        text = "(" + "|".join(option.source.label + option.printed.name for option in options) + ")"
    else:
        given.members["options"].error("give the list's \"text\": only options that are all \"enum\" rules yield it")
        return None
    return given.rule(options=tuple(options), list_text=text)


def check_value_text(given):
    name = given.members["table"].value
    if name in given.context.value_tables:
        return given.rule(table=name)
    given.members["table"].error(f"unknown value table {name!r}{suggestion(name, given.context.value_tables)}")
    return None


def check_flag(given):
    letter = given.members["letter"].value
    if len(letter) == 1 and 32 < ord(letter) < 127:
        return given.rule(letter=letter)
    given.members["letter"].error(f"the letter must be one printable ASCII character, not {letter!r}")
    return None


def check_data(given):
    unit = given.members["unit"].value
    if unit not in DATA_UNITS:
        given.members["unit"].error(f"unit size {unit} is neither 1 nor 4")
        return None
    unit_format = given.get("unit_format", DATA_UNITS[unit])
    try:
        unit_slots = formats.slots(unit_format)
    except formats.FormatError as e:
        given.members["unit_format"].error(str(e))
        return None
    if [kind for _, kind in unit_slots] != ["int"]:
        given.members["unit_format"].error(f"the unit format {unit_format!r} must have exactly one integer conversion")
        return None
    return given.rule(unit=unit, unit_format=unit_format)


PARAMETER_CHECKS = {
    "raw": check_plain, "enum": check_type_text, "bool": check_bool, "binary": check_binary,
    "address": check_plain, "choice": check_choice, "value_text": check_value_text, "flag": check_flag,
    "string": check_plain, "data": check_data,
}


def check_source(node, members, key, arguments):
    """The rule's Source, or None after reporting its mistakes."""
    argument = members[key].value
    if not 0 <= argument < arguments:
        members[key].error(f"argument index {argument} is at or above the argument count {arguments}")
        return None
    shift = members["shift"].value if "shift" in members else 0
    width = members["width"].value if "width" in members else 32 - shift
    if not 0 <= shift <= 31:
        members["shift"].error(f"shift {shift} is outside 0 to 31")
        return None
    if not 1 <= width <= 32 - shift:
        node.error(f"bit field of width {width} at shift {shift} does not fit 32 bits")
        return None
    mask = number(members["mask"]) if "mask" in members else 0xFFFFFFFF
    return Source(argument, shift, width, mask) if mask is not None else None


def rule_key(node):
    keys = [key for key in node.value if key in CATALOGUE] if is_type(node.value, dict) else []
    if len(keys) == 1:
        return keys[0]
    node.error(f"expected an object with exactly one rule key of {', '.join(CATALOGUE)}")
    return None


def check_rule(node, arguments, context):
    """The checked Rule, or None after reporting its mistakes."""
    key = rule_key(node)
    if key is None:
        return None
    catalogued = CATALOGUE[key]
    required = {key: int, **{k: catalogued.parameters[k] for k in catalogued.required}}
    optional = {k: v for k, v in catalogued.parameters.items() if k not in catalogued.required}
    members = checked_members(node, required, {**SOURCE_MEMBERS, **optional})
    if members is None:
        return None
    source = check_source(node, members, key, arguments)
    if source is None:
        return None
    return PARAMETER_CHECKS[key](RuleInput(key, node, members, source, arguments, context))


def expand_sets(conversions, context):
    """The rule Nodes of a conversions array, with {"set": name} replaced
    by the set's rules; None after reporting an unknown set."""
    rules, ok = [], True
    for node in conversions.items():
        if not (is_type(node.value, dict) and "set" in node.value):
            rules.append(node)
        elif len(node.value) != 1:
            node.error("a {\"set\": name} entry takes no other member")
            ok = False
        elif node.value["set"] not in context.sets:
            name = node.value["set"]
            node.member("set").error(f"unknown conversion set {name!r}{suggestion(name, context.sets)}")
            ok = False
        else:
            rules.extend(context.sets[node.value["set"]])
    return rules if ok else None


# --- tokens -----------------------------------------------------------------

def check_format(node, rule_nodes, arguments, context):
    """The rules of a format string, or None after reporting mistakes."""
    try:
        format_slots = formats.slots(node.value)
    except formats.FormatError as e:
        node.error(str(e))
        return None
    rules = [check_rule(rule, arguments, context) for rule in rule_nodes]
    if None in rules:
        return None
    if len(rules) != len(format_slots):
        node.error(f"the format has {len(format_slots)} conversions (a \"*\" counts as one) "
                   f"but {len(rules)} rules are given")
        return None
    if len(rules) > MAX_CONVERSIONS:
        node.error(f"{len(rules)} conversions are more than the {MAX_CONVERSIONS} that a formatter takes")
        return None
    ok = True
    for index, ((conversion, kind), rule, rule_node) in enumerate(zip(format_slots, rules, rule_nodes)):
        if kind not in rule.catalogued.feeds:
            rule_node.error(f"conversion {index} ({conversion!r}) takes {'a text' if kind == 'text' else 'a number'}; "
                            f"rule \"{rule.key}\" cannot feed it")
            ok = False
    if sum(1 for rule in rules if rule.key == "choice") > 1:
        node.error("a format may hold at most one choice (its \"No option\" text has one buffer)")
        ok = False
    return tuple(rules) if ok else None


def check_table_and_group(members, table, group, context):
    if table not in TABLES:
        members["table"].error(f"unknown table {table!r}; expected \"print\" or \"alarm\"")
        return False
    if table == "print" and context.groups is not None and group is not None and group not in context.groups:
        members["group"].error(f"group {group} has no log-group channel "
                               f"(no channel {16 + 32 * group} with decoder \"log_group\")")
        return False
    return True


def check_file(members, node):
    if "file" not in members:
        node.error("missing member \"file\" (a path, or null)")
        return False
    if members["file"].value is not None and not is_type(members["file"].value, str):
        members["file"].error("expected a path or null")
        return False
    return True


def check_token(node, context):
    """The checked Token, or None after reporting its mistakes."""
    members = checked_members(node, TOKEN_MEMBERS, {"file": object})
    if members is None or not check_file(members, node):
        return None
    ident, group, line = number(members["id"]), number(members["group"]), number(members["line"])
    table, arguments = members["table"].value, members["arguments"].value
    ok = check_table_and_group(members, table, group, context) and None not in (ident, group, line)
    if not 0 <= arguments <= MAX_ARGUMENTS:
        members["arguments"].error(f"argument count {arguments} is outside 0 to {MAX_ARGUMENTS}")
        return None
    rule_nodes = expand_sets(members["conversions"], context)
    rules = check_format(members["format"], rule_nodes, arguments, context) if rule_nodes is not None else None
    if rules is None or not ok:
        return None
    return Token(ident, table, group, arguments, line, members["file"].value, members["format"].value, rules)


def check_named_alarms(node, context, taken_ids):
    """One alarm token per enumerator of the named enumeration that the
    alarm table does not give explicitly, from one template."""
    members = checked_members(node, {"enumeration": str, "arguments": int, "format": str, "conversions": list})
    if members is None or context.types is None:
        return []
    name = members["enumeration"].value
    enumeration = context.types.types.get(name)
    if enumeration is None or not enumeration.is_enumeration:
        enumerations = [k.name for k in context.types.types.values() if k.is_enumeration]
        members["enumeration"].error(f"type {name!r} is not an enumeration{suggestion(name, enumerations)}")
        return []
    if members["format"].value.count(NAME_PLACEHOLDER) != 1:
        members["format"].error(f"the format must hold {NAME_PLACEHOLDER} once, where the alarm's name goes")
        return []
    template = {key: m.value for key, m in members.items() if key != "enumeration"}
    template.update(id=0, table="alarm", group=0, line=0, file=None)
    checked = check_token(node.with_value(template), context)
    if checked is None:
        return []
    tokens, seen = [], set(taken_ids)
    for value, enumerator in enumeration.enumerators:
        if value not in seen:
            seen.add(value)
            tokens.append(replace(checked, id=value, format=checked.format.replace(NAME_PLACEHOLDER, enumerator)))
    return tokens


def check_unique_ids(token_nodes, tokens, named, named_node):
    seen = {}
    for node, token in zip(token_nodes, tokens):
        if token is None:
            continue
        if token.id in seen:
            node.member("id").error(f"token id {token.id:#010x} is also given at {seen[token.id]}")
        else:
            seen[token.id] = node.path
    for token in named:
        if token.id in seen:
            named_node.error(f"enumerator {token.id:#010x} is also the id of the print token at {seen[token.id]}")


def check_table_sizes(desc, tokens):
    for table in tokens.tables:
        if len(table.rest) > perfect_hash.MAX_IDS:
            desc.at("tokens").error(f"{len(table.rest)} ids of the {table.name} table are hashed; "
                                    f"a table hashes at most {perfect_hash.MAX_IDS}")
        if len(table.paged) > perfect_hash.MAX_IDS:
            desc.at("tokens").error(f"{len(table.paged)} ids of the {table.name} table are paged; "
                                    f"a table pages at most {perfect_hash.MAX_IDS}")


def check(desc, errors, channels, types):
    """Returns the checked Tokens, or None after reporting errors."""
    before = len(errors.messages)
    value_tables = [check_value_table(name, node) for name, node in named_objects(desc, "value_tables", "value tables")]
    sets = {name: check_conversion_set(node) for name, node in named_objects(desc, "conversion_sets",
                                                                               "conversion sets")}
    context = Context(log_groups(channels) if channels is not None else None, types,
                      {table.name: table for table in value_tables if table is not None},
                      {name: rules for name, rules in sets.items() if rules is not None})
    reported = len(errors.messages)
    token_nodes = section(desc, "tokens", "an array of tokens", required=True)
    if len(errors.messages) != reported:
        return None
    tokens = [check_token(token, context) for token in token_nodes]
    named = []
    if desc.get("named_alarms") is not None:
        alarm_ids = {t.id for t in tokens if t is not None and t.table == "alarm"}
        named = check_named_alarms(desc["named_alarms"], context, alarm_ids)
    check_unique_ids(token_nodes, tokens, named, desc.get("named_alarms"))
    if len(errors.messages) != before or None in tokens:
        return None  # a token without a report of its own depends on a part reported wrong
    result = Tokens([t for t in tokens if t.table == "print"], [t for t in tokens if t.table == "alarm"] + named,
                    list(context.value_tables.values()))
    check_table_sizes(desc, result)
    return result if len(errors.messages) == before else None
