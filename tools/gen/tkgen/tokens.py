"""The print and alarm token tables of a build.

A token is one log point of the firmware: its id, the table it belongs to
("print" for the log-group channels, "alarm" for the alarm channels), its
log group, argument count, source line and file, its format string as the
firmware build completed it, and one conversion rule per conversion of the
format (docs/build-description.md, "Tokens"). Writes tokens.cpp: the rule
arrays, the records, and the two tables with their direct index and the
sorted rest.
"""

from . import cpp, formats
from .channels import log_groups
from .description import fields, is_type

FILES = ["tokens.cpp"]
TOP_LEVEL = {"tokens", "named_alarms", "value_tables", "conversion_sets"}

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
NAME_PLACEHOLDER = "{name}"


class Rule:
    """One rule of the catalogue: its C++ kind, the argument slots it can
    feed, and its parameters {member: JSON type} with the required ones."""

    def __init__(self, kind, feeds, parameters=None, required=()):
        self.kind = kind
        self.feeds = feeds
        self.parameters = parameters or {}
        self.required = set(required)


TEXT = {"text"}
RULES = {
    "raw": Rule("RawWord", {"int", "char"}),
    "enum": Rule("Enumeration", TEXT, {"type": str, "alias": int, "filter": str}, ["type"]),
    "bool": Rule("BooleanWord", TEXT, {"words": str}),
    "binary": Rule("BinaryDigits", TEXT, {"digits": int}),
    "address": Rule("DottedAddress", TEXT),
    "choice": Rule("Choice", TEXT, {"options": list, "text": str}, ["options"]),
    "value_text": Rule("ValueText", TEXT, {"table": str}, ["table"]),
    "flag": Rule("FlagLetter", {"char"}, {"letter": str}, ["letter"]),
    "string": Rule("ExtendedString", TEXT),
    "data": Rule("ExtendedData", TEXT, {"unit": int, "unit_format": str}, ["unit"]),
}
SOURCE_MEMBERS = {"shift": int, "width": int, "mask": (int, str)}
TOKEN_MEMBERS = {"id": (int, str), "table": str, "group": int, "arguments": int, "line": int,
                 "format": str, "conversions": list}


# --- numbers ----------------------------------------------------------------

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


# --- shared parts: value tables, conversion sets, enumerations ---------------

def check_value_tables(desc):
    """{name: {"values": [(value, text)], "default": text}}"""
    node = desc.get("value_tables")
    if node is None:
        return {}
    if not is_type(node.value, dict):
        node.error("expected an object of value tables by name")
        return {}
    tables = {}
    for name in node.value:
        table = node.member(name)
        before = len(table.errors.messages)
        members = fields(table, {"values": list, "default": str})
        if len(table.errors.messages) != before:
            continue
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
        tables[name] = {"values": values, "default": members["default"].value}
    return tables


def check_conversion_sets(desc):
    """{name: [rule Node]}: named runs of rules that a token's conversions
    include with {"set": name}."""
    node = desc.get("conversion_sets")
    if node is None:
        return {}
    if not is_type(node.value, dict):
        node.error("expected an object of conversion sets by name")
        return {}
    sets = {}
    for name in node.value:
        rules = node.member(name)
        if not is_type(rules.value, list):
            rules.error("expected an array of conversion rules")
            continue
        sets[name] = rules.items()
    return sets


def enumerations(types):
    """{enumeration name: [(value, enumerator name)]} of the checked types,
    ascending by value."""
    return {name: kind.enumerators for name, kind in types.types.items() if kind.is_enumeration}


class Context:
    """What the checks of one token need from the rest of the build."""

    def __init__(self, groups, enums, value_tables, sets):
        self.groups = groups      # {log group: channel}, or None when the channels were wrong
        self.enums = enums        # {name: enumerators}, or None when the types were wrong
        self.value_tables = value_tables
        self.sets = sets


# --- conversion rules -------------------------------------------------------

