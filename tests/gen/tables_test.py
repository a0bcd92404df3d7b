"""What generated tables do once compiled into the library: token
arguments printed through the printer of their type, token ids of any
spread found, and tables that refuse a library of another row layout."""

import json
import os
import random
import subprocess
import unittest

from gen_support import SOURCE_DIR, Build, decode, run_compiler
from tkgen.token_model import Token, TokenTable

PRINT_CHANNEL, ALARM_CHANNEL = 48, 8209  # log group 1; the alarm channel

# One print token per case, "%s" of argument 0 through a type of each kind:
# (token id, type, argument, text). The ids are spread over 32 bits.
CONVERSIONS = [
    (0x00000000, "uint8_t", 0x107, "7"),
    (0x00000008, "CkiAlarmLevel", 2, "CKI_ALARM_ERROR"),
    (0x30000300, "CkiAlarmLevel", 5, "(CkiAlarmLevel) 0x00000005 (CKI_ALARM_INFO + -3)"),
    (0x30000301, "LogHwGroup", 3, "(LOG_HW_GROUP_MCE_PRINT|LOG_HW_GROUP_MCE_CKI)"),
    (0x7FFFFFFC, "LogHwGroup", 0x101, "(LOG_HW_GROUP_MCE_PRINT|(LogHwGroup)0x00000100)"),
    (0xC0000000, "LogHwEvent", 1, "LOG_HW_EVENT_WAKEUP"),
    (0xFFFFFFF0, "CKI_SoftwareVersion", 0x00050201, "(CKI_SoftwareVersion){.sv=(uint8_t[2]){1,2} .m_build=5}"),
    (0xFFFFFFFC, "EventWord", 3, "(LOG_HW_EVENT_RESET|LOG_HW_EVENT_WAKEUP)"),
]
# Raw conversions with a width or uppercase digits, as printf writes them:
# (token id, format, argument, text).
RAW = [
    (0x30000310, "w=%08X", 0xBEEF, "w=0000BEEF"),
    (0x30000314, "w=%04x", 0x1F, "w=001f"),
    (0x30000318, "d=%05d", 0xFFFFFFFF, "d=-0001"),
    (0x3000031C, "%X;%%", 0xABC, "ABC;%"),
]
ALARM = (0xFFFFFFF8, 41, "alarm 41")
ABSENT = [0x00000004, 0x30000302, 0xFFFFFFF4, 0x00000001, 0x80000000, 0x7FFFFFF8, 0xFFFFFFFF, 0xB0000300]


def sparse_tokens(build):
    prints = [{"id": hex(ident), "table": "print", "group": 1, "arguments": 1, "line": 1, "file": "a.cpp",
               "format": "%s", "conversions": [{"enum": 0, "type": kind}]} for ident, kind, _, _ in CONVERSIONS]
    prints += [{"id": hex(ident), "table": "print", "group": 1, "arguments": 1, "line": 1, "file": "a.cpp",
                "format": form, "conversions": [{"raw": 0}]} for ident, form, _, _ in RAW]
    alarm = {"id": hex(ALARM[0]), "table": "alarm", "group": 0, "arguments": 1, "line": 0, "file": None,
             "format": "alarm %u", "conversions": [{"raw": 0}]}
    build.write("tokens.json", json.dumps({"tokens": prints + [alarm]}))
    build.edit(lambda d: d["aliases"].append({"name": "EventWord", "type": "LogHwEvent", "size": 4}), "types.json")


class CompiledTables(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.build = Build().__enter__()
        sparse_tokens(cls.build)
        cls.outputs, cls.errors = cls.build.generate()
        cls.driver = cls.build.compile()

    @classmethod
    def tearDownClass(cls):
        cls.build.__exit__()

    def test_arguments_print_through_the_printer_of_their_type(self):
        records = [(PRINT_CHANNEL, ident, argument) for ident, _, argument, _ in CONVERSIONS + RAW]
        self.assertEqual(decode(self.driver, records), [(0, text) for _, _, _, text in CONVERSIONS + RAW])

    def test_every_sparse_id_is_found_and_no_other(self):
        self.assertEqual(decode(self.driver, [(ALARM_CHANNEL, ALARM[0], ALARM[1])]), [(0, ALARM[2])])
        self.assertEqual(decode(self.driver, [(PRINT_CHANNEL, ident, 1) for ident in ABSENT]), [(1, "")] * len(ABSENT))

    def test_source_grows_with_the_tokens_not_their_ids(self):
        self.assertEqual(self.errors, [])
        self.assertLess(len(self.outputs["tokens.cpp"]), 2000 * (len(CONVERSIONS) + len(RAW) + 1))

    def test_tables_refuse_a_library_of_another_version(self):
        fake = os.path.join(self.build.dir, "fake", "api")
        os.makedirs(fake)
        with open(os.path.join(fake, "tables_version.h"), "w") as f:
            f.write("#pragma once\nnamespace tkdec { inline constexpr unsigned kTablesVersion = 0; }\n")
        for name in ("tokens.cpp", "types.cpp", "channels.cpp", "identity.cpp"):
            with self.subTest(name), self.assertRaises(subprocess.CalledProcessError) as failure:
                run_compiler(["-std=c++20", "-fsyntax-only", "-I", os.path.dirname(fake)]
                             + [f"-I{os.path.join(SOURCE_DIR, d)}" for d in ("src", "include")]
                             + [os.path.join(self.build.dir, "generated", name)])
            self.assertIn("generate them again", failure.exception.stderr)


def token(ident):
    return Token(ident, "print", 1, 0, 1, "a.cpp", "x", ())


class Layout(unittest.TestCase):
    def test_pages_take_the_clustered_ids_within_a_few_slots_per_token(self):
        # (token ids, ids that must be paged): every id is paged or hashed, once.
        spread = random.Random(5).sample(range(1 << 32), 3000)
        cases = [
            ([4 * i for i in range(2000)], 2000),                       # dense from 0
            ([0x30000300 + i for i in range(600)] + [0xFFFFFFFC], 600),  # one cluster high up
            ([0x80000000 | 4 * i for i in range(900)] + [2, 0xFFFFFFFF], 900),
            ([i << 20 | j for i in range(64) for j in range(0, 64, 4)], 1024),  # clusters 1 MiB apart
            (spread, 0),
            ([], 0),
        ]
        for ids, paged in cases:
            with self.subTest(ids=ids[:2], count=len(ids)):
                table = TokenTable.of("t", [token(i) for i in ids])
                self.assertEqual(sorted(t.id for t in table.records), sorted(ids))
                self.assertGreaterEqual(len(table.paged), paged)
                self.assertLessEqual(len(table.slots) + len(table.directory), max(256, 4 * len(table.paged)))


class GeneratedFiles(unittest.TestCase):
    def test_files_name_their_description_and_how_to_change_them(self):
        with Build() as build:
            outputs, errors = build.generate()
        self.assertEqual(errors, [])
        for name, text in outputs.items():
            with self.subTest(name):
                self.assertIn("from build.json.\n// Do not edit: change the build description", text)


if __name__ == "__main__":
    unittest.main()
