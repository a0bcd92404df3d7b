#!/usr/bin/env python3
"""Counts the instructions of the benchmark calls with callgrind.

    instruction_counts.py TKDEC_CALL_COUNTS [--output COUNTS.json] [NAME ...]

Runs tkdec_call_counts under valgrind --tool=callgrind, collecting only
inside tkdec_measured_calls and dumping after each of its calls, so that
every case has a dump of its own; prints (and writes) {name: instructions
per call} as JSON. Counting is deterministic: the figures do not depend on
the load of the machine.
"""

import argparse
import glob
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

REPEAT = 20
MEASURED = "tkdec_measured_calls"


def count(program, names=()):
    """{case name: instructions per call}; None when valgrind is missing."""
    valgrind = shutil.which("valgrind")
    if valgrind is None:
        return None
    with tempfile.TemporaryDirectory() as directory:
        out = os.path.join(directory, "callgrind.out")
        command = [valgrind, "--tool=callgrind", "--collect-atstart=no", f"--toggle-collect={MEASURED}",
                   f"--dump-after={MEASURED}", f"--callgrind-out-file={out}", program, str(REPEAT), *names]
        result = subprocess.run(command, capture_output=True, text=True, check=True)
        cases = result.stdout.split()
        dumps = sorted(glob.glob(out + ".*"), key=lambda path: int(path.rsplit(".", 1)[1]))
        totals = []
        for path in dumps:
            with open(path, encoding="utf-8") as f:
                match = re.search(r"^totals:\s+(\d+)", f.read(), re.MULTILINE)
            totals.append(int(match.group(1)) if match else 0)
    if len(totals) < len(cases):
        raise RuntimeError(f"{len(cases)} cases but {len(totals)} callgrind dumps")
    return {name: round(total / REPEAT) for name, total in zip(cases, totals)}


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("program")
    parser.add_argument("--output")
    parser.add_argument("names", nargs="*")
    args = parser.parse_args(argv[1:])
    counts = count(args.program, args.names)
    if counts is None:
        print("valgrind not found: no instruction counts", file=sys.stderr)
        counts = {}
    text = json.dumps(counts, indent=1, sort_keys=True)
    print(text)
    if args.output:
        with open(args.output, "w", encoding="utf-8") as f:
            f.write(text + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