def expand_sets(conversions, context):
    """The rule Nodes of a conversions array, with {"set": name} replaced
    by the set's rules; None after reporting an unknown set."""
    rules = []
    ok = True
    for node in conversions.items():
        if not (is_type(node.value, dict) and "set" in node.value):
            rules.append(node)
        elif len(node.value) != 1:
            node.error("a {\"set\": name} entry takes no other member")
            ok = False
        elif node.value["set"] not in context.sets:
            node.member("set").error(f"unknown conversion set {node.value['set']!r}")
            ok = False
        else:
            rules.extend(context.sets[node.value["set"]])
    return rules if ok else None


def rule_key(node):
    keys = [key for key in node.value if key in RULES] if is_type(node.value, dict) else []
    if len(keys) != 1:
        node.error(f"expected an object with exactly one rule key of {', '.join(RULES)}")
        return None
    return keys[0]


def check_source(node, members, arguments, rule):
    argument = members[rule["rule"]].value
    if not 0 <= argument < arguments:
        members[rule["rule"]].error(f"argument index {argument} is at or above the argument count {arguments}")
        return False
    shift = members["shift"].value if "shift" in members else 0
    width = members["width"].value if "width" in members else 32 - shift
    ok = True
    if not 0 <= shift <= 31:
        members["shift"].error(f"shift {shift} is outside 0 to 31")
        ok = False
    elif not 1 <= width <= 32 - shift:
        node.error(f"bit field of width {width} at shift {shift} does not fit 32 bits")
        ok = False
    mask = number(members["mask"]) if "mask" in members else 0xFFFFFFFF
    rule.update(argument=argument, shift=shift, width=width, mask=mask)
    return ok and mask is not None


def check_enum(members, rule, context):
    name = members["type"].value
    if context.enums is not None and name not in context.enums:
        members["type"].error(f"type {name!r} is not an enumeration")
        return False
    alias = members["alias"].value if "alias" in members else 0
    if alias < 0:
        members["alias"].error("the alias index must not be negative")
        return False
    filter_name = members["filter"].value if "filter" in members else "identity"
    if filter_name not in FILTERS:
        members["filter"].error(f"unknown name filter {filter_name!r}; expected one of {', '.join(FILTERS)}")
        return False
    rule.update(type=name, alias=alias, filter=filter_name)
    return True


def check_choice(members, rule, arguments, context):
    options = []
    for option in members["options"].items():
        checked = check_rule(option, arguments, context)
        if checked is None:
            continue
        if checked["rule"] == "choice" or RULES[checked["rule"]].feeds != TEXT:
            option.error(f"a choice's option must give a text other than a choice, not \"{checked['rule']}\"")
            continue
        options.append(checked)
    if len(options) != len(members["options"].value):
        return False
    if "text" in members:
        text = members["text"].value
    elif all(o["rule"] == "enum" for o in options):
        text = "(" + "|".join(f"[{o['argument']}${o['shift']}:{o['width']}]{o['type']}" for o in options) + ")"
    else:
        members["options"].error("give the list's \"text\": only options that are all \"enum\" rules yield it")
        return False
    rule.update(options=options, text=text)
    return True


def check_parameters(node, members, rule, arguments, context):
    key = rule["rule"]
    if key == "enum":
        return check_enum(members, rule, context)
    if key == "bool":
        words = members["words"].value if "words" in members else "true/false"
        if words not in BOOLEAN_WORDS:
            members["words"].error(f"unknown word pair {words!r}; expected one of {', '.join(BOOLEAN_WORDS)}")
            return False
        rule["words"] = words
    elif key == "binary":
        digits = members["digits"].value if "digits" in members else rule["width"]
        if not 0 <= digits <= 32:
            members["digits"].error(f"{digits} digits is outside 0 to 32")
            return False
        rule["digits"] = digits
    elif key == "choice":
        return check_choice(members, rule, arguments, context)
    elif key == "value_text":
        name = members["table"].value
        if name not in context.value_tables:
            members["table"].error(f"unknown value table {name!r}")
            return False
        rule["table"] = name
    elif key == "flag":
        letter = members["letter"].value
        if len(letter) != 1 or not 32 < ord(letter) < 127:
            members["letter"].error(f"the letter must be one printable ASCII character, not {letter!r}")
            return False
        rule["letter"] = letter
    elif key == "data":
        return check_data(members, rule)
    return True


