"""The sample capture of the reference build decoded in the four formats,
compared with the reviewed outputs in expected/."""

import json
import unittest

from cli_support import SOURCE_DIR, tkcapture, tkdec

SAMPLES = SOURCE_DIR / "samples"
EXPECTED = SOURCE_DIR / "tests" / "cli" / "expected"
FORMATS = ["text", "xml", "longjson", "json"]
SUMMARY = ("tkdec: 51 records decoded, 1 unknown channel, 2 unknown tokens, 0 truncated; "
           "capture build matches the decoder\n")


def expected(fmt):
    return (EXPECTED / f"kestrelmax.{fmt}").read_text(encoding="utf-8")


def sample_records():
    """(channel, id) of every record of the sample, from its text form."""
    records = []
    for line in (SAMPLES / "kestrelmax.txt").read_text(encoding="utf-8").splitlines():
        if line and not line.startswith("#"):
            channel, ident = line.split()[:2]
            records.append((int(channel), int(ident, 16)))
    return records


def channel_labels():
    run = tkdec("channels")
    return {int(row.split(None, 5)[1]): row.split(None, 5)[5] for row in run.text.splitlines()[1:]}


class SampleCapture(unittest.TestCase):
    def test_samples_are_made_from_their_list(self):
        status = tkcapture.main([str(SAMPLES / "kestrelmax.json"), "--binary", str(SAMPLES / "kestrelmax.tkcap"),
                                 "--text", str(SAMPLES / "kestrelmax.txt"), "--check"])
        self.assertEqual(status, 0)

    def test_every_format_from_every_source(self):
        binary = (SAMPLES / "kestrelmax.tkcap").read_bytes()
        for fmt in FORMATS:
            runs = {
                "binary file": tkdec("decode", "--format", fmt, SAMPLES / "kestrelmax.tkcap"),
                "text file": tkdec("decode", f"--format={fmt}", SAMPLES / "kestrelmax.txt"),
                "standard input": tkdec("decode", "--format", fmt, "-", stdin=binary),
            }
            for source, run in runs.items():
                with self.subTest(fmt=fmt, source=source):
                    self.assertEqual((run.status, run.err), (0, SUMMARY))
                    self.assertEqual(run.text, expected(fmt))

    def test_text_is_the_default_format(self):
        self.assertEqual(tkdec("decode", "-q", SAMPLES / "kestrelmax.tkcap").text, expected("text"))

    def test_json_lines_with_meta(self):
        records = sample_records()
        labels = channel_labels()
        for fmt in ("json", "longjson"):
            with self.subTest(fmt=fmt):
                run = tkdec("decode", "--format", fmt, "--with-meta", "-q", SAMPLES / "kestrelmax.tkcap")
                self.assertEqual(run.status, 0)
                lines = run.text.splitlines()
                self.assertEqual(len(lines), len(records))
                for number, (line, (channel, ident), text) in enumerate(
                        zip(lines, records, expected(fmt).splitlines()), start=1):
                    self.assertEqual(json.loads(line), {
                        "record": number, "channel": channel, "label": labels.get(channel),
                        "id": f"0x{ident:08x}", "text": text})

    def test_text_and_xml_with_meta(self):
        records = sample_records()
        labels = channel_labels()
        for fmt, line_of in (
                ("text", lambda n, c, i, t: f"#{n} {c} {labels.get(c, '(unknown channel)')} 0x{i:08x}: {t}"),
                ("xml", lambda n, c, i, t: f'<record number="{n}" channel="{c}"'
                        + (f' label="{labels[c]}"' if c in labels else "") + f' id="0x{i:08x}">{t}</record>')):
            with self.subTest(fmt=fmt):
                run = tkdec("decode", "--format", fmt, "--with-meta", "-q", SAMPLES / "kestrelmax.txt")
                want = [line_of(n, c, i, t) for n, ((c, i), t) in
                        enumerate(zip(records, expected(fmt).splitlines()), start=1)]
                self.assertEqual(run.text.splitlines(), want)


if __name__ == "__main__":
    unittest.main()
