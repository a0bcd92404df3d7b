"""Which decoder library the tool loads: its own beside it, --decoder PATH,
or the one of --decoders DIR made for the capture's build; --strict; and
the one-line errors of a library that cannot be used."""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

from cli_support import SOURCE_DIR, TOOL, UUID, binary_capture, tkdec

LIBRARY = Path(os.environ.get("TKDEC_LIBRARY", ""))
DECODERS = Path(os.environ.get("TKDEC_TEST_DECODERS", ""))
INSTALLED_LIBRARY_DIR = os.environ.get("TKDEC_INSTALLED_LIBRARY_DIR", "../lib")
WREN = SOURCE_DIR / "tests" / "cli" / "wren"
WREN_UUID = "0123456789abcdef0123456789abcdef"
WREN_TEXT = ("wren boot\nsensor 7 ready\n(SensorReadyIndMessage){.m_srcTask=CKI_SENSOR_TASK_ID "
             ".m_dstTask=CKI_TIMER_PTP_TASK_ID .m_postedCounter=1 .m_sensor=42}\n")
WREN_JSON = ('{"sourceref":{"file":"../../wren/boot.cpp","line":12},"group":"LOG_GROUP_CKI_DEFAULT"}\n'
             '{"sourceref":{"file":"../../wren/sensor.cpp","line":40},"group":"LOG_GROUP_SENSOR",'
             '"params":["0x00000007"]}\n'
             '{"SensorReadyIndMessage":{"m_srcTask":"CKI_SENSOR_TASK_ID", "m_dstTask":"CKI_TIMER_PTP_TASK_ID", '
             '"m_postedCounter":1, "m_sensor":42}}\n')
SAMPLE = SOURCE_DIR / "samples" / "kestrelmax.tkcap"
SAMPLE_START = "2nd stage boot\n2nd stage boot complete\n"
MATCHES = "; capture build matches the decoder\n"


def setUpModule():
    global WORK
    WORK = Path(tempfile.mkdtemp(prefix="tkdec-decoders-"))
    subprocess.run([sys.executable, SOURCE_DIR / "tools" / "capture" / "tkcapture.py", WREN / "capture.json",
                    "--binary", WORK / "wren.tkcap", "--text", WORK / "wren.txt"], check=True)
    (WORK / "unnamed.tkcap").write_bytes(binary_capture([(48, 0, b"")], uuid="0" * 32))
    # Both builds' decoders among libraries that are none.
    folder(WORK / "all", {"libtkdec.so": LIBRARY, "wren.so": DECODERS / "libtkdec_wren.so",
                          "api5.so": DECODERS / "libtkdec_stub_api5.so", "readme.so": None})
    folder(WORK / "reference", {"libtkdec.so": LIBRARY})
    (WORK / "text.so").write_text("not a library\n")


def tearDownModule():
    shutil.rmtree(WORK, ignore_errors=True)


def folder(path, files):
    """Makes path with the given files: copies, or a text file for None."""
    path.mkdir(parents=True)
    for name, source in files.items():
        if source is None:
            (path / name).write_text("text\n")
        else:
            shutil.copy(source, path / name)


class DecoderFolder(unittest.TestCase):
    def test_each_capture_gets_the_decoder_of_its_build(self):
        cases = [
            ("wren, binary", WORK / "wren.tkcap", "text", WREN_TEXT),
            ("wren, text form", WORK / "wren.txt", "text", WREN_TEXT),
            ("wren, json", WORK / "wren.tkcap", "json", WREN_JSON),
            ("reference sample", SAMPLE, "text", SAMPLE_START),
        ]
        for name, capture, fmt, start in cases:
            with self.subTest(name):
                run = tkdec("decode", "--format", fmt, "--decoders", WORK / "all", capture)
                self.assertEqual(run.status, 0, run.err)
                self.assertTrue(run.text.startswith(start), run.text)
                self.assertTrue(run.err.endswith(MATCHES), run.err)
                self.assertNotIn("warning", run.err)

    def test_decoder_option(self):
        run = tkdec("decode", "--decoder", DECODERS / "libtkdec_wren.so", WORK / "wren.tkcap")
        self.assertEqual((run.status, run.text), (0, WREN_TEXT))
        self.assertTrue(run.err.endswith(MATCHES), run.err)


class Strict(unittest.TestCase):
    def test_unmatched_builds(self):
        wren_vs_reference = f"the capture was made by build {WREN_UUID}, the decoder is for build {UUID}"
        not_in_folder = f"no decoder in {WORK / 'reference'} is made for build {WREN_UUID}"
        cases = [
            ([], "wren.tkcap", 0, f"tkdec: warning: {wren_vs_reference}: records may decode wrongly\n"),
            (["--strict"], "wren.tkcap", 1, f"tkdec: {wren_vs_reference} (--strict)\n"),
            (["--decoders", WORK / "reference"], "wren.tkcap", 0,
             f"tkdec: warning: {not_in_folder}; decoding with "),
            (["--strict", "--decoders", WORK / "reference"], "wren.tkcap", 1, f"tkdec: {not_in_folder} (--strict)\n"),
            (["--strict"], "unnamed.tkcap", 1, "tkdec: the capture names no build (--strict)\n"),
            (["--strict", "--decoders", WORK / "all"], "unnamed.tkcap", 1,
             "tkdec: the capture names no build (--strict)\n"),
            ([], "unnamed.tkcap", 0, ""),
            (["--strict"], SAMPLE, 0, ""),
        ]
        for options, capture, status, message in cases:
            with self.subTest(options=options, capture=capture):
                run = tkdec("decode", "--quiet", *options, WORK / capture)
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
                self.assertTrue(out.endswith(f"\nAPI version 6\nbuild UUID {UUID}\n"), out)
        status, _, err = self.run_copy([])
        self.assertEqual(status, 3)
        self.assertRegex(err, r"^tkdec: no decoder library beside the tool \(looked for .*\); name one with "
                              r"--decoder PATH\n$")


if __name__ == "__main__":
    unittest.main()
