"""What the generator's checks make of a description: the token model
(named alarms, conversion rules, format slots) and the enumerator order."""

import json
import unittest

from gen_support import Build
from tkgen import channels, formats, tokens, types
from tkgen.description import Errors, load


def checked_tokens(build):
    errors = Errors()
    desc = load(build.path(), errors, build.dir)
    rows = channels.check(desc, errors)
    model = tokens.check(desc, errors, rows, types.check(desc, errors, rows))
    return model, errors.messages


class TokenModel(unittest.TestCase):
    def test_named_alarms_fill_the_enumerators_not_given(self):
        with Build() as build:
            build.write("tokens.json", json.dumps({
                "named_alarms": {"enumeration": "CKI_AlarmId", "arguments": 1, "format": "[ALARM:{name}] %s",
                                 "conversions": [{"enum": 0, "type": "CkiAlarmLevel", "filter": "skip2"}]},
                "tokens": [{"id": "0x32030200", "table": "alarm", "group": 0, "arguments": 0, "line": 0,
                            "file": None, "format": "undefined instruction", "conversions": []}]}))
            model, errors = checked_tokens(build)
            alarm_ids = next(e for e in json.loads(build.text("types.json"))["enumerations"]
                             if e["name"] == "CKI_AlarmId")["enumerators"].values()
        self.assertEqual(errors, [])
        by_id = {t.id: t for t in model.alarms}
        self.assertEqual(by_id[0x32030200].format, "undefined instruction")
        self.assertEqual(by_id[0x30000300].format, "[ALARM:COOKIE_ALARM_01] %s")
        self.assertEqual(by_id[0x32030201].format, "[ALARM:EXH_SWI_ABORT] %s")
        self.assertEqual(set(by_id), {int(value, 0) for value in alarm_ids})
        rule = by_id[0x30000300].rules[0]
        self.assertEqual((rule.printed.name, rule.printed.shape, rule.filter), ("CkiAlarmLevel", "enum", "skip2"))

    def test_rules_take_their_defaults_and_a_choice_names_its_options(self):
        with Build() as build:
            build.write("tokens.json", json.dumps({"tokens": [{
                "id": 0, "table": "print", "group": 1, "arguments": 4, "line": 1, "file": "a.cpp",
                "format": "%s %s %s", "conversions": [
                    {"binary": 2, "shift": 8, "width": 3}, {"bool": 1, "mask": "0x80"},
                    {"choice": 3, "shift": 3, "width": 3, "options": [
                        {"enum": 3, "width": 2, "type": "MpuTex_000"}, {"enum": 3, "width": 2, "type": "MpuTex_001"}]}]}]}))
            model, errors = checked_tokens(build)
        self.assertEqual(errors, [])
        binary, boolean, choice = model.prints[0].rules
        self.assertEqual((binary.digits, binary.source.shift, binary.source.mask), (3, 8, 0xFFFFFFFF))
        self.assertEqual((boolean.words, boolean.source.width, boolean.source.mask), ("true/false", 32, 0x80))
        self.assertEqual(choice.list_text, "([3$0:2]MpuTex_000|[3$0:2]MpuTex_001)")


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
                self.assertEqual([kind for _, kind in formats.slots(text)], kinds)


class EnumeratorOrder(unittest.TestCase):
    def test_sorted_by_unsigned_value_aliases_in_source_order(self):
        pairs = [(4, "D"), (-1, "NEG1"), (1, "B"), (0, "A0"), (-2, "NEG2"), (0, "A1"), (1, "B_ALIAS")]
        self.assertEqual(types.sorted_enumerators(pairs), [
            (0, "A0"), (0, "A1"), (1, "B"), (1, "B_ALIAS"), (4, "D"), (0xFFFFFFFE, "NEG2"), (0xFFFFFFFF, "NEG1")])


if __name__ == "__main__":
    unittest.main()
