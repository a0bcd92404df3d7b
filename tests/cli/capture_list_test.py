"""tools/capture/tkcapture.py: record lists to payload bytes and captures,
and its error reports."""

import contextlib
import io
import json
import os
import tempfile
import unittest

from cli_support import UUID, tkcapture

# (record of a list, the payload it makes).
PAYLOADS = [
    ({"channel": 48, "id": 4, "args": [2, "0x30000301", "4294967295"]}, bytes.fromhex("02000000 01030030 ffffffff")),
    ({"channel": 8433, "id": 1, "payload": [{"u32": ["0x12000000"]}, {"u8": [0, 1]}, {"u16": 0x1234}, {"u64": [1]}]},
     bytes.fromhex("00000012 0001 3412 0100000000000000")),
    ({"channel": 240, "id": 0x78, "args": [0], "payload": [{"item": 0, "text": "hello"}, {"hex": "0a"}, {"zeros": 1}]},
     bytes.fromhex("00000000 00000000 06000000") + b"hello\0\0\0\x0a\0"),
    ({"channel": 48, "id": 0x94, "args": [1, 2], "cut": 5}, bytes.fromhex("01000000 02")),
]

# (records of a list, the error lines).
ERRORS = [
    ([{"channel": 48, "id": 0, "payload": [{"hex": "0g"}]}], ["records[0].payload[0].hex: bad hexadecimal '0g'"]),
    ([{"channel": 48, "id": 0, "payload": [{"u8": 1, "hex": "00"}]}],
     ["records[0].payload[0]: a payload part has exactly one of u8, u16, u32, u64, hex, text, zeros, item"]),
    ([{"channel": 48, "id": 0, "colour": 1}, {"channel": 48}],
     ["records[0]: unknown member 'colour'", "records[1]: missing member 'id'"]),
]


class RecordLists(unittest.TestCase):
    def test_payloads(self):
        for entry, payload in PAYLOADS:
            self.assertEqual(tkcapture.record_from(entry, "r")[2], payload, entry)

    def test_every_form(self):
        records = [(48, 0, b"", "boot\ntwo lines"), (7376, 0x94, b"\x02\0\0\0", "", 0x0102030405060708)]
        self.assertEqual(tkcapture.text_capture(UUID, ["sample"], records), f"# sample\n# build {UUID}\n# boot\n"
                         "# two lines\n48 0x00000000\n7376 0x00000094 02 00 00 00\n".encode())
        self.assertEqual(tkcapture.binary_capture("", records), b"TKDECCAP\1\0\0\0" + bytes(16)
                         + bytes.fromhex("3000 00000000 00000000 d01c 94000000 04000000 02000000"))
        v2 = tkcapture.binary_capture("", records, 2)
        self.assertEqual(v2[:28 + 24 + 20], b"TKDECCAP\2\0\0\0" + bytes(16) + bytes.fromhex(
            "a55a 3000 00000000 0000000000000000 00000000") + v2[48:52] + bytes.fromhex(
            "a55a d01c 94000000 0807060504030201 04000000"))

    def test_errors_are_reported_and_nothing_is_written(self):
        with tempfile.TemporaryDirectory() as directory:
            source, output = os.path.join(directory, "list.json"), os.path.join(directory, "out.txt")
            for records, lines in ERRORS:
                with open(source, "w", encoding="utf-8") as file:
                    json.dump({"records": records}, file)
                with contextlib.redirect_stderr(io.StringIO()) as errors:
                    self.assertEqual(tkcapture.main([source, "--text", output, "--binary-v2", output + "2"]), 1)
                self.assertEqual(errors.getvalue().splitlines(), [f"{source}: {line}" for line in lines])
                self.assertEqual(os.listdir(directory), ["list.json"])


if __name__ == "__main__":
    unittest.main()
