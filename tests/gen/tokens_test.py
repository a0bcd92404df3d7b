"""The generator's checks of tokens and the token tables it writes."""

import json
import os
import shutil
import sys
import tempfile
import unittest

SOURCE_DIR = os.environ.get("TKDEC_SOURCE_DIR") or os.path.abspath(
    os.path.join(os.path.dirname(__file__), "..", ".."))
REFERENCE = os.path.join(SOURCE_DIR, "builds", "kestrelmax")
sys.path.insert(0, os.path.join(SOURCE_DIR, "tools", "gen"))

import tkdec_gen  # noqa: E402
from tkgen import tokens  # noqa: E402


def token(**members):
    base = {"id": 0, "table": "print", "group": 1, "arguments": 1, "line": 10, "file": "a.cpp",
            "format": "value %u", "conversions": [{"raw": 0}]}
    base.update(members)
    return base


def generate(tokens_doc):
    """(outputs, errors) of the reference build with tokens.json replaced by
    tokens_doc; errors name files by their base name."""
    folder = tempfile.mkdtemp(prefix="tkdec-tokens-")
    try:
        for entry in os.listdir(REFERENCE):
            if entry.endswith(".json"):
                shutil.copy(os.path.join(REFERENCE, entry), folder)
        with open(os.path.join(folder, "tokens.json"), "w", encoding="utf-8") as f:
            json.dump(tokens_doc, f)
        cwd = os.getcwd()
        os.chdir(folder)
        try:
            return tkdec_gen.generate("build.json")
        finally:
            os.chdir(cwd)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


CPSR_TABLES = {"mode": {"values": [[16, "USER"], ["0x1F", "SYS"]], "default": "UNKNOWN"}}


