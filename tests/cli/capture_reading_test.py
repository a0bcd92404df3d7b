"""Reading both capture forms, from files and standard input, and the
errors of malformed captures (seen through tkdec convert, which writes
back what it read)."""

import os
import random
import struct
import tempfile
import unittest

from cli_support import UUID, binary_capture, text_capture, tkdec

HEAD = "# tkdec capture: channel, id, payload bytes\n"
BUILD = f"# build {UUID}\n"
RECORDS = [(48, 0, b""), (7376, 0x94, b"\x02\x00\x00\x00"), (0x1234, 0xFFFFFFFF, b"\xab")]
RECORD_LINES = "48 0x00000000\n7376 0x00000094 02 00 00 00\n4660 0xffffffff ab\n"
WHOLE = binary_capture(RECORDS)
# Byte offset of the third record in WHOLE.
THIRD = 28 + 10 + 10 + 4

# (name, capture bytes, exit status, converted text, the message on
# standard error).
CAPTURES = [
    ("binary", WHOLE, 0, HEAD + BUILD + RECORD_LINES, ""),
    ("binary of an unknown build", binary_capture(RECORDS, uuid=""), 0, HEAD + RECORD_LINES, ""),
    ("binary without records", binary_capture([]), 0, HEAD + BUILD, ""),
    ("empty input", b"", 0, HEAD, ""),
    ("text", text_capture(RECORDS), 0, HEAD + BUILD + RECORD_LINES, ""),
    ("text written freely",
     b"\xef\xbb\xbf# made by hand\r\n\r\n  # build 7D7D9DE0768A419DA9C3B593855BDB0A  \r\n"
     b"48 0 # boot\r\n 0x1cd0\t148 0200 0000\r\n0x1234 4294967295 AB",
     0, HEAD + BUILD + RECORD_LINES, ""),
    ("a build line after the first record does not count", b"48 0\n# build " + UUID.encode() + b"\n",
     0, HEAD + "48 0x00000000\n", ""),
    ("a build line needs 32 digits", b"# build 7d7d\n48 0\n", 0, HEAD + "48 0x00000000\n", ""),
    ("the first build line counts", b"# build " + b"1" * 32 + b"\n# build " + UUID.encode() + b"\n",
     0, HEAD + "# build " + "1" * 32 + "\n", ""),
    ("record header cut short", WHOLE[:THIRD + 3], 1, HEAD + BUILD + RECORD_LINES.splitlines(True)[0]
     + RECORD_LINES.splitlines(True)[1],
     f"tkdec: capture: record cut short at byte offset {THIRD}: 3 of its 10 header bytes present"),
    ("payload cut short", WHOLE[:-1], 1, HEAD + BUILD + "".join(RECORD_LINES.splitlines(True)[:2]),
     f"tkdec: capture: record cut short at byte offset {THIRD}: 0 of its 1 payload bytes present"),
    ("bad magic", b"TKDECCAQ" + WHOLE[8:], 1, "", "tkdec: capture: bad magic: not a tkdec capture"),
    ("not a capture at all", b"\x7fELF\x02\x01", 1, "", "tkdec: capture: bad magic: not a tkdec capture"),
    ("header cut short", WHOLE[:20], 1, "", "tkdec: capture: capture header cut short (20 of 28 bytes)"),
    ("magic cut short", WHOLE[:5], 1, "", "tkdec: capture: capture header cut short (5 of 28 bytes)"),
    ("another version", WHOLE[:8] + struct.pack("<I", 3) + WHOLE[12:], 1, "",
     "tkdec: capture: capture version 3 is not supported (this tool reads versions 1 and 2)"),
    ("odd hexadecimal", b"48 0\n48 4 0200 000\n", 1, HEAD + "48 0x00000000\n",
     "tkdec: capture:2: bad hexadecimal \"000\" in the payload; line skipped"),
    ("not hexadecimal", b"48 4 02 0g\n", 1, HEAD, "tkdec: capture:1: bad hexadecimal \"0g\" in the payload; line skipped"),
    ("channel out of range", b"65536 0\n", 1, HEAD, "tkdec: capture:1: channel \"65536\" is not a number from 0 to 65535; line skipped"),
    ("channel not a number", b"\n\n0xg 0\n", 1, HEAD, "tkdec: capture:3: channel \"0xg\" is not a number from 0 to 65535; line skipped"),
    ("id out of range", b"48 0x100000000\n", 1, HEAD,
     "tkdec: capture:1: id \"0x100000000\" is not a number from 0 to 0xffffffff; line skipped"),
    ("id missing", b"48 # no id\n", 1, HEAD, "tkdec: capture:1: a record needs a channel and an id; line skipped"),
]


