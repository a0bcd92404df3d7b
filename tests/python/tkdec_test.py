"""The Python package against the built reference library: queries, errors,
both capture forms, and the JSON Lines dictionaries of the sample."""

import ctypes.util
import io
import json
import os
import subprocess
import unittest

import tkdec

SAMPLE = os.path.join(os.environ["TKDEC_SOURCE_DIR"], "samples", "kestrelmax.tkcap")
UUID = "7d7d9de0768a419da9c3b593855bdb0a"
BANKS = "MbcPowerDomainDriver::initMemory:796 - memory controller 2 supports banks"
STATUS_CNF = "07 00 c4 2c 10 00 00 00 c4 13 00 00 00 12 00 01 00 00 01 00 00 00"
DECODER = tkdec.Decoder()


class Queries(unittest.TestCase):
    def test_results(self):
        d = DECODER
        cases = [
            (lambda: d.decode(7376, 0x94, b"\2\0\0\0"), BANKS),
            (lambda: d.decode(4660, 0, b"", "text"), "Channel ID 0x1234 is NOT handled by this decoder"),
            (lambda: d.decode_status(48, 0x34, b"", "json"),
             (False, '{"token_not_found":"channel 0x0030 tokenId 0x00000034"}')),
            (lambda: d.decode_type("uint32_t", b"\x0a\0\0\0", "longjson"),
             '{"typename":"uint32_t","type":"base","value":{"number":10}}'),
            (lambda: d.decode_type("uint32_t", b"\x0a\0\0\0", 1), "<xml>0x0000000a (10)</xml>"),
            (lambda: d.source(48, 0), ("../../platform/ptp/boot/src/boot.cpp", 263)),
            (lambda: d.encode("CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", "CKI_TIMER_PTP_TASK_ID", "{.m_status=1}").hex(" "),
             STATUS_CNF),
            (lambda: d.encode('{"CkiTestAppQueryStatusCnfMessage": {"m_dstTask": "CKI_TIMER_PTP_TASK_ID", '
                              '"m_status": 1}}').hex(" "), STATUS_CNF),
            (lambda: d.channels()[3], (3, 48, 1, "NIMBA_PTP", "TOKENIZED_PRINT", "PTP:LOG_GROUP_CKI_DEFAULT")),
            (lambda: len(d.channels()), 166),
            (lambda: (d.info()["target"]["name"], d.info()["build_info"]["UUID"]), ("KESTRELMAX", UUID)),
            (lambda: d.build_uuid, UUID),
        ]
        for number, (call, expected) in enumerate(cases):
            with self.subTest(case=number):
                self.assertEqual(call(), expected)

    def test_text_longer_than_the_first_output(self):
        payload = bytes.fromhex("00000012 00000012 00000000 1e000000") + b"\1" * 980
        small = tkdec.Decoder(DECODER.path)
        small.first_output_size = 64
        for format in tkdec.FORMATS:
            with self.subTest(format=format):
                whole = DECODER.decode(8433, 0x2CC40009, payload, format)
                self.assertGreater(len(whole), 4000)
                self.assertEqual(small.decode(8433, 0x2CC40009, payload, format), whole)
                self.assertEqual(small.decode_type("CKI_LogGroupId_BITMAP_ARRAY_BITMAP[64]", b"\xff" * 256, format),
                                 DECODER.decode_type("CKI_LogGroupId_BITMAP_ARRAY_BITMAP[64]", b"\xff" * 256, format))

    def test_errors(self):
        d = DECODER
        cases = [
            (lambda: d.source(48, 52), "Source reference not found for channel x0030 token x00000034"),
            (lambda: d.decode_type("Bogus", b"\0"), 'no type or message named "Bogus"'),
            (lambda: d.encode("CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", "CKI_TIMER_MCE_TASK_ID", "{.m_status=1}"),
             "no payload: unknown name, malformed description, or a destination that is not a PTP task"),
            (lambda: d.encode("CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", "CKI_TIMER_PTP_TASK_ID", "{.m_bogus=1}"),
             'the body does not parse at offset 10: "1}"'),
            (lambda: d.decode(48, 0, b"", "yaml"), 'unknown format "yaml"'),
            (lambda: tkdec.Decoder("/nonexistent/libtkdec.so"), "cannot load /nonexistent/libtkdec.so"),
            (lambda: tkdec.Decoder(ctypes.util.find_library("m")), "not a tkdec library: no export tkdec_init"),
        ]
        for number, (call, message) in enumerate(cases):
            with self.subTest(case=number), self.assertRaises(tkdec.TkdecError) as caught:
                call()
            self.assertIn(message, str(caught.exception))


TEXT_CAPTURE = (b"\xef\xbb\xbf# a capture\r\n# build 7D7D9DE0768A419DA9C3B593855BDB0A\r\n"
                b"# build 00112233445566778899aabbccddeeff\r\n"
                b"0x1cd0 148 02 00 00 00  # the same record\n# build 00112233445566778899aabbccddeeff\n"
                b"8433 0x2cc40007 00000012 00000011 00010000 01000000\n2026-01-31T12:00:00.5Z 65535 0xffffffff")
NOON = 1769860800500000000  # 2026-01-31T12:00:00.5Z
# Version 2: channel 7376, id 0x94, time NOON, payload 02 00 00 00, CRC-32.
V2 = b"TKDECCAP\2\0\0\0" + bytes(16) + bytes.fromhex("a55a d01c 94000000 00e5b05b05cf8f18 04000000 02000000 a6f104f9")


