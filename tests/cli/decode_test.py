"""tkdec decode beyond the sample: the summary, the build check, errors
in the middle of a capture, the progress line."""

import json
import os
import pty
import struct
import subprocess
import tempfile
import unittest

from cli_support import TOOL, UUID, binary_capture, text_capture, tkdec

OTHER_BUILD = "0123456789abcdef0123456789abcdef"


def unknown(channel):
    """The text of a record on a channel that the build does not have."""
    return f"Channel ID 0x{channel:04x} is NOT handled by this decoder"


# Records on channels that no build has: their text does not depend on the
# build's tokens.
RECORDS = [(1, 0, b""), (2, 5, b"\x01\x02"), (0x1234, 0xFFFFFFFF, b"")]
LINES = "".join(unknown(channel) + "\n" for channel, _, _ in RECORDS)
THIRD = 28 + 10 + 10 + 2


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
CASES = [
    ("binary", binary_capture(RECORDS), 0, LINES, summary(3, 3, 0, MATCHES)),
    ("text", text_capture(RECORDS), 0, LINES, summary(3, 3, 0, MATCHES)),
    ("unknown build", binary_capture(RECORDS, uuid=""), 0, LINES, summary(3, 3, 0, NO_BUILD)),
    ("text without build line", text_capture(RECORDS, uuid=""), 0, LINES, summary(3, 3, 0, NO_BUILD)),
    ("another build", binary_capture(RECORDS, uuid=OTHER_BUILD), 0, LINES,
     WARNING + summary(3, 3, 0, DIFFERS)),
    ("another build, text", text_capture(RECORDS, uuid=OTHER_BUILD), 0, LINES,
     WARNING + summary(3, 3, 0, DIFFERS)),
    ("no records", binary_capture([]), 0, "", summary(0, 0, 0, MATCHES)),
    ("last record cut short", binary_capture(RECORDS)[:-3], 1, "".join(LINES.splitlines(True)[:2]),
     f"tkdec: capture: record cut short at byte offset {THIRD}: 7 of its 10 header bytes present\n"
     + summary(2, 2, 1, MATCHES)),
    ("bad hexadecimal", b"1 0\n2 5 0102\n3 0 xyz\n1 0\n", 1, "".join(LINES.splitlines(True)[:2]) + unknown(1) + "\n",
     "tkdec: capture:3: bad hexadecimal \"xyz\" in the payload; line skipped\n"
     + summary(3, 3, 0, NO_BUILD).replace(" truncated;", " truncated, 8 bytes skipped at 1 place;")),
    ("bad magic", b"TKDECCAX" + binary_capture(RECORDS)[8:], 1, "",
     "tkdec: capture: bad magic: not a tkdec capture\n"),
]


class DecodeRuns(unittest.TestCase):
    def test_cases(self):
        with tempfile.TemporaryDirectory() as directory:
            with open(os.path.join(directory, "capture"), "wb") as file:
                for name, capture, status, out, err in CASES:
                    with self.subTest(name):
                        file.seek(0)
                        file.truncate()
                        file.write(capture)
                        file.flush()
                        run = tkdec("decode", "capture", cwd=directory)
                        self.assertEqual((run.status, run.text, run.err), (status, out, err))

    def test_quiet_leaves_only_problems(self):
        cases = [(binary_capture(RECORDS), 0, ""),
                 (binary_capture(RECORDS, uuid=OTHER_BUILD), 0, WARNING.replace(": capture", ": standard input")),
                 (b"1 0\nx 0\n", 1, "tkdec: standard input:2: channel \"x\" is not a number from 0 to 65535; line skipped\n")]
        for capture, status, err in cases:
            for option in ("-q", "--quiet"):
                with self.subTest(option=option, err=err):
                    run = tkdec("decode", option, stdin=capture)
                    self.assertEqual((run.status, run.err), (status, err))

    def test_unreadable_input(self):
        with tempfile.TemporaryDirectory() as directory:
            missing = os.path.join(directory, "missing")
            run = tkdec("decode", missing)
            self.assertEqual((run.status, run.out, run.err),
                             (3, b"", f"tkdec: cannot open {missing}: No such file or directory\n"))

    def test_unwritable_output(self):
        with open("/dev/full", "wb") as full:
            completed = subprocess.run([TOOL, "decode", "-"], input=binary_capture(RECORDS), stdout=full,
                                       stderr=subprocess.PIPE, timeout=60)
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
