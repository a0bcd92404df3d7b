#!/usr/bin/env python3
"""Configures and builds a preset from scratch with each compile timed, then
prints the CPU seconds (user + system) per target and per file.

    python3 bench/compile_cpu.py [--preset demo] [--source .] [--top 10]

Each compiler call runs under /usr/bin/time as the compiler launcher, so the
figures are the compilers' own CPU time, which a busy machine does not
inflate the way it does the wall times of .ninja_log."""
import argparse
import collections
import os
import re
import shutil
import subprocess
import sys


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--preset", default="demo")
    parser.add_argument("--source", default=".")
    parser.add_argument("--top", type=int, default=10, help="files shown, the slowest first")
    args = parser.parse_args()
    source = os.path.abspath(args.source)
    binary = os.path.join(source, "build", "compile-cpu-" + args.preset)
    times = binary + ".times"
    shutil.rmtree(binary, ignore_errors=True)
    if os.path.exists(times):
        os.remove(times)
    launcher = ";".join(["/usr/bin/time", "-a", "-o", times, "-f", "%U %S %C"])
    subprocess.run(["cmake", "--preset", args.preset, "-S", source, "-B", binary,
                    "-DCMAKE_CXX_COMPILER_LAUNCHER=" + launcher, "-DCMAKE_C_COMPILER_LAUNCHER=" + launcher],
                   check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", binary, "-j2"], check=True, stdout=subprocess.DEVNULL)
    per_target = collections.Counter()
    per_file = []
    with open(times) as lines:
        for line in lines:
            match = re.match(r"([\d.]+) ([\d.]+) .* -o (\S+) -c (\S+)", line)
            if not match:
                continue
            seconds = float(match.group(1)) + float(match.group(2))
            target = re.search(r"CMakeFiles/([^/]+)\.dir/", match.group(3))
            per_target[target.group(1) if target else "?"] += seconds
            per_file.append((seconds, os.path.relpath(match.group(4), source)))
    print(f"{'target':32} CPU s")
    for target, seconds in per_target.most_common():
        print(f"{target:32} {seconds:6.1f}")
    print(f"{'all':32} {sum(per_target.values()):6.1f}")
    print()
    for seconds, name in sorted(per_file, reverse=True)[:args.top]:
        print(f"{seconds:6.2f}  {name}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
