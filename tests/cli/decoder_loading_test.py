"""Which decoder library the tool loads: its own beside it, --decoder PATH,
or the one of --decoders DIR made for the capture's build; --strict; and
the one-line errors of a library that cannot be used."""

import json
import os
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

from cli_support import SOURCE_DIR, TOOL, UUID, binary_capture, expected, tkcapture, tkdec

LIBRARY = Path(os.environ.get("TKDEC_LIBRARY", ""))
DECODERS = Path(os.environ.get("TKDEC_TEST_DECODERS", ""))
INSTALLED_LIBRARY_DIR = os.environ.get("TKDEC_INSTALLED_LIBRARY_DIR", "../lib")
WREN_UUID = "0123456789abcdef0123456789abcdef"
WREN_TEXT = ("wren boot\nsensor 7 ready\n(SensorReadyIndMessage){.m_srcTask=CKI_SENSOR_TASK_ID "
             ".m_dstTask=CKI_TIMER_PTP_TASK_ID .m_postedCounter=1 .m_sensor=42}\n")
SAMPLE = SOURCE_DIR / "samples" / "kestrelmax.tkcap"


def setUpModule():
    global WORK
    WORK = Path(tempfile.mkdtemp(prefix="tkdec-decoders-"))
    assert tkcapture.main([str(SOURCE_DIR / "tests/cli/wren/capture.json"), "--binary", str(WORK / "wren.tkcap"),
                           "--text", str(WORK / "wren.txt")]) == 0
    (WORK / "unnamed.tkcap").write_bytes(binary_capture([(48, 0, b"")], uuid="0" * 32))
    (WORK / "text.so").write_text("not a library\n")
    # Both builds' decoders among libraries that are none.
    folder(WORK / "all", {"libtkdec.so": LIBRARY, "wren.so": DECODERS / "libtkdec_wren.so",
                          "api5.so": DECODERS / "libtkdec_stub_api5.so", "readme.so": WORK / "text.so"})
    folder(WORK / "reference", {"libtkdec.so": LIBRARY})


def tearDownModule():
    shutil.rmtree(WORK, ignore_errors=True)


def folder(path, files):
    """Makes path with copies of the given files."""
    path.mkdir(parents=True)
    for name, source in files.items():
        shutil.copy(source, path / name)


class DecoderFolder(unittest.TestCase):
    def test_each_capture_gets_the_decoder_of_its_build(self):
        # Files and standard input, in both forms, read in one run, each with its own decoder.
        wren = (WORK / "wren.tkcap").read_bytes()
        for fmt in ("text", "jsonl"):
            run = tkdec("decode", "--format", fmt, "--decoders", WORK / "all", WORK / "wren.txt", "-", SAMPLE,
                        stdin=wren)
            self.assertEqual(run.status, 0, run.err)
            self.assertTrue(run.err.endswith("; capture build matches the decoder\n"), run.err)
            skipped = sorted(line.split(": ")[3] for line in run.err.splitlines() if "warn" in line)
            self.assertEqual(skipped, [f"skipped {WORK / 'all' / 'api5.so'}", f"skipped {WORK / 'all' / 'readme.so'}"])
            if fmt == "text":
                self.assertEqual(run.text, WREN_TEXT + WREN_TEXT + expected("text"))
            else:
                headers = [(line["decoder_build"], line["capture_build"], line["build_match"]) for line in
                           map(json.loads, run.text.splitlines()) if "schema" in line]
                self.assertEqual(headers, [(WREN_UUID, WREN_UUID, True)] * 2 + [(UUID, UUID, True)])
        run = tkdec("decode", "--decoder", DECODERS / "libtkdec_wren.so", WORK / "wren.tkcap")
        self.assertEqual((run.status, run.text), (0, WREN_TEXT))

    def test_inspect_names_the_decoder_of_the_capture_build(self):
        wren, own = str(WORK / "all" / "wren.so"), str(LIBRARY.resolve().parent)
        # (folder, capture, the decoder's path starts with, its build, whether it is made for the capture's)
        for folder, capture, decoder, build, matches in [("all", "wren.txt", wren, WREN_UUID, True),
                                                         ("reference", "wren.tkcap", own, UUID, False),
                                                         ("all", "unnamed.tkcap", own, UUID, False)]:
            found = json.loads(tkdec("inspect", "--json", "--decoders", WORK / folder, WORK / capture).text)
            self.assertEqual((found["decoder"][:len(decoder)], found["decoder_build"], found["build_match"]),
                             (decoder, build, matches))
        text = tkdec("inspect", "--decoders", WORK / "all", WORK / "wren.tkcap").text
        self.assertIn(f"  build: {WREN_UUID}\n  decoder: {wren} (made for this build)\n", text)
        self.assertIn("  channel    80        1  PTP:LOG_GROUP_SENSOR\n", text)
        run = tkdec("inspect", "--strict", "--decoders", WORK / "reference", WORK / "wren.tkcap")
        self.assertIn(f"none made for this build among the 1 libraries in {WORK / 'reference'}; labels from ", run.text)
        self.assertEqual((run.status, run.err), (1, f"tkdec: {WORK / 'wren.tkcap'}: no decoder is made for its build "
                                                    "(--strict)\n"))


