"""The generator's reports of mistakes in a build description: one line
'FILE:LINE:COLUMN: JSON-PATH: reason' per mistake, at the offending value,
with a suggestion for a misspelt name, every mistake at once and no
follow-on reports; nothing is written when there is one."""

import os
import re
import subprocess
import sys
import unittest

from gen_support import GENERATOR, Build, position_of, without_position


def token(**members):
    return {"id": 0, "table": "print", "group": 1, "arguments": 1, "line": 10, "file": "a.cpp",
            "format": "value %u", "conversions": [{"raw": 0}], **members}


def tokens(*given, **top):
    return lambda d: (d.clear(), d.update(tokens=list(given), **top))


def struct(d, name):
    return next(s for s in d["structures"] if s["name"] == name)


def member(d, structure, name):
    return next(m for m in struct(d, structure)["members"] if m["name"] == name)


def enumeration(d, name):
    return next(e for e in d["enumerations"] if e["name"] == name)


# (file, change, "JSON-PATH: reason", the offending value in the file marked by »; None: anywhere)
CASES = [
    ("types.json", lambda d: d["base_types"][5].update(format="%x"),
     'base_types[5].format: unknown format "%x"; expected one of %u, %d, %hhu, %llu, opaque', '"format": »"%x"'),
    ("types.json", lambda d: d["base_types"][5].update(size=3),
     "base_types[5].size: a base type has 1, 2, 4 or 8 bytes, not 3", None),
    ("types.json", lambda d: enumeration(d, "CkiAlarmLevel").update(kind="flags"),
     'enumerations[0].kind: unknown kind "flags"; expected one of enum, bitmask, bitoffset', '"kind": »"flags"'),
    ("types.json", lambda d: enumeration(d, "CkiAlarmLevel").update(size=1, enumerators={"BIG": 256}),
     "enumerations[0].enumerators.BIG: enumerator BIG = 256 does not fit a 1-byte value", '"BIG": »256'),
    ("types.json", lambda d: enumeration(d, "CkiAlarmLevel").update(enumerators={"X": "0xZZ"}),
     "enumerations[0].enumerators.X: expected an integer or an integer text such as \"0x1F\", found '0xZZ'",
     '"X": »"0xZZ"'),
    ("types.json", lambda d: enumeration(d, "CkiAlarmLevel").update(kinds="bitmask"),
     'enumerations[0].kinds: unknown member "kinds"; did you mean "kind"?', '"kinds": »"bitmask"'),
    ("types.json", lambda d: d["enumerations"].insert(0, {"name": "uint32 t", "size": 4, "enumerators": {}}),
     'enumerations[0]: type "uint32 t" has the same C++ identifier as "uint32_t"', None),
    ("types.json", lambda d: enumeration(d, "CKI_LogGroupId")["enumerators"].update(LOG_GROUP_EXTRA=40),
     "enumerations[5].enumerators: enumerator LOG_GROUP_EXTRA = 40 names no log-group channel (1296)", None),
    ("types.json", lambda d: member(d, "CKI_SoftwareVersion", "m_build").update(type="uint16"),
     'structures[9].members[1].type: unknown type "uint16"; did you mean "uint16_t"?', '"type": »"uint16"'),
    ("types.json", lambda d: member(d, "CKI_SoftwareVersion", "sv").update(type="uint7_t[2]"),
     'structures[9].members[0].type: unknown type "uint7_t"; did you mean "uint8_t"?', None),
    ("types.json", lambda d: member(d, "CKI_SoftwareVersion", "m_build").update(offset=1),
     "structures[9].members[1]: member m_build (offset 1, 2 bytes) overlaps sv (offset 0, 2 bytes)", None),
    ("types.json", lambda d: d["structures"].insert(0, {"name": "Loop", "size": 8, "members": [
        {"name": "m_next", "type": "Loop[1]", "offset": 0}]}),
     'structures[0]: type "Loop" contains itself (Loop -> Loop[1] -> Loop)', None),
    ("types.json", lambda d: d["aliases"][0].update(size=2),
     'aliases[0].size: alias size 2 is smaller than its type "CKI_LogGroupId_BITMAP_ARRAY_BITMAP" (4 bytes)', None),
    ("types.json", lambda d: d["structures"].remove(struct(d, "CKI_Timer")),
     'structures: the build must define "CKI_Timer" as a structure: the library\'s decoders print it by name',
     '"structures": »['),
    ("messages.json", lambda d: d["messages"].insert(0, {"id": "TFTP_RETRANS_TIMER_IDS", "structure": "CKI_Timer"}),
     'messages[0].id: "TFTP_RETRANS_TIMER_IDS" is no enumerator of CKI_MsgId; did you mean "TFTP_RETRANS_TIMER_ID"?',
     '»"TFTP_RETRANS_TIMER_IDS"'),
    ("messages.json", lambda d: d["messages"].insert(0, {"id": "TFTP_RETRANS_TIMER_ID", "structure": "CKI_Timers"}),
     'messages[0].structure: unknown structure "CKI_Timers"; did you mean "CKI_Timer"?', '»"CKI_Timers"'),
    ("messages.json", lambda d: d["messages"].insert(0, {"id": "TFTP_RETRANS_TIMER_ID", "structure": "uint8_t[24]"}),
     'messages[0].structure: "uint8_t[24]" is an array type, not a structure', None),
    ("build.json", lambda d: d["channels"][12].update(id=48), "channels[12].id: duplicate channel id 48", None),
    ("build.json", lambda d: d["channels"][0].update(decoder="alarms"),
     'channels[0].decoder: unknown decoder "alarms"; expected one of log_group, alarm, message, message_trace',
     '"decoder": »"alarms"'),
    ("build.json", lambda d: d["channels"][7].pop("label"), 'channels[7]: missing member "label"', None),
    ("build.json", lambda d: d.update(uuid="7d7d9de0"),
     "uuid: the UUID must be 32 lower-case hexadecimal digits", '"uuid": »"7d7d9de0"'),
    ("build.json", lambda d: d.update(channel_count=165),
     "channel_count: channel count 165 differs from the 166 rows given", '"channel_count": »165'),
    ("build.json", lambda d: d["build_info"].update(STREAM="100%"),
     "build_info.STREAM: text '100%' contains '%', which the target information cannot carry", None),
    ("build.json", lambda d: d.update(flavour=1), 'flavour: unknown member "flavour"', '"flavour": »1'),
    ("build.json", lambda d: d["channels"][0].update(label="PTP\0X"),
     'channels[0].label: text "PTP\\u0000X" contains a control character', None),
    ("build.json", lambda d: d["build_info"].update(URL="a\\b"),
     "build_info.URL: text 'a\\\\b' contains a backslash, which the target information cannot carry", None),
    ("types.json", lambda d: enumeration(d, "CkiAlarmLevel").update(name="Level\n2"),
     'enumerations[0].name: type name "Level\\n2" is not a C++ type name (words of letters, digits and \'_\' '
     "joined by '::' or a blank, then any array bounds)", None),
    ("types.json", lambda d: d["structures"].insert(0, {"name": "A*/B", "size": 0, "members": []}),
     'structures[0].name: type name "A*/B" is not a C++ type name (words of letters, digits and \'_\' '
     "joined by '::' or a blank, then any array bounds)", None),
    ("types.json", lambda d: member(d, "CKI_SoftwareVersion", "m_build").update(name='m"b'),
     'structures[9].members[1].name: member name "m\\"b" is not an identifier', None),
    ("types.json", lambda d: enumeration(d, "CkiAlarmLevel")["enumerators"].update({"X\0": 9}),
     'enumerations[0].enumerators.X\\u0000: enumerator name "X\\u0000" is not an identifier', None),
    ("types.json", lambda d: member(d, "CKI_SoftwareVersion", "m_build").update(type="uint16_t[4294967296]"),
     'structures[9].members[1].type: array type "uint16_t[4294967296]" has more than 4294967295 bytes', None),
    ("tokens.json", tokens(token(format="%u %u")),
     'tokens[0].format: the format has 2 conversions (a "*" counts as one) but 1 rules are given',
     '"format": »"%u %u"'),
    ("tokens.json", tokens(token(conversions=[{"raw": 1}])),
     "tokens[0].conversions[0].raw: argument index 1 is at or above the argument count 1", None),
    ("tokens.json", tokens(token(arguments=33)), "tokens[0].arguments: argument count 33 is outside 0 to 32", None),
    ("tokens.json", tokens(token(format="%s", conversions=[{"enum": 0, "type": "CkiAlarmLevels"}])),
     'tokens[0].conversions[0].type: unknown type "CkiAlarmLevels"; did you mean "CkiAlarmLevel"?',
     '"type": »"CkiAlarmLevels"'),
    ("tokens.json", tokens(token(format="%s", conversions=[{"enum": 0, "type": "uint64_t"}])),
     'tokens[0].conversions[0].type: type "uint64_t" has 8 bytes; an argument word has 4', None),
    ("tokens.json", tokens(token(format="%s", conversions=[{"enum": 0, "type": "CkiAlarmLevel", "filter": "skip6"}])),
     "tokens[0].conversions[0].filter: unknown name filter 'skip6'; expected one of identity, skip2, skip3, "
     "skip4, skip5", None),
    ("tokens.json", tokens(token(id=8), token(id="0x8")),
     "tokens[1].id: token id 0x00000008 is also given at tokens[0]", '"id": »"0x8"'),
    ("tokens.json", tokens(token(group=20)),
     'tokens[0].group: group 20 has no log-group channel (no channel 656 with decoder "log_group")', None),
    ("tokens.json", tokens(token(format="\ud800 %u")),
     "tokens[0].format: a \\u escape gives half of a surrogate pair, which is no character", '"format": »"'),
    ("tokens.json", tokens(token(id="0x100000000")), "tokens[0].id: 0x100000000 does not fit 32 bits", None),
    ("tokens.json", tokens(token(format="%s", conversions=[{"value_text": 0, "table": "m"}]),
                           value_tables={"m": {"values": [[16, "USER"], [16, "USR"]], "default": "?"}}),
     "value_tables.m.values[1]: value 16 is given twice", None),
    ("tokens.json", tokens(token(format="%c", conversions=[{"flag": 0, "letter": " "}])),
     "tokens[0].conversions[0].letter: the letter must be one printable ASCII character, not ' '", None),
    ("tokens.json", tokens(token(format="%c", conversions=[{"flag": 0, "letter": "ab"}])),
     "tokens[0].conversions[0].letter: the letter must be one printable ASCII character, not 'ab'", None),
    ("tokens.json", tokens(token(format="%llx")), "tokens[0].format: 64-bit or wide conversion '%llx' at offset 0; "
     "the firmware prints 64-bit values as two words", None),
    ("tokens.json", tokens(token(format="%s")),
     "tokens[0].conversions[0]: conversion 0 ('%s') takes a text; rule \"raw\" cannot feed it", None),
    ("tokens.json", tokens(token(conversions=[{"raw": 0, "shift": 30, "width": 4}])),
     "tokens[0].conversions[0]: bit field of width 4 at shift 30 does not fit 32 bits", None),
    ("tokens.json", tokens(token(conversions=[{"raw": 0, "shift": 32}])),
     "tokens[0].conversions[0].shift: shift 32 is outside 0 to 31", None),
    ("tokens.json", tokens(token(id=1 << 32)), "tokens[0].id: 4294967296 does not fit 32 bits", None),
    ("tokens.json", tokens(token(format="%c", conversions=[{"flag": 0, "letter": " "}])),
     "tokens[0].conversions[0].letter: the letter must be one printable ASCII character, not ' '", None),
    ("tokens.json", tokens(token(format="%c", conversions=[{"flag": 0, "letter": "\x7f"}])),
     "tokens[0].conversions[0].letter: the letter must be one printable ASCII character, not '\\x7f'", None),
    ("tokens.json", tokens(token(format="%s", conversions=[{"value_text": 0, "table": "mode"}]),
                           value_tables={"mode": {"values": [[16, "USER"], [16, "SYS"]], "default": "?"}}),
     "value_tables.mode.values[1]: value 16 is given twice", None),
    ("tokens.json", tokens(token(format="%s", conversions=[{"value_text": 0, "table": "modes"}]),
                           value_tables={"mode": {"values": [[16, "USER"]], "default": "?"}}),
     "tokens[0].conversions[0].table: unknown value table 'modes'; did you mean \"mode\"?", None),
    ("tokens.json", tokens(token(format="%s%s", conversions=[
        {"choice": 0, "options": [{"bool": 0}], "text": "(a)"}, {"choice": 0, "options": [{"bool": 0}], "text": "(b)"}])),
     'tokens[0].format: a format may hold at most one choice (its "No option" text has one buffer)', None),
    ("tokens.json", tokens(token(conversions=[{"set": "cpsr"}]), conversion_sets={"cpsr1": [{"raw": 0}]}),
     "tokens[0].conversions[0].set: unknown conversion set 'cpsr'; did you mean \"cpsr1\"?", None),
    ("tokens.json", tokens(token(id="0x30000300"), named_alarms={
        "enumeration": "CKI_AlarmId", "arguments": 1, "format": "[ALARM:{name}] %u", "conversions": [{"raw": 0}]}),
     "named_alarms: enumerator 0x30000300 is also the id of the print token at tokens[0]", '"named_alarms": »{'),
    ("tokens.json", tokens(named_alarms={"enumeration": "CKI_AlarmIds", "arguments": 0, "format": "{name}",
                                         "conversions": []}),
     "named_alarms.enumeration: type 'CKI_AlarmIds' is not an enumeration; did you mean \"CKI_AlarmId\"?", None),
]