def check_data(members, rule):
    unit = members["unit"].value
    if unit not in DATA_UNITS:
        members["unit"].error(f"unit size {unit} is neither 1 nor 4")
        return False
    unit_format = members["unit_format"].value if "unit_format" in members else DATA_UNITS[unit]
    try:
        unit_slots = formats.slots(unit_format)
    except formats.FormatError as e:
        members["unit_format"].error(str(e))
        return False
    if [kind for _, kind in unit_slots] != ["int"]:
        members["unit_format"].error(f"the unit format {unit_format!r} must have exactly one integer conversion")
        return False
    rule.update(unit=unit, unit_format=unit_format)
    return True


def check_rule(node, arguments, context):
    """The checked rule as a dict, or None after reporting its mistakes."""
    key = rule_key(node)
    if key is None:
        return None
    catalogue = RULES[key]
    before = len(node.errors.messages)
    optional = {k: v for k, v in catalogue.parameters.items() if k not in catalogue.required}
    required = {key: int, **{k: catalogue.parameters[k] for k in catalogue.required}}
    members = fields(node, required, {**SOURCE_MEMBERS, **optional})
    if len(node.errors.messages) != before:
        return None
    rule = {"rule": key}
    if not check_source(node, members, arguments, rule):
        return None
    if not check_parameters(node, members, rule, arguments, context):
        return None
    return rule


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
        if kind not in RULES[rule["rule"]].feeds:
            rule_node.error(f"conversion {index} ({conversion!r}) takes {'a text' if kind == 'text' else 'a number'}; "
                            f"rule \"{rule['rule']}\" cannot feed it")
            ok = False
    if sum(1 for rule in rules if rule["rule"] == "choice") > 1:
        node.error("a format may hold at most one choice (its \"No option\" text has one buffer)")
        ok = False
    return rules if ok else None


def check_token(node, context):
    before = len(node.errors.messages)
    members = fields(node, TOKEN_MEMBERS, {"file": object})
    if len(node.errors.messages) != before:
        return None
    if "file" not in members:
        node.error("missing member \"file\" (a path, or null)")
        return None
    file = members["file"].value
    if file is not None and not is_type(file, str):
        members["file"].error("expected a path or null")
        return None
    token = {"id": number(members["id"]), "table": members["table"].value, "group": number(members["group"]),
             "arguments": members["arguments"].value, "line": number(members["line"]), "file": file,
             "format": members["format"].value}
    ok = None not in (token["id"], token["group"], token["line"])
    if token["table"] not in TABLES:
        members["table"].error(f"unknown table {token['table']!r}; expected \"print\" or \"alarm\"")
        ok = False
    elif token["table"] == "print" and context.groups is not None and token["group"] is not None \
            and token["group"] not in context.groups:
        members["group"].error(f"group {token['group']} has no log-group channel "
                               f"(no channel {16 + 32 * token['group']} with decoder \"log_group\")")
        ok = False
    if not 0 <= token["arguments"] <= MAX_ARGUMENTS:
        members["arguments"].error(f"argument count {token['arguments']} is outside 0 to {MAX_ARGUMENTS}")
        return None
    rule_nodes = expand_sets(members["conversions"], context)
    if rule_nodes is None:
        return None
    rules = check_format(members["format"], rule_nodes, token["arguments"], context)
    if rules is None or not ok:
        return None
    token["rules"] = rules
    return token


def check_named_alarms(desc, context, alarm_ids):
    """One alarm token per enumerator of the named enumeration that the
    alarm table does not give explicitly, from one template."""
    node = desc.get("named_alarms")
    if node is None:
        return []
    before = len(node.errors.messages)
    members = fields(node, {"enumeration": str, "arguments": int, "format": str, "conversions": list})
    if len(node.errors.messages) != before:
        return []
    name = members["enumeration"].value
    if context.enums is None:
        return []
    if name not in context.enums:
        members["enumeration"].error(f"type {name!r} is not an enumeration")
        return []
    if members["format"].value.count(NAME_PLACEHOLDER) != 1:
        members["format"].error(f"the format must hold {NAME_PLACEHOLDER} once, where the alarm's name goes")
        return []
    template = {key: m.value for key, m in members.items() if key != "enumeration"}
    template.update(id=0, table="alarm", group=0, line=0, file=None)
    checked = check_token(type(node)(template, node.file, node.path, node.errors), context)
    if checked is None:
        return []
    tokens, seen = [], set(alarm_ids)
    for value, enumerator in context.enums[name]:
        if value in seen:
            continue
        seen.add(value)
        tokens.append({**checked, "id": value,
                       "format": checked["format"].replace(NAME_PLACEHOLDER, enumerator)})
    return tokens


