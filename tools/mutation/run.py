#!/usr/bin/env python3
"""Mutation run over the library: plants each mutant of the catalogue alone,
rebuilds the unit-test binary incrementally, runs it and reports which
mutants the tests kill.

    python3 tools/mutation/run.py [--build-dir build/default] [--only PATTERN] [--check]

A mutant whose exact text does not occur exactly once in its file is
"stale" (the code moved on; refresh its row). A mutant that does not
compile is "broken". Neither counts in the score. Every file is restored
after its mutant, also on Ctrl-C.
"""
import argparse
import pathlib
import re
import signal
import subprocess
import sys
import time

from catalogue import MUTANTS

ROOT = pathlib.Path(__file__).resolve().parents[2]
TEST_BINARIES = ["tests/tkdec_tests"]
TIMEOUT = 120


def build(build_dir):
    command = ["cmake", "--build", str(build_dir), "-j2", "--target"] + [pathlib.Path(b).name for b in TEST_BINARIES]
    return subprocess.run(command, capture_output=True, text=True).returncode == 0


def tests_pass(build_dir):
    for binary in TEST_BINARIES:
        try:
            run = subprocess.run([str(build_dir / binary), "--gtest_fail_fast", "--gtest_brief=1"],
                                 capture_output=True, text=True, timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            return False
        if run.returncode != 0:
            return False
    return True


def outcome(mutant, build_dir):
    path = ROOT / mutant.file
    original = path.read_text()
    if original.count(mutant.text) != 1:
        return "stale"
    try:
        path.write_text(original.replace(mutant.text, mutant.replacement))
        if not build(build_dir):
            return "broken"
        return "survived" if tests_pass(build_dir) else "killed"
    finally:
        path.write_text(original)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build-dir", default="build/default")
    parser.add_argument("--only", help="regular expression on file and description")
    parser.add_argument("--check", action="store_true", help="only list stale mutants; build nothing")
    args = parser.parse_args()
    build_dir = (ROOT / args.build_dir).resolve()
    mutants = [m for m in MUTANTS if not args.only or re.search(args.only, f"{m.file} {m.description}")]

    if args.check:
        stale = [m for m in mutants if (ROOT / m.file).read_text().count(m.text) != 1]
        for m in stale:
            print(f"stale  {m.file}: {m.description}")
        print(f"{len(mutants)} mutants, {len(stale)} stale")
        return 1 if stale else 0

    # A stopped run still restores the mutated file.
    signal.signal(signal.SIGTERM, signal.default_int_handler)
    if not build(build_dir) or not tests_pass(build_dir):
        sys.exit("the unmutated build or its tests fail: nothing to measure")
    results = {"killed": [], "survived": [], "stale": [], "broken": []}
    started = time.monotonic()
    try:
        for index, mutant in enumerate(mutants, 1):
            result = outcome(mutant, build_dir)
            results[result].append(mutant)
            note = f"  (equivalent: {mutant.equivalent})" if result == "survived" and mutant.equivalent else ""
            print(f"[{index}/{len(mutants)}] {result:8} {mutant.file}: {mutant.description}{note}", flush=True)
    finally:
        build(build_dir)  # leave the build matching the restored sources

    scored = len(results["killed"]) + len(results["survived"])
    print(f"\n{len(mutants)} mutants in {time.monotonic() - started:.0f} s: "
          f"{len(results['killed'])} killed, {len(results['survived'])} survived, "
          f"{len(results['stale'])} stale, {len(results['broken'])} broken")
    if scored:
        print(f"score: {len(results['killed'])}/{scored} = {100 * len(results['killed']) / scored:.1f} %")
    for mutant in results["survived"]:
        reason = f" -- equivalent: {mutant.equivalent}" if mutant.equivalent else ""
        print(f"survivor: {mutant.file}: {mutant.description}{reason}")
    return 0 if not results["survived"] or all(m.equivalent for m in results["survived"]) else 1


if __name__ == "__main__":
    sys.exit(main())
