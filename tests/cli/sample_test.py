"""The sample captures of the reference build decoded in every format and
inspected, compared with the reviewed outputs in expected/; the JSON Lines
checked against their published schema."""

import json
import subprocess
import unittest

import jsonschema

from cli_support import SAMPLE_RECORDS as RECORDS, SOURCE_DIR, expected, tkcapture, tkdec

SAMPLES = SOURCE_DIR / "samples"
SCHEMA = json.loads((SOURCE_DIR / "docs" / "tkdec-jsonl.schema.json").read_text(encoding="utf-8"))
SUMMARY = ("tkdec: 51 records decoded, 1 unknown channel, 2 unknown tokens, 0 truncated; "
           "capture build matches the decoder\n")
LABELS = {int(row.split(None, 5)[1]): row.split(None, 5)[5] for row in tkdec("channels").text.splitlines()[1:]}


def without_offsets(jsonl):
    """The records of a JSON Lines text without the offsets and times, which differ from form to form."""
    return [{k: v for k, v in json.loads(line).items() if k not in ("offset", "time")} for line in jsonl.splitlines()]


class SampleCapture(unittest.TestCase):
    def test_samples_are_made_from_their_list(self):
        self.assertEqual(tkcapture.main([str(SAMPLES / "kestrelmax.json"), "--binary", str(SAMPLES / "kestrelmax.tkcap"),
                                         "--binary-v2", str(SAMPLES / "kestrelmax-v2.tkcap"),
                                         "--text", str(SAMPLES / "kestrelmax.txt"), "--check"]), 0)

    def test_every_format_from_every_source(self):
        binary = (SAMPLES / "kestrelmax.tkcap").read_bytes()
        for fmt in ["text", "xml", "longjson", "json", "jsonl"]:
            runs = {
                "binary file": tkdec("decode", "--format", fmt, SAMPLES / "kestrelmax.tkcap"),
                "version 2": tkdec("decode", "--format", fmt, SAMPLES / "kestrelmax-v2.tkcap"),
                "text file": tkdec("decode", f"--format={fmt}", SAMPLES / "kestrelmax.txt"),
                "standard input": tkdec("decode", "--format", fmt, "-", stdin=binary),
            }
            for source, run in runs.items():
                with self.subTest(fmt=fmt, source=source):
                    self.assertEqual((run.status, run.err), (0, SUMMARY))
                    if fmt == "jsonl" and source in ("version 2", "text file"):
                        self.assertEqual(without_offsets(run.text), without_offsets(expected(fmt)))
                    else:
                        self.assertEqual(run.text, expected(fmt))

    def test_json_lines_follow_their_schema(self):
        validator = jsonschema.Draft202012Validator(SCHEMA, format_checker=jsonschema.FormatChecker())
        text = tkdec("decode", "--format", "jsonl", SAMPLES / "kestrelmax-v2.tkcap", SAMPLES / "kestrelmax.txt").text
        lines = text.splitlines()
        self.assertEqual(len(lines), 2 * (1 + len(RECORDS)))
        for line in lines:
            validator.validate(json.loads(line))
        jq = subprocess.run(["jq", "-c", "."], input=text.encode(), capture_output=True, check=True)
        self.assertEqual([json.loads(line) for line in jq.stdout.decode().splitlines()],
                         [json.loads(line) for line in lines])

    def test_with_meta(self):
        for fmt, line_of in (
                ("text", lambda n, c, i, t: f"#{n} {c} {LABELS.get(c, '(unknown channel)')} 0x{i:08x}: {t}"),
                ("json", lambda n, c, i, t: json.dumps({"record": n, "channel": c, "label": LABELS.get(c),
                                                        "id": f"0x{i:08x}", "text": t}, separators=(",", ":")))):
            with self.subTest(fmt=fmt):
                run = tkdec("decode", "--format", fmt, "--with-meta", "-q", SAMPLES / "kestrelmax.txt")
                want = [line_of(n, r[0], r[1], t) for n, (r, t) in
                        enumerate(zip(RECORDS, expected(fmt).splitlines()), start=1)]
                self.assertEqual(run.text.splitlines(), want)

    def test_inspect(self):
        per_channel = {}
        for channel, *_ in RECORDS:
            per_channel[channel] = per_channel.get(channel, 0) + 1
        paths = [SAMPLES / name for name in ("kestrelmax.tkcap", "kestrelmax-v2.tkcap", "kestrelmax.txt")]
        times = ("2026-12-06T10:00:00.000000000Z", "2026-12-06T10:00:00.062500666Z")
        for found, path, form, version, (first, last) in zip(
                map(json.loads, tkdec("inspect", "--json", *paths).text.splitlines()), paths,
                ["binary", "binary", "text"], [1, 2, None], [(None, None), times, (None, None)]):
            self.assertEqual(found, {
                "capture": str(path), "form": form, "version": version, "build": found["decoder_build"],
                "decoder": found["decoder"], "decoder_build": found["decoder_build"], "build_match": True, "bytes": path.stat().st_size,
                "records": len(RECORDS), "first_time": first, "last_time": last, "skipped_bytes": 0,
                "channels": [{"channel": c, "label": LABELS.get(c), "records": n} for c, n in sorted(per_channel.items())]})
        text = tkdec("inspect", paths[1]).text
        self.assertIn(f"  form: binary, version 2\n  build: {found['decoder_build']}\n  decoder: {found['decoder']} (made for "
                      "this build)\n", text)
        self.assertIn(f"  time: {times[0]} to {times[1]}\n  channel    48        5  {LABELS[48]}\n", text)

if __name__ == "__main__":
    unittest.main()
