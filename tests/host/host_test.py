#!/usr/bin/env python3
"""The decoder library as the log viewer host sees it.

  record   runs the host program against the Linux library and writes its
           report (at build time).
  exports  builds a Windows preset and checks tkdec.dll: it exports exactly
           the interface's functions under their plain names, imports only
           Windows' own DLLs, and leaves printf to the library's own engine.
  wine     builds the Windows DLL and host program and runs them under wine:
           their report must equal the Linux one.

The functions checked are those that tests/exported_symbols_test.py lists.
Exit status 77 means skipped: the MinGW-w64 toolchain or wine is missing.
"""

import argparse
import difflib
import os
import re
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent))
from exported_symbols_test import EXPECTED  # noqa: E402

SKIPPED = 77
INSTALL_HINT = "install it with tools/ci/install-windows-toolchain.sh"
NAMES = sorted(EXPECTED)
# The MinGW-w64 target of each Windows preset, and objdump's name of its
# file format.
PRESETS = {"windows-x86": ("i686-w64-mingw32", "pei-i386"), "windows-x64": ("x86_64-w64-mingw32", "pei-x86-64")}
# DLLs that come with every Windows: the library may import from these only.
SYSTEM_DLL = re.compile(r"(kernel32|msvcrt|ucrtbase|ntdll|api-ms-win-[a-z0-9-]+)\.dll", re.IGNORECASE)


def run(command, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, **kwargs)


def record(args):
    result = run([args.host, args.library, args.report] + NAMES)
    sys.stderr.write(result.stderr)
    return result.returncode


def skipped(tool):
    print(f"SKIPPED: {tool} not found; {INSTALL_HINT}")
    return SKIPPED


def missing_toolchain(preset, tools=()):
    """The first missing tool of the preset's toolchain (or of tools)."""
    triplet = PRESETS[preset][0]
    return next((t for t in (f"{triplet}-g++", f"{triplet}-objdump", *tools) if shutil.which(t) is None), None)


def build(source, preset):
    """Configures (once) and builds a Windows preset; returns its build
    folder, or None after printing why the build failed."""
    binary = Path(source) / "build" / preset
    steps = [["cmake", "--build", "--preset", preset, "-j", "2"]]
    if not (binary / "build.ninja").exists():
        steps.insert(0, ["cmake", "--preset", preset])
    for step in steps:
        result = run(step, cwd=source)
        if result.returncode != 0:
            print(f"{' '.join(step)} failed:\n{result.stdout}{result.stderr}")
            return None
    return binary


def dll_faults(preset, binary):
    """What is wrong with the DLL's exports, imports and file format, and
    with the calls of the library's own objects (not those of the MinGW
    runtime linked in, whose start-up code reports with vfprintf): the C
    library's printf family would make the output depend on the C library."""
    triplet, wanted_format = PRESETS[preset]
    dump = run([f"{triplet}-objdump", "-p", str(binary / "tkdec.dll")], check=True).stdout
    file_format = re.search(r"file format (\S+)", dump).group(1)
    table = dump.split("[Ordinal/Name Pointer] Table", 1)[-1].split("\n\n", 1)[0] if "[Ordinal/Name" in dump else ""
    exports = {line.split()[-1] for line in table.splitlines() if re.match(r"\s*\[\s*\d+\]", line)}
    imports = re.findall(r"^\s*DLL Name: (\S+)", dump, re.MULTILINE)
    faults = [f"file format {file_format}, expected {wanted_format}"] if file_format != wanted_format else []
    faults += [f"missing export: {name}" for name in sorted(EXPECTED - exports)]
    faults += [f"unexpected export: {name}" for name in sorted(exports - EXPECTED)]
    faults += [f"imports {name}, which is not part of Windows" for name in imports if not SYSTEM_DLL.fullmatch(name)]
    objects = sorted((binary / "CMakeFiles" / "tkdec_core.dir").rglob("*.obj"))
    if not objects:
        return faults + ["no object files of the library found"], imports
    undefined = run([f"{triplet}-nm", "-u"] + [str(o) for o in objects], check=True).stdout.split()
    faults += [f"the library calls {s}: it formats with its own engine" for s in sorted(set(undefined)) if "printf" in s]
    return faults, imports


