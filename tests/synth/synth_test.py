"""The full-size synthetic build: the generator accepts it, it has the
totals of a full firmware build, and a seed always gives the same build."""

import os
import sys
import tempfile
import unittest
from collections import Counter

SOURCE_DIR = os.environ.get("TKDEC_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))
sys.path.insert(0, os.path.join(SOURCE_DIR, "tools", "synth"))
sys.path.insert(0, os.path.join(SOURCE_DIR, "tools", "gen"))

import tkdec_synth  # noqa: E402
from fullsize import totals  # noqa: E402
from tkgen import channels, tokens, types  # noqa: E402
from tkgen.description import Errors, load  # noqa: E402


def checked(files):
    """(channel rows, type tables, token tables, errors) of the generator."""
    with tempfile.TemporaryDirectory() as out:
        tkdec_synth.write(out, files)
        errors = Errors()
        desc = load(os.path.join(out, "build.json"), errors)
        rows = channels.check(desc, errors)
        tables = types.check(desc, errors, rows)
        token_tables = tokens.check(desc, errors, rows, tables)
        return rows, tables, token_tables, errors.messages


class FullSizeBuild(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.files = tkdec_synth.describe(tkdec_synth.DEFAULT_SEED)
        cls.rows, cls.types, cls.tokens, cls.errors = checked(cls.files)

    def test_generator_accepts_it_and_the_seed_decides_everything(self):
        self.assertEqual(self.errors, [])
        self.assertEqual(tkdec_synth.describe(tkdec_synth.DEFAULT_SEED), self.files)
        other = tkdec_synth.describe(tkdec_synth.DEFAULT_SEED + 1)
        self.assertNotEqual(other["tokens.json"], self.files["tokens.json"])
        self.assertEqual(checked(other)[3], [])

    def test_channels(self):
        kinds = Counter(row.decoder for row in self.rows)
        self.assertEqual((len(self.rows), kinds["log_group"]), (totals.CHANNELS, totals.LOG_GROUPS))
        self.assertEqual(sorted(r.id for r in self.rows if r.decoder == "alarm"), list(totals.ALARM_CHANNELS))

    def test_tokens(self):
        prints, alarms = self.tokens.prints, self.tokens.alarms
        located = [t for t in alarms if t.file is not None]
        named = sorted(t.id for t in alarms if t.file is None)
        self.assertEqual((len(prints), len(located), len(named)),
                         (totals.PRINT_TOKENS, totals.LOCATED_ALARMS, totals.NAMED_ALARMS))
        self.assertEqual(sorted(t.id for t in prints + located), list(range(0, totals.LAST_LOG_POINT + 1, 4)))
        self.assertEqual((min(t.id for t in located), max(t.id for t in located)),
                         (totals.FIRST_LOCATED_ALARM, totals.LAST_LOCATED_ALARM))
        self.assertEqual(named, [v for v, _ in self.types.types["CKI_AlarmId"].enumerators])
        self.assertEqual((named[0], named[-1]), (totals.FIRST_ALARM_ID, totals.LAST_ALARM_ID))
        self.assertEqual(Counter(v >> 16 for v in named), totals.ALARM_CLUSTERS)
        self.assertEqual(Counter(t.arguments for t in prints), totals.ARGUMENT_COUNTS)
        self.assertNotIn(0, {t.group for t in prints})
        low, high = totals.LOCATED_ALARM_ARGUMENTS
        self.assertTrue(all(low <= t.arguments <= high for t in located))
        self.assertTrue(all(t.arguments in totals.NAMED_ALARM_ARGUMENTS and (t.group, t.line) == (0, 0)
                            for t in alarms if t.file is None))
        self.assertEqual(sum(1 for t in alarms if t.group != 0), 1)

    def test_types(self):
        kinds = self.types.types.values()
        shapes = Counter("derived" if k.is_structure and k.fields and k.fields[0].name == "^" else k.shape for k in kinds)
        enumerations = shapes.pop("enum") + shapes.pop("bitmask") + shapes.pop("bitoffset")
        self.assertEqual((dict(shapes), enumerations), ({"base": 13, "opaque": 1, "struct": totals.PLAIN_STRUCTURES,
                                                         "derived": totals.DERIVED_STRUCTURES,
                                                         "array": totals.ARRAY_TYPES}, totals.ENUMERATIONS))
        self.assertEqual(len(self.types.types), totals.TYPES)
        self.assertEqual(sum(len(k.enumerators) for k in kinds if k.is_enumeration), totals.ENUMERATORS)
        self.assertEqual((len(self.types.types["CKI_AlarmId"].enumerators), len(self.types.types["CKI_MsgId"].enumerators)),
                         (totals.ALARM_ID_ENUMERATORS, totals.MSG_ID_ENUMERATORS))
        aliased = [k for k in kinds if k.is_enumeration and k.shared is None
                   and len({v for v, _ in k.enumerators}) < len(k.enumerators)]
        self.assertEqual(len(aliased), totals.ENUMERATIONS_WITH_ALIASES)
        ids = [value for _, value, _ in self.types.messages]
        self.assertEqual((sum(1 for v in ids if v >> 24 == 0x2C), sum(1 for v in ids if v >> 24 in (0x90, 0x92))),
                         (totals.MESSAGES, totals.EVENTS))
        self.assertEqual(len(ids) + len(self.types.types), totals.MESSAGE_TYPE_ENTRIES)
        self.assertTrue({20, 200, 1000} <= {kind.size - 4 for _, _, kind in self.types.messages})



if __name__ == "__main__":
    unittest.main()
