"""Reading every capture form from files and standard input (seen through
tkdec convert, which writes back what it read, and tkdec decode), errors of
malformed captures and files, host times, the summary and the progress line."""

import json
import os
import pty
import random
import struct
import subprocess
import tempfile
import unittest

from cli_support import TOOL, UUID, binary_capture, text_capture, tkcapture, tkdec

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
    ("another version", WHOLE[:8] + struct.pack("<I", 3) + WHOLE[12:], 1, "",
     "tkdec: capture: capture version 3 is not supported (this tool reads versions 1 and 2)"),
    ("odd hexadecimal", b"48 0\n48 4 0200 000\n", 1, HEAD + "48 0x00000000\n",
     "tkdec: capture:2: bad hexadecimal \"000\" in the payload; line skipped"),
    ("channel out of range", b"65536 0\n", 1, HEAD, "tkdec: capture:1: channel \"65536\" is not a number from 0 to 65535; line skipped"),
    ("id out of range", b"48 0x100000000\n", 1, HEAD,
     "tkdec: capture:1: id \"0x100000000\" is not a number from 0 to 0xffffffff; line skipped"),
    ("id missing", b"48 # no id\n", 1, HEAD, "tkdec: capture:1: a record needs a channel and an id; line skipped"),
]

OTHER_BUILD = "0123456789abcdef0123456789abcdef"


def unknown(channel):
    """The text of a record on a channel that the build does not have."""
    return f"Channel ID 0x{channel:04x} is NOT handled by this decoder"


# Records on channels that no build has: their text does not depend on the
# build's tokens.
DECODED = [(1, 0, b""), (2, 5, b"\x01\x02"), (0x1234, 0xFFFFFFFF, b"")]
LINES = "".join(unknown(channel) + "\n" for channel, _, _ in DECODED)
THIRD_DECODED = 28 + 10 + 10 + 2


def summary(records, unknown_channels, truncated, verdict):
    plural = lambda n, noun: f"{n} {noun}" + ("" if n == 1 else "s")  # noqa: E731
    return (f"tkdec: {plural(records, 'record')} decoded, {plural(unknown_channels, 'unknown channel')}, "
            f"0 unknown tokens, {truncated} truncated; {verdict}\n")


MATCHES = "capture build matches the decoder"
NO_BUILD = "capture names no build"
DIFFERS = "capture build differs from the decoder's"
WARNING = (f"tkdec: warning: capture was made by build {OTHER_BUILD}, the decoder is for build {UUID}: "
           "records may decode wrongly\n")

# (name, capture, exit status, standard output, standard error).
DECODINGS = [
    ("binary", binary_capture(DECODED), 0, LINES, summary(3, 3, 0, MATCHES)),
    ("text", text_capture(DECODED), 0, LINES, summary(3, 3, 0, MATCHES)),
    ("unknown build", binary_capture(DECODED, uuid=""), 0, LINES, summary(3, 3, 0, NO_BUILD)),
    ("another build", binary_capture(DECODED, uuid=OTHER_BUILD), 0, LINES,
     WARNING + summary(3, 3, 0, DIFFERS)),
    ("no records", binary_capture([]), 0, "", summary(0, 0, 0, MATCHES)),
    ("last record cut short", binary_capture(DECODED)[:-3], 1, "".join(LINES.splitlines(True)[:2]),
     f"tkdec: capture: record cut short at byte offset {THIRD_DECODED}: 7 of its 10 header bytes present\n"
     + summary(2, 2, 1, MATCHES)),
    ("bad hexadecimal", b"1 0\n2 5 0102\n3 0 xyz\n1 0\n", 1, "".join(LINES.splitlines(True)[:2]) + unknown(1) + "\n",
     "tkdec: capture:3: bad hexadecimal \"xyz\" in the payload; line skipped\n"
     + summary(3, 3, 0, NO_BUILD).replace(" truncated;", " truncated, 8 bytes skipped at 1 place;")),
    ("bad magic", b"TKDECCAX" + binary_capture(DECODED)[8:], 1, "",
     "tkdec: capture: bad magic: not a tkdec capture\n"),
]


def in_file(directory, data, name="capture"):
    path = os.path.join(directory, name)
    with open(path, "wb") as file:
        file.write(data)
    return path


