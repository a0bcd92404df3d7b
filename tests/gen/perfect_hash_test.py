"""The perfect hash of the token tables' rest ids: every id has a slot of
its own, the arrays fit their 16-bit cells, and the hash is the library's."""

import random
import unittest

import gen_support  # noqa: F401  (puts tools/gen on the path)
from tkgen import perfect_hash, type_emitter


class PerfectHash(unittest.TestCase):
    def test_every_id_finds_its_position(self):
        for count in (1, 2, 3, 31, 672, 4000):
            ids = sorted(random.Random(count).sample(range(1 << 32), count))
            seed, displacements, slots = perfect_hash.build(ids)
            with self.subTest(count=count):
                self.assertEqual([perfect_hash.lookup(i, seed, displacements, slots) for i in ids],
                                 list(range(count)))
                self.assertEqual(sorted(s for s in slots if s), list(range(1, count + 1)))
                self.assertTrue(all(0 <= d < len(slots) <= 0x10000 for d in displacements))
                self.assertEqual(len(slots) & (len(slots) - 1), 0)
                self.assertEqual(len(displacements) & (len(displacements) - 1), 0)

    def test_clustered_ids(self):
        cases = [
            # Named alarm ids: a few clusters of nearby values.
            sorted(prefix << 16 | block << 8 | n for prefix in (0x3000, 0x3101, 0x3200, 0x32C4)
                   for block in range(1, 5) for n in range(40)),
            # Ids that differ in their highest bits only.
            [0x30000300, 0x30000301, 0x7FFFFFFC, 0xC0000000, 0xFFFFFFF0, 0xFFFFFFFC],
            [high << 28 | 0x44 for high in range(16)],
        ]
        for ids in cases:
            with self.subTest(ids=ids[:3]):
                seed, displacements, slots = perfect_hash.build(ids)
                self.assertEqual([perfect_hash.lookup(i, seed, displacements, slots) for i in ids],
                                 list(range(len(ids))))

    def test_every_name_finds_its_position(self):
        # Lengths around the 4- and 8-byte tails, shared prefixes and suffixes.
        names = [b"", b"a", b"ab", b"abc", b"abcd", b"abcde", b"abcdefg", b"abcdefgh", b"abcdefghi",
                 b"CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", b"CKI_TESTAPP_QUERY_STATUS_REQ_MSG_ID", b"unsigned char"]
        index = perfect_hash.build_names(names)
        self.assertEqual([perfect_hash.lookup_name(n, *index) for n in names], list(range(len(names))))

    def test_a_name_gives_its_first_entry_and_first_type_entry(self):
        entries = [("A", 5, None), ("B", 0, None), ("A", 0, None), ("C", 7, None), ("A", 0, None)]
        names, _ = type_emitter.name_index(entries)
        self.assertEqual(names, [(0, 2, 1), (1, 1, 1), (3, 5, 1)])  # C has no type entry: the table's end

    def test_hash_values(self):
        # restHash of src/records/perfect_hash.h gives the same values.
        self.assertEqual(perfect_hash.rest_hash(0, 0), 0)
        self.assertEqual(perfect_hash.rest_hash(2, 1), 0xCF111D0E)
        self.assertEqual(perfect_hash.rest_hash(0x30000300, 1 + perfect_hash.SLOT_SEED), 0xB3ACF27A)


if __name__ == "__main__":
    unittest.main()