class Captures(unittest.TestCase):
    def test_forms(self):
        binary = tkdec.read_capture(SAMPLE)
        records = list(binary)
        self.assertEqual((binary.form, binary.version, binary.build, len(records)), ("binary", 1, UUID, 51))
        self.assertEqual([r[:4] for r in records[:2]], [(48, 0, b"", 28), (48, 4, b"\x11" * 4, 38)])
        text = tkdec.read_capture(io.BytesIO(TEXT_CAPTURE))
        self.assertEqual(list(text), [(7376, 0x94, b"\2\0\0\0", 4, None),
                                      (8433, 0x2CC40007, bytes.fromhex("00000012000000110001000001000000"), 6, None),
                                      (65535, 0xFFFFFFFF, b"", 7, NOON)])
        self.assertEqual((text.form, text.build), ("text", UUID))
        v2 = tkdec.read_capture(io.BytesIO(V2))
        self.assertEqual((list(v2), v2.version, v2.build), ([(7376, 0x94, b"\2\0\0\0", 28, NOON)], 2, None))
        late = tkdec.read_capture(io.BytesIO(b"# build " + b"0" * 32 + b"\n48 0\n# build 00112233445566778899aabbccddeeff\n"))
        self.assertEqual((len(list(late)), late.build), (1, None))

    def test_malformed(self):
        with open(SAMPLE, "rb") as f:
            sample = f.read()
        cases = [
            (sample[:200], "capture: record cut short at byte offset 193: 7 of its 10 header bytes present"),
            (sample[:50], "capture: record cut short at byte offset 38: 2 of its 4 payload bytes present"),
            (b"TKDECCAP\3\0\0\0" + bytes(16), "capture: capture version 3 is not supported"),
            (V2[:-1] + b"\0", "capture: skipped 28 bytes at offset 28 (checksum mismatch)"),
            (V2[:29] + b"\0" + V2[30:], "capture: skipped 28 bytes at offset 28 (no sync mark)"),
            (V2[:-3], "capture: record cut short at byte offset 28: 5 of its 4 payload bytes present"),
            (b"2026-02-30T00:00:00Z 48 0\n", 'capture:1: time "2026-02-30T00:00:00Z" is not an ISO-8601 UTC time'),
            (b"PK\3\4", "capture: bad magic: not a tkdec capture"),
            (b"TKDECCAP\1\0", "capture: capture header cut short (10 of 28 bytes)"),
            (b"48 0\n70000 0\n", 'capture:2: channel "70000" is not a number from 0 to 65535'),
            (b"# c\n48\n", "capture:2: a record needs a channel and an id"),
            (b"48 0x100000000\n", 'capture:1: id "0x100000000" is not a number from 0 to 0xffffffff'),
            (b"48 0 0g\n", 'capture:1: bad hexadecimal "0g" in the payload'),
            (b"48 0 123\n", 'capture:1: bad hexadecimal "123" in the payload'),
        ]
        for data, message in cases:
            with self.subTest(message=message):
                with self.assertRaises(tkdec.CaptureError) as caught:
                    list(tkdec.read_capture(io.BytesIO(data), strict=True))
                self.assertTrue(str(caught.exception).startswith(message), caught.exception)


class JsonLinesRecords(unittest.TestCase):
    def test_sample(self):
        records = {r["record"]: r for r in tkdec.decode_capture(SAMPLE, DECODER)}
        self.assertEqual(len(records), 51)
        cases = {
            3: {"offset": 52, "channel": 7376, "label": "PTP:LOG_GROUP_POWER_DOMAIN", "id": "0x00000094",
                "kind": "print", "group": "LOG_GROUP_POWER_DOMAIN", "line": 796, "text": BANKS,
                "file": "../../drivers/power/src/mbcpowerdomaindriver.cpp"},
            24: {"kind": "alarm", "file": "../../platform/ptp/system/src/systemhwinit.cpp", "line": 844},
            28: {"kind": "exception", "fields": {"params": ["0x600001d3", "0x00401234", "0x0001fff0"]}},
            34: {"kind": "message", "id": "0x2cc40007"},
            45: {"kind": "trace", "fields": None,
                 "text": "CKI_TIMER_MCE_TASK_ID -> (CkiTestAppQueryStatusCnfMessage) -> CKI_LP_MCE_TASK_ID"},
            49: {"kind": "unknown_channel", "label": None, "payload": ""},
            51: {"kind": "unknown_token", "text": "", "payload": "00" * 12,
                 "fields": {"token_not_found": "channel 0x0030 tokenId 0x00000034"}},
        }
        for number, expected in cases.items():
            with self.subTest(record=number):
                self.assertEqual({k: records[number].get(k) for k in expected}, expected)
        self.assertEqual(records[3]["fields"]["sourceref"], {"file": records[3]["file"], "line": 796})
        self.assertFalse({"group", "file", "line", "time"} & records[34].keys())
        self.assertEqual(len(json.loads(json.dumps(list(records.values())))), 51)

    @unittest.skipUnless(os.environ.get("TKDEC_TOOL"), "needs the tkdec tool")
    def test_the_tool_writes_the_same_records(self):
        for name in ("kestrelmax.tkcap", "kestrelmax-v2.tkcap"):
            path = os.path.join(os.path.dirname(SAMPLE), name)
            with self.subTest(name):
                lines = subprocess.run([os.environ["TKDEC_TOOL"], "decode", "-q", "--format", "jsonl", path],
                                       capture_output=True, check=True).stdout.splitlines()
                self.assertEqual([json.loads(line) for line in lines[1:]], list(tkdec.decode_capture(path, DECODER)))

    def test_times_and_text_captures(self):
        records = list(tkdec.decode_capture(io.BytesIO(TEXT_CAPTURE), DECODER))
        self.assertIn(BANKS, [r["text"] for r in records])
        self.assertEqual([r.get("time") for r in records], [None, None, "2026-01-31T12:00:00.500000000Z"])


if __name__ == "__main__":
    unittest.main()
