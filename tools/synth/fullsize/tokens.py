"""The print and alarm tokens of the build.

Every multiple of 4 up to the last log point is the id of one print token
or one located alarm; the named alarms and exception reports take the
CKI_AlarmId values. Rules are spread so that the formatters using each
rule, and the enumeration conversions, add up to the build's totals.
"""

from . import totals
from .words import ADJECTIVES, MODULES, NOUNS, OBJECTS, VERBS, camel

# The processor exception reports and what they share.
VALUE_TABLES = {
    "processor_mode": {"values": [[16, "USER"], [17, "FIQ"], [18, "IRQ"], [19, "SVC"], [23, "ABORT"],
                                  [27, "UNDEFINED"], [31, "SYS"]], "default": "UNKNOWN"},
    "fault_status": {"values": [[0, "Background"], [1, "Alignment"], [2, "Debug Event"],
                                [8, "Synchronous External Abort"], [13, "Permission"],
                                ["0x406", "Asynchronous External Abort"], ["0x408", "Asynchronous Parity/ECC Error"],
                                ["0x409", "Synchronous Parity/ECC Error"]], "default": "RESERVED"},
    "bus_source": {"values": [[1, "AXI Slave"]], "default": "AXI Decode"},
    "access": {"values": [[1, "WR"]], "default": "RD"},
}
CPSR_FLAGS = [("N", "0x80000000"), ("Z", "0x40000000"), ("C", "0x20000000"), ("V", "0x10000000"),
              ("Q", "0x08000000"), ("E", "0x00000200"), ("A", "0x00000100"), ("I", "0x00000080"),
              ("F", "0x00000040"), ("T", "0x00000020")]
CONVERSION_SETS = {"cpsr": [{"raw": 0}] + [{"flag": 0, "mask": mask, "letter": letter} for letter, mask in CPSR_FLAGS]
                   + [{"value_text": 0, "mask": 31, "table": "processor_mode"}]}
CPSR = "cpsr = 0x%.8x [R4:FLAGS=%c%c%c%c%c%c%c%c%c%c MODE=%s] pc = 0x%.8x"
FAULT = [{"value_text": 3, "shift": 12, "width": 1, "table": "bus_source"},
         {"value_text": 3, "mask": "0x40F", "table": "fault_status"}]
EXCEPTIONS = [
    (3, f"[ABORT:EXH_UNDEF_ABORT] {CPSR} sp = 0x%.8x", [{"set": "cpsr"}, {"raw": 1}, {"raw": 2}]),
    (2, f"[ABORT:EXH_SWI_ABORT] {CPSR}", [{"set": "cpsr"}, {"raw": 1}]),
    (6, f"[ABORT:EXH_PREFETCH_ABORT] {CPSR} sp = 0x%.8x ifsr = 0x%.8x [R4:IFSR=%s:%s] aifsr = 0x%.8x ifar = 0x%.8x",
     [{"set": "cpsr"}, {"raw": 1}, {"raw": 2}, {"raw": 3}] + FAULT + [{"raw": 4}, {"raw": 5}]),
    (6, f"[ABORT:EXH_DATA_ABORT] {CPSR} sp = 0x%.8x dfsr = 0x%.8x [R4:DFSR=%s:%s:%s] adfsr = 0x%.8x dfar = 0x%.8x",
     [{"set": "cpsr"}, {"raw": 1}, {"raw": 2}, {"raw": 3}] + FAULT
     + [{"value_text": 3, "shift": 11, "width": 1, "table": "access"}, {"raw": 4}, {"raw": 5}]),
    (2, f"[ABORT:EXH_UNUSED_ABORT] {CPSR}", [{"set": "cpsr"}, {"raw": 1}]),
    (2, f"[ABORT:EXH_FIQ_ABORT] {CPSR}", [{"set": "cpsr"}, {"raw": 1}]),
]
NAMED_ALARM_TEMPLATE = {
    "enumeration": "CKI_AlarmId",
    "arguments": 6,
    "format": "[ALARM:{name} %s line=%d in %s] 0x%.8x, 0x%.8x, 0x%.8x",
    "conversions": [{"enum": 0, "type": "CkiAlarmLevel", "filter": "skip2"}, {"raw": 1},
                    {"enum": 2, "type": "CKI_TaskId"}, {"raw": 3}, {"raw": 4}, {"raw": 5}],
}
TEMPLATE_ENUMS = 2
# Named alarms given explicitly, by argument count (the rest use the template).
EXPLICIT_NAMED = {2: 100, 3: 80}
ALARM_LEVEL = {"type": "CkiAlarmLevel", "filter": "skip2"}
RAW_CONVERSIONS = ["%d", "%u", "0x%.8x", "%x", "%08X", "%-5d", "%7d", "%i", "0x%.4x", "%u"]
TEXT_CONVERSIONS = ["%s", "%s", "%s", "%-25s"]
AREAS = ["drivers", "services", "platform/ptp", "platform/common", "cki", "protocols"]
SOURCE_FILES = 320
LOCATED_EXTRA_ENUM = 0.35  # located alarms of 4 arguments or more: a chance of one more enumeration


