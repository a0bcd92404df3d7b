"""tkdec decode of live and damaged input: records through a pipe as they
arrive, --follow on a growing file, damage skipped in both binary
versions, filters and colour."""

import os
import select
import signal
import subprocess
import tempfile
import unittest

from cli_support import SOURCE_DIR, TOOL, tkcapture, tkdec

SAMPLE = SOURCE_DIR / "samples" / "kestrelmax.json"
EXPECTED = (SOURCE_DIR / "tests" / "cli" / "expected" / "kestrelmax.text").read_text(encoding="utf-8").splitlines()
UUID, _, ENTRIES = tkcapture.read_list(SAMPLE)
RECORDS = list(tkcapture.records_of(ENTRIES, []))
ALARMS = {8209, 8241}


def capture(version, records=RECORDS):
    return tkcapture.binary_capture(UUID, records, version)


def offset_of(index, version):
    """Byte offset of record index in the binary form."""
    return len(capture(version, RECORDS[:index]))


def read_line(stream, seconds=10):
    """One line of the tool's output, or None when none came in time."""
    if not select.select([stream], [], [], seconds)[0]:
        return None
    return stream.readline().decode("utf-8").rstrip("\n")


class LiveInput(unittest.TestCase):
    def test_each_record_shows_before_the_next_arrives(self):
        for name, head, pieces in (
                ("binary", capture(1, []), [tkcapture.binary_record(r, 1) for r in RECORDS[:12]]),
                ("version 2", capture(2, []), [tkcapture.binary_record(r, 2) for r in RECORDS[:12]]),
                ("text", tkcapture.text_head(UUID, []), [tkcapture.text_record(r) for r in RECORDS[:12]])):
            with self.subTest(name), subprocess.Popen([TOOL, "decode", "-q"], stdin=subprocess.PIPE,
                                                      stdout=subprocess.PIPE) as process:
                process.stdin.write(head)
                for piece, line in zip(pieces, EXPECTED):
                    # Half a record first: nothing may come of it yet.
                    process.stdin.write(piece[:len(piece) // 2])
                    process.stdin.flush()
                    self.assertIsNone(read_line(process.stdout, 0.2))
                    process.stdin.write(piece[len(piece) // 2:])
                    process.stdin.flush()
                    self.assertEqual(read_line(process.stdout), line)
                process.stdin.close()
                self.assertEqual(process.wait(timeout=30), 0)

    def test_follow_a_growing_file(self):
        with tempfile.TemporaryDirectory() as directory:
            path = os.path.join(directory, "growing.tkcap")
            with open(path, "wb") as file:
                file.write(capture(2, RECORDS[:2]))
            with subprocess.Popen([TOOL, "decode", "--follow", path], stdout=subprocess.PIPE,
                                  stderr=subprocess.PIPE) as process:
                self.assertEqual([read_line(process.stdout) for _ in range(2)], EXPECTED[:2])
                with open(path, "ab") as file:
                    file.write(tkcapture.binary_record(RECORDS[2], 2))
                self.assertEqual(read_line(process.stdout), EXPECTED[2])
                process.send_signal(signal.SIGINT)
                self.assertEqual(process.wait(timeout=30), 0)
                self.assertIn("tkdec: 3 records decoded", process.stderr.read().decode())


class Damage(unittest.TestCase):
    K = 20  # the record that is damaged

    def damaged(self, version):
        """(name, bytes, offset of the skip, bytes skipped, records lost after K)."""
        whole, at = capture(version), offset_of(self.K, version)
        size = offset_of(self.K + 1, version) - at
        length = at + (6 if version == 1 else 16)
        flipped = whole[:length + 3] + bytes([whole[length + 3] ^ 0x80]) + whole[length + 4:]
        garbage = whole[:at] + bytes(range(0xF0, 0xFA)) + whole[at:]
        deleted = whole[:at + size - 2] + whole[at + size - 1:]  # a byte of the payload's end
        return [("flipped length", flipped, at, size, 1), ("10 bytes of garbage", garbage, at, 10, 0),
                ("one deleted byte", deleted, at if version == 2 else None, None, 1 if version == 2 else 2)]

    def test_damage_is_skipped_and_reported(self):
        for version in (1, 2):
            for name, data, offset, skipped, lost in self.damaged(version):
                with self.subTest(version=version, damage=name):
                    run = tkdec("decode", stdin=data)
                    lines = run.text.splitlines()
                    self.assertEqual(run.status, 1)
                    self.assertEqual(lines[:self.K], EXPECTED[:self.K])
                    self.assertEqual(lines[-(len(EXPECTED) - self.K - lost):], EXPECTED[self.K + lost:])
                    self.assertRegex(run.err, rf"tkdec: standard input: skipped {skipped or '[0-9]+'} bytes at "
                                              rf"offset {offset or '[0-9]+'} \((corrupt record header|checksum mismatch)\)\n")
                    self.assertRegex(run.err, r"truncated, [0-9]+ bytes? skipped at 1 place;")

    def test_stop_on_error_ends_at_the_damage(self):
        for version in (1, 2):
            name, data, offset, _, _ = self.damaged(version)[0]
            with self.subTest(version=version):
                run = tkdec("decode", "--stop-on-error", stdin=data)
                self.assertEqual((run.status, run.text.splitlines()), (1, EXPECTED[:self.K]))
                self.assertIn(f"tkdec: standard input: corrupt record header at byte offset {offset}\n", run.err)

    def test_a_cut_last_record_is_not_damage(self):
        run = tkdec("decode", stdin=capture(2)[:-5])
        self.assertEqual((run.status, run.text.splitlines()), (1, EXPECTED[:-1]))
        self.assertRegex(run.err, r"record cut short .*\n.*1 truncated; capture build")

    def test_a_malformed_text_line_is_skipped(self):
        text = tkcapture.text_capture(UUID, [], RECORDS[:3]).replace(b"48 0x00000004", b"48 0x0000000z")
        run = tkdec("decode", stdin=text)
        self.assertEqual((run.status, run.text.splitlines()), (1, [EXPECTED[0], EXPECTED[2]]))
        self.assertIn("tkdec: standard input:5: id \"0x0000000z\" is not a number from 0 to 0xffffffff; "
                      "line skipped\n", run.err)


class FiltersAndColour(unittest.TestCase):
    SAMPLE_FILE = SOURCE_DIR / "samples" / "kestrelmax.tkcap"

    def test_filters(self):
        last_two = len(RECORDS) - 2  # the two unknown tokens close the sample
        cases = [
            (["--channel", "48"], lambda i, c, t: c == 48),
            (["--channel", "!48,!8433"], lambda i, c, t: c not in (48, 8433)),
            (["--kind", "alarm,exception"], lambda i, c, t: c in ALARMS),
            (["--kind", "!print,!unknown_token"], lambda i, c, t: c in ALARMS | {8433, 8465, 0x1234}),
            (["--kind", "unknown_token"], lambda i, c, t: i >= last_two),
            (["--kind", "unknown_channel"], lambda i, c, t: c == 0x1234),
            (["--group", "LOG_GROUP_CKI_DEFAULT"], lambda i, c, t: c == 48),
            (["--group", "!LOG_GROUP_CKI_DEFAULT", "--kind", "print"], lambda i, c, t: c not in (48, 8465)
             and c in PRINT_CHANNELS),
            (["--id", "0x94,4"], lambda i, c, t: t in (0x94, 4) and c != 0x1234 and c in PRINT_CHANNELS | ALARMS),
        ]
        for options, keep in cases:
            with self.subTest(options=options):
                run = tkdec("decode", "--color=never", *options, self.SAMPLE_FILE)
                want = [line for i, (line, r) in enumerate(zip(EXPECTED, RECORDS)) if keep(i, r[0], r[1])]
                self.assertEqual((run.status, run.text.splitlines()), (0, want))
                self.assertIn(f"{len(RECORDS) - len(want)} filtered out", run.err)

    def test_colour(self):
        red, yellow, dim, reset = "\x1b[31m", "\x1b[33m", "\x1b[2m", "\x1b[0m"
        always = tkdec("decode", "--color", "always", self.SAMPLE_FILE).text.splitlines()
        for line, plain, (channel, *_) in zip(always, EXPECTED, RECORDS):
            colour = red if channel in ALARMS else yellow if "NOT handled" in plain or "<unknown" in plain else ""
            self.assertEqual(line, colour + plain + reset if colour else plain)
        meta = tkdec("decode", "--color=always", "--with-meta", self.SAMPLE_FILE).text.splitlines()
        self.assertTrue(all(line.startswith(dim + "#") and reset in line for line in meta))
        for options in (["--color", "never"], ["--color", "auto"], []):
            with self.subTest(options=options):
                self.assertEqual(tkdec("decode", *options, self.SAMPLE_FILE).text.splitlines(), EXPECTED)


PRINT_CHANNELS = {int(row.split()[1]) for row in tkdec("channels").text.splitlines()[1:]
                  if row.split()[4] == "TOKENIZED_PRINT" and not row.endswith("MSG RX")}

if __name__ == "__main__":
    unittest.main()