class TokenChecks(unittest.TestCase):
    # (what is wrong, the tokens document, the one expected message)
    CASES = [
        ("rule count below the conversions",
         {"tokens": [token(format="%u %u")]},
         "tokens.json: tokens[0].format: the format has 2 conversions (a \"*\" counts as one) but 1 rules are given"),
        ("\"%.*x\" takes two words",
         {"tokens": [token(format="%.*x")]},
         "tokens.json: tokens[0].format: the format has 2 conversions (a \"*\" counts as one) but 1 rules are given"),
        ("rule count above the conversions",
         {"tokens": [token(format="none")]},
         "tokens.json: tokens[0].format: the format has 0 conversions (a \"*\" counts as one) but 1 rules are given"),
        ("argument index at the argument count",
         {"tokens": [token(conversions=[{"raw": 1}])]},
         "tokens.json: tokens[0].conversions[0].raw: argument index 1 is at or above the argument count 1"),
        ("argument index inside a choice",
         {"tokens": [token(format="%s", arguments=2, conversions=[
             {"choice": 0, "width": 1, "options": [{"bool": 2}], "text": "(x)"}])]},
         "tokens.json: tokens[0].conversions[0].options[0].bool: argument index 2 is at or above the argument count 2"),
        ("argument count above 32",
         {"tokens": [token(arguments=33)]},
         "tokens.json: tokens[0].arguments: argument count 33 is outside 0 to 32"),
        ("unknown name filter",
         {"tokens": [token(format="%s", conversions=[{"enum": 0, "type": "CkiAlarmLevel", "filter": "skip6"}])]},
         "tokens.json: tokens[0].conversions[0].filter: unknown name filter 'skip6'; "
         "expected one of identity, skip2, skip3, skip4, skip5"),
        ("enumeration text of a base type",
         {"tokens": [token(format="%s", conversions=[{"enum": 0, "type": "uint32_t"}])]},
         "tokens.json: tokens[0].conversions[0].type: type 'uint32_t' is not an enumeration"),
        ("enumeration text of an unknown type",
         {"tokens": [token(format="%s", conversions=[{"enum": 0, "type": "CkiAlarmLevels"}])]},
         "tokens.json: tokens[0].conversions[0].type: type 'CkiAlarmLevels' is not an enumeration"),
        ("id twice in one table",
         {"tokens": [token(id=8), token(id="0x8")]},
         "tokens.json: tokens[1].id: token id 0x00000008 is also given at tokens[0]"),
        ("id in both tables",
         {"tokens": [token(id=8), token(id=8, table="alarm", group=0)]},
         "tokens.json: tokens[1].id: token id 0x00000008 is also given at tokens[0]"),
        ("print group without a log-group channel",
         {"tokens": [token(group=20)]},
         "tokens.json: tokens[0].group: group 20 has no log-group channel (no channel 656 with decoder \"log_group\")"),
        ("print group 0",
         {"tokens": [token(group=0)]},
         "tokens.json: tokens[0].group: group 0 has no log-group channel (no channel 16 with decoder \"log_group\")"),
        ("unknown conversion",
         {"tokens": [token(format="%f")]},
         "tokens.json: tokens[0].format: unknown conversion '%f' at offset 0"),
        ("64-bit conversion",
         {"tokens": [token(format="%llx")]},
         "tokens.json: tokens[0].format: 64-bit or wide conversion '%llx' at offset 0; "
         "the firmware prints 64-bit values as two words"),
        ("format ending in a conversion",
         {"tokens": [token(format="100%")]},
         "tokens.json: tokens[0].format: the format ends inside the conversion '%'"),
        ("text rule for a number",
         {"tokens": [token(conversions=[{"address": 0}])]},
         "tokens.json: tokens[0].conversions[0]: conversion 0 ('%u') takes a number; rule \"address\" cannot feed it"),
        ("number rule for a text",
         {"tokens": [token(format="%s")]},
         "tokens.json: tokens[0].conversions[0]: conversion 0 ('%s') takes a text; rule \"raw\" cannot feed it"),
        ("flag letter for a number",
         {"tokens": [token(conversions=[{"flag": 0, "letter": "N"}])]},
         "tokens.json: tokens[0].conversions[0]: conversion 0 ('%u') takes a number; rule \"flag\" cannot feed it"),
        ("two rule keys",
         {"tokens": [token(conversions=[{"raw": 0, "address": 0}])]},
         "tokens.json: tokens[0].conversions[0]: expected an object with exactly one rule key of raw, enum, bool, "
         "binary, address, choice, value_text, flag, string, data"),
        ("bit field past bit 31",
         {"tokens": [token(conversions=[{"raw": 0, "shift": 30, "width": 4}])]},
         "tokens.json: tokens[0].conversions[0]: bit field of width 4 at shift 30 does not fit 32 bits"),
        ("shift of 32",
         {"tokens": [token(conversions=[{"raw": 0, "shift": 32}])]},
         "tokens.json: tokens[0].conversions[0].shift: shift 32 is outside 0 to 31"),
        ("unknown word pair",
         {"tokens": [token(format="%s", conversions=[{"bool": 0, "words": "yes/no"}])]},
         "tokens.json: tokens[0].conversions[0].words: unknown word pair 'yes/no'; "
         "expected one of true/false, TRUE/FALSE, True/False"),
        ("too many digits",
         {"tokens": [token(format="%s", conversions=[{"binary": 0, "digits": 33}])]},
         "tokens.json: tokens[0].conversions[0].digits: 33 digits is outside 0 to 32"),
        ("unknown value table",
         {"tokens": [token(format="%s", conversions=[{"value_text": 0, "table": "modes"}])]},
         "tokens.json: tokens[0].conversions[0].table: unknown value table 'modes'"),
        ("value given twice in a table",
         {"value_tables": {"mode": {"values": [[16, "A"], ["0x10", "B"]], "default": "C"}}, "tokens": []},
         "tokens.json: value_tables.mode.values[1]: value 16 is given twice"),
        ("flag of two letters",
         {"tokens": [token(format="%c", conversions=[{"flag": 0, "letter": "NZ"}])]},
         "tokens.json: tokens[0].conversions[0].letter: the letter must be one printable ASCII character, not 'NZ'"),
        ("data unit of 2",
         {"tokens": [token(format="%s", conversions=[{"data": 0, "unit": 2}])]},
         "tokens.json: tokens[0].conversions[0].unit: unit size 2 is neither 1 nor 4"),
        ("data unit format with a text",
         {"tokens": [token(format="%s", conversions=[{"data": 0, "unit": 1, "unit_format": "%s"}])]},
         "tokens.json: tokens[0].conversions[0].unit_format: the unit format '%s' must have exactly one "
         "integer conversion"),
        ("two choices",
         {"tokens": [token(format="%s%s", conversions=[
             {"choice": 0, "options": [{"bool": 0}], "text": "(a)"},
             {"choice": 0, "options": [{"bool": 0}], "text": "(b)"}])]},
         "tokens.json: tokens[0].format: a format may hold at most one choice "
         "(its \"No option\" text has one buffer)"),
        ("choice inside a choice",
         {"tokens": [token(format="%s", conversions=[
             {"choice": 0, "options": [{"choice": 0, "options": [], "text": "()"}], "text": "(a)"}])]},
         "tokens.json: tokens[0].conversions[0].options[0]: a choice's option must give a text other than a "
         "choice, not \"choice\""),
        ("choice without its list's text",
         {"tokens": [token(format="%s", conversions=[{"choice": 0, "options": [{"bool": 0}]}])]},
         "tokens.json: tokens[0].conversions[0].options: give the list's \"text\": only options that are all "
         "\"enum\" rules yield it"),
        ("unknown conversion set",
         {"tokens": [token(conversions=[{"set": "cpsr"}])]},
         "tokens.json: tokens[0].conversions[0].set: unknown conversion set 'cpsr'"),
        ("unknown table",
         {"tokens": [token(table="prints")]},
         "tokens.json: tokens[0].table: unknown table 'prints'; expected \"print\" or \"alarm\""),
        ("id beyond 32 bits",
         {"tokens": [token(id="0x100000000")]},
         "tokens.json: tokens[0].id: 0x100000000 does not fit 32 bits"),
        ("file neither path nor null",
         {"tokens": [token(file=3)]},
         "tokens.json: tokens[0].file: expected a path or null"),
        ("unknown member",
         {"tokens": [token(lines=3)]},
         "tokens.json: tokens[0].lines: unknown member \"lines\""),
    ]

    def test_each_mistake_is_reported(self):
        for name, doc, expected in self.CASES:
            with self.subTest(name):
                outputs, errors = generate(doc)
                self.assertEqual(errors, [expected])
                self.assertEqual(outputs, {})

    def test_every_mistake_is_reported_at_once(self):
        _, errors = generate({"tokens": [token(arguments=40), token(id=4, format="%f"), token(id=8, group=20)]})
        self.assertEqual(len(errors), 3, errors)