class Strict(unittest.TestCase):
    def test_unmatched_builds(self):
        wren, unnamed = WORK / "wren.tkcap", WORK / "unnamed.tkcap"
        wren_vs_reference = f"{wren} was made by build {WREN_UUID}, the decoder is for build {UUID}"
        not_in_folder = f"no decoder in {WORK / 'reference'} is made for build {WREN_UUID} of {wren}"
        cases = [
            (["--strict"], wren, 1, f"tkdec: {wren_vs_reference} (--strict)\n"),
            (["--decoders", WORK / "reference"], wren, 0, f"tkdec: warning: {not_in_folder}; decoding with "),
            (["--strict", "--decoders", WORK / "reference"], wren, 1, f"tkdec: {not_in_folder} (--strict)\n"),
            (["--strict"], unnamed, 1, f"tkdec: {unnamed} names no build (--strict)\n"),
            (["--strict", "--decoders", WORK / "all"], unnamed, 1, f"tkdec: {unnamed} names no build (--strict)\n"),
            ([], unnamed, 0, ""),
            (["--strict"], SAMPLE, 0, ""),
        ]
        for options, capture, status, message in cases:
            with self.subTest(options=options, capture=capture):
                run = tkdec("decode", "--quiet", *options, capture)
                self.assertEqual(run.status, status, run.err)
                self.assertTrue(run.err.startswith(message), run.err)
                if status != 0:
                    self.assertEqual((run.out, run.err.count("\n")), (b"", 1))


class LoadingErrors(unittest.TestCase):
    def test_one_line_each(self):
        missing, text = WORK / "missing.so", WORK / "text.so"
        no_text, api5 = DECODERS / "libtkdec_stub_no_text.so", DECODERS / "libtkdec_stub_api5.so"
        cases = [
            (["info", "--decoder", missing], 3, f"tkdec: decoder {missing}: no such file\n"),
            (["channels", "--decoder", text], 1, f"tkdec: decoder {text} is not a tkdec library: it cannot be loaded ("),
            (["decode", "--decoder", no_text, SAMPLE], 1,
             f"tkdec: decoder {no_text} is not a tkdec library: it does not export tkdec_getText\n"),
            (["source", "48", "0", "--decoder", api5], 1,
             f"tkdec: decoder {api5} has API version 5; this tool needs version 6\n"),
            (["decode", "--decoders", missing, SAMPLE], 3, f"tkdec: decoder folder {missing}: no such folder\n"),
        ]
        for args, status, message in cases:
            with self.subTest(args[0]):
                run = tkdec(*args)
                self.assertEqual((run.status, run.out), (status, b""))
                self.assertTrue(run.err.startswith(message), run.err)
                self.assertEqual(run.err.count("\n"), 1, run.err)


class OwnLibrary(unittest.TestCase):
    """The tool finds the library of its build relative to its own path."""

    def run_copy(self, layout):
        with tempfile.TemporaryDirectory() as root:
            tool = Path(root) / "bin" / Path(TOOL).name
            tool.parent.mkdir()
            shutil.copy(TOOL, tool)
            for relative in layout:
                library = Path(root, "bin", relative, "libtkdec.so.1").resolve()
                library.parent.mkdir(parents=True, exist_ok=True)
                shutil.copy(LIBRARY, library)
            result = subprocess.run([tool, "--version"], capture_output=True, text=True)
            return result.returncode, result.stdout, result.stderr

    def test_layouts(self):
        for name, layout in [("installed", [INSTALLED_LIBRARY_DIR]), ("side by side", ["."])]:
            with self.subTest(name):
                status, out, err = self.run_copy(layout)
                self.assertEqual(status, 0, err)
                self.assertRegex(out, rf"^tkdec \d+\.\d+\.\d+\nAPI version 6\nbuild UUID {UUID}\n$")
        status, _, err = self.run_copy([])
        self.assertEqual(status, 3)
        self.assertRegex(err, r"^tkdec: no decoder library beside the tool \(looked for .*\); name one with "
                              r"--decoder PATH\n$")


if __name__ == "__main__":
    unittest.main()
