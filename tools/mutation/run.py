#!/usr/bin/env python3
"""Mutation run: plants each mutant of the catalogue alone, rebuilds what
its area needs incrementally, runs the tests that can see it and reports
which mutants the tests kill, per area.

    python3 tools/mutation/run.py [--build-dir build/default] [--area AREA] [--only PATTERN] [--check] [--matrix]

A mutant is found by its file and its original text: when the file has
moved, the one file of the area's folders that holds the text exactly once
takes its place ("moved" in the report). A mutant whose text occurs in no
such file, or more than once, is "stale" (refresh its row); one that does
not compile or configure is "broken". Neither counts in the score.
--matrix runs every test on every mutant (no fail-fast) and lists the tests
that kill no mutant that another test does not kill as well: candidates to
cut. Every file is restored after its mutant, also on Ctrl-C.
"""
import argparse
import collections
import os
import pathlib
import re
import signal
import subprocess
import sys
import time

from catalogue import MUTANTS

ROOT = pathlib.Path(__file__).resolve().parents[2]
TIMEOUT = 300

# What judges a mutant of each area: the folders it lives in (where a moved
# file is looked for), the targets to rebuild, the GoogleTest binaries and
# the ctest entries that can see it. Left out everywhere, as no mutant of
# the tool, the generator, the package or the CMake module reaches them or
# they take minutes or a special environment: fullsize_* (a nested build of
# the full-size tables), unit_tests_i686, instruction_budgets,
# unit_tests_memcheck, zero_allocation, stack_depth, tsan_build,
# concurrency_tsan, fuzz_*, windows_*, and package_consumer but for the
# CMake module.
# A generator mutant is first shown to the generator's own tests, which need
# no build ("early"): most die there, before the tables are compiled again.
Area = collections.namedtuple("Area", "folders targets binaries ctest early", defaults=(None,))
_DECODERS = ["tkdec", "tkdec_cli", "tkdec_wren", "tkdec_stub_no_text", "tkdec_stub_api5"]
AREAS = {
    "src": Area(["src"], ["tkdec_tests"], ["tests/tkdec_tests"], None),
    "cli": Area(["cli"], ["tkdec_tests"] + _DECODERS, ["tests/tkdec_tests"], r"^(cli_.*|python)$"),
    "gen": Area(["tools/gen"], ["tkdec_tests"] + _DECODERS, ["tests/tkdec_tests"],
                r"^(exported_symbols|cli_.*|python)$", r"^(generator|synth)$"),
    "python": Area(["python/tkdec"], _DECODERS, [], r"^(python|cli_sample_test)$"),
    "cmake": Area(["cmake"], ["tkdec_tests"] + _DECODERS, ["tests/tkdec_tests"],
                  r"^(exported_symbols|cli_decoder_loading_test|cli_sample_test|python|package_consumer)$"),
}


def area_of(file):
    for name, area in AREAS.items():
        if any(file == folder or file.startswith(folder + "/") for folder in area.folders):
            return name
    sys.exit(f"{file}: in no area of the mutation run")


def locate(mutant):
    """(path, note): where the mutant's text stands once; path None when stale."""
    path = ROOT / mutant.file
    if path.is_file():
        count = path.read_text().count(mutant.text)
        if count == 1:
            return path, ""
        if count > 1:
            return None, f"its text occurs {count} times in {mutant.file}"
    holders = []
    for folder in AREAS[area_of(mutant.file)].folders:
        for candidate in sorted((ROOT / folder).rglob(f"*{path.suffix}")):
            if candidate != path and candidate.read_text(errors="replace").count(mutant.text) == 1:
                holders.append(candidate)
    if len(holders) == 1:
        return holders[0], f"moved to {holders[0].relative_to(ROOT)}"
    where = "is gone" if not path.is_file() else "no longer holds its text"
    found = f"; {len(holders)} files hold it" if holders else "; no file of its area holds it"
    return None, f"{mutant.file} {where}{found}"


def build(build_dir, targets, must_compile=()):
    """Builds the targets; with must_compile, a build that compiled nothing
    (a time stamp that the build tool did not see as new) is repeated once
    the clock has moved on."""
    command = ["cmake", "--build", str(build_dir), "-j2", "--target", *targets]
    for _ in range(3):
        result = subprocess.run(command, capture_output=True, text=True)
        if result.returncode != 0 or not must_compile or "Building" in result.stdout:
            return result.returncode == 0
        time.sleep(1)
        ahead = time.time() + 2
        for path in must_compile:
            os.utime(path, (ahead, ahead))
    return False


def failing_ctest(build_dir, pattern, fail_fast):
    command = ["ctest", "--test-dir", str(build_dir), "-R", pattern, "-j2", "--timeout", str(TIMEOUT)]
    run = subprocess.run(command + (["--stop-on-failure"] if fail_fast else []), capture_output=True, text=True,
                         errors="replace")
    if run.returncode == 0:
        return set()
    return set(re.findall(r"^\s*\d+ - (\S+) \(", run.stdout, re.MULTILINE)) or {"<ctest>"}


def failing_tests(build_dir, area, fail_fast=True):
    """The tests that fail (a crash or hang counts as "<crash>"); empty when all pass."""
    failed = set()
    for binary in area.binaries:
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
            return failed
    if area.ctest:
        failed |= failing_ctest(build_dir, area.ctest, fail_fast)
    return failed


