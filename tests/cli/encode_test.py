"""tkdec encode: message payloads of the reference build."""

import os
import tempfile
import unittest

from cli_support import tkdec

STATUS_CNF = "CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID"
PTP_TIMER = "CKI_TIMER_PTP_TASK_ID"
# id 0x2CC40007, length 16, source CKI_TEST_APP_APPS_TASK_ID, destination
# CKI_TIMER_PTP_TASK_ID, counters 0 1 0 0, m_status 1 and padding.
PAYLOAD = "07 00 c4 2c 10 00 00 00 c4 13 00 00 00 12 00 01 00 00 01 00 00 00\n"
JSON = '{"CkiTestAppQueryStatusCnfMessage": {"m_dstTask": "CKI_TIMER_PTP_TASK_ID", "m_status": 1}}'
NO_PAYLOAD = ("tkdec: encode: no payload: unknown name, malformed description, or a destination that is not "
              "a PTP task\n")

# (arguments, exit status, standard output, standard error).
CASES = [
    ([STATUS_CNF, PTP_TIMER, "{.m_status=1}"], 0, PAYLOAD, ""),
    (["0x2CC40007", PTP_TIMER, "{.m_status=1}"], 0, PAYLOAD, ""),
    (["CkiTestAppQueryStatusCnfMessage", "0x12000000", "{.m_status=1}"], 0, PAYLOAD, ""),
    (["--json", JSON], 0, PAYLOAD, ""),
    ([STATUS_CNF, PTP_TIMER, "{.m_deleteMe=0 .m_status=1}"], 0, PAYLOAD.replace("12 00 01 00", "12 00 00 00"), ""),
    ([STATUS_CNF, PTP_TIMER, "{.m_status=1 .m_flags=300}"], 0, PAYLOAD.replace("01 00 00 01", "01 00 2c 01"), ""),
    (["CkiAlarmLevel", "{.value=CKI_ALARM_ERROR}", "-"], 0, "02 00 00 00\n", ""),
    (["--json", '{"CkiTestAppQueryStatusCnfMessage": {"m_status": 1}}'], 1, "", NO_PAYLOAD),
    ([STATUS_CNF, "CKI_TIMER_MCE_TASK_ID", "{.m_status=1}"], 1, "", NO_PAYLOAD),
    (["NoSuchMessage", PTP_TIMER, "{}"], 1, "", NO_PAYLOAD),
    (["--json", "CkiTestAppQueryStatusCnfMessage"], 1, "", NO_PAYLOAD),
    ([STATUS_CNF, PTP_TIMER, "{.m_bogus=1}"], 1, "",
     'tkdec: encode: the body does not parse at offset 10: "1}"\n'),
    (["--json", JSON.replace("m_status", "m_stat")], 1, "",
     'tkdec: encode: the text does not parse at offset 85: "1}}"\n'),
]


class Encode(unittest.TestCase):
    def test_payloads(self):
        for args, status, out, err in CASES:
            with self.subTest(args=args):
                run = tkdec("encode", *args)
                self.assertEqual((run.status, run.text, run.err), (status, out, err))

    def test_raw_output_file(self):
        with tempfile.TemporaryDirectory() as directory:
            path = os.path.join(directory, "payload.bin")
            for option in ("-o", "--output"):
                with self.subTest(option=option):
                    run = tkdec("encode", STATUS_CNF, PTP_TIMER, "{.m_status=1}", option, path)
                    self.assertEqual((run.status, run.out, run.err), (0, b"", ""))
                    with open(path, "rb") as file:
                        self.assertEqual(file.read(), bytes.fromhex(PAYLOAD))
            nowhere = os.path.join(directory, "missing", "payload.bin")
            run = tkdec("encode", "--json", JSON, "-o", nowhere)
            self.assertEqual((run.status, run.err), (3, f"tkdec: cannot write {nowhere}: No such file or directory\n"))


if __name__ == "__main__":
    unittest.main()
