#!/usr/bin/env python3
"""The decoder library as the log viewer host sees it.

  record   runs the host program against the Linux library and writes its
           report (at build time).
  exports  builds a Windows preset and checks tkdec.dll: it exports exactly
           the interface's functions under their plain names, imports only
           Windows' own DLLs, and leaves printf to the library's own engine.
  wine     runs a Windows preset's host program and DLL under wine: the
           report must equal the Linux one (and shows a call that moved
           the stack, not being cdecl).

The functions checked are those that tests/exported_symbols_test.py lists.
Exit status 77 means skipped: MinGW-w64 or (32-bit) wine is missing.
"""

import argparse
import difflib
import glob
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
WIN32_HINT = "install it with tools/ci/install-win32-runtime.sh"
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
        print(f"SKIPPED: {tool} not found; {INSTALL_HINT}")
        return SKIPPED
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


# The DLLs of an installed 32-bit wine, and their copy in a prefix.
WINE32_DLLS = [f"{lib}/wine/i386-windows/kernel32.dll"
               for lib in ("/usr/lib/i386-linux-gnu", "/usr/lib32", "/usr/lib", "/opt/wine*/lib", "/opt/wine*/lib32")]
WOW64_KERNEL32 = "drive_c/windows/syswow64/kernel32.dll"


def start_wine(prefix, wine_program="wine"):
    """The environment of a wine prefix, made on first use (the slow part)
    and anew when it lacks the 32-bit part of an installed 32-bit wine; its
    server runs until stop_wine, shared by the programs started meanwhile."""
    prefix = Path(prefix).resolve()
    env = dict(os.environ, WINEPREFIX=str(prefix), WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    env.pop("DISPLAY", None)
    if os.sep in wine_program:
        env["PATH"] = str(Path(wine_program).parent) + os.pathsep + env.get("PATH", "")
    if (prefix / "system.reg").exists() and not (prefix / WOW64_KERNEL32).exists() and any(glob.glob(dll) for dll in WINE32_DLLS):
        shutil.rmtree(prefix)
    if not (prefix / "system.reg").exists():
        prefix.mkdir(parents=True, exist_ok=True)
        run_wine(["wineboot", "-i"], env)
    run_wine(["wineserver", "-p"], env, timeout=60)
    return env


def stop_wine(env):
    run_wine(["wineserver", "-k"], env, timeout=60)


def wine_for(preset, wine_program, prefix):
    """(the environment of a started wine, None), or (None, the SKIPPED
    line). 32-bit wine's i386 loader starts every program: without i386
    emulation (after a restart, say) wine starts none."""
    tools = [wine_program] + [os.path.join(os.path.dirname(wine_program), t) for t in ("wineboot", "wineserver")]
    tool = missing_toolchain(preset) or next((t for t in tools if shutil.which(t) is None), None)
    if tool:
        hint = WIN32_HINT if preset == "windows-x86" and tool in tools else INSTALL_HINT
        return None, f"SKIPPED: {tool} not found; {hint}"
    status, said = run_wine([wine_program, "--version"], dict(os.environ), timeout=60)
    env = start_wine(prefix, wine_program) if status == 0 else None
    if env and preset == "windows-x86":
        status, said = run_wine([wine_program, r"C:\windows\syswow64\cmd.exe", "/c", "echo",
                                 "%PROCESSOR_ARCHITECTURE%"], env, timeout=120)
        status = status or int("x86" not in said.split())
    if status == 0 or (env and stop_wine(env)):
        return env, None
    what = "wine does not start" if env is None else "wine runs no 32-bit program"
    return None, f"SKIPPED: {what} ({(said.strip().splitlines() or [f'status {status}'])[0][:120]}); {WIN32_HINT}"


def wine(args):
    expected = Path(args.expected).read_text(encoding="latin-1")
    uncalled = sorted(EXPECTED - set(re.findall(r"^(tkdec_\w+)\(", expected, re.MULTILINE)))
    for name in uncalled:
        print(f"the host test makes no call of {name}: add one to tests/support/library_calls.cpp")
    if uncalled:
        return 1
    env, skip = wine_for(args.preset, args.wine, args.wineprefix)
    if skip:
        return print(skip) or SKIPPED
    try:
        binary = build(args.source, args.preset)
        return 1 if binary is None else compare_under_wine(args.preset, binary, args.wine, env, expected)
    finally:
        stop_wine(env)


def compare_under_wine(preset, binary, wine_program, env, expected):
    report = binary / "host_report.txt"
    report.unlink(missing_ok=True)
    status, output = run_wine([wine_program, "tkdec_host.exe", "tkdec.dll", report.name] + NAMES, env, cwd=binary)
    sys.stdout.write(output)
    if status != 0 or not report.exists():
        print(f"{preset}: tkdec_host.exe exited with {status}")
    if not report.exists():
        return 1
    actual = report.read_text(encoding="latin-1")
    if actual != expected:
        print(f"{preset}: the report differs from the Linux one:")
        diff = difflib.unified_diff(expected.splitlines(), actual.splitlines(), "linux", preset, lineterm="", n=1)
        print("\n".join(list(diff)[:60]))
    if status != 0 or actual != expected:
        return 1
    calls = len(re.findall(r"^tkdec_\w+\(", actual, re.MULTILINE))
    print(f"{preset}: under wine, {len(EXPECTED)} functions found and {calls} calls give the Linux report")
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    commands = parser.add_subparsers(dest="command", required=True)
    for name, command, options in (("record", record, ("host", "library", "report")),
                                   ("exports", exports, ("source", "preset")),
                                   ("wine", wine, ("source", "preset", "expected", "wineprefix"))):
        p = commands.add_parser(name)
        for option in options:
            p.add_argument(f"--{option}", required=True, **({"choices": sorted(PRESETS)} if option == "preset" else {}))
        if name == "wine":
            p.add_argument("--wine", default="wine", help="the wine program")
        p.set_defaults(run=command)
    args = parser.parse_args()
    return args.run(args)


if __name__ == "__main__":
    sys.exit(main())
