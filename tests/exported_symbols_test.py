#!/usr/bin/env python3
"""The shared library exports exactly the tkdec_ functions of its interface."""

import pathlib
import re
import subprocess
import sys

# The interface's functions, as the public header declares them.
HEADER = pathlib.Path(__file__).resolve().parents[1] / "include" / "tkdec.h"
EXPECTED = set(re.findall(r"^TKDEC_API \w+ TKDEC_CALL (tkdec_\w+)\(", HEADER.read_text(), re.MULTILINE))

def main():
    out = subprocess.run(["nm", "-D", "--defined-only", sys.argv[1]], check=True, capture_output=True, text=True).stdout
    # Lines are "ADDRESS TYPE NAME"; only code and data symbols are exports
    # of the library's own (not the linker's version nodes).
    names = {parts[2].split("@")[0] for parts in map(str.split, out.splitlines())
             if len(parts) == 3 and parts[1] in "TtDdBbRrVvWwiu"}
    faults = [f"missing export: {n}" for n in sorted(EXPECTED - names)]
    faults += [f"unexpected export: {n}" for n in sorted(names - EXPECTED)]
    print("\n".join(faults) or f"{len(EXPECTED)} passed, 0 failed")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