class TokenTables(unittest.TestCase):
    def generated(self, doc):
        outputs, errors = generate(doc)
        self.assertEqual(errors, [])
        return outputs["tokens.cpp"]

    def test_direct_index_reaches_the_largest_located_id(self):
        text = self.generated({"tokens": [
            token(id=8), token(id=0), token(id=2, line=3),
            token(id=20, table="alarm", group=0),
            token(id="0x30000300", table="alarm", group=0, file=None, line=0)]})
        # Print table: 0 and 8 by index (0, 4, 8), the id 2 by search.
        self.assertIn("constexpr uint32_t printTokenDirect[] = {\n    1, 0, 2,\n};", text)
        self.assertIn("constexpr uint32_t printTokenRestIds[] = {\n    0x2u,\n};", text)
        self.assertIn("printTokenTable = {printTokenRecords, printTokenDirect, 3, printTokenRestIds, 2, 1};", text)
        # Alarm table: the index runs to 20; the unlocated id is searched.
        self.assertIn("alarmTokenTable = {alarmTokenRecords, alarmTokenDirect, 6, alarmTokenRestIds, 1, 1};", text)
        self.assertIn("    0, 0, 0, 0, 0, 1,\n", text)

    def test_records_read_as_their_log_lines(self):
        text = self.generated({"tokens": [
            token(id="0x94", group=2, line=796, file="x/driver.cpp",
                  format="initMemory:796 - memory controller %d supports banks")]})
        self.assertIn('    // 0x00000094\n    {{"initMemory:796 - memory controller %d supports banks", rules1, 1}, '
                      '2, 1, 796, "x/driver.cpp"},', text)
        self.assertIn("{.kind = RuleKind::RawWord, .source = {0, 0, 32, 0xffffffffu}}", text)

    def test_rules_carry_their_parameters(self):
        text = self.generated({
            "value_tables": CPSR_TABLES,
            "conversion_sets": {"flags": [{"flag": 0, "mask": "0x80000000", "letter": "N"},
                                          {"value_text": 0, "mask": 31, "table": "mode"}]},
            "tokens": [token(arguments=2, format="%c%s %s %s %s %s %s", conversions=[
                {"set": "flags"}, {"bool": 1, "shift": 3, "width": 1, "words": "True/False"},
                {"binary": 1, "shift": 8, "width": 8}, {"address": 1}, {"string": 0},
                {"data": 1, "unit": 4}])]})
        for expected in [
            "{0x10u, \"USER\"},\n    {0x1fu, \"SYS\"},",
            "constexpr ValueTextTable values_mode = {entries1, 2, \"UNKNOWN\"};",
            "{.kind = RuleKind::FlagLetter, .source = {0, 0, 32, 0x80000000u}, .letter = 'N'}",
            "{.kind = RuleKind::ValueText, .source = {0, 0, 32, 0x1fu}, .values = &values_mode}",
            "{.kind = RuleKind::BooleanWord, .source = {1, 3, 1, 0xffffffffu}, .words = BooleanWords::Capitalised}",
            "{.kind = RuleKind::BinaryDigits, .source = {1, 8, 8, 0xffffffffu}, .digits = 8}",
            "{.kind = RuleKind::DottedAddress, .source = {1, 0, 32, 0xffffffffu}}",
            "{.kind = RuleKind::ExtendedString, .source = {0, 0, 32, 0xffffffffu}}",
            "{.kind = RuleKind::ExtendedData, .source = {1, 0, 32, 0xffffffffu}, .unitSize = 4, .unitFormat = \"%.8x\"}",
        ]:
            self.assertIn(expected, text)

    def test_equal_rule_lists_are_written_once(self):
        text = self.generated({"tokens": [token(id=0), token(id=4), token(id=8, format="other %x")]})
        self.assertEqual(text.count("constexpr ConversionRule rules"), 1)

    def test_empty_tables(self):
        text = self.generated({"tokens": []})
        self.assertIn("constinit const TokenTable printTokenTable = {nullptr, nullptr, 0, nullptr, 0, 0};", text)


