"""The encode entry text of each type shape."""

import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "gen"))

from tkgen.encode_entries import SHAPES, encode_entry  # noqa: E402


class EncodeEntryTest(unittest.TestCase):
    def test_entry_of_every_shape(self):
        cases = [
            ("base", "uint16_t", 2, "&encodeInteger<2>"),
            ("base", "uint64_t", 8, "&encodeInteger<8>"),
            ("opaque", "TokenisedPrintChannels", 0, "&encodeRefused"),
            ("enum", "CKI_TaskId", 4, "&encodeEnumeration<enum_CKI_TaskId>"),
            ("bitmask", "LogHwGroup", 1, "&encodeBitmask<enum_LogHwGroup>"),
            ("bitoffset", "CKI_LogGroupId", 4, "&encodeBitOffset<enum_CKI_LogGroupId>"),
            ("struct", "CKI_Message", 16, "&encodeStructure<type_CKI_Message>"),
            ("array", "uint8_t_24_", 24, "&encodeStructure<type_uint8_t_24_>"),
            ("alias", "CKI_LogGroupId_BITMAP_ARRAY_BITMAP_64_", 256,
             "&encodeAlias<type_CKI_LogGroupId_BITMAP_ARRAY_BITMAP_64_>"),
        ]
        for shape, ident, size, expected in cases:
            with self.subTest(shape=shape, ident=ident):
                self.assertEqual(encode_entry(shape, ident, size), expected)
        self.assertEqual({c[0] for c in cases}, set(SHAPES))

    def test_unknown_shape_is_a_programming_error(self):
        with self.assertRaises(ValueError):
            encode_entry("union", "X", 4)


if __name__ == "__main__":
    unittest.main()
