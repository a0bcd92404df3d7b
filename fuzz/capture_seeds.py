#!/usr/bin/env python3
"""Seeds of the capture readers' fuzzer from the damage corpus of
tools/capture/damage_corpus.py: each capture in the fuzzer's raw mode,
once read whole and once fed through the pipe in small blocks.

    python3 fuzz/capture_seeds.py OUT_DIR"""

import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tools" / "capture"))
import damage_corpus  # noqa: E402  (path set up above)

# Mode byte (odd: a capture as it is), record size limit (0: the default),
# block sizes (0: as the pipe takes it; 0x2b: blocks of 1 to 300 bytes).
PREFIXES = {"whole": b"\x01\x00\x00", "blocks": b"\x01\x00\x2b"}


def main(argv):
    if len(argv) != 2:
        print("usage: capture_seeds.py OUT_DIR", file=sys.stderr)
        return 2
    folder = pathlib.Path(argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    for name, data in damage_corpus.corpus():
        for how, prefix in PREFIXES.items():
            (folder / f"{name}-{how}").write_bytes(prefix + data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