class Reports(unittest.TestCase):
    def test_each_mistake_at_its_value(self):
        for file, change, expected, marked in CASES:
            with self.subTest(expected), Build() as build:
                text = build.edit(change, file)
                errors = build.generate()[1]
                self.assertEqual([without_position(e) for e in errors], [f"{file}: {expected}"])
                self.assertRegex(errors[0], rf"^{re.escape(file)}:[1-9][0-9]*:[1-9][0-9]*: ")
                if marked is not None:
                    self.assertTrue(errors[0].startswith(f"{file}:{position_of(text, marked)}: "), errors[0])

    def test_unreadable_text(self):
        cases = [
            ('{\n  "format": 1,\n  "name" "x"\n}\n', "3:10: (top level): malformed JSON: "
                                                     "expected ':' after the member name \"name\""),
            ('{"channels": [1, 2,]}', "1:20: channels[2]: malformed JSON: expected a value"),
            ('{"a": 1,\n "a": 2}', '2:7: a: malformed JSON: duplicate member "a"'),
            ('{"uuid": "abc', "1:10: uuid: malformed JSON: unterminated string"),
            ("[1]", "1:1: (top level): expected an object, found an array"),
            (b"\xef\xbb\xbf{}", "1:1: (top level): the file starts with a byte-order mark, which JSON does not "
                               "allow; save it as UTF-8 without one"),
            (b'{\n "uuid": "\xc3\xa9\xff"}', "2:12: (top level): byte 0xFF is not UTF-8 text"),
            ('{"name": "\\ud800"}', "1:10: name: a \\u escape gives half of a surrogate pair, which is no character"),
            ('{"format": ' + "1" * 5000 + "}", "1:12: format: an integer of 5000 digits is longer than any 64-bit value"),
        ]
        for text, expected in cases:
            with self.subTest(text[:20]), Build() as build:
                with open(build.path(), "wb") as f:
                    f.write(text if isinstance(text, bytes) else text.encode())
                self.assertEqual(build.generate()[1], [f"build.json:{expected}"])

    def test_unreadable_include_is_reported_where_it_is_named(self):
        with Build() as build:
            position = position_of(build.edit(lambda d: d["includes"].append("nope.json")), '»"nope.json"')
            self.assertEqual(build.generate()[1], [f"build.json:{position}: includes[3]: "
                                                   "cannot read nope.json: No such file or directory"])

    def test_every_mistake_at_once_and_none_that_follows_from_another(self):
        def change(d):
            struct(d, "CKI_Message").update(size="16")  # the base of every message
            enumeration(d, "CKI_MsgId").pop("size")  # the ids of every message entry
            member(d, "CKI_SoftwareVersion", "m_build").update(type="uint16")
        with Build() as build:
            build.edit(change, "types.json")
            build.edit(lambda d: d["tokens"].append(token(arguments=40)), "tokens.json")
            errors = [without_position(e) for e in build.generate()[1]]
        self.assertEqual(errors, ['types.json: enumerations[2]: missing member "size"',
                                  "types.json: structures[0].size: expected an integer, found a string",
                                  'types.json: structures[9].members[1].type: unknown type "uint16"; '
                                  'did you mean "uint16_t"?',
                                  "tokens.json: tokens[22].arguments: argument count 40 is outside 0 to 32"])

    def test_deep_nesting_is_checked_and_a_cycle_reported_once(self):
        def change(d):
            chain = [{"name": "S0", "size": 1, "members": [{"name": "x", "type": "uint8_t" + "[1]" * 339, "offset": 0}]},
                     {"name": "S", "size": 1, "members": [{"name": "x", "type": "uint8_t" + "[1]" * 340, "offset": 0}]}]
            chain += [{"name": f"S{i}", "size": 1, "members": [{"name": "x", "type": f"S{i - 1}[1]", "offset": 0}]}
                      for i in range(1, 1999)]
            cycle = [{"name": "A", "size": 1, "members": [{"name": "b", "type": "B", "offset": 0}]},
                     {"name": "B", "size": 1, "members": [{"name": "a", "type": "A[1]", "offset": 0}]}]
            d["structures"] = chain + cycle + d["structures"]
        with Build() as build:
            build.edit(change, "types.json")
            errors = [without_position(e) for e in build.generate()[1]]
        self.assertEqual(errors, ["types.json: structures[1].members[0].type: a type name of 1027 characters is longer "
                                  "than 1024", 'types.json: structures[2000]: type "A" contains itself (A -> B -> A[1] -> A)'])

    def test_nothing_is_written_and_files_are_named_from_the_source_root(self):
        with Build() as build:
            build.edit(lambda d: d.update(uuid="nope"))
            out = os.path.join(build.dir, "generated")
            root = os.path.dirname(build.dir)
            run = subprocess.run([sys.executable, GENERATOR, "--source-root", root, build.path(), out],
                                 capture_output=True, text=True)
            self.assertEqual((run.returncode, os.path.exists(out)), (1, False))
            self.assertRegex(run.stderr, rf"^{os.path.basename(build.dir)}/build.json:[0-9]+:[0-9]+: uuid: ")
            self.assertTrue(run.stderr.endswith("1 error(s); nothing written\n"))


if __name__ == "__main__":
    unittest.main()
