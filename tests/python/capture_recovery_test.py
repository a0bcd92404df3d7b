"""read_capture against the tool over the shared damage corpus
(tools/capture/damage_corpus.py): the same records, the same damage
reported at the same places, and what convert writes read back unchanged."""

import io
import json
import os
import subprocess
import sys
import tempfile
import unittest
import warnings

import tkdec

SOURCE = os.environ["TKDEC_SOURCE_DIR"]
TOOL = os.environ.get("TKDEC_TOOL")
sys.path.insert(0, os.path.join(SOURCE, "tools", "capture"))
import damage_corpus  # noqa: E402  (path set up above)


def fields(records):
    return [(r.channel, r.id, r.payload, r.time) for r in records]


@unittest.skipUnless(TOOL, "needs the tkdec tool (TKDEC_TOOL)")
class SameAsTheTool(unittest.TestCase):
    def tool(self, *args, stdin=None):
        return subprocess.run([TOOL, *args], input=stdin, capture_output=True, timeout=60)

    def test_corpus(self):
        corpus = damage_corpus.corpus()
        self.assertGreater(len(corpus), 60)
        with tempfile.TemporaryDirectory() as folder:
            for name, data in corpus:
                path = os.path.join(folder, name)
                with open(path, "wb") as f:
                    f.write(data)
                with self.subTest(name):
                    run = self.tool("convert", path)
                    capture = tkdec.read_capture(path)
                    records = fields(capture)
                    self.assertEqual(records, fields(tkdec.read_capture(io.BytesIO(run.stdout))))
                    tool_lines = [line[len("tkdec: "):] for line in run.stderr.decode().splitlines()
                                  if "a new capture begins" not in line]
                    ours = capture.problems + ([capture.truncated] if capture.truncated else [])
                    self.assertEqual((run.returncode, tool_lines), (1 if ours else 0, ours))
                    # What convert writes, decode reads back: through version 2 and text again.
                    v2 = self.tool("convert", "--to", "binary", "-", stdin=run.stdout)
                    back = self.tool("convert", "-", stdin=v2.stdout)
                    self.assertEqual((v2.returncode, back.returncode, fields(tkdec.read_capture(io.BytesIO(v2.stdout)))),
                                     (0, 0, records))
                    self.assertEqual(back.stdout, run.stdout)

    def test_corpus_with_the_decoder(self):
        # With a decoder, version 1 resumes only on records its build knows, as the tool's decode does.
        decoder = tkdec.Decoder()
        with tempfile.TemporaryDirectory() as folder:
            for name, data in damage_corpus.corpus():
                if not name.startswith("v1-"):
                    continue
                path = os.path.join(folder, name)
                with open(path, "wb") as f:
                    f.write(data)
                with self.subTest(name), warnings.catch_warnings():
                    warnings.simplefilter("ignore")
                    lines = [json.loads(line) for line in self.tool("decode", "--format", "jsonl", path).stdout.splitlines()]
                    self.assertEqual([(r["channel"], r["id"], r["payload"]) for r in lines if "record" in r],
                                     [(r["channel"], r["id"], r["payload"]) for r in tkdec.decode_capture(path, decoder)])


class Strictness(unittest.TestCase):
    def test_strict_and_errors(self):
        sample = dict(damage_corpus.corpus())
        cases = [  # (capture, strict, the start of the CaptureError, or None)
            (sample["v2-garbage"], False, None),
            (sample["v2-garbage"], True, "capture: skipped 10 bytes at offset"),
            (sample["text-bad-lines"], True, 'capture:5: id "0x0000004g" is not a number'),
            (sample["v1-cut-5-bytes-into-the-last-record"], True, "capture: record cut short at byte offset"),
            (b"1" * 5000 + b" 0\n", True, 'capture:1: channel "1111'),
            (b"48 0 " + b"ab" * 110000 + b"\n", True, "capture:1: line of 220006 bytes is longer"),
        ]
        for data, strict, error in cases:
            with self.subTest(error=error, strict=strict):
                read = lambda: list(tkdec.read_capture(io.BytesIO(data), strict=strict))  # noqa: E731
                if error is None:
                    self.assertTrue(read())
                else:
                    with self.assertRaises(tkdec.CaptureError) as caught:
                        read()
                    self.assertTrue(str(caught.exception).startswith(error), caught.exception)
        with open(os.path.join(SOURCE, "samples", "kestrelmax.tkcap"), "r") as text_mode:
            with self.assertRaisesRegex(tkdec.CaptureError, "binary mode"):
                list(tkdec.read_capture(text_mode))

    def test_another_build_warns_or_fails(self):
        decoder = tkdec.Decoder()
        for name in ("v1-another-build-behind", "text-another-build-behind"):
            data = dict(damage_corpus.corpus())[name]
            with self.subTest(name), warnings.catch_warnings(record=True) as caught:
                warnings.simplefilter("always")
                self.assertEqual(len(list(tkdec.read_capture(io.BytesIO(data), decoder))), 54)
                self.assertEqual([str(w.message).split(" was made")[1][:42] for w in caught],
                                 [" by build 0123456789abcdef0123456789abcdef"] if "v1" in name else [])
                if "v1" in name:
                    with self.assertRaisesRegex(tkdec.CaptureError, "made by build 0123456789abcdef"):
                        list(tkdec.read_capture(io.BytesIO(data), decoder, strict=True))

    def test_times_as_the_tool_takes_them(self):
        cases = [("2026-12-06T10:00:00Z", 1796551200 * 10**9), ("2554-07-21T23:34:33.709551615Z", (1 << 64) - 1),
                 ("1970-01-01T00:00:00.000000001Z", 1), ("2554-07-21T23:34:33.709551616Z", None),
                 ("2026-01-01T00:00:60Z", None), ("1969-12-31T23:59:59Z", None), ("2026-02-29T00:00:00Z", None),
                 ("2024-02-29T00:00:00.5Z", 1709164800 * 10**9 + 5 * 10**8), ("2026-01-01T00:00:0\u0664Z", None),
                 ("2026-01-01T00:00:00.Z", None), ("2026-01-01T00:00:00.1234567890Z", None)]
        for text, nanoseconds in cases:
            with self.subTest(text):
                self.assertEqual(tkdec.capture.utc_time(text), nanoseconds)


class OfflineInstall(unittest.TestCase):
    def test_the_wheel_builds_without_the_network(self):
        with tempfile.TemporaryDirectory() as folder:
            run = subprocess.run([sys.executable, "-m", "pip", "wheel", "--no-index", "--no-deps", "-w", folder,
                                  os.path.join(SOURCE, "python")], capture_output=True, timeout=120)
            if b"No module named pip" in run.stderr:
                self.skipTest("needs pip (python3-pip)")
            self.assertEqual(run.returncode, 0, run.stderr)
            import zipfile
            with zipfile.ZipFile(os.path.join(folder, "tkdec-1.0.0-py3-none-any.whl")) as wheel:
                names = set(wheel.namelist())
                checkout = wheel.read("tkdec/_checkout.py").decode()
        self.assertTrue({"tkdec/capture.py", "tkdec/_library.py", "tkdec-1.0.0.dist-info/RECORD"} <= names, names)
        self.assertIn(repr(os.path.realpath(SOURCE)), checkout)


if __name__ == "__main__":
    unittest.main()