def all_tests(build_dir, areas):
    names = []
    for binary in sorted({b for area in areas for b in area.binaries}):
        listing = subprocess.run([str(build_dir / binary), "--gtest_list_tests"], capture_output=True, text=True).stdout
        suite = ""
        for line in listing.splitlines():
            if not line.startswith(" "):
                suite = line.strip()
            else:
                names.append(suite + line.split()[0])
    for area in areas:
        if area.ctest:
            listing = subprocess.run(["ctest", "--test-dir", str(build_dir), "-N", "-R", area.ctest],
                                     capture_output=True, text=True).stdout
            names += re.findall(r"Test\s+#\d+: (\S+)", listing)
        if area.early:
            listing = subprocess.run(["ctest", "--test-dir", str(build_dir), "-N", "-R", area.early],
                                     capture_output=True, text=True).stdout
            names += re.findall(r"Test\s+#\d+: (\S+)", listing)
    return sorted(set(names))


def write(path, text, build_dir):
    """Writes the file and removes the objects compiled from it, so that the
    next build recompiles it whatever the time stamps say; a header gets a
    time stamp ahead of every object built so far."""
    path.write_text(text)
    ahead = time.time() + 2
    os.utime(path, (ahead, ahead))
    if path.suffix in (".cpp", ".h"):
        relative = path.relative_to(ROOT)
        for pattern in (f"**/{relative}.o", f"**/{relative.parent.name}/CMakeFiles/*.dir/{path.name}.o"):
            for stale in build_dir.glob(pattern):
                stale.unlink()


def outcome(mutant, path, build_dir, killers=None):
    area = AREAS[area_of(mutant.file)]
    original = path.read_text()
    compiled = [path] if path.suffix in (".cpp", ".h") else []
    try:
        write(path, original.replace(mutant.text, mutant.replacement), build_dir)
        early = failing_ctest(build_dir, area.early, killers is None) if area.early else set()
        if early and killers is None:
            return "killed"
        if not build(build_dir, area.targets, must_compile=compiled):
            return "broken"
        failed = early | failing_tests(build_dir, area, fail_fast=killers is None)
        if not failed:
            # A survivor is confirmed on a second build of the mutant, so
            # that a build that missed the change cannot make one.
            time.sleep(1)
            write(path, original.replace(mutant.text, mutant.replacement), build_dir)
            if not build(build_dir, area.targets, must_compile=compiled):
                return "broken"
            failed = early | failing_tests(build_dir, area, fail_fast=killers is None)
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


def report(results, mutants, seconds):
    print(f"\n{len(mutants)} mutants in {seconds:.0f} s")
    print(f"{'area':8} {'killed':>6} {'total':>6} {'equiv':>6} {'stale':>6} {'broken':>6}  score")
    for name in AREAS:
        mine = {key: [m for m in found if area_of(m.file) == name] for key, found in results.items()}
        total = len(mine["killed"]) + len(mine["survived"])
        if not total and not mine["stale"] and not mine["broken"]:
            continue
        equivalent = sum(1 for m in mine["survived"] if m.equivalent)
        score = f"{100 * len(mine['killed']) / total:.1f} %" if total else "-"
        print(f"{name:8} {len(mine['killed']):>6} {total:>6} {equivalent:>6} {len(mine['stale']):>6} "
              f"{len(mine['broken']):>6}  {score}")
    for mutant in results["survived"]:
        reason = f" -- equivalent: {mutant.equivalent}" if mutant.equivalent else ""
        print(f"survivor: {mutant.file}: {mutant.description}{reason}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build-dir", default="build/default")
    parser.add_argument("--area", choices=sorted(AREAS), action="append", help="only this area (repeatable)")
    parser.add_argument("--only", help="regular expression on file and description")
    parser.add_argument("--check", action="store_true", help="only list stale and moved mutants; build nothing")
    parser.add_argument("--matrix", action="store_true", help="run all tests per mutant; list tests that kill nothing alone")
    args = parser.parse_args()
    build_dir = (ROOT / args.build_dir).resolve()
    mutants = [m for m in MUTANTS if (not args.area or area_of(m.file) in args.area)
               and (not args.only or re.search(args.only, f"{m.file} {m.description}"))]
    places = {m: locate(m) for m in mutants}

    if args.check:
        stale = [m for m in mutants if places[m][0] is None]
        for m in mutants:
            if places[m][1]:
                print(f"{'stale' if places[m][0] is None else 'moved'}  {m.file}: {m.description}: {places[m][1]}")
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
    areas = [AREAS[name] for name in dict.fromkeys(area_of(m.file) for m in mutants)]
    targets = sorted({t for area in areas for t in area.targets})
    for path, _ in places.values():
        if path is not None:
            os.utime(path)
    if not build(build_dir, targets) or any(failing_tests(build_dir, area) or (area.early and failing_ctest(
            build_dir, area.early, True)) for area in areas):
        sys.exit("the unmutated build or its tests fail: nothing to measure")
    results = {"killed": [], "survived": [], "stale": [], "broken": []}
    killers = {} if args.matrix else None
    started = time.monotonic()
    try:
        for index, mutant in enumerate(mutants, 1):
            if stop:
                print("stopped")
                break
            path, note = places[mutant]
            result = "stale" if path is None else outcome(mutant, path, build_dir, killers)
            results[result].append(mutant)
            if result == "survived" and mutant.equivalent:
                note = f"equivalent: {mutant.equivalent}"
            print(f"[{index}/{len(mutants)}] {result:8} {mutant.file}: {mutant.description}"
                  f"{f'  ({note})' if note else ''}", flush=True)
    finally:
        build(build_dir, targets)  # leave the build matching the restored sources

    report(results, mutants, time.monotonic() - started)
    if killers is not None:
        report_matrix(killers, all_tests(build_dir, areas))
    return 0 if not results["survived"] or all(m.equivalent for m in results["survived"]) else 1


if __name__ == "__main__":
    sys.exit(main())
