"""The generator's type checks and type tables."""

import copy
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
from tkgen import types  # noqa: E402


def generate_with(change, name="types.json"):
    """(outputs, errors) of the reference build after change(data) edited
    one of its files; errors name files by their base name."""
    folder = tempfile.mkdtemp(prefix="tkdec-types-")
    try:
        for entry in os.listdir(REFERENCE):
            if entry.endswith(".json"):
                shutil.copy(os.path.join(REFERENCE, entry), folder)
        path = os.path.join(folder, name)
        with open(path, encoding="utf-8") as f:
            data = json.load(f)
        change(data)
        with open(path, "w", encoding="utf-8") as f:
            json.dump(data, f)
        cwd = os.getcwd()
        os.chdir(folder)
        try:
            return tkdec_gen.generate("build.json")
        finally:
            os.chdir(cwd)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def errors_after(change, name="types.json"):
    return generate_with(change, name)[1]


def find(data, section, name):
    return next(item for item in data[section] if item["name"] == name)


class ReferenceBuild(unittest.TestCase):
    def test_generates_without_errors(self):
        outputs, errors = generate_with(lambda data: None)
        self.assertEqual(errors, [])
        self.assertIn("types.cpp", outputs)
        self.assertIn("extern const EnumerationInfo enum_CKI_TaskId;", outputs["type_tables.h"])
        self.assertIn("extern const TypeDescriptor type_unsigned_char;", outputs["type_tables.h"])

    def test_alarm_level_table_is_complete(self):
        outputs, _ = generate_with(lambda data: None)
        self.assertIn('constinit const EnumerationInfo enum_CkiAlarmLevel = '
                      '{4, "CkiAlarmLevel", enumerators_CkiAlarmLevel, 5};', outputs["types.cpp"])


class EnumeratorOrder(unittest.TestCase):
    def test_sorted_by_unsigned_value_stably(self):
        pairs = [(4, "D"), (-1, "NEG1"), (1, "B"), (0, "A0"), (-2, "NEG2"), (0, "A1"), (1, "B_ALIAS")]
        self.assertEqual(types.sorted_enumerators(pairs), [
            (0, "A0"), (0, "A1"), (1, "B"), (1, "B_ALIAS"), (4, "D"),
            (0xFFFFFFFE, "NEG2"), (0xFFFFFFFF, "NEG1")])

    def test_generated_table_is_sorted(self):
        def change(data):
            find(data, "enumerations", "CKI_Return")["enumerators"] = {"Z": 2, "NEG": -1, "A": 0, "A_ALIAS": 0}
        outputs, errors = generate_with(change)
        self.assertEqual(errors, [])
        table = outputs["types.cpp"].split("enumerators_CKI_Return[] = {")[1].split("};")[0]
        self.assertEqual([line.strip() for line in table.strip().splitlines()], [
            '{0x00000000u, "A"},', '{0x00000000u, "A_ALIAS"},', '{0x00000002u, "Z"},',
            '{0xFFFFFFFFu, "NEG"},', '{0, nullptr},'])


class TypeErrors(unittest.TestCase):
    """Each mistake is reported as FILE: JSON-PATH: reason."""

    CASES = [
        ("unknown base format",
         lambda d: find(d, "base_types", "uint32_t").update(format="%x"),
         'types.json: base_types[5].format: unknown format "%x"; expected one of %u, %d, %hhu, %llu, opaque'),
        ("base size",
         lambda d: find(d, "base_types", "uint32_t").update(size=3),
         "types.json: base_types[5].size: a base type has 1, 2, 4 or 8 bytes, not 3"),
        ("64-bit format on a 4-byte type",
         lambda d: find(d, "base_types", "uint32_t").update(format="%llu"),
         'types.json: base_types[5].format: "%llu" is the format of 8-byte types, and 8-byte types need it'),
        ("enumeration size",
         lambda d: find(d, "enumerations", "CkiAlarmLevel").update(size=3),
         "types.json: enumerations[0].size: an enumeration has 1, 2 or 4 bytes, not 3"),
        ("unknown enumeration kind",
         lambda d: find(d, "enumerations", "CkiAlarmLevel").update(kind="flags"),
         'types.json: enumerations[0].kind: unknown kind "flags"; expected one of enum, bitmask, bitoffset'),
        ("enumerator too large for its size",
         lambda d: find(d, "enumerations", "CkiAlarmLevel").update(size=1, enumerators={"BIG": 256}),
         "types.json: enumerations[0].enumerators.BIG: enumerator BIG = 256 does not fit a 1-byte value"),
        ("negative enumerator too small for its size",
         lambda d: find(d, "enumerations", "CkiAlarmLevel").update(size=1, enumerators={"LOW": -129}),
         "types.json: enumerations[0].enumerators.LOW: enumerator LOW = -129 does not fit a 1-byte value"),
        ("negative bit number",
         lambda d: find(d, "enumerations", "CkiAlarmLevel").update(kind="bitoffset", enumerators={"B": -1}),
         "types.json: enumerations[0].enumerators.B: enumerator B = -1 does not fit a bit number"),
        ("enumerator value text",
         lambda d: find(d, "enumerations", "CkiAlarmLevel").update(enumerators={"X": "0xZZ"}),
         "types.json: enumerations[0].enumerators.X: expected an integer or an integer text such as "
         "\"0x1F\", found '0xZZ'"),
        ("duplicate type name",
         lambda d: d["enumerations"].insert(0, {"name": "uint32_t", "size": 4, "enumerators": {}}),
         'types.json: enumerations[0]: duplicate type name "uint32_t"'),
        ("identifier clash",
         lambda d: d["enumerations"].insert(0, {"name": "uint32 t", "size": 4, "enumerators": {}}),
         'types.json: enumerations[0]: type "uint32 t" has the same C++ identifier as "uint32_t"'),
        ("unknown member of a type",
         lambda d: find(d, "enumerations", "CkiAlarmLevel").update(values={}),
         'types.json: enumerations[0].values: unknown member "values"'),
        ("missing well-known type",
         lambda d: d["enumerations"].remove(find(d, "enumerations", "CKI_EventId")),
         'build.json: enumerations: the build must define "CKI_EventId" as an enumeration: '
         "the library's decoders print it by name"),
        ("log group without channel",
         lambda d: find(d, "enumerations", "CKI_LogGroupId")["enumerators"].update(LOG_GROUP_EXTRA=40),
         "types.json: enumerations[5].enumerators: enumerator LOG_GROUP_EXTRA = 40 names no log-group "
         "channel (1296)"),
        ("log group named unlike its channel",
         lambda d: find(d, "enumerations", "CKI_LogGroupId")["enumerators"].pop("LOG_GROUP_CKI_MSG"),
         'types.json: enumerations[5].enumerators: log group 6 (channel 208, "PTP:LOG_GROUP_CKI_MSG") '
         "needs the enumerator LOG_GROUP_CKI_MSG = 6"),
    ]

    def test_each_mistake_is_reported(self):
        for title, change, expected in self.CASES:
            with self.subTest(title):
                self.assertEqual(errors_after(copy.deepcopy(change)), [expected])

    def test_well_known_type_of_the_wrong_shape(self):
        def change(data):
            data["enumerations"].remove(find(data, "enumerations", "CKI_MsgId"))
            data["base_types"].append({"name": "CKI_MsgId", "size": 4, "format": "%u"})
        self.assertEqual(errors_after(change), [
            'types.json: base_types[14]: "CKI_MsgId" must be an enumeration: '
            "the library's decoders print it by name"])


if __name__ == "__main__":
    unittest.main()
