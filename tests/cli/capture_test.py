"""Reading every capture form from files and standard input (through tkdec
convert, which writes back what it read, and tkdec decode): malformed
captures and files, host times, the summary and the progress line."""

import os
import pathlib
import pty
import random
import struct
import subprocess
import tempfile
import unittest

from cli_support import TOOL, UUID, binary_capture, text_capture, tkcapture, tkdec

HEAD, BUILD = "# tkdec capture: channel, id, payload bytes\n", f"# build {UUID}\n"
RECORDS = [(48, 0, b""), (7376, 0x94, b"\x02\x00\x00\x00"), (0x1234, 0xFFFFFFFF, b"\xab")]
LINES = ["48 0x00000000\n", "7376 0x00000094 02 00 00 00\n", "4660 0xffffffff ab\n"]
WHOLE = binary_capture(RECORDS)
THIRD = 28 + 10 + 10 + 4  # byte offset of the third record in WHOLE
SKIPPED = "; line skipped"

# (name, capture bytes, exit status, converted text, the message on standard error).
CAPTURES = [
    ("binary", WHOLE, 0, HEAD + BUILD + "".join(LINES), ""),
    ("empty input", b"", 0, HEAD, ""),
    ("text written freely", b"\xef\xbb\xbf# by hand\r\n\r\n  # build 7D7D9DE0768A419DA9C3B593855BDB0A  \r\n# build 0123456789abcdef0123456789abcdef\n"
     b"48 0 # boot\r\n# build 00000000000000000000000000000001\n 0x1cd0\t148 0200 0000\r\n0x1234 4294967295 AB",
     0, HEAD + BUILD + "".join(LINES), ""),
    ("record header cut short", WHOLE[:THIRD + 3], 1, HEAD + BUILD + "".join(LINES[:2]),
     f"tkdec: capture: record cut short at byte offset {THIRD}: 3 of its 10 header bytes present"),
    ("bad magic", b"\x7fELF\x02\x01", 1, "", "tkdec: capture: bad magic: not a tkdec capture"),
    ("another version", WHOLE[:8] + struct.pack("<I", 3) + WHOLE[12:], 1, "",
     "tkdec: capture: capture version 3 is not supported (this tool reads versions 1 and 2)"),
    ("odd hexadecimal", b"48 0\n48 4 0200 000\n", 1, HEAD + LINES[0],
     "tkdec: capture:2: bad hexadecimal \"000\" in the payload" + SKIPPED),
    ("id out of range", b"48 0x100000000\n", 1, HEAD,
     "tkdec: capture:1: id \"0x100000000\" is not a number from 0 to 0xffffffff" + SKIPPED),
    ("id missing", b"48 # no id\n", 1, HEAD, "tkdec: capture:1: a record needs a channel and an id" + SKIPPED),
    ("bad time", b"2026-02-30T00:00:00Z 48 0\n", 1, HEAD, "tkdec: capture:1: time \"2026-02-30T00:00:00Z\" "
     "is not an ISO-8601 UTC time (2026-01-31T12:00:00.5Z)" + SKIPPED),
    ("century years", b"2000-02-29T00:00:00Z 48 0\n2100-02-29T00:00:00Z 48 0\n2101-03-01T00:00:00Z 48 0\n", 1,
     HEAD + "2000-02-29T00:00:00.000000000Z 48 0x00000000\n2101-03-01T00:00:00.000000000Z 48 0x00000000\n",
     "tkdec: capture:2: time \"2100-02-29T00:00:00Z\" is not an ISO-8601 UTC time (2026-01-31T12:00:00.5Z)" + SKIPPED),
]

OTHER_BUILD = "0123456789abcdef0123456789abcdef"
# Records on channels that no build has: their text does not depend on the build's tokens.
UNKNOWN = [(1, 0, b""), (2, 5, b"\x01\x02"), (0x1234, 0xFFFFFFFF, b"")]


def unknown(channel):
    return f"Channel ID 0x{channel:04x} is NOT handled by this decoder\n"