class Source:
    def __init__(self, path, cls):
        self.path = path
        self.cls = cls


def spread_capped(rng, total, caps):
    """One number per cap, each from 1 to its cap, summing to total."""
    numbers = [1] * len(caps)
    while sum(numbers) < total:
        i = rng.randrange(len(caps))
        if numbers[i] < caps[i]:
            numbers[i] += 1
    return numbers


class TokenModel:
    def __init__(self, rng, types, groups):
        self.rng = rng
        self.types = types
        self.groups = [value for value, _ in groups]
        self.sources = self.source_files()
        self.alias_uses = 2

    def source_files(self):
        sources = []
        for _ in range(SOURCE_FILES):
            module, thing = self.rng.choice(MODULES), camel(self.rng.choice(OBJECTS))
            cls = f"{module}{thing}{self.rng.choice(['Driver', 'Layer', 'Service', 'Manager', 'Handler', ''])}"
            sources.append(Source(f"../../{self.rng.choice(AREAS)}/{module.lower()}/src/{cls.lower()}.cpp", cls))
        return sources

    # --- rules ------------------------------------------------------------------

    def enum_rule(self, argument, enum_name=None):
        name = enum_name or self.rng.choice(self.types.generic_enums + ["CKI_TaskId", "CKI_Return"])
        enum = self.types.enums[name]
        rule = {"enum": argument, "type": name}
        if 2 <= enum.prefix_words <= 5 and self.rng.random() < 0.3:
            rule["filter"] = f"skip{enum.prefix_words}"
        if self.alias_uses > 0 and len({v for _, v in enum.pairs}) < len(enum.pairs) and enum_name is None:
            rule["alias"] = 1
            self.alias_uses -= 1
        return rule

    def feature_rules(self, feature, argument):
        """(rules, conversions) of one conversion of a feature."""
        rng = self.rng
        if feature == "bool":
            return [{"bool": argument, "words": rng.choice(["true/false", "TRUE/FALSE", "True/False"])}], ["%s"]
        if feature == "address":
            return [{"address": argument}], ["%s"]
        if feature == "string":
            return [{"string": argument}], ["%s"]
        if feature == "data":
            return [{"data": argument, "unit": rng.choice([1, 4])}], ["%s"]
        if feature == "binary":
            return [{"binary": argument, "shift": rng.randint(0, 8), "width": rng.randint(1, 8)}], ["%s"]
        if feature == "bit_field":
            shift = rng.randint(0, 24)
            return [{"raw": argument, "shift": shift, "width": rng.randint(1, 32 - shift)}], ["%u"]
        if feature == "choice":
            small = [n for n in self.types.generic_enums if self.types.enums[n].size == 1][:2]
            options = [{"enum": argument, "shift": 4, "width": 4, "type": name} for name in small]
            return [{"choice": argument, "shift": 0, "width": 2, "options": options}], ["%s"]
        return [{"raw": argument}], [rng.choice(RAW_CONVERSIONS)]

    def print_rules(self, arguments, feature, enums):
        """The rules and conversions of a print token: enums enumeration texts,
        one conversion of the feature, raw words for the other arguments."""
        kinds = ["enum"] * enums + ([feature] if feature else [])
        kinds += ["raw"] * (arguments - len(kinds))
        self.rng.shuffle(kinds)
        rules, conversions = [], []
        for argument, kind in enumerate(kinds):
            if kind == "enum":
                rule, conversion = [self.enum_rule(argument)], [self.rng.choice(TEXT_CONVERSIONS)]
            else:
                rule, conversion = self.feature_rules(kind, argument)
            rules += rule
            conversions += conversion
        return rules, conversions

    # --- texts ------------------------------------------------------------------

    def phrase(self):
        rng = self.rng
        return f"{rng.choice(VERBS)} {rng.choice(OBJECTS)} {rng.choice(ADJECTIVES)}"

    def conversion_text(self, conversions):
        """A word and a separator before each conversion."""
        return "".join(f" {self.rng.choice(OBJECTS)}{self.rng.choice(['=', ' ', ': '])}{conversion}"
                       for conversion in conversions)

    def located(self, token_id, table, arguments, group, rules, format_):
        source = self.rng.choice(self.sources)
        line = self.rng.randint(20, 4000)
        method = f"{self.rng.choice(VERBS)}{camel(self.rng.choice(OBJECTS))}"
        return {"id": f"0x{token_id:X}", "table": table, "group": group, "arguments": arguments, "line": line,
                "file": source.path, "format": format_(source, method, line), "conversions": rules}

    # --- tokens -----------------------------------------------------------------

    def build(self):
        rng = self.rng
        ids = list(range(0, totals.LAST_LOG_POINT + 1, 4))
        inner = [i for i in ids if totals.FIRST_LOCATED_ALARM < i < totals.LAST_LOCATED_ALARM]
        alarm_ids = sorted(rng.sample(inner, totals.LOCATED_ALARMS - 2)
                           + [totals.FIRST_LOCATED_ALARM, totals.LAST_LOCATED_ALARM])
        print_ids = sorted(set(ids) - set(alarm_ids))
        alarms = self.located_alarms(alarm_ids)
        named, named_enums = self.named_alarms()
        enum_conversions = sum(sum(1 for r in t["conversions"] if "enum" in r) for t in alarms) + named_enums
        # Every alarm formatter but the exception reports prints enumeration
        # texts, and so does the choice's formatter through its options.
        enum_formatters = totals.RULE_FORMATTERS["enum"] - len(alarms) - (totals.NAMED_ALARMS - len(EXCEPTIONS)) \
            - totals.RULE_FORMATTERS["choice"]
        prints = self.print_tokens(print_ids, totals.ENUM_CONVERSIONS - enum_conversions, enum_formatters)
        return {"value_tables": VALUE_TABLES, "conversion_sets": CONVERSION_SETS,
                "named_alarms": NAMED_ALARM_TEMPLATE, "tokens": prints + alarms + named}

    def print_tokens(self, ids, enum_conversions, enum_formatters):
        rng = self.rng
        counts = [n for n, k in sorted(totals.ARGUMENT_COUNTS.items()) for _ in range(k)]
        rng.shuffle(counts)
        with_arguments = [i for i, n in enumerate(counts) if n > 0]
        features = {index: None for index in with_arguments}
        order = rng.sample(with_arguments, len(with_arguments))
        for feature in ("choice", "bit_field", "binary", "address", "bool", "string", "data"):
            wanted = totals.RULE_FORMATTERS[feature] - (1 if feature == "binary" else 0)
            for index in order[:wanted]:
                features[index] = feature
            order = order[wanted:]
        enum_tokens = order[:enum_formatters]
        caps = [counts[i] for i in enum_tokens]
        enums = dict(zip(enum_tokens, spread_capped(rng, enum_conversions, caps)))
        tokens = []
        for index, (token_id, arguments) in enumerate(zip(ids, counts)):
            rules, conversions = self.print_rules(arguments, features.get(index), enums.get(index, 0))
            phrase = self.phrase()
            tokens.append(self.located(
                token_id, "print", arguments, rng.choice(self.groups), rules,
                lambda s, m, line: f"{s.cls}::{m}:{line} - {phrase}{self.conversion_text(conversions)}"))
        return tokens

    def located_alarms(self, ids):
        rng = self.rng
        tokens = []
        binary = rng.randrange(len(ids))
        for index, token_id in enumerate(ids):
            arguments = rng.randint(*totals.LOCATED_ALARM_ARGUMENTS)
            if index == binary:
                arguments = max(arguments, 3)
            rules = [{"enum": 0, "type": "CKI_AlarmId"}, {"raw": 0}, {"enum": 1, **ALARM_LEVEL}]
            conversions = []
            for argument in range(2, arguments):
                if index == binary and argument == 2:
                    rule, conversion = self.feature_rules("binary", argument)
                elif argument == 3 and rng.random() < LOCATED_EXTRA_ENUM:
                    rule, conversion = [self.enum_rule(argument, rng.choice(self.types.generic_enums))], ["%s"]
                else:
                    rule, conversion = self.feature_rules("raw", argument)
                rules += rule
                conversions += conversion
            phrase = camel(self.phrase())
            file_name = lambda s: s.path.rsplit("/", 1)[-1]
            tokens.append(self.located(
                token_id, "alarm", arguments, 12 if index == 0 else 0, rules,
                lambda s, m, line: f"[ALARM:%s(%.8x) %s at {file_name(s)}:{s.cls}::{m}:{line}] {phrase}:"
                                   f"{self.conversion_text(conversions)}"))
        return tokens

    def named_alarms(self):
        """The exception reports and the named alarms given explicitly; the
        others come from the template. Returns (tokens, enumeration
        conversions of all named alarms)."""
        alarm_names = {v: n for n, v in self.types.enums["CKI_AlarmId"].pairs}
        tokens = [{"id": f"0x{value:08X}", "table": "alarm", "group": 0, "arguments": arguments, "line": 0,
                   "file": None, "format": format_, "conversions": rules}
                  for value, (arguments, format_, rules) in zip(totals.EXCEPTION_IDS, EXCEPTIONS)]
        named = [v for v in alarm_names if v not in totals.EXCEPTION_IDS]
        chosen = self.rng.sample(named, sum(EXPLICIT_NAMED.values()))
        enums = 0
        for index, value in enumerate(chosen):
            arguments = 2 if index < EXPLICIT_NAMED[2] else 3
            name = alarm_names[value]
            if arguments == 2:
                format_ = f"[ALARM:{name} %s] {self.phrase()} 0x%.8x"
                rules = [{"enum": 0, **ALARM_LEVEL}, {"raw": 1}]
            else:
                format_ = f"[ALARM:{name} %s in %s] {self.phrase()} 0x%.8x"
                rules = [{"enum": 0, **ALARM_LEVEL}, {"enum": 1, "type": "CKI_TaskId"}, {"raw": 2}]
            enums += arguments - 1
            tokens.append({"id": f"0x{value:08X}", "table": "alarm", "group": 0, "arguments": arguments, "line": 0,
                           "file": None, "format": format_, "conversions": rules})
        enums += TEMPLATE_ENUMS * (len(named) - len(chosen))
        return tokens, enums
