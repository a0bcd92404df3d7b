"""tkdec source and tkdec type: lookups in the reference build."""

import unittest

from cli_support import tkdec

# (arguments, exit status, standard output, standard error).
SOURCES = [
    (["48", "0"], 0, "../../platform/ptp/boot/src/boot.cpp:263\n", ""),
    (["0x30", "0x4"], 0, "../../platform/ptp/boot/src/boot.cpp:464\n", ""),
    (["8209", "52"], 0, "../../platform/ptp/system/src/systemhwinit.cpp:374\n", ""),
    (["8241", "52"], 0, "../../platform/ptp/system/src/systemhwinit.cpp:374\n", ""),
    (["48", "52"], 1, "", "tkdec: source: Source reference not found for channel x0030 token x00000034\n"),
    (["8241", "0x30000300"], 1, "",
     "tkdec: source: Source reference not found for channel x2031 token x30000300\n"),
    (["8433", "0"], 1, "", "tkdec: source: Source reference not found for channel x20f1 token x00000000\n"),
    (["8465", "0"], 1, "", "tkdec: source: Source reference not found for channel x2111 token x00000000\n"),
    (["48", "2"], 1, "", "tkdec: source: Source reference not found for channel x0030 token x00000002\n"),
    (["x", "0"], 1, "", "tkdec: source: channel \"x\" is not a number from 0 to 65535\n"),
    (["65536", "0"], 1, "", "tkdec: source: channel \"65536\" is not a number from 0 to 65535\n"),
    (["48", "0x100000000"], 1, "",
     "tkdec: source: token \"0x100000000\" is not a number from 0 to 4294967295\n"),
]

# A CkiTestAppQueryStatusCnfMessage sent by CKI_TIMER_PTP_TASK_ID, and the
# same with an APPS task as its source.
STATUS_CNF = "07 00 c4 2c 00 00 00 12 00 00 c4 13 00 01 00 00 02"
FROM_APPS = "07 00 c4 2c 00 00 c4 13 00 00 00 12 00 01 00 00 02"
STATUS_CNF_TEXT = ("(CkiTestAppQueryStatusCnfMessage){.m_srcTask=CKI_TIMER_PTP_TASK_ID "
                   ".m_dstTask=CKI_TEST_APP_APPS_TASK_ID .m_postedCounter=0 .m_deleteMe=1 .m_processing=0 "
                   ".m_flags=0 .m_status=CKI_TESTAPP_STATUS_PASSED}\n")
NOT_FOUND = "tkdec: type: no type or message named {} (a message also needs a PTP task in its bytes 4 to 7)\n"

# (arguments, exit status, standard output, standard error).
TYPES = [
    (["uint32_t", "0a000000"], 0, "10\n", ""),
    (["uint32_t", "0a 00 00 00", "--format", "xml"], 0, "<xml>0x0000000a (10)</xml>\n", ""),
    (["--format", "longjson", "uint32_t", "0a00", "0000"], 0,
     '{"typename":"uint32_t","type":"base","value":{"number":10}}\n', ""),
    (["uint32_t", "0a000000", "--format=json"], 0, '{"uint32_t":10}\n', ""),
    (["uint32_t", "0a0000", "--format", "json"], 0, '{"uint32_t":["base"]}\n', ""),
    (["CkiAlarmLevel", "02000000", "--format", "longjson"], 0,
     '{"typename":"CkiAlarmLevel","value":{"text":"CKI_ALARM_ERROR","number":2}}\n', ""),
    (["CkiAlarmLevel"], 0, "(CkiAlarmLevel){(CKI_NO_ALARM = 0),(CKI_ALARM_FATAL = 1),(CKI_ALARM_ERROR = 2),"
     "(CKI_ALARM_WARNING = 4),(CKI_ALARM_INFO = 8)}\n", ""),
    (["CKI_Message", "00000000 00000011 00000011 00000000", "--format", "json"], 0,
     '{"CKI_Message":{"m_srcTask":"CKI_TIMER_MCE_TASK_ID", "m_dstTask":"CKI_TIMER_MCE_TASK_ID", '
     '"m_postedCounter":0, "m_deleteMe":0, "m_processing":0, "m_flags":0}}\n', ""),
    (["CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", STATUS_CNF], 0, STATUS_CNF_TEXT, ""),
    (["0x2cc40007", STATUS_CNF], 0, STATUS_CNF_TEXT, ""),
    (["751042567", *STATUS_CNF.split()], 0, STATUS_CNF_TEXT, ""),
    (["CkiTestAppQueryStatusCnfMessage", FROM_APPS], 0,
     "(CkiTestAppQueryStatusCnfMessage){.m_srcTask=CKI_TEST_APP_APPS_TASK_ID .m_dstTask=CKI_TIMER_PTP_TASK_ID "
     ".m_postedCounter=0 .m_deleteMe=1 .m_processing=0 .m_flags=0 .m_status=CKI_TESTAPP_STATUS_PASSED}\n", ""),
    (["0x2CC40007", STATUS_CNF], 1, "", NOT_FOUND.format('"0x2CC40007"')),
    (["0x2cc4007", STATUS_CNF], 1, "", NOT_FOUND.format('"0x2cc4007"')),
    (["CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", FROM_APPS], 1, "",
     NOT_FOUND.format('"CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID"')),
    (["CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", "07 00 c4 2c 00 00 00"], 1, "",
     NOT_FOUND.format('"CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID"')),
    (["NoSuchType", "00"], 1, "", NOT_FOUND.format('"NoSuchType"')),
    (["uint32_t", "0a 0g"], 1, "", 'tkdec: type: bad hexadecimal "0g"\n'),
    (["uint32_t", "0a0"], 1, "", 'tkdec: type: bad hexadecimal "0a0"\n'),
    (["uint32_t", "00", "--format", "yaml"], 2, "",
     "tkdec: type: unknown format \"yaml\" (text, xml, json or longjson) (see 'tkdec type --help')\n"),
]


class Lookups(unittest.TestCase):
    def check(self, command, cases):
        for args, status, out, err in cases:
            with self.subTest(args=args):
                run = tkdec(command, *args)
                self.assertEqual((run.status, run.text, run.err), (status, out, err))

    def test_source(self):
        self.check("source", SOURCES)

    def test_type(self):
        self.check("type", TYPES)


if __name__ == "__main__":
    unittest.main()
