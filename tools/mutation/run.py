#!/usr/bin/env python3
"""Mutation run over the library: plants each mutant of the catalogue alone,
rebuilds the unit-test binary incrementally, runs it and reports which
mutants the tests kill.

    python3 tools/mutation/run.py [--build-dir build/default] [--only PATTERN] [--check] [--matrix]

A mutant whose exact text does not occur exactly once in its file is
"stale" (the code moved on; refresh its row). A mutant that does not
compile is "broken". Neither counts in the score. --matrix runs every test
on every mutant (no fail-fast) and lists the tests that kill no mutant that
another test does not kill as well: candidates to cut. Every file is restored
after its mutant, also on Ctrl-C.
"""
import argparse
import os
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


def build(build_dir, must_compile=False):
    """Builds the test binaries; with must_compile, a build that compiled
    nothing (a time stamp that the build tool did not see as new) is
    repeated once the clock has moved on."""
    command = ["cmake", "--build", str(build_dir), "-j2", "--target"] + [pathlib.Path(b).name for b in TEST_BINARIES]
    for _ in range(3):
        result = subprocess.run(command, capture_output=True, text=True)
        if result.returncode != 0 or not must_compile or "Building" in result.stdout:
            return result.returncode == 0
        time.sleep(1)
        ahead = time.time() + 2
        for path in must_compile:
            os.utime(path, (ahead, ahead))
    return False


def failing_tests(build_dir, fail_fast=True):
    """The tests that fail (a crash or hang counts as "<crash>"); empty when all pass."""
    failed = set()
    for binary in TEST_BINARIES:
        command = [str(build_dir / binary), "--gtest_brief=1"] + (["--gtest_fail_fast"] if fail_fast else [])
        try:
            # errors="replace": a mutant can make a test print any bytes.
            run = subprocess.run(command, capture_output=True, text=True, errors="replace", timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            failed.add("<crash>")
            continue
        names = set(re.findall(r"^\[  FAILED  \] (\w+\.\w+)", run.stdout, re.MULTILINE))
        if run.returncode != 0:
            failed |= names or {"<crash>"}
        if failed and fail_fast:
            break
    return failed


def all_tests(build_dir):
    names = []
    for binary in TEST_BINARIES:
        listing = subprocess.run([str(build_dir / binary), "--gtest_list_tests"], capture_output=True, text=True).stdout
        suite = ""
        for line in listing.splitlines():
            if not line.startswith(" "):
                suite = line.strip()
            else:
                names.append(suite + line.split()[0])
    return names


def write(path, text, build_dir):
    """Writes the file and removes the objects compiled from it, so that the
    next build recompiles it whatever the time stamps say; a header gets a
    time stamp ahead of every object built so far."""
    path.write_text(text)
    ahead = time.time() + 2
    os.utime(path, (ahead, ahead))
    for stale in build_dir.glob(f"**/{path.relative_to(ROOT)}.o"):
        stale.unlink()


def outcome(mutant, build_dir, killers=None):
    path = ROOT / mutant.file
    original = path.read_text()
    if original.count(mutant.text) != 1:
        return "stale"
    try:
        write(path, original.replace(mutant.text, mutant.replacement), build_dir)
        if not build(build_dir, must_compile=[path]):
            return "broken"
        failed = failing_tests(build_dir, fail_fast=killers is None)
        if not failed:
            # A survivor is confirmed on a second build of the mutant, so
            # that a build that missed the change cannot make one.
            time.sleep(1)
            write(path, original.replace(mutant.text, mutant.replacement), build_dir)
            if not build(build_dir, must_compile=[path]):
                return "broken"
            failed = failing_tests(build_dir, fail_fast=killers is None)
        if killers is not None:
            killers[mutant] = failed
        return "killed" if failed else "survived"
    finally:
        write(path, original, build_dir)


def report_matrix(killers, tests):
    """Per test: the mutants it kills, and those that no other test kills."""
    kills = {test: 0 for test in tests}
    alone = {test: 0 for test in tests}
    for failed in killers.values():
        for test in failed:
            kills[test] = kills.get(test, 0) + 1
        if len(failed) == 1:
            test = next(iter(failed))
            alone[test] = alone.get(test, 0) + 1
    print("\ntests that kill no mutant alone (kills in all):")
    for test in sorted(tests, key=lambda t: kills.get(t, 0)):
        if alone.get(test, 0) == 0:
            print(f"  {test} ({kills.get(test, 0)})")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build-dir", default="build/default")
    parser.add_argument("--only", help="regular expression on file and description")
    parser.add_argument("--check", action="store_true", help="only list stale mutants; build nothing")
    parser.add_argument("--matrix", action="store_true", help="run all tests per mutant; list tests that kill nothing alone")
    args = parser.parse_args()
    build_dir = (ROOT / args.build_dir).resolve()
    mutants = [m for m in MUTANTS if not args.only or re.search(args.only, f"{m.file} {m.description}")]

    if args.check:
        stale = [m for m in mutants if (ROOT / m.file).read_text().count(m.text) != 1]
        for m in stale:
            print(f"stale  {m.file}: {m.description}")
        print(f"{len(mutants)} mutants, {len(stale)} stale")
        return 1 if stale else 0

    # A stopped run ends after the mutant at hand, whose file is restored
    # once its build is over: restoring it under a running compiler could
    # leave a compiler cache entry of the mutant's text with the original
    # object.
    stop = []
    for signum in (signal.SIGTERM, signal.SIGINT):
        signal.signal(signum, lambda *_: stop.append(True))
    # Objects built from an earlier mutant are rebuilt: a copied or checked
    # out file can carry a time stamp older than them.
    for file in {m.file for m in mutants}:
        os.utime(ROOT / file)
    if not build(build_dir) or failing_tests(build_dir):
        sys.exit("the unmutated build or its tests fail: nothing to measure")
    results = {"killed": [], "survived": [], "stale": [], "broken": []}
    killers = {} if args.matrix else None
    started = time.monotonic()
    try:
        for index, mutant in enumerate(mutants, 1):
            if stop:
                print("stopped")
                break
            result = outcome(mutant, build_dir, killers)
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
    if killers is not None:
        report_matrix(killers, all_tests(build_dir))
    return 0 if not results["survived"] or all(m.equivalent for m in results["survived"]) else 1


if __name__ == "__main__":
    sys.exit(main())