NAMED = {"enumeration": "CKI_AlarmId", "arguments": 6,
         "format": "[ALARM:{name} %s line=%d in %s] 0x%.8x, 0x%.8x, 0x%.8x",
         "conversions": [{"enum": 0, "type": "CkiAlarmLevel", "filter": "skip2"}, {"raw": 1},
                         {"enum": 2, "type": "CKI_TaskId"}, {"raw": 3}, {"raw": 4}, {"raw": 5}]}


class NamedAlarms(unittest.TestCase):
    def test_one_token_per_enumerator_not_given_explicitly(self):
        outputs, errors = generate({"named_alarms": NAMED, "tokens": [
            token(id="0x32030200", table="alarm", group=0, file=None, line=0, format="abort %x")]})
        self.assertEqual(errors, [])
        text = outputs["tokens.cpp"]
        self.assertIn('{{"[ALARM:COOKIE_ALARM_01 %s line=%d in %s] 0x%.8x, 0x%.8x, 0x%.8x", rules', text)
        self.assertIn('"abort %x"', text)
        self.assertNotIn("[ALARM:EXH_UNDEF_ABORT", text)
        self.assertIn("[ALARM:EXH_SWI_ABORT", text)
        # Every named alarm shares one rule list.
        self.assertEqual(text.count(".printer = &printEnumeration<enum_CkiAlarmLevel>"), 1)

    def test_mistakes(self):
        cases = [
            ({**NAMED, "format": "[ALARM] %s line=%d in %s] 0x%.8x, 0x%.8x, 0x%.8x"}, [],
             "tokens.json: named_alarms.format: the format must hold {name} once, where the alarm's name goes"),
            ({**NAMED, "enumeration": "CKI_AlarmIds"}, [],
             "tokens.json: named_alarms.enumeration: type 'CKI_AlarmIds' is not an enumeration"),
            ({**NAMED, "arguments": 5}, [],
             "tokens.json: named_alarms.conversions[5].raw: argument index 5 is at or above the argument count 5"),
            (NAMED, [token(id="0x30000300")],
             "tokens.json: named_alarms: enumerator 0x30000300 is also the id of the print token at tokens[0]"),
        ]
        for named, explicit, expected in cases:
            with self.subTest(expected):
                self.assertEqual(generate({"named_alarms": named, "tokens": explicit})[1], [expected])


class FormatSlots(unittest.TestCase):
    def test_slots(self):
        cases = [
            ("plain %% text", []),
            ("%-25s %7d %08X %.2x %hhu %c %i %o", ["text", "int", "int", "int", "int", "char", "int", "int"]),
            ("%.*x", ["int", "int"]),
            ("%*.*d", ["int", "int", "int"]),
        ]
        for text, kinds in cases:
            with self.subTest(text):
                self.assertEqual([kind for _, kind in tokens.formats.slots(text)], kinds)


if __name__ == "__main__":
    unittest.main()
