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

# The MinGW-w64 target of each Windows preset, and objdump's name of its
# file format.
PRESETS = {
    "windows-x86": ("i686-w64-mingw32", "pei-i386"),
    "windows-x64": ("x86_64-w64-mingw32", "pei-x86-64"),
}

# DLLs that come with every Windows: the library may import from these only.
SYSTEM_DLL = re.compile(r"(kernel32|msvcrt|ucrtbase|ntdll|api-ms-win-[a-z0-9-]+)\.dll", re.IGNORECASE)
# The C library's formatting functions, which the library must not call:
# its output would depend on the C library that the DLL is linked with.
PRINTF_FAMILY = re.compile(r"printf")


def names():
    return sorted(EXPECTED)


def run(command, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, **kwargs)


# --- record ----------------------------------------------------------------

def record(args):
    result = run([args.host, args.library, args.report] + names())
    sys.stderr.write(result.stderr)
    return result.returncode


# --- building the Windows presets --------------------------------------------

def missing_toolchain(preset):
    triplet = PRESETS[preset][0]
    for tool in (f"{triplet}-g++", f"{triplet}-objdump"):
        if shutil.which(tool) is None:
            return tool
    return None


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


# --- exports -----------------------------------------------------------------

def pe_tables(dump):
    """The export names, the imported DLLs and the file format in the text
    of objdump -p."""
    exports, imports, file_format = [], [], None
    in_exports = False
    for line in dump.splitlines():
        match = re.search(r"file format (\S+)", line)
        if match:
            file_format = match.group(1)
        match = re.match(r"\s*DLL Name: (\S+)", line)
        if match:
            imports.append(match.group(1))
        if line.startswith("[Ordinal/Name Pointer] Table"):
            in_exports = True
        elif not line.strip():
            in_exports = False
        elif in_exports and re.match(r"\s*\[\s*\d+\]", line):
            exports.append(line.split()[-1])
    return exports, imports, file_format


def library_calls(triplet, binary):
    """The functions that the library's own object files call but do not
    define (the MinGW runtime linked into the DLL is not among them: its
    start-up code reports a failed relocation with vfprintf)."""
    objects = sorted((Path(binary) / "CMakeFiles" / "tkdec_core.dir").rglob("*.obj"))
    result = run([f"{triplet}-nm", "-u"] + [str(o) for o in objects], check=True)
    symbols = {line.split()[-1] for line in result.stdout.splitlines() if line.strip().startswith("U ")}
    return sorted(symbols), len(objects)


def check_dll(preset, binary):
    triplet, wanted_format = PRESETS[preset]
    dump = run([f"{triplet}-objdump", "-p", str(binary / "tkdec.dll")], check=True).stdout
    exports, imports, file_format = pe_tables(dump)
    faults = []
    if file_format != wanted_format:
        faults.append(f"file format {file_format}, expected {wanted_format}")
    for name in sorted(EXPECTED - set(exports)):
        faults.append(f"missing export: {name}")
    for name in sorted(set(exports) - EXPECTED):
        faults.append(f"unexpected export: {name}")
    for name in imports:
        if not SYSTEM_DLL.fullmatch(name):
            faults.append(f"imports {name}, which is not part of Windows")
    calls, objects = library_calls(triplet, binary)
    if objects == 0:
        faults.append("no object files of the library found")
    for symbol in calls:
        if PRINTF_FAMILY.search(symbol):
            faults.append(f"the library calls {symbol}: it formats with its own engine")
    return faults, exports, imports


def exports(args):
    tool = missing_toolchain(args.preset)
    if tool:
        print(f"SKIPPED: {tool} not found; {INSTALL_HINT}")
        return SKIPPED
    binary = build(args.source, args.preset)
    if binary is None:
        return 1
    faults, exported, imports = check_dll(args.preset, binary)
    for fault in faults:
        print(f"{args.preset}: {fault}")
    if faults:
        return 1
    print(f"{args.preset}: tkdec.dll exports {len(exported)} functions, undecorated; "
          f"imports only {', '.join(sorted(imports))}")
    return 0


# --- wine ------------------------------------------------------------------