def check_unique_ids(token_nodes, tokens, named, named_node):
    seen = {}
    for node, token in zip(token_nodes, tokens):
        if token is None:
            continue
        if token["id"] in seen:
            node.member("id").error(f"token id {token['id']:#010x} is also given at {seen[token['id']]}")
        else:
            seen[token["id"]] = node.path
    for token in named:
        if token["id"] in seen:
            named_node.error(f"enumerator {token['id']:#010x} is also the id of the print token at "
                             f"{seen[token['id']]}")


def check(desc, errors, channels, types):
    """Returns {"print": [token], "alarm": [token], "value_tables": {...}},
    or None after reporting errors."""
    before = len(errors.messages)
    context = Context(log_groups(channels) if channels is not None else None,
                      enumerations(types) if types is not None else None,
                      check_value_tables(desc), check_conversion_sets(desc))
    node = desc.get("tokens")
    if node is None:
        errors.add(desc.file, "tokens", "missing member \"tokens\"")
        return None
    if not is_type(node.value, list):
        node.error("expected an array of tokens")
        return None
    token_nodes = node.items()
    tokens = [check_token(token, context) for token in token_nodes]
    alarm_ids = {t["id"] for t in tokens if t is not None and t["table"] == "alarm"}
    named = check_named_alarms(desc, context, alarm_ids)
    check_unique_ids(token_nodes, tokens, named, desc.get("named_alarms"))
    if len(errors.messages) != before:
        return None
    return {"print": [t for t in tokens if t["table"] == "print"],
            "alarm": [t for t in tokens if t["table"] == "alarm"] + named,
            "value_tables": context.value_tables}


# --- emitting ---------------------------------------------------------------

class Arrays:
    """Constant arrays of the generated file, each written once however
    many tokens share it."""

    def __init__(self):
        self.lines = []
        self.names = {}
        self.counts = {}

    def add(self, prefix, element_type, items):
        if not items:
            return "nullptr"
        body = "".join(f"    {item},\n" for item in items)
        key = (element_type, body)
        if key not in self.names:
            self.counts[prefix] = self.counts.get(prefix, 0) + 1
            name = f"{prefix}{self.counts[prefix]}"
            self.names[key] = name
            self.lines.append(f"constexpr {element_type} {name}[] = {{\n{body}}};\n")
        return self.names[key]


def rule_cpp(rule, arrays):
    parts = [f".kind = RuleKind::{RULES[rule['rule']].kind}",
             f".source = {{{rule['argument']}, {rule['shift']}, {rule['width']}, {rule['mask']:#x}u}}"]
    key = rule["rule"]
    if key == "enum":
        parts += [f".printer = &printEnumeration<enum_{cpp.identifier(rule['type'])}>",
                  f".aliasIndex = {rule['alias']}", f".filter = &{FILTERS[rule['filter']]}"]
    elif key == "bool":
        parts.append(f".words = BooleanWords::{BOOLEAN_WORDS[rule['words']]}")
    elif key == "binary":
        parts.append(f".digits = {rule['digits']}")
    elif key == "choice":
        options = arrays.add("options", "ConversionRule", [rule_cpp(o, arrays) for o in rule["options"]])
        parts += [f".options = {options}", f".optionCount = {len(rule['options'])}",
                  f".listText = {cpp.string_literal(rule['text'])}"]
    elif key == "value_text":
        parts.append(f".values = &values_{cpp.identifier(rule['table'])}")
    elif key == "flag":
        parts.append(f".letter = '{rule['letter']}'" if rule["letter"] not in "'\\" else
                     f".letter = '\\{rule['letter']}'")
    elif key == "data":
        parts += [f".unitSize = {rule['unit']}", f".unitFormat = {cpp.string_literal(rule['unit_format'])}"]
    return "{" + ", ".join(parts) + "}"


