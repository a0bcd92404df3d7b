"""The tool's command line: help, version, usage errors, info, channels."""

import json
import unittest

from cli_support import UUID, tkdec

COMMANDS = ["decode", "convert", "channels", "info", "source", "type", "encode"]

# (arguments, the one line on standard error); every one exits with 2.
USAGE_ERRORS = [
    ([], "tkdec: no command given (see 'tkdec --help')"),
    (["bogus"], "tkdec: unknown command \"bogus\" (see 'tkdec --help')"),
    (["--bogus"], "tkdec: unknown option \"--bogus\" (see 'tkdec --help')"),
    (["help", "bogus"], "tkdec: unknown command \"bogus\" (see 'tkdec --help')"),
    (["decode", "--bogus"], "tkdec: decode: unknown option \"--bogus\" (see 'tkdec decode --help')"),
    (["decode", "-x", "file"], "tkdec: decode: unknown option \"-x\" (see 'tkdec decode --help')"),
    (["decode", "--format"], "tkdec: decode: option --format needs a value (see 'tkdec decode --help')"),
    (["decode", "--format", "yaml"],
     "tkdec: decode: unknown format \"yaml\" (text, xml, json, longjson or jsonl) (see 'tkdec decode --help')"),
    (["decode", "--format=yaml"],
     "tkdec: decode: unknown format \"yaml\" (text, xml, json, longjson or jsonl) (see 'tkdec decode --help')"),
    (["decode", "--follow", "a", "b"], "tkdec: decode: --follow reads one FILE (see 'tkdec decode --help')"),
    (["info", "--pretty=yes"], "tkdec: info: option --pretty takes no value (see 'tkdec info --help')"),
    (["channels", "extra"], "tkdec: channels: unexpected argument \"extra\" (see 'tkdec channels --help')"),
    (["source", "48"], "tkdec: source: missing arguments (see 'tkdec source --help')"),
    (["type"], "tkdec: type: missing arguments (see 'tkdec type --help')"),
    (["encode"], "tkdec: encode: missing arguments (see 'tkdec encode --help')"),
    (["encode", "--json", "a", "b"], "tkdec: encode: --json takes one TEXT (see 'tkdec encode --help')"),
    (["encode", "M", "D"], "tkdec: encode: needs NAME DESTINATION BODY (see 'tkdec encode --help')"),
    (["encode", "M", "D", "B", "-o"], "tkdec: encode: option --output needs a value (see 'tkdec encode --help')"),
    (["convert", "--to", "hex"], "tkdec: convert: unknown capture form \"hex\" (text, binary or binary-v1) (see 'tkdec convert --help')"),
]


class UsageErrors(unittest.TestCase):
    def test_usage_errors(self):
        for args, message in USAGE_ERRORS:
            with self.subTest(args=args):
                run = tkdec(*args)
                self.assertEqual((run.status, run.err, run.out), (2, message + "\n", b""))


class Help(unittest.TestCase):
    def test_tool_help_lists_every_command(self):
        for args in (["--help"], ["-h"], ["help"]):
            with self.subTest(args=args):
                run = tkdec(*args)
                self.assertEqual(run.status, 0)
                self.assertTrue(run.text.startswith("usage: tkdec "))
                listed = [line.split()[0] for line in run.text.splitlines() if line.startswith("  ")]
                self.assertEqual(listed, COMMANDS)

    def test_every_command_has_help(self):
        for command in COMMANDS:
            with self.subTest(command=command):
                asked = [tkdec(command, "--help"), tkdec(command, "-h"), tkdec("help", command),
                         tkdec(command, "--bogus", "--help")]
                self.assertEqual({run.status for run in asked}, {0})
                self.assertEqual(len({run.out for run in asked}), 1)
                self.assertTrue(asked[0].text.startswith(f"usage: tkdec {command}"))

    def test_version(self):
        run = tkdec("--version")
        self.assertEqual(run.status, 0)
        tool, api, build = run.text.splitlines()
        self.assertRegex(tool, r"^tkdec \d+\.\d+\.\d+$")
        self.assertEqual((api, build), ("API version 6", f"build UUID {UUID}"))


class BuildQueries(unittest.TestCase):
    def test_info_is_the_target_document(self):
        compact = tkdec("info")
        pretty = tkdec("info", "--pretty")
        self.assertEqual((compact.status, pretty.status), (0, 0))
        self.assertEqual(compact.text.count("\n"), 1)
        document = json.loads(compact.text)
        self.assertEqual(json.loads(pretty.text), document)
        self.assertEqual(document["build_info"]["UUID"], UUID)
        self.assertEqual(document["version"]["tkdec_getApiVersion"], 6)
        self.assertIn('\n  "CPU_MASTER_CHANNEL_ID": 1,\n', pretty.text)

    def test_channels(self):
        run = tkdec("channels")
        self.assertEqual(run.status, 0)
        rows = [line.split(None, 5) for line in run.text.splitlines()]
        self.assertEqual(rows[0], ["index", "id", "master", "source", "type", "label"])
        self.assertEqual(len(rows), 1 + 166)
        expected = {
            0: ["0", "8433", "1", "NIMBA_PTP", "MESSAGE", "PTP:CKI MSG TX"],
            1: ["1", "8209", "1", "NIMBA_PTP", "ALARM", "PTP:LOG_CHANNEL_TOKENISED_CKI_ALARM_DATA"],
            3: ["3", "48", "1", "NIMBA_PTP", "TOKENIZED_PRINT", "PTP:LOG_GROUP_CKI_DEFAULT"],
            164: ["164", "9360", "1", "NIMBA_PTP", "TOKENIZED_PRINT", "PTP:LOG_GROUP_IPSS_TRECK_MEM"],
            165: ["165", "8465", "1", "NIMBA_PTP", "TOKENIZED_PRINT", "PTP:CKI MSG RX"],
        }
        for index, row in expected.items():
            with self.subTest(index=index):
                self.assertEqual(rows[1 + index], row)


if __name__ == "__main__":
    unittest.main()