def uncalled(report):
    """The listed functions that the report shows no call of."""
    called = set(re.findall(r"^(tkdec_\w+)\(", report, re.MULTILINE))
    return sorted(EXPECTED - called)


def wine_environment(prefix):
    env = dict(os.environ)
    env.update(WINEPREFIX=str(prefix), WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    env.pop("DISPLAY", None)
    return env


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
    """Creates the wine prefix on first use (the slow part of wine's start)."""
    env = wine_environment(prefix)
    if not (Path(prefix) / "system.reg").exists():
        Path(prefix).mkdir(parents=True, exist_ok=True)
        run_wine(["wineboot", "-i"], env)
    return env


def wine_refusal(host, env):
    """None when wine starts the program (without arguments it answers with
    its usage line), else what wine said. 32-bit programs need wine32."""
    status, output = run_wine(["wine", str(host)], env, cwd=host.parent, timeout=120)
    if status == 2 and "tkdec_host: usage" in output:
        return None
    return output.strip().splitlines()[0] if output.strip() else f"exit status {status}"


def run_host(binary, env):
    """Runs the host program beside its tkdec.dll; returns its report."""
    report = binary / "host_report.txt"
    report.unlink(missing_ok=True)
    status, output = run_wine(["wine", str(binary / "tkdec_host.exe"), "tkdec.dll", report.name] + names(), env,
                              cwd=binary)
    sys.stdout.write(output)
    if status != 0 or not report.exists():
        print(f"tkdec_host.exe exited with {status}")
        return None
    return report.read_text(encoding="latin-1")


def differences(expected, actual, label):
    diff = difflib.unified_diff(expected.splitlines(), actual.splitlines(), "linux", label, lineterm="", n=1)
    return list(diff)[:60]


def wine(args):
    expected = Path(args.expected).read_text(encoding="latin-1")
    missing = uncalled(expected)
    for name in missing:
        print(f"the host test makes no call of {name}: add one to tests/support/library_calls.cpp")
    if missing:
        return 1
    for tool in ("wine", "wineboot", "wineserver"):
        if shutil.which(tool) is None:
            print(f"SKIPPED: {tool} not found; {INSTALL_HINT}")
            return SKIPPED
    for preset in PRESETS:
        tool = missing_toolchain(preset)
        if tool:
            print(f"SKIPPED: {tool} not found; {INSTALL_HINT}")
            return SKIPPED

    env = start_wine(args.wineprefix)
    try:
        return compare_under_wine(args.source, env, expected)
    finally:
        run_wine(["wineserver", "-k"], env, timeout=60)


def compare_under_wine(source, env, expected):
    # The host's platform is 32-bit; where wine runs only 64-bit programs,
    # the x86_64 build of the same sources stands in for it.
    for preset in PRESETS:
        binary = build(source, preset)
        if binary is None:
            return 1
        refusal = wine_refusal(binary / "tkdec_host.exe", env)
        if refusal is None:
            break
        print(f"{preset}: wine cannot start tkdec_host.exe ({refusal}); trying the next build")
    else:
        print("wine starts none of the Windows builds")
        return 1
    actual = run_host(binary, env)
    if actual is None:
        return 1
    if actual != expected:
        print(f"{preset}: the report differs from the Linux one:")
        print("\n".join(differences(expected, actual, preset)))
        return 1
    calls = len(re.findall(r"^(?:tkdec_\w+\(|channel row)", actual, re.MULTILINE))
    print(f"{preset}: under wine, {len(EXPECTED)} functions found and {calls} calls give the Linux report")
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    commands = parser.add_subparsers(dest="command", required=True)
    p = commands.add_parser("record")
    p.add_argument("--host", required=True)
    p.add_argument("--library", required=True)
    p.add_argument("--report", required=True)
    p.set_defaults(run=record)
    p = commands.add_parser("exports")
    p.add_argument("--source", required=True)
    p.add_argument("--preset", required=True, choices=sorted(PRESETS))
    p.set_defaults(run=exports)
    p = commands.add_parser("wine")
    p.add_argument("--source", required=True)
    p.add_argument("--expected", required=True)
    p.add_argument("--wineprefix", required=True)
    p.set_defaults(run=wine)
    args = parser.parse_args()
    return args.run(args)


if __name__ == "__main__":
    sys.exit(main())