def value_table_cpp(name, table, arrays):
    entries = arrays.add("entries", "ValueTextEntry",
                         [f"{{{value:#x}u, {cpp.string_literal(text)}}}" for value, text in table["values"]])
    arrays.lines.append(f"constexpr ValueTextTable values_{cpp.identifier(name)} = "
                        f"{{{entries}, {len(table['values'])}, {cpp.string_literal(table['default'])}}};\n")


def layout(tokens):
    """(ordered tokens, direct index, rest ids, index of the first rest
    token): the multiples of 4 up to the largest located id come first and
    are found by id / 4, the others follow in ascending order."""
    located = [t["id"] for t in tokens if t["file"] is not None]
    limit = max(located) if located else -1
    direct = sorted((t for t in tokens if t["id"] % 4 == 0 and t["id"] <= limit), key=lambda t: t["id"])
    rest = sorted((t for t in tokens if t["id"] % 4 != 0 or t["id"] > limit), key=lambda t: t["id"])
    index = [0] * (limit // 4 + 1)
    for position, token in enumerate(direct):
        index[token["id"] // 4] = position + 1
    return direct + rest, index, [t["id"] for t in rest], len(direct)


def numbers_cpp(values, per_line=12):
    lines = [", ".join(str(v) for v in values[i:i + per_line]) for i in range(0, len(values), per_line)]
    return "".join(f"    {line},\n" for line in lines)


def record_cpp(token, arrays):
    rules = arrays.add("rules", "ConversionRule", [rule_cpp(r, arrays) for r in token["rules"]])
    file = cpp.string_literal(token["file"]) if token["file"] is not None else "nullptr"
    return (f"    // {token['id']:#010x}\n"
            f"    {{{{{cpp.string_literal(token['format'])}, {rules}, {len(token['rules'])}}}, "
            f"{token['group']}, {token['arguments']}, {token['line']}, {file}}},\n")


def table_cpp(name, tokens, arrays):
    """(the table's arrays, the table's definition)"""
    ordered, index, rest_ids, rest_first = layout(tokens)
    records = "".join(record_cpp(token, arrays) for token in ordered)
    parts = []
    records_name = direct_name = rest_name = "nullptr"
    if records:
        records_name = f"{name}Records"
        parts.append(f"constexpr TokenRecord {records_name}[] = {{\n{records}}};\n")
    if index:
        direct_name = f"{name}Direct"
        parts.append(f"constexpr uint32_t {direct_name}[] = {{\n{numbers_cpp(index)}}};\n")
    if rest_ids:
        rest_name = f"{name}RestIds"
        parts.append(f"constexpr uint32_t {rest_name}[] = {{\n{numbers_cpp([f'{i:#x}u' for i in rest_ids], 6)}}};\n")
    definition = (f"constinit const TokenTable {name}Table = {{{records_name}, {direct_name}, {len(index)}, "
                  f"{rest_name}, {rest_first}, {len(rest_ids)}}};\n")
    return "\n".join(parts), definition


def uses_enumerations(tokens):
    rules = [r for t in tokens["print"] + tokens["alarm"] for r in t["rules"]]
    return any(r["rule"] == "enum" for r in rules + [o for r in rules for o in r.get("options", [])])


def emit(tokens, types, source):
    arrays = Arrays()
    for name, table in tokens["value_tables"].items():
        value_table_cpp(name, table, arrays)
    print_arrays, print_table = table_cpp("printToken", tokens["print"], arrays)
    alarm_arrays, alarm_table = table_cpp("alarmToken", tokens["alarm"], arrays)
    includes = '#include "render/print_entries.h"\n#include "type_tables.h"\n' if uses_enumerations(tokens) else ""
    arrays_text = "\n".join(arrays.lines)
    body = f"""{cpp.header(source)}
#include "records/token_table.h"
#include "render/name_filters.h"
{includes}
namespace tkdec::build {{
namespace {{

{arrays_text}
{print_arrays}
{alarm_arrays}
}}  // namespace

{print_table}
{alarm_table}
}}  // namespace tkdec::build
"""
    return {"tokens.cpp": body}
