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

    def test_well_known_types(self):
        # The uses of a missing type report it too; the first error says why.
        errors = errors_after(lambda d: d["enumerations"].remove(find(d, "enumerations", "CKI_EventId")))
        self.assertIn('types.json: enumerations: the build must define "CKI_EventId" as an enumeration: '
                      "the library's decoders print it by name", errors)

        def change(data):
            data["enumerations"].remove(find(data, "enumerations", "CKI_MsgId"))
            data["base_types"].append({"name": "CKI_MsgId", "size": 4, "format": "%u"})
        self.assertIn('types.json: base_types[14]: the build must define "CKI_MsgId" as an enumeration: '
                      "the library's decoders print it by name", errors_after(change))


def index_of(section, name, file="types.json"):
    with open(os.path.join(REFERENCE, file), encoding="utf-8") as f:
        data = json.load(f)
    return next(i for i, item in enumerate(data[section]) if item["name"] == name)


def member(data, structure, name):
    return next(m for m in find(data, "structures", structure)["members"] if m["name"] == name)


class StructureErrors(unittest.TestCase):
    """Each mistake in a structure, array type, alias or message entry is
    reported with the JSON path of the offending member."""

    def cases(self):
        sv = index_of("structures", "CKI_SoftwareVersion")
        cnf = index_of("structures", "CkiTestAppQueryStatusCnfMessage")
        msg = index_of("structures", "CKI_Message")
        timer = index_of("structures", "CKI_Timer")
        return [
            ("unknown member type",
             lambda d: member(d, "CKI_SoftwareVersion", "m_build").update(type="uint24_t"),
             f'types.json: structures[{sv}].members[1].type: unknown type "uint24_t"'),
            ("array type without elements",
             lambda d: member(d, "CKI_SoftwareVersion", "sv").update(type="uint8_t[0]"),
             f'types.json: structures[{sv}].members[0].type: array type "uint8_t[0]" has no elements'),
            ("array of an unknown type",
             lambda d: member(d, "CKI_SoftwareVersion", "sv").update(type="uint7_t[2]"),
             f'types.json: structures[{sv}].members[0].type: unknown type "uint7_t[2]"'),
            ("overlapping members",
             lambda d: member(d, "CKI_SoftwareVersion", "m_build").update(offset=1),
             f"types.json: structures[{sv}].members[1]: member m_build (offset 1, 2 bytes) overlaps "
             "sv (offset 0, 2 bytes)"),
            ("member overlapping the base part",
             lambda d: member(d, "CkiTestAppQueryStatusCnfMessage", "m_status").update(offset=15),
             f"types.json: structures[{cnf}].members[1]: member m_status (offset 15, 1 bytes) overlaps "
             "^ (offset 0, 16 bytes)"),
            ("offset out of range",
             lambda d: member(d, "CKI_SoftwareVersion", "m_build").update(offset=-2),
             f"types.json: structures[{sv}].members[1].offset: offset -2 is out of range"),
            ("size smaller than the members",
             lambda d: find(d, "structures", "CKI_SoftwareVersion").update(size=3),
             f"types.json: structures[{sv}].members[1]: structure size 3 is smaller than its members: "
             "m_build (offset 2, 2 bytes) ends at 4"),
            ("base part after a member",
             lambda d: find(d, "structures", "CKI_SoftwareVersion")["members"].append(
                 {"name": "^", "type": "CKI_Message", "offset": 4}),
             f'types.json: structures[{sv}].members[2].name: a base part "^" must come before the named members'),
            ("base part that is no structure",
             lambda d: member(d, "CkiTestAppQueryStatusCnfMessage", "^").update(type="uint8_t[16]"),
             f'types.json: structures[{cnf}].members[0].type: a base part must be a structure; '
             '"uint8_t[16]" is an array type'),
            ("duplicate member name",
             lambda d: member(d, "CKI_SoftwareVersion", "m_build").update(name="sv"),
             f'types.json: structures[{sv}].members[1].name: duplicate member name "sv"'),
            ("member name that is no identifier",
             lambda d: member(d, "CKI_SoftwareVersion", "m_build").update(name="m build"),
             f'types.json: structures[{sv}].members[1].name: member name "m build" is not an identifier'),
            ("structure that contains itself",
             lambda d: d["structures"].insert(0, {"name": "Loop", "size": 8, "members": [
                 {"name": "m_next", "type": "Loop[1]", "offset": 0}]}),
             'types.json: structures[0]: type "Loop" contains itself (Loop -> Loop[1] -> Loop)'),
            ("duplicate type name across kinds",
             lambda d: d["structures"].insert(0, {"name": "CKI_TaskId", "size": 4, "members": []}),
             'types.json: structures[0]: duplicate type name "CKI_TaskId"'),
            ("alias of an unknown type",
             lambda d: d["aliases"][0].update(type="NoBitmap"),
             'types.json: aliases[0].type: unknown type "NoBitmap"'),
            ("alias smaller than its type",
             lambda d: d["aliases"][0].update(size=2),
             'types.json: aliases[0].size: alias size 2 is smaller than its type '
             '"CKI_LogGroupId_BITMAP_ARRAY_BITMAP" (4 bytes)'),
            ("array name that is no array",
             lambda d: d["arrays"].append("uint8_t"),
             'types.json: arrays[3]: expected an array type name such as "uint8_t[24]", found \'uint8_t\''),
            ("enumerators shared with no enumeration",
             lambda d: find(d, "enumerations", "CKI_LogGroupId_BITMAP_ARRAY_BITMAP").update(enumerators="CKI_Message"),
             f'types.json: enumerations[{index_of("enumerations", "CKI_LogGroupId_BITMAP_ARRAY_BITMAP")}]'
             '.enumerators: "CKI_Message" is no earlier enumeration whose enumerators this one could share'),
            ("well-known structure missing",
             lambda d: d["structures"].remove(find(d, "structures", "CKI_Timer")),
             'types.json: structures: the build must define "CKI_Timer" as a structure: '
             "the library's decoders print it by name"),
            ("well-known structure of the wrong shape",
             lambda d: find(d, "structures", "CKI_Timer").update(name="CKI_Timer_") or
             d["aliases"].append({"name": "CKI_Timer", "type": "uint32_t", "size": 4}),
             'types.json: aliases[1]: the build must define "CKI_Timer" as a structure: '
             "the library's decoders print it by name"),
        ], msg, timer

    def test_each_mistake_is_reported(self):
        cases, _, _ = self.cases()
        for title, change, expected in cases:
            with self.subTest(title):
                self.assertEqual(errors_after(change), [expected])