class CaptureForms(unittest.TestCase):
    def setUp(self):
        self.directory = tempfile.TemporaryDirectory()
        self.path = os.path.join(self.directory.name, "capture")

    def tearDown(self):
        self.directory.cleanup()

    def test_captures(self):
        for name, capture, status, text, message in CAPTURES:
            with self.subTest(name):
                with open(self.path, "wb") as file:
                    file.write(capture)
                run = tkdec("convert", "capture", cwd=self.directory.name)
                self.assertEqual((run.status, run.text, run.err), (status, text, message + "\n" if message else ""))

    def test_standard_input_reads_like_a_file(self):
        for name, capture, status, text, message in CAPTURES:
            with self.subTest(name):
                run = tkdec("convert", stdin=capture)
                expected = message.replace("tkdec: capture", "tkdec: standard input")
                self.assertEqual((run.status, run.text, run.err), (status, text, expected + "\n" if expected else ""))

    def test_large_captures_across_blocks(self):
        # Records of every size around the 1 MiB read block, one payload
        # larger than a block, in both forms: what comes back is what went in.
        rng = random.Random(7)
        records = []
        while sum(10 + len(p) for _, _, p in records) < 3 << 20:
            size = rng.choice([0, 1, 3, 4, 17, 255, 4096, 70000])
            records.append((rng.randrange(65536), rng.randrange(1 << 32), rng.randbytes(size)))
        records.insert(len(records) // 2, (48, 4, rng.randbytes((1 << 20) + 5)))
        binary, text = binary_capture(records), text_capture(records)
        with open(self.path, "wb") as file:
            file.write(binary)
        to_text = tkdec("convert", "--max-record", 1 << 21, self.path)
        self.assertEqual((to_text.status, to_text.err), (0, ""))
        self.assertEqual(to_text.out, text_capture(records, comment=["tkdec capture: channel, id, payload bytes"]))
        to_binary = tkdec("convert", "--to", "binary-v1", "--max-record", 1 << 21, "-", stdin=text)
        self.assertEqual((to_binary.status, to_binary.err), (0, ""))
        self.assertEqual(to_binary.out, binary)


class FileErrors(unittest.TestCase):
    def test_unreadable_inputs(self):
        with tempfile.TemporaryDirectory() as directory:
            missing = os.path.join(directory, "missing")
            cases = [
                (missing, f"tkdec: cannot open {missing}: No such file or directory"),
                (directory, f"tkdec: cannot read {directory}: Is a directory"),
            ]
            for path, message in cases:
                with self.subTest(path):
                    run = tkdec("convert", path)
                    self.assertEqual((run.status, run.out, run.err), (3, b"", message + "\n"))

    def test_unwritable_outputs(self):
        with tempfile.TemporaryDirectory() as directory:
            capture = os.path.join(directory, "capture")
            with open(capture, "wb") as file:
                file.write(WHOLE)
            nowhere = os.path.join(directory, "missing", "out")
            cases = [
                (nowhere, f"tkdec: cannot write {nowhere}: No such file or directory"),
                ("/dev/full", "tkdec: cannot write /dev/full: No space left on device"),
            ]
            for path, message in cases:
                with self.subTest(path):
                    run = tkdec("convert", "--to", "binary", "-o", path, capture)
                    self.assertEqual((run.status, run.err), (3, message + "\n"))

    def test_written_output_file(self):
        with tempfile.TemporaryDirectory() as directory:
            out = os.path.join(directory, "out")
            run = tkdec("convert", "--to=binary-v1", "--output", out, "-", stdin=text_capture(RECORDS))
            self.assertEqual((run.status, run.out, run.err), (0, b"", ""))
            with open(out, "rb") as file:
                self.assertEqual(file.read(), WHOLE)


if __name__ == "__main__":
    unittest.main()
