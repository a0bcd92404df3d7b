#!/usr/bin/env python3
"""Times the generator and the compile of a build's generated tables, and
measures the stripped library.

    table_build_time.py BUILD_DIR DESCRIPTION_JSON OUT.json [--jobs N]

BUILD_DIR is a configured and built tree (with compile_commands.json) of
that description. The generator runs into a fresh directory; the
generated sources are compiled with the tree's own commands, N at a time
(default: the machine's processors). Writes figures for bench/report.py.
"""

import argparse
import concurrent.futures
import json
import os
import shlex
import shutil
import subprocess
import sys
import tempfile
import time

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
GENERATOR = os.path.join(SOURCE_DIR, "tools", "gen", "tkdec_gen.py")
LIMIT_SECONDS = 60
LIMIT_BYTES = 2 * 1024 * 1024


def timed(command, cwd=None):
    start = time.perf_counter()
    subprocess.run(command, cwd=cwd, check=True, stdout=subprocess.DEVNULL)
    return time.perf_counter() - start


def table_compiles(build_dir, scratch):
    """The compile commands of the generated sources, writing into scratch."""
    with open(os.path.join(build_dir, "compile_commands.json"), encoding="utf-8") as f:
        entries = json.load(f)
    commands = []
    for entry in entries:
        if os.sep + "generated" + os.sep not in entry["file"] or "tkdec_core" not in entry.get("output", entry["command"]):
            continue
        words = shlex.split(entry["command"])
        out = words.index("-o")
        words[out + 1] = os.path.join(scratch, os.path.basename(entry["file"]) + ".o")
        words = [w for w in words if w not in ("-MD",)]
        if "-MF" in words:
            del words[words.index("-MF"):words.index("-MF") + 2]
        if "-MT" in words:
            del words[words.index("-MT"):words.index("-MT") + 2]
        commands.append((entry["directory"], words))
    return commands


def stripped_size(library):
    with tempfile.TemporaryDirectory() as directory:
        copy = os.path.join(directory, "lib.so")
        shutil.copyfile(library, copy)
        subprocess.run(["strip", "--strip-all", copy], check=True)
        return os.path.getsize(copy)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build_dir")
    parser.add_argument("description")
    parser.add_argument("out")
    parser.add_argument("--jobs", type=int, default=os.cpu_count())
    args = parser.parse_args(argv[1:])
    with tempfile.TemporaryDirectory() as scratch:
        generator = timed([sys.executable, GENERATOR, args.description, os.path.join(scratch, "generated")])
        commands = table_compiles(args.build_dir, scratch)
        start = time.perf_counter()
        with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
            singles = list(pool.map(lambda c: timed(c[1], c[0]), commands))
        compile_wall = time.perf_counter() - start
    size = stripped_size(os.path.join(args.build_dir, "libtkdec.so"))
    figures = {
        "fullsize: generator run": {"value": round(generator, 2), "unit": "s"},
        "fullsize: compile of the generated tables": {
            "value": round(compile_wall, 2), "unit": "s",
            "note": f"{len(commands)} sources, {args.jobs} at a time; one after the other {sum(singles):.1f} s"},
        "fullsize: generator + compile of the tables": {"value": round(generator + compile_wall, 2), "unit": "s",
                                              "limit": LIMIT_SECONDS},
        "fullsize: libtkdec.so stripped": {"value": size, "unit": "bytes", "limit": LIMIT_BYTES},
    }
    with open(args.out, "w", encoding="utf-8") as f:
        json.dump(figures, f, indent=2)
    for name, figure in figures.items():
        print(f"{name}: {figure['value']} {figure['unit']}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