def exports(args):
    tool = missing_toolchain(args.preset)
    if tool:
        return skipped(tool)
    binary = build(args.source, args.preset)
    if binary is None:
        return 1
    faults, imports = dll_faults(args.preset, binary)
    for fault in faults:
        print(f"{args.preset}: {fault}")
    if not faults:
        print(f"{args.preset}: tkdec.dll exports {len(EXPECTED)} functions, imports {', '.join(sorted(imports))}")
    return 1 if faults else 0


def run_wine(command, env, cwd=None, timeout=300):
    """Runs a wine command; returns (exit status, its output). The output
    goes through a file, not a pipe: wine's background processes inherit
    it, and a pipe would stay open until they all end."""
    with tempfile.TemporaryFile() as output:
        result = subprocess.run(command, env=env, cwd=cwd, stdin=subprocess.DEVNULL, stdout=output,
                                stderr=output, timeout=timeout)
        output.seek(0)
        return result.returncode, output.read().decode("latin-1")


def start_wine(prefix):
    """The environment of a wine prefix, created on first use (the slow
    part of wine's start)."""
    env = dict(os.environ, WINEPREFIX=str(prefix), WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    env.pop("DISPLAY", None)
    if not (Path(prefix) / "system.reg").exists():
        Path(prefix).mkdir(parents=True, exist_ok=True)
        run_wine(["wineboot", "-i"], env)
    return env


def wine(args):
    expected = Path(args.expected).read_text(encoding="latin-1")
    uncalled = sorted(EXPECTED - set(re.findall(r"^(tkdec_\w+)\(", expected, re.MULTILINE)))
    for name in uncalled:
        print(f"the host test makes no call of {name}: add one to tests/support/library_calls.cpp")
    if uncalled:
        return 1
    tool = next(filter(None, (missing_toolchain(p, ("wine", "wineboot", "wineserver")) for p in PRESETS)), None)
    if tool:
        return skipped(tool)
    env = start_wine(args.wineprefix)
    try:
        return compare_under_wine(args.source, env, expected)
    finally:
        run_wine(["wineserver", "-k"], env, timeout=60)


def compare_under_wine(source, env, expected):
    # The host's platform is 32-bit; where wine runs only 64-bit programs,
    # the x86_64 build of the same sources stands in for it. Without
    # arguments the host program answers with its usage line.
    for preset in PRESETS:
        binary = build(source, preset)
        if binary is None:
            return 1
        status, output = run_wine(["wine", "tkdec_host.exe"], env, cwd=binary, timeout=120)
        if status == 2 and "tkdec_host: usage" in output:
            break
        print(f"{preset}: wine cannot start tkdec_host.exe ({output.strip()[:200] or f'status {status}'}); next build")
    else:
        print("wine starts none of the Windows builds")
        return 1
    report = binary / "host_report.txt"
    report.unlink(missing_ok=True)
    status, output = run_wine(["wine", "tkdec_host.exe", "tkdec.dll", report.name] + NAMES, env, cwd=binary)
    sys.stdout.write(output)
    if status != 0 or not report.exists():
        print(f"tkdec_host.exe exited with {status}")
        return 1
    actual = report.read_text(encoding="latin-1")
    if actual != expected:
        print(f"{preset}: the report differs from the Linux one:")
        diff = difflib.unified_diff(expected.splitlines(), actual.splitlines(), "linux", preset, lineterm="", n=1)
        print("\n".join(list(diff)[:60]))
        return 1
    calls = len(re.findall(r"^tkdec_\w+\(", actual, re.MULTILINE))
    print(f"{preset}: under wine, {len(EXPECTED)} functions found and {calls} calls give the Linux report")
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    commands = parser.add_subparsers(dest="command", required=True)
    for name, command, options in (("record", record, ("host", "library", "report")),
                                   ("exports", exports, ("source", "preset")),
                                   ("wine", wine, ("source", "expected", "wineprefix"))):
        p = commands.add_parser(name)
        for option in options:
            p.add_argument(f"--{option}", required=True, **({"choices": sorted(PRESETS)} if option == "preset" else {}))
        p.set_defaults(run=command)
    args = parser.parse_args()
    return args.run(args)


if __name__ == "__main__":
    sys.exit(main())