class MessageErrors(unittest.TestCase):
    CASES = [
        ("id used twice",
         lambda d: d["messages"].append({"id": "CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", "structure": "CKI_Timer"}),
         "messages.json: messages[{n}].id: message id 0x2CC40007 is used twice (also by messages[{cnf}])"),
        ("id that is no enumerator",
         lambda d: d["messages"].append({"id": "NO_SUCH_MSG_ID", "structure": "CKI_Timer"}),
         'messages.json: messages[{n}].id: "NO_SUCH_MSG_ID" is no enumerator of CKI_MsgId'),
        ("event id looked up among the events",
         lambda d: d["events"].append({"id": "CKI_TESTAPP_RUN_TEST_REQ_MSG_ID", "structure": "CKI_Timer"}),
         'messages.json: events[{e}].id: "CKI_TESTAPP_RUN_TEST_REQ_MSG_ID" is no enumerator of CKI_EventId'),
        ("class that is no structure",
         lambda d: d["messages"].append({"id": "TFTP_RETRANS_TIMER_ID", "structure": "uint8_t[24]"}),
         'messages.json: messages[{n}].structure: "uint8_t[24]" is an array type, not a structure'),
        ("unknown class",
         lambda d: d["messages"].append({"id": "TFTP_RETRANS_TIMER_ID", "structure": "NoMessage"}),
         'messages.json: messages[{n}].structure: unknown structure "NoMessage"'),
        ("class without the message header",
         lambda d: d["messages"].append({"id": "TFTP_RETRANS_TIMER_ID", "structure": "CKI_SoftwareVersion"}),
         'messages.json: messages[{n}].structure: structure "CKI_SoftwareVersion" does not start with its '
         "CKI_Message header"),
        ("class of two messages",
         lambda d: d["messages"].append({"id": "TFTP_RETRANS_TIMER_ID", "structure": "CkiTestAppQueryStatusCnfMessage"}),
         'messages.json: messages[{n}].structure: structure "CkiTestAppQueryStatusCnfMessage" is already the class '
         "of messages[{cnf}]"),
    ]

    def test_each_mistake_is_reported(self):
        with open(os.path.join(REFERENCE, "messages.json"), encoding="utf-8") as f:
            data = json.load(f)
        n, e = len(data["messages"]), len(data["events"])
        cnf = next(i for i, m in enumerate(data["messages"]) if m["id"] == "CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID")
        for title, change, expected in self.CASES:
            with self.subTest(title):
                self.assertEqual(errors_after(change, "messages.json"), [expected.format(n=n, e=e, cnf=cnf)])