class Captures(unittest.TestCase):
    def test_captures_from_a_file_and_standard_input(self):
        with tempfile.TemporaryDirectory() as directory:
            for name, capture, status, text, message in CAPTURES:
                in_file(directory, capture)
                for source, run in (("capture", tkdec("convert", "capture", cwd=directory)),
                                    ("standard input", tkdec("convert", stdin=capture))):
                    with self.subTest(name, source=source):
                        message = message.replace("tkdec: capture", "tkdec: " + source)
                        self.assertEqual((run.status, run.text, run.err), (status, text, message + "\n" if message else ""))

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
        to_text = tkdec("convert", "--max-record", 1 << 21, stdin=binary)
        self.assertEqual((to_text.status, to_text.err), (0, ""))
        self.assertEqual(to_text.out, text_capture(records, comment=["tkdec capture: channel, id, payload bytes"]))
        to_binary = tkdec("convert", "--to", "binary-v1", "--max-record", 1 << 21, "-", stdin=text)
        self.assertEqual((to_binary.status, to_binary.err), (0, ""))
        self.assertEqual(to_binary.out, binary)

    def test_decode_summary_and_build_check(self):
        with tempfile.TemporaryDirectory() as directory:
            for name, capture, status, out, err in DECODINGS:
                with self.subTest(name):
                    in_file(directory, capture)
                    run = tkdec("decode", "capture", cwd=directory)
                    self.assertEqual((run.status, run.text, run.err), (status, out, err))

    def test_quiet_leaves_only_problems(self):
        cases = [(binary_capture(DECODED), 0, ""),
                 (binary_capture(DECODED, uuid=OTHER_BUILD), 0, WARNING.replace(": capture", ": standard input")),
                 (b"1 0\nx 0\n", 1, "tkdec: standard input:2: channel \"x\" is not a number from 0 to 65535; line skipped\n")]
        for capture, status, err in cases:
            for option in ("-q", "--quiet"):
                with self.subTest(option=option, err=err):
                    run = tkdec("decode", option, stdin=capture)
                    self.assertEqual((run.status, run.err), (status, err))

    def test_host_times(self):
        times = [1796551200_000000000, 1796551200_250000000, 1796551262_000000001]
        records = [(1, i, b"", "", t) for i, t in enumerate(times)]
        v2 = tkcapture.binary_capture(UUID, records, 2)
        text = tkdec("convert", stdin=v2)
        self.assertEqual(text.text.splitlines()[2:], [
            "2026-12-06T10:00:00.000000000Z 1 0x00000000", "2026-12-06T10:00:00.250000000Z 1 0x00000001",
            "2026-12-06T10:01:02.000000001Z 1 0x00000002"])
        self.assertEqual(tkdec("convert", "--to", "binary", stdin=text.out).out, v2)
        for option, column in (("abs", "2026-12-06T10:00:00.250000000Z"), ("delta", "+0.250000000")):
            run = tkdec("decode", "--timestamps", option, stdin=text.out.replace(b".000000000Z", b"Z"))
            self.assertEqual(run.text.splitlines()[1], f"{column} {unknown(1)}")
        self.assertEqual(tkdec("decode", "-q", "--timestamps=abs", stdin=b"1 0\n").text, f"- {unknown(1)}\n")
        for bad in (b"2026-02-30T00:00:00Z", b"2026-01-01T00:00:00", b"2026-01-01T00:00:00.1234567890Z"):
            run = tkdec("decode", "-q", stdin=bad + b" 1 0\n")
            self.assertIn("is not an ISO-8601 UTC time", run.err)


class FileErrors(unittest.TestCase):
    def test_unreadable_inputs(self):
        with tempfile.TemporaryDirectory() as directory:
            missing = os.path.join(directory, "missing")
            for command in ("convert", "decode", "inspect"):
                for path, message in ((missing, f"tkdec: cannot open {missing}: No such file or directory"),
                                      (directory, f"tkdec: cannot read {directory}: Is a directory")):
                    with self.subTest(command=command, path=path):
                        run = tkdec(command, path)
                        self.assertEqual((run.status, run.out, run.err), (3, b"", message + "\n"))

    def test_unwritable_outputs(self):
        with tempfile.TemporaryDirectory() as directory:
            capture = in_file(directory, WHOLE)
            nowhere = os.path.join(directory, "missing", "out")
            for path, message in ((nowhere, f"tkdec: cannot write {nowhere}: No such file or directory"),
                                  ("/dev/full", "tkdec: cannot write /dev/full: No space left on device")):
                with self.subTest(path):
                    run = tkdec("convert", "--to", "binary", "-o", path, capture)
                    self.assertEqual((run.status, run.err), (3, message + "\n"))
            out = os.path.join(directory, "out")
            run = tkdec("convert", "--to=binary-v1", "--output", out, "-", stdin=text_capture(RECORDS))
            self.assertEqual((run.status, run.out, run.err), (0, b"", ""))
            with open(out, "rb") as file:
                self.assertEqual(file.read(), WHOLE)
        with open("/dev/full", "wb") as full:
            completed = subprocess.run([TOOL, "decode", "-"], input=WHOLE, stdout=full, stderr=subprocess.PIPE)
        self.assertEqual((completed.returncode, completed.stderr.decode()),
                         (3, "tkdec: cannot write the output: No space left on device\n"))


