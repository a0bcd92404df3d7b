"""The tool's commands but decode: help, version, usage errors, info,
channels, source, type and encode, each case a command line with the exit
status and both outputs it must give."""

import json
import os
import re
import subprocess
import tempfile
import unittest

from cli_support import SOURCE_DIR, UUID, tkdec

COMMANDS = ["decode", "convert", "inspect", "channels", "info", "source", "type", "encode", "view"]

# (arguments, the one line on standard error); every one exits with 2.
USAGE_ERRORS = [
    ([], "tkdec: no command given (see 'tkdec --help')"),
    (["bogus"], "tkdec: unknown command \"bogus\" (see 'tkdec --help')"),
    (["decode", "--bogus"], "tkdec: decode: unknown option \"--bogus\" (see 'tkdec decode --help')"),
    (["decode", "--format", "yaml"],
     "tkdec: decode: unknown format \"yaml\" (text, xml, json, longjson, jsonl or html) (see 'tkdec decode --help')"),
    (["decode", "--follow", "a", "b"], "tkdec: decode: --follow reads one FILE (see 'tkdec decode --help')"),
    (["info", "--pretty=yes"], "tkdec: info: option --pretty takes no value (see 'tkdec info --help')"),
    (["decode", "--format"], "tkdec: decode: option --format needs a value (see 'tkdec decode --help')"),
    (["decode", "-qz"], "tkdec: decode: unknown option \"-z\" (see 'tkdec decode --help')"),
    (["decode", "-qj"], "tkdec: decode: option --jobs needs a value (see 'tkdec decode --help')"),
    (["decode", "-qj0"], "tkdec: decode: --jobs \"0\" is not a number of workers from 1 to 1024 (see 'tkdec decode --help')"),
    (["decode", "--color", "red"],
     "tkdec: decode: unknown colour choice \"red\" (auto, always or never) (see 'tkdec decode --help')"),
    (["decode", "--timestamps", "rel"], "tkdec: decode: unknown timestamps \"rel\" (abs or delta) (see 'tkdec decode --help')"),
    (["convert", "--to", "hex"], "tkdec: convert: unknown capture form \"hex\" (text, binary or binary-v1) (see 'tkdec convert --help')"),
]

# (arguments, exit status, standard output, standard error).
SOURCES = [
    (["48", "0"], 0, "../../platform/ptp/boot/src/boot.cpp:263\n", ""),
    (["8209", "52"], 0, "../../platform/ptp/system/src/systemhwinit.cpp:374\n", ""),
    (["48", "52"], 1, "", "tkdec: source: Source reference not found for channel x0030 token x00000034\n"),
    (["48", "0x100000000"], 1, "",
     "tkdec: source: token \"0x100000000\" is not a number from 0 to 4294967295\n"),
]

# A CkiTestAppQueryStatusCnfMessage from CKI_TIMER_PTP_TASK_ID, and one from an APPS task.
STATUS_CNF = "07 00 c4 2c 00 00 00 12 00 00 c4 13 00 01 00 00 02"
FROM_APPS = "07 00 c4 2c 00 00 c4 13 00 00 00 12 00 01 00 00 02"
STATUS_CNF_TEXT = ("(CkiTestAppQueryStatusCnfMessage){.m_srcTask=CKI_TIMER_PTP_TASK_ID "
                   ".m_dstTask=CKI_TEST_APP_APPS_TASK_ID .m_postedCounter=0 .m_deleteMe=1 .m_processing=0 "
                   ".m_flags=0 .m_status=CKI_TESTAPP_STATUS_PASSED}\n")
NOT_FOUND = "tkdec: type: no type or message named {} (a message also needs a PTP task in its bytes 4 to 7)\n"

TYPES = [
    (["uint32_t", "0a000000"], 0, "10\n", ""),
    (["CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", STATUS_CNF], 0, STATUS_CNF_TEXT, ""),
    (["CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", FROM_APPS], 1, "",
     NOT_FOUND.format('"CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID"')),
    (["uint32_t", "00", "--format", "yaml"], 2, "",
     "tkdec: type: unknown format \"yaml\" (text, xml, json or longjson) (see 'tkdec type --help')\n"),
]

STATUS_CNF_ID = "CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID"
PTP_TIMER = "CKI_TIMER_PTP_TASK_ID"
# id 0x2CC40007, length 16, source CKI_TEST_APP_APPS_TASK_ID, destination
# CKI_TIMER_PTP_TASK_ID, counters 0 1 0 0, m_status 1 and padding.
PAYLOAD = "07 00 c4 2c 10 00 00 00 c4 13 00 00 00 12 00 01 00 00 01 00 00 00\n"
JSON = '{"CkiTestAppQueryStatusCnfMessage": {"m_dstTask": "CKI_TIMER_PTP_TASK_ID", "m_status": 1}}'
NO_PAYLOAD = ("tkdec: encode: no payload: unknown name, malformed description, or a destination that is not "
              "a PTP task\n")

ENCODINGS = [
    ([STATUS_CNF_ID, PTP_TIMER, "{.m_status=1}"], 0, PAYLOAD, ""),
    (["--json", JSON], 0, PAYLOAD, ""),
    (["CkiAlarmLevel", "{.value=CKI_ALARM_ERROR}", "-"], 0, "02 00 00 00\n", ""),
    ([STATUS_CNF_ID, "CKI_TIMER_MCE_TASK_ID", "{.m_status=1}"], 1, "", NO_PAYLOAD),
    ([STATUS_CNF_ID, PTP_TIMER, "{.m_bogus=1}"], 1, "",
     'tkdec: encode: the body does not parse at offset 10: "1}"\n'),
    (["--json", JSON.replace("m_status", "m_stat")], 1, "",
     'tkdec: encode: the text does not parse at offset 85: "1}}"\n'),
]