class DerivedLayout(unittest.TestCase):
    """What the generator derives from a structure's members."""

    def test_rows(self):
        outputs, errors = generate_with(lambda data: None)
        self.assertEqual(errors, [])
        text = outputs["types.cpp"]
        for row in [
            # An array type: one "^" field with the element size and count, and the array flag.
            '{&printBaseType<base_uint8_t>, &encodeInteger<1>, "uint8_t", "^", 0, 1, 24, nullptr, nullptr, true},',
            # A member of that type: count 1, the array's size, its descriptor getter.
            '{&printStructure<type_uint8_t_24_>, &encodeStructure<type_uint8_t_24_>, "uint8_t[24]", "m_digest", 8, 24, 1, '
            '&descriptorOf<type_uint8_t_24_>, nullptr, false},',
            # A base part; an enumeration member; the alias's field.
            '{&printStructure<type_CKI_Message>, &encodeStructure<type_CKI_Message>, "CKI_Message", "^", 0, 16, 1, '
            '&descriptorOf<type_CKI_Message>, nullptr, false},',
            '{&printEnumeration<enum_CKI_TaskId>, &encodeEnumeration<enum_CKI_TaskId>, "CKI_TaskId", "m_srcTask", 4, 4, 1, '
            'nullptr, nullptr, false},',
            '{&printBitOffset<enum_CKI_LogGroupId_BITMAP_ARRAY_BITMAP>, &encodeBitOffset<enum_CKI_LogGroupId_BITMAP_ARRAY_BITMAP>, '
            '"CKI_LogGroupId_BITMAP_ARRAY_BITMAP", "=", 0, 256, 1, nullptr, nullptr, false},',
            '{&printAlias<type_CKI_LogGroupId_BITMAP_ARRAY_BITMAP_64_>, "CKI_LogGroupId_BITMAP_ARRAY_BITMAP[64]", '
            '&type_CKI_LogGroupId_BITMAP_ARRAY_BITMAP_64_, 0},',
            '{&printStructure<type_CkiTestAppQueryStatusCnfMessage>, "CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", '
            '&type_CkiTestAppQueryStatusCnfMessage, 0x2CC40007u},',
            'case 0x92050201u: return &messageTypeTable[',
        ]:
            self.assertIn(row, text)

    def test_implicit_array_type_is_created_once(self):
        def change(data):
            data["arrays"].remove("uint8_t[24]")
        outputs, errors = generate_with(change)
        self.assertEqual(errors, [])
        self.assertEqual(outputs["type_tables.h"].count("extern const TypeDescriptor type_uint8_t_24_;"), 1)


if __name__ == "__main__":
    unittest.main()