def summary(records, truncated=0, verdict="capture build matches the decoder", skipped=""):
    plural = lambda n, noun: f"{n} {noun}" + ("" if n == 1 else "s")  # noqa: E731
    return (f"tkdec: {plural(records, 'record')} decoded, {plural(records, 'unknown channel')}, "
            f"0 unknown tokens, {truncated} truncated{skipped}; {verdict}\n")


V1_ADVICE = ("tkdec: warning: capture: version 1 records carry no sync mark or checksum, so damage there is found "
             "only by plausibility; record in version 2 (tools/capture/tkcapture.py --binary-v2, or tkdec convert "
             "--to binary)\n")

# (name, capture, exit status, standard output, standard error).
DECODINGS = [
    ("another build", binary_capture(UNKNOWN, uuid=OTHER_BUILD), 0, unknown(1) + unknown(2) + unknown(0x1234),
     f"tkdec: warning: capture was made by build {OTHER_BUILD}, the decoder is for build {UUID}: records may "
     "decode wrongly\n" + summary(3, verdict="capture build differs from the decoder's")),
    ("last record cut short", binary_capture(UNKNOWN)[:-3], 1, unknown(1) + unknown(2),
     "tkdec: capture: record cut short at byte offset 50: 7 of its 10 header bytes present\n" + summary(2, 1)),
    ("bad hexadecimal", b"1 0\n2 5 0102\n3 0 xyz\n1 0\n", 1, unknown(1) + unknown(2) + unknown(1),
     "tkdec: capture:3: bad hexadecimal \"xyz\" in the payload; line skipped\n"
     + summary(3, verdict="capture names no build", skipped=", 8 bytes skipped at 1 place")),
    ("a record longer than --max-record", binary_capture([(240, 0x78, bytes(70000)), (48, 0, b"")]), 1,
     "2nd stage boot\n", "tkdec: capture: skipped 70010 bytes at offset 28 (record length 70000 above --max-record "
     "65536)\n" + V1_ADVICE + "tkdec: 1 record decoded, 0 unknown channels, 0 unknown tokens, 0 truncated, "
     "70010 bytes skipped at 1 place; capture build matches the decoder\n"),
]

# Version 1 after damage: three records of a known channel whose token the build lacks are no place
# to resume in a capture of the decoder's build, though they are in one of another build.
FAKES = [(48, 0, b""), (0, 0, b"")] + [(48, 0xFF0, b"")] * 3 + [(48, 0, b""), (48, 4, b""), (48, 0, b"")]
DECODINGS += [
    ("v1 unknown tokens after damage", binary_capture(FAKES), 1,
     "2nd stage boot\n2nd stage boot\n2nd stage boot complete\n2nd stage boot\n",
     "tkdec: capture: skipped 40 bytes at offset 38 (zeroed record header)\n" + V1_ADVICE
     + "tkdec: 4 records decoded, 0 unknown channels, 0 unknown tokens, 0 truncated, 40 bytes skipped at 1 place; "
     "capture build matches the decoder\n"),
    ("v1 unknown tokens after damage, another build", binary_capture(FAKES, uuid=OTHER_BUILD), 1,
     "2nd stage boot\n" + "<unknown token 0x00000ff0 on channel 48, 0 payload bytes>\n" * 3
     + "2nd stage boot\n2nd stage boot complete\n2nd stage boot\n",
     f"tkdec: warning: capture was made by build {OTHER_BUILD}, the decoder is for build {UUID}: records may "
     "decode wrongly\ntkdec: capture: skipped 10 bytes at offset 38 (zeroed record header)\n" + V1_ADVICE
     + "tkdec: 7 records decoded, 0 unknown channels, 3 unknown tokens, 0 truncated, 10 bytes skipped at 1 place; "
     "capture build differs from the decoder's\n"),
]