def build_info(name, value):
    """A "[Build Info] %s = %s" record with its two extended strings."""
    def item(key, text):
        data = text.encode() + b"\0"
        return struct.pack("<II", key, len(data)) + data + bytes(-len(data) % 4)
    return (240, 0x78, struct.pack("<II", 0, 1) + item(0, name) + item(1, value))


class RecordTexts(unittest.TestCase):
    def test_no_record_is_cut(self):
        # Far longer than the first buffer that the tool tries.
        value = "".join(chr(ord("a") + i % 26) for i in range(300000))
        run = tkdec("decode", "-q", "--max-record", 400000, stdin=binary_capture([build_info("long", value), (1, 0, b"")]))
        self.assertEqual((run.status, run.text), (0, f"[Build Info] long = {value}\n{unknown(1)}\n"))

    def test_line_breaks(self):
        # Text keeps the log's own line break; the JSON formats keep a
        # record on one line, and --with-meta carries the text as a string.
        capture = binary_capture([build_info("banner", "two\nlines")])
        cases = [
            (["--format", "text"], "[Build Info] banner = two\nlines\n"),
            (["--with-meta"], "#1 240 PTP:LOG_GROUP_CKI_BUILDINFO 0x00000078: [Build Info] banner = two\nlines\n"),
            (["--format", "json", "--with-meta"],
             '{"record":1,"channel":240,"label":"PTP:LOG_GROUP_CKI_BUILDINFO","id":"0x00000078","text":'
             + json.dumps(tkdec("decode", "-q", "--format", "json", stdin=capture).text.rstrip("\n")) + "}\n"),
        ]
        for options, out in cases:
            with self.subTest(options=options):
                run = tkdec("decode", "-q", *options, stdin=capture)
                self.assertEqual((run.status, run.text), (0, out))

class ProgressLine(unittest.TestCase):
    """The progress line appears only on a terminal, and only for inputs
    of more than 4 MiB."""

    def decode_on_terminal(self, path, *options):
        controller, terminal = pty.openpty()
        with open(os.devnull, "wb") as sink:
            process = subprocess.Popen([TOOL, "decode", *options, path], stdout=sink, stderr=terminal)
        os.close(terminal)
        seen = b""
        while True:
            try:
                chunk = os.read(controller, 65536)
            except OSError:  # the terminal closed with the process
                break
            if not chunk:
                break
            seen += chunk
        os.close(controller)
        self.assertEqual(process.wait(timeout=120), 0)
        return seen.decode().replace("\r\n", "\n")

    def test_progress(self):
        with tempfile.TemporaryDirectory() as directory:
            records = [(1, i, bytes(54)) for i in range(80000)]  # 5.12 MB
            large, small = os.path.join(directory, "large"), os.path.join(directory, "small")
            with open(large, "wb") as file:
                file.write(binary_capture(records))
            with open(small, "wb") as file:
                file.write(binary_capture(records[:1000]))
            seen = self.decode_on_terminal(large)
            self.assertIn("\rtkdec: decoding 100% of 5 MB", seen)
            self.assertTrue(seen.endswith("\r" + " " * 40 + "\r" + summary(80000, 80000, 0, MATCHES)))
            self.assertEqual(self.decode_on_terminal(small), summary(1000, 1000, 0, MATCHES))
            self.assertEqual(self.decode_on_terminal(large, "--quiet"), "")
            piped = tkdec("decode", large)
            self.assertEqual(piped.err, summary(80000, 80000, 0, MATCHES))


if __name__ == "__main__":
    unittest.main()