# (the words typed, the last one being completed; what bash offers).
COMPLETIONS = [
    (["con"], "convert"),
    (["decode", "--format", "j"], "json jsonl"),
    (["decode", "--col"], "--color"),
    (["decode", "-"], None),
    (["convert", "--to", "b"], "binary binary-v1"),
    (["type", "--format", "j"], "json"),
    (["view", "--f"], "--follow"),
]


class Commands(unittest.TestCase):
    def test_cases(self):
        cases = [(["source", *a], s, o, e) for a, s, o, e in SOURCES] + [
            (["type", *a], s, o, e) for a, s, o, e in TYPES] + [
            (["encode", *a], s, o, e) for a, s, o, e in ENCODINGS] + [(a, 2, "", e + "\n") for a, e in USAGE_ERRORS]
        for args, status, out, err in cases:
            with self.subTest(args=args):
                run = tkdec(*args)
                self.assertEqual((run.status, run.text, run.err), (status, out, err))

    def test_raw_output_file(self):
        with tempfile.TemporaryDirectory() as directory:
            run = tkdec("encode", STATUS_CNF_ID, PTP_TIMER, "{.m_status=1}", "--output", "payload", cwd=directory)
            with open(os.path.join(directory, "payload"), "rb") as file:
                self.assertEqual((run.status, run.out, run.err, file.read()), (0, b"", "", bytes.fromhex(PAYLOAD)))

    def test_completion_and_manual(self):
        script = tkdec("--completion", "bash").text
        for words, offered in COMPLETIONS:
            with self.subTest(words=words):
                line = " ".join(["tkdec", *words])
                run = subprocess.run(["bash", "-c", script + f'COMP_WORDS=({line}); COMP_CWORD={len(words)}; _tkdec; '
                                      'echo "${COMPREPLY[*]}"'], capture_output=True, text=True, timeout=60)
                if offered is None:  # every option of the command, as its help lists them
                    help_options = {word.rstrip(",") for line in tkdec(words[0], "--help").text.splitlines()
                                    if line.startswith("  -") for word in line.split()[:2] if word.startswith("-")}
                    self.assertEqual(set(run.stdout.split()), help_options | {"--help"})
                else:
                    self.assertEqual(run.stdout.strip(), offered)
        manual = tkdec("--man").text
        for command in COMMANDS:
            self.assertIn(f'.SH "TKDEC {command}"\n.nf\n' + tkdec(command, "--help").text.replace("\\", "\\e"), manual)
        self.assertEqual(tkdec("--completion", "fish").status, 2)

    def test_help(self):
        for args in (["--help"], ["-h"], ["help"]):
            run = tkdec(*args)
            listed = [line.split()[0] for line in run.text.splitlines() if line.startswith("  ")]
            self.assertEqual((run.status, run.text.startswith("usage: tkdec "), listed), (0, True, COMMANDS))
        for command in COMMANDS:
            with self.subTest(command=command):
                asked = [tkdec(command, "--help"), tkdec("help", command), tkdec(command, "--bogus", "-h")]
                self.assertEqual({(run.status, run.out) for run in asked}, {(0, asked[0].out)})
                self.assertTrue(asked[0].text.startswith(f"usage: tkdec {command}"))
                self.assertEqual("\n  --decoder PATH " in asked[0].text, command != "convert")
        # docs/cli.md quotes each command's help as the tool gives it.
        quoted = dict(re.findall(r"<!-- the output of tkdec (\w+) --help -->\n```text\n(.*?)```\n",
                                 (SOURCE_DIR / "docs" / "cli.md").read_text(), re.S))
        self.assertEqual(quoted, {command: tkdec(command, "--help").text for command in COMMANDS})
        # Every option once, with its value and help on its line.
        decode = tkdec("decode", "--help").text
        self.assertEqual(decode.count("--with-meta"), 1)
        self.assertIn("\n  -f, --follow ", decode)
        self.assertIn("\n  --timestamps abs|delta  put the record's host time", decode)

    def test_version_info_and_channels(self):
        compact, pretty = tkdec("info").text, tkdec("info", "--pretty").text
        document = json.loads(compact)
        self.assertEqual((compact.count("\n"), json.loads(pretty)), (1, document))
        self.assertEqual((document["build_info"]["UUID"], document["version"]["tkdec_getApiVersion"]), (UUID, 6))
        self.assertIn('\n  "CPU_MASTER_CHANNEL_ID": 1,\n', pretty)
        rows = [line.split(None, 5) for line in tkdec("channels").text.splitlines()]
        self.assertEqual(len(rows), 1 + 166)
        self.assertEqual([rows[0], rows[2], rows[166]], [["index", "id", "master", "source", "type", "label"],
                         ["1", "8209", "1", "NIMBA_PTP", "ALARM", "PTP:LOG_CHANNEL_TOKENISED_CKI_ALARM_DATA"],
                         ["165", "8465", "1", "NIMBA_PTP", "TOKENIZED_PRINT", "PTP:CKI MSG RX"]])


if __name__ == "__main__":
    unittest.main()