class Captures(unittest.TestCase):
    def run_on(self, command, capture, *options):
        """(file run, standard input run) of a command on a capture."""
        with tempfile.TemporaryDirectory() as directory:
            with open(os.path.join(directory, "capture"), "wb") as file:
                file.write(capture)
            return tkdec(command, *options, "capture", cwd=directory), tkdec(command, *options, stdin=capture)

    def test_convert(self):
        for name, capture, status, text, message in CAPTURES:
            for source, run in zip(("capture", "standard input"), self.run_on("convert", capture)):
                with self.subTest(name, source=source):
                    message = message.replace("tkdec: capture", "tkdec: " + source)
                    self.assertEqual((run.status, run.text, run.err), (status, text, message + "\n" if message else ""))

    def test_decode(self):
        for name, capture, status, out, err in DECODINGS:
            with self.subTest(name):
                run = self.run_on("decode", capture)[0]
                self.assertEqual((run.status, run.text, run.err), (status, out, err))

    def test_large_captures_across_blocks(self):
        # Records of every size around the 1 MiB read block, one payload larger than a block, in every
        # form: what comes back is what went in, and no record is ever shown cut.
        rng = random.Random(7)
        records = []
        while sum(10 + len(p) for _, _, p in records) < 3 << 20:
            size = rng.choice([0, 1, 3, 4, 17, 255, 4096, 70000])
            records.append((rng.randrange(65536), rng.randrange(1 << 32), rng.randbytes(size)))
        records.insert(len(records) // 2, (48, 4, rng.randbytes((1 << 20) + 5)))
        binary, text = binary_capture(records), text_capture(records)
        to_text = tkdec("convert", "--max-record", 1 << 21, stdin=binary)
        self.assertEqual((to_text.status, to_text.err, to_text.out),
                         (0, "", text_capture(records, comment=["tkdec capture: channel, id, payload bytes"])))
        v2 = tkdec("convert", "--to", "binary", "--max-record", 1 << 21, "-", stdin=text)
        v1 = tkdec("convert", "--to", "binary-v1", "--max-record", 1 << 21, "-", stdin=v2.out)
        self.assertEqual((v2.status, v1.status, v1.err, v1.out), (0, 0, "", binary))
        value = "".join(chr(ord("a") + i % 26) for i in range(300000))
        data = struct.pack("<IIII", 0, 1, 0, 1) + b"\0\0\0\0" + struct.pack("<II", 1, len(value) + 1) + value.encode() + b"\0" * 4
        run = tkdec("decode", "-q", "--max-record", 400000, stdin=binary_capture([(240, 0x78, data)]))
        self.assertEqual((run.status, run.text), (0, f"[Build Info]  = {value}\n"))

    def test_host_times(self):
        times = [1796551200_000000000, 1796551200_250000000, 1796551262_000000001]
        v2 = tkcapture.binary_capture(UUID, [(1, i, b"", "", t) for i, t in enumerate(times)], 2)
        text = tkdec("convert", stdin=v2)
        self.assertEqual(text.text.splitlines()[2:], [
            "2026-12-06T10:00:00.000000000Z 1 0x00000000", "2026-12-06T10:00:00.250000000Z 1 0x00000001",
            "2026-12-06T10:01:02.000000001Z 1 0x00000002"])
        self.assertEqual(tkdec("convert", "--to", "binary", stdin=text.out).out, v2)
        with tempfile.TemporaryDirectory() as directory:  # version 1 cannot hold the times: refused, no file left
            for source, position in ((v2, "byte offset 28"), (text.out, "line 3")):
                out = pathlib.Path(directory, "v1.tkcap")
                run = tkdec("convert", "--to", "binary-v1", "-o", out, stdin=source)
                self.assertEqual((run.status, out.exists()), (1, False))
                self.assertIn(f"record at {position} has a host time, which a version 1 capture cannot hold", run.err)
        for option, column in (("abs", "2026-12-06T10:00:00.250000000Z"), ("delta", "+0.250000000")):
            run = tkdec("decode", "--timestamps", option, stdin=text.out.replace(b".000000000Z", b"Z"))
            self.assertEqual(run.text.splitlines(True)[1], f"{column} {unknown(1)}")
        self.assertEqual(tkdec("decode", "-q", "--timestamps=abs", stdin=b"1 0\n").text, f"- {unknown(1)}")
        backwards = b"2026-12-06T10:00:01Z 1 0\n2026-12-06T10:00:00.75Z 1 0\n2554-07-21T23:34:33.709551615Z 1 0\n"
        run = tkdec("decode", "-q", "--timestamps", "delta", stdin=backwards)
        self.assertEqual([line.split()[0] for line in run.text.splitlines()],
                         ["+0.000000000", "-0.250000000", "+16650192872.959551615"])
        for options, status, message in ((["--format", "xml"], 2, "--timestamps needs --format text or jsonl"),
                                         (["--format", "jsonl"], 0, ""),
                                         ([], 0, "a version 1 capture has no host times")):
            run = tkdec("decode", "-q", "--timestamps", "abs", *options, stdin=WHOLE)
            self.assertEqual((run.status, message in run.err), (status, True), run.err)


def v2(records):  # (channel, id, payload, host time)
    return tkcapture.binary_capture(UUID, [(c, i, p, "", t) for c, i, p, t in records], 2)


# Version 2 captures of several MB, which -j splits: with host times (some unknown), with damage
# every 100 kB and a cut last record, with a whole record inside every record's payload, where a
# stretch must not start, and two of them in one file.
TIMED = v2([(c, i, p, 0 if n % 7 == 3 else 10**18 + n * 1250 + n % 5) for n, (c, i, p) in enumerate(UNKNOWN * 60000)])
NESTED = v2([(2, n, bytes(200) + v2([(1, n, b"", 5)])[28:], 10**18 + n) for n in range(20000)])
# Captures for runs over several: (name, bytes or None for a missing file).
MANY = {"big": binary_capture(RECORDS * 40000), "unknown": binary_capture(UNKNOWN), "cut": WHOLE[:THIRD + 3],
        "bad magic": b"\x7fELF\x02\x01", "damaged lines": b"1 0\n3 0 xyz\n2 5 0102\n", "missing": None,
        "timed": TIMED, "nested": NESTED, "two in one": TIMED + TIMED,
        "damaged": b"".join(TIMED[i:i + 100003] + b"\xa5\x5a\x01junk" for i in range(0, len(TIMED), 100003))[:-7]}
# (captures in order, the run's exit status: that of the first capture that failed, decode options).
MANY_RUNS = [
    (["big", "unknown", "big"], 0, []),
    (["unknown", "cut", "missing", "big"], 1, []),
    (["big", "missing", "cut", "unknown"], 3, []),
    (["bad magic", "big", "damaged lines", "big"], 1, []),
    (["missing", "big", "bad magic"], 3, []),
    (["timed"], 0, ["--timestamps", "delta", "--with-meta"]),
    (["damaged"], 1, ["--timestamps", "delta", "--format", "jsonl", "--id", "!5"]),
    (["damaged", "timed"], 1, ["--timestamps", "abs"]),
    (["nested"], 0, ["--format", "jsonl"]),
    (["two in one"], 0, ["--format", "jsonl", "--with-meta"]),
    (["damaged"], 1, ["--stop-on-error"]),
]


class SeveralCaptures(unittest.TestCase):
    def test_workers_write_what_one_writes(self):
        # Whatever the number of workers, the output is the captures' own, in input order, and so are
        # the messages, the summary and the exit status; a large version 2 capture is split among them.
        with tempfile.TemporaryDirectory() as directory:
            for name, capture in MANY.items():
                if capture is not None:
                    with open(os.path.join(directory, name), "wb") as file:
                        file.write(capture)
            for names, status, options in MANY_RUNS:
                alone = {name: tkdec("decode", "-q", *options, name, cwd=directory) for name in set(names)}
                runs = [tkdec("decode", *options, "-j", jobs, *names, cwd=directory) for jobs in (1, 2, 5)]
                with self.subTest(names, options=options):  # outputs of MB: compared, not shown
                    self.assertTrue(runs[0].out == b"".join(alone[name].out for name in names))
                    messages = "".join(alone[name].err for name in names)
                    self.assertEqual(runs[0].err[:len(messages)], messages)
                    self.assertRegex(runs[0].err[len(messages):], r"^tkdec: \d+ records decoded, [^\n]*\n$")
                    for run in runs:
                        self.assertEqual((run.status, run.out == runs[0].out, run.err), (status, True, runs[0].err))

    def test_jobs_is_a_count_of_workers(self):
        for jobs in ("0", "x", "1025"):
            run = tkdec("decode", "-j", jobs, "a", "b")
            self.assertEqual((run.status, run.err), (2, f"tkdec: decode: --jobs \"{jobs}\" is not a number of "
                                                          "workers from 1 to 1024 (see 'tkdec decode --help')\n"))

    def test_limits_and_several_captures(self):
        # Channel 84 starts with the file header's first byte, "T": its record
        # is framed the general way, not taken whole at once.
        for version, channel in ((1, 1), (2, 1), (1, 84)):
            exact = tkcapture.binary_capture(UUID, [(channel, 0, b"1234", "")], version)
            run = tkdec("convert", "--max-record", 4, stdin=exact)
            self.assertEqual((run.status, run.text.splitlines()[2:]), (0, [f"{channel} 0x00000000 31 32 33 34"]), version)
        with tempfile.TemporaryDirectory() as directory:
            for name, content in (("bad", b"\x7fELF"), ("good", b"1 0\n")):
                with open(os.path.join(directory, name), "wb") as file:
                    file.write(content)
            self.assertEqual(tkdec("decode", "-q", "bad", "good", "missing", cwd=directory).status, 1)


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
            nowhere = os.path.join(directory, "missing", "out")
            for path, message in ((nowhere, f"tkdec: cannot write {nowhere}: No such file or directory"),
                                  ("/dev/full", "tkdec: cannot write /dev/full: No space left on device")):
                with self.subTest(path):
                    run = tkdec("convert", "--to", "binary", "-o", path, "-", stdin=WHOLE)
                    self.assertEqual((run.status, run.err), (3, message + "\n"))
        with open("/dev/full", "wb") as full:
            completed = subprocess.run([TOOL, "decode", "-"], input=WHOLE, stdout=full, stderr=subprocess.PIPE)
        self.assertEqual((completed.returncode, completed.stderr.decode()),
                         (3, "tkdec: cannot write the output: No space left on device\n"))


class ProgressLine(unittest.TestCase):
    def decode_on_terminal(self, path, *options, output_too=False):
        """Standard error of a decode on a terminal (standard output too, or /dev/null)."""
        controller, terminal = pty.openpty()
        with open(os.devnull, "wb") as sink:
            process = subprocess.Popen([TOOL, "decode", *options, path], stdout=terminal if output_too else sink,
                                       stderr=terminal)
        os.close(terminal)
        seen, chunk = b"", b"."
        while chunk:
            try:
                chunk = os.read(controller, 65536)
            except OSError:  # the terminal closed with the process
                chunk = b""
            seen += chunk
        os.close(controller)
        self.assertEqual(process.wait(timeout=120), 0)
        return seen.decode().replace("\r\n", "\n")

    def test_progress(self):
        with tempfile.TemporaryDirectory() as directory:
            large, small = os.path.join(directory, "large"), os.path.join(directory, "small")
            records = [(1, i, bytes(54)) for i in range(80000)]  # 5.12 MB
            for path, count in ((large, 80000), (small, 1000)):
                with open(path, "wb") as file:
                    file.write(binary_capture(records[:count]))
            seen = self.decode_on_terminal(large)
            self.assertIn("\rtkdec: decoding 100% of 5 MB", seen)
            self.assertTrue(seen.endswith("\r" + " " * 40 + "\r" + summary(80000)))
            self.assertEqual(self.decode_on_terminal(small), summary(1000))
            self.assertEqual(self.decode_on_terminal(large, "--quiet"), "")
            self.assertEqual(self.decode_on_terminal(large, "--kind=message", output_too=True),
                             "tkdec: 0 records decoded, 0 unknown channels, 0 unknown tokens, 0 truncated, 80000 "
                             "filtered out; capture build matches the decoder\n")
            self.assertEqual(tkdec("decode", large).err, summary(80000))


if __name__ == "__main__":
    unittest.main()
