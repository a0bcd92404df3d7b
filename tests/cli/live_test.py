"""tkdec decode of live and damaged input: records through a pipe as they
arrive, --follow on a growing file, damage skipped in both binary
versions, filters and colour, all on the sample's records."""

import os
import pathlib
import pty
import select
import signal
import subprocess
import tempfile
import time
import unittest

from cli_support import SAMPLE_RECORDS as RECORDS, SOURCE_DIR, TOOL, UUID, expected, tkcapture, tkdec

EXPECTED = expected("text").splitlines()
ALARMS, K = {8209, 8241}, 20  # the alarm channels; the record that is damaged
KINDS = {row.split()[1]: row.split()[4] for row in tkdec("channels").text.splitlines()[1:]}
PRINTS = {int(c) for c, kind in KINDS.items() if kind == "TOKENIZED_PRINT" and c != "8465"}


def capture(version, records=RECORDS):
    return tkcapture.binary_capture(UUID, records, version)


def read_line(stream, seconds=10):
    """One line of the tool's output (an unbuffered pipe), or None when none came in time."""
    return stream.readline().decode("utf-8").rstrip("\n") if select.select([stream], [], [], seconds)[0] else None


class LiveInput(unittest.TestCase):
    def test_each_record_shows_before_the_next_arrives(self):
        for name, head, piece in (("binary", capture(1, []), lambda r: tkcapture.binary_record(r, 1)),
                                  ("version 2", capture(2, []), lambda r: tkcapture.binary_record(r, 2)),
                                  ("text", tkcapture.text_head(UUID, []), tkcapture.text_record)):
            with self.subTest(name), subprocess.Popen([TOOL, "decode", "-q"], stdin=subprocess.PIPE,
                                                      stdout=subprocess.PIPE, bufsize=0) as process:
                process.stdin.write(head)
                for data, line in zip(map(piece, RECORDS[:12]), EXPECTED):
                    process.stdin.write(data[:len(data) // 2])  # half a record: nothing may come of it yet
                    process.stdin.flush()
                    self.assertIsNone(read_line(process.stdout, 0.2))
                    process.stdin.write(data[len(data) // 2:])
                    process.stdin.flush()
                    self.assertEqual(read_line(process.stdout), line)
                process.stdin.close()
                self.assertEqual(process.wait(timeout=30), 0)

    def test_v1_record_that_holds_records_is_waited_on(self):
        # Its payload, still arriving, looks like records of known channels: they are no reason to drop it.
        inner = b"".join(tkcapture.binary_record(r, 1) for r in RECORDS[:4])
        data = capture(1, RECORDS[:3] + [(0x1234, 7, inner, "")] + RECORDS[3:12])
        with subprocess.Popen([TOOL, "decode", "-q", "--color=never"], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, bufsize=0) as process:
            half = len(capture(1, RECORDS[:3])) + 10 + len(inner) - 3  # all but the last bytes of its payload
            process.stdin.write(data[:half])
            process.stdin.flush()
            self.assertEqual([read_line(process.stdout) for _ in range(3)], EXPECTED[:3])
            self.assertIsNone(read_line(process.stdout, 0.3))
            process.stdin.write(data[half:])
            process.stdin.close()
            got = [read_line(process.stdout) for _ in range(10)]
            self.assertEqual((got[0].startswith("Channel ID 0x1234"), got[1:]), (True, EXPECTED[3:12]))
            self.assertNotIn("skipped", process.stderr.read().decode())
            self.assertEqual(process.wait(timeout=30), 0)

    def test_follow_a_growing_file(self):
        with tempfile.TemporaryDirectory() as directory:
            path = os.path.join(directory, "growing.tkcap")
            pathlib.Path(path).write_bytes(capture(2, RECORDS[:2]))
            process = subprocess.Popen([TOOL, "decode", "--follow", path], stdout=subprocess.PIPE,
                                       stderr=subprocess.PIPE, bufsize=0)
            self.addCleanup(process.kill)  # a failure must not leave the tool following
            self.assertEqual([read_line(process.stdout) for _ in range(2)], EXPECTED[:2])
            with open(path, "ab") as file:
                file.write(tkcapture.binary_record(RECORDS[2], 2))
            self.assertEqual(read_line(process.stdout), EXPECTED[2])
            process.send_signal(signal.SIGINT)
            _, err = process.communicate(timeout=30)
            self.assertEqual((process.returncode, "tkdec: 3 records decoded" in err.decode()), (0, True))


REASONS = r"no sync mark|checksum mismatch|record length [0-9]+ above --max-record 65536|zeroed record header"
V1_ADVICE = r"tkdec: warning: standard input: version 1 records carry no sync mark .* convert --to binary\)\n"
LONG = 0x80000014  # record K's payload length with its top bit flipped


def write(path, data, mode="wb"):
    with open(path, mode) as file:
        file.write(data)


class FollowLikeTailF(unittest.TestCase):
    """--follow through what log rotation does to a file: each change is reported, the new content shown
    from its start and no record is made of the bytes cut."""
    # (name, what happens to the followed file, given its path and the new content, the notice)
    CHANGES = [("truncated in place", lambda path, new: (write(path, b""), time.sleep(0.5), write(path, new)),
                "truncated; reading from its start (7 bytes of a cut record dropped)"),
               ("renamed, a new file at its name",
                lambda path, new: (os.rename(path, path + ".1"), write(path, new)), "replaced by a new file"),
               ("replaced by rename", lambda path, new: (write(path + ".new", new), os.rename(path + ".new", path)),
                "replaced by a new file")]
    FORMS = [("v1", lambda records: capture(1, records)), ("v2", lambda records: capture(2, records)),
             ("text", lambda records: tkcapture.text_capture(UUID, [], records))]

    def test_rotation(self):
        for (change, act, notice), (form, make) in ((c, f) for c in self.CHANGES for f in self.FORMS):
            with self.subTest(change=change, form=form), tempfile.TemporaryDirectory() as directory:
                path = os.path.join(directory, "log")
                old = make(RECORDS[:4])
                write(path, old + make(RECORDS[4:5])[len(make([])):][:7])  # and half a record
                process = subprocess.Popen([TOOL, "decode", "--follow", path], stdout=subprocess.PIPE,
                                           stderr=subprocess.PIPE, bufsize=0)
                self.addCleanup(process.kill)
                self.assertEqual([read_line(process.stdout) for _ in range(4)], EXPECTED[:4])
                act(path, make(RECORDS[10:36]))
                self.assertEqual([read_line(process.stdout) for _ in range(26)], EXPECTED[10:36])
                process.send_signal(signal.SIGINT)
                _, err = process.communicate(timeout=30)
                self.assertIn(f"{path}: {notice}", err.decode())
                self.assertIn("tkdec: 30 records decoded", err.decode())

    def test_a_missing_file_is_waited_for(self):
        with tempfile.TemporaryDirectory() as directory:
            path = os.path.join(directory, "later.tkcap")
            process = subprocess.Popen([TOOL, "decode", "--follow", path], stdout=subprocess.PIPE,
                                       stderr=subprocess.PIPE, bufsize=0)
            self.addCleanup(process.kill)
            self.assertIsNone(read_line(process.stdout, 0.5))
            write(path, capture(2, RECORDS[:3]))
            self.assertEqual([read_line(process.stdout) for _ in range(3)], EXPECTED[:3])
            process.send_signal(signal.SIGINT)
            _, err = process.communicate(timeout=30)
            self.assertIn(f"{path}: no such file yet; waiting for it", err.decode())


class Damage(unittest.TestCase):
    def damaged(self, version):
        """(name, bytes, offset of the skip, bytes skipped, records lost from K on)."""
        whole, at, end = capture(version), len(capture(version, RECORDS[:K])), len(capture(version, RECORDS[:K + 1]))
        length = at + (6 if version == 1 else 16) + 3  # the top byte of record K's payload length
        return [("flipped length", whole[:length] + bytes([whole[length] ^ 0x80]) + whole[length + 1:], at, end - at, 1),
                ("10 bytes of garbage", whole[:at] + bytes(range(0xF0, 0xFA)) + whole[at:], at, 10, 0),
                ("one deleted byte", whole[:end - 2] + whole[end - 1:], at if version == 2 else None, None, version % 2 + 1)]

    def test_damage_is_skipped_and_reported(self):
        for version in (1, 2):
            for name, data, offset, skipped, lost in self.damaged(version):
                with self.subTest(version=version, damage=name):
                    lines = (run := tkdec("decode", stdin=data)).text.splitlines()
                    self.assertEqual((run.status, lines[:K], lines[K + len(lines) - len(EXPECTED) + lost:]),
                                     (1, EXPECTED[:K], EXPECTED[K + lost:]))
                    self.assertRegex(run.err, rf"tkdec: standard input: skipped {skipped or '[0-9]+'} bytes at offset "
                                              rf"{offset or '[0-9]+'} \(({REASONS})\)\n"
                                              rf"{V1_ADVICE if version == 1 else ''}tkdec: .* truncated, [0-9]+ bytes? skipped at 1 place;")
            run = tkdec("decode", "--stop-on-error", stdin=self.damaged(version)[0][1])
            self.assertEqual((run.status, run.text.splitlines()), (1, EXPECTED[:K]))
            self.assertIn(f"standard input: record length {LONG} above --max-record 65536 at byte offset "
                          f"{self.damaged(version)[0][2]}\n", run.err)
            run = tkdec("decode", stdin=capture(version)[:-5])  # a cut last record is no damage
            self.assertEqual((run.status, run.text.splitlines()), (1, EXPECTED[:-1]))
            self.assertRegex(run.err, r"record cut short .*\n.*1 truncated; capture build")


def with_length(version, record, length):
    """Record K of a capture with its payload length field set to length (a v2 CRC then fails)."""
    data = bytearray(tkcapture.binary_record(record, version))
    at = 6 if version == 1 else 16
    data[at:at + 4] = length.to_bytes(4, "little")
    return bytes(data)


class NoStall(unittest.TestCase):
    """Damage in a live pipe: the records behind it show while the pipe stays open."""
    # (name, version, the damage written in place of record K, records lost from K on)
    CASES = [("v2 length 60000", 2, lambda r: with_length(2, r, 60000), 1),
             ("v2 length 65535, no payload", 2, lambda r: with_length(2, r, 65535)[:20], 1),
             ("v2 sync mark and garbage", 2, lambda r: b"\xa5\x5a" + bytes(range(0x30, 0x60)) + tkcapture.binary_record(r, 2), 0),
             ("v1 10 bytes of garbage", 1, lambda r: bytes(range(0xF0, 0xFA)) + tkcapture.binary_record(r, 1), 0),
             ("v1 zeroed stretch", 1, lambda r: bytes(256) + tkcapture.binary_record(r, 1), 0)]

    def test_records_after_damage_show_at_once(self):
        for name, version, damage, lost in self.CASES:
            with self.subTest(name), subprocess.Popen([TOOL, "decode", "-q"], stdin=subprocess.PIPE,
                                                      stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                                      bufsize=0) as process:
                data = (capture(version, RECORDS[:K]) + damage(RECORDS[K])
                        + b"".join(tkcapture.binary_record(r, version) for r in RECORDS[K + 1:K + 12]))
                process.stdin.write(data[:-1])  # the last byte late: what waited for it is judged again
                process.stdin.flush()
                time.sleep(0.2)
                process.stdin.write(data[-1:])
                got = [read_line(process.stdout, 5) for _ in range(K + 12 - lost)]
                self.assertEqual(got, EXPECTED[:K] + EXPECTED[K + lost:K + 12])
                process.stdin.close()
                self.assertRegex(process.stderr.read().decode(), rf"skipped [0-9]+ bytes at offset [0-9]+ \(({REASONS}|length runs into later records)\)")
                self.assertEqual(process.wait(timeout=30), 1)


class FiltersAndColour(unittest.TestCase):
    SAMPLE = SOURCE_DIR / "samples" / "kestrelmax.tkcap"

    def test_filters(self):
        cases = [(["--channel", "48"], lambda i, c, t: c == 48),
                 (["--channel", "!48,!8433"], lambda i, c, t: c not in (48, 8433)),
                 (["--kind", "alarm,exception"], lambda i, c, t: c in ALARMS),
                 (["--kind", "!print,!unknown_token"], lambda i, c, t: c in ALARMS | {8433, 8465, 0x1234}),
                 (["--kind", "unknown_token"], lambda i, c, t: i >= len(RECORDS) - 2),  # the sample's last two
                 (["--kind", "unknown_channel"], lambda i, c, t: c == 0x1234),
                 (["--group", "LOG_GROUP_CKI_DEFAULT"], lambda i, c, t: c == 48),
                 (["--group", "!LOG_GROUP_CKI_DEFAULT", "--kind", "print"], lambda i, c, t: c in PRINTS - {48}),
                 (["--id", "0x94,4"], lambda i, c, t: t in (0x94, 4) and c in PRINTS | ALARMS)]
        for options, keep in cases:
            with self.subTest(options=options):
                run = tkdec("decode", "--color=never", *options, self.SAMPLE)
                want = [line for i, (line, r) in enumerate(zip(EXPECTED, RECORDS)) if keep(i, r[0], r[1])]
                self.assertEqual((run.status, run.text.splitlines()), (0, want))
                self.assertIn(f"{len(RECORDS) - len(want)} filtered out", run.err)
        self.assertIn('unknown kind "bogus"', tkdec("decode", "--kind", "print,bogus", self.SAMPLE).err)
        for options, message in ((["--group", "LOG_GROUP_NOPE"], 'group "LOG_GROUP_NOPE" is not a log group of the '
                                  "decoder's build; did you mean LOG_GROUP_PMCE?"),
                                 (["--group", "!LOG_GROUP_CKI_DEFAUL"], "did you mean LOG_GROUP_CKI_DEFAULT?"),
                                 (["--channel", "48,49"], "channel 49 is not a channel of the decoder's build; did "
                                  "you mean 48 (PTP:LOG_GROUP_CKI_DEFAULT)?")):
            with self.subTest(options=options):
                run = tkdec("decode", *options, self.SAMPLE)
                self.assertEqual((run.status, run.out), (2, b""))
                self.assertIn(message, run.err)

    def test_colour(self):
        red, yellow, reset = "\x1b[31m", "\x1b[33m", "\x1b[0m"
        for line, plain, (channel, *_) in zip(tkdec("decode", "--color", "always", self.SAMPLE).text.splitlines(),
                                              EXPECTED, RECORDS):
            colour = red if channel in ALARMS else yellow if "NOT handled" in plain or "<unknown" in plain else ""
            self.assertEqual(line, colour + plain + reset if colour else plain)
        meta = tkdec("decode", "--color=always", "--with-meta", self.SAMPLE).text.splitlines()
        self.assertTrue(all(line.startswith("\x1b[2m#") and reset in line for line in meta))
        for options in (["--color", "never"], ["--color", "auto"], []):
            self.assertEqual(tkdec("decode", *options, self.SAMPLE).text.splitlines(), EXPECTED)

    def test_colour_on_a_terminal(self):
        # (environment, whether the lines are coloured); combined short options read as apart.
        for env, coloured in (({"TERM": "xterm"}, True), ({"TERM": "dumb"}, False),
                              ({"TERM": "xterm", "NO_COLOR": "1"}, False), ({"TERM": "xterm", "NO_COLOR": ""}, True)):
            with self.subTest(env=env):
                leader, follower = pty.openpty()
                environment = {k: v for k, v in os.environ.items() if k not in ("TERM", "NO_COLOR")}
                run = subprocess.Popen([TOOL, "decode", "-qj1", self.SAMPLE], stdout=follower,
                                       stderr=subprocess.DEVNULL, env={**environment, **env})
                os.close(follower)
                shown = b""
                try:
                    while chunk := os.read(leader, 65536):
                        shown += chunk
                except OSError:  # the terminal's other end closed
                    pass
                os.close(leader)
                self.assertEqual((run.wait(timeout=120), b"\x1b[31m" in shown), (0, coloured))


if __name__ == "__main__":
    unittest.main()
