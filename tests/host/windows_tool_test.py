#!/usr/bin/env python3
"""The Windows tool: builds the windows-x64 preset and runs tkdec.exe under
wine beside its tkdec.dll. Decoding the sample capture in each output
format must write what the Linux tool writes: the same bytes on standard
output, the same messages on standard error (whose lines end in CR LF on
Windows).

Exit status 77 means skipped: the MinGW-w64 toolchain or wine is missing.
"""

import argparse
import subprocess
import sys
import tempfile
from pathlib import Path

import host_test

PRESET = "windows-x64"
SAMPLE = Path("samples") / "kestrelmax.tkcap"
# Each run's arguments behind "decode"; the Windows tool finds its own
# library or, with --decoders, the one of the capture's build.
RUNS = [["--format", fmt] for fmt in ("text", "xml", "longjson", "json")] + [
    ["--format", "text", "--with-meta", "--decoders", "."],
]


def run(command, cwd, env=None):
    """(status, standard output, standard error), as bytes. Files rather
    than pipes: wine's background processes would hold a pipe open."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        status = subprocess.run(command, cwd=cwd, env=env, stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                                timeout=300).returncode
        out.seek(0)
        err.seek(0)
        return status, out.read(), err.read()


def compare(args, binary, env):
    """Runs each tool in the folder of its library."""
    failures = 0
    for options in RUNS:
        sample = str(Path(args.source) / SAMPLE)
        linux = run([args.tool, "decode", *options, sample], cwd=args.library_folder)
        status, out, err = run(["wine", str(binary / "tkdec.exe"), "decode", *options, sample], cwd=binary, env=env)
        windows = (status, out, err.replace(b"\r\n", b"\n"))
        failures += windows != linux
        print(f"{PRESET}: tkdec decode {' '.join(options)}: " +
              (f"{len(out)} bytes, as on Linux" if windows == linux else "differs from the Linux tool's output"))
        for name, lin, win in zip(("status", "output", "errors"), linux, windows):
            if lin != win:
                print(f"  {name}: linux {lin!r:.300}\n  {name}: wine  {win!r:.300}")
    return 1 if failures else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--source", required=True)
    parser.add_argument("--tool", required=True, help="the Linux tool")
    parser.add_argument("--library-folder", required=True, help="the folder of the Linux library")
    parser.add_argument("--wineprefix", required=True)
    args = parser.parse_args()
    missing = host_test.missing_toolchain(PRESET, ("wine", "wineboot", "wineserver"))
    if missing:
        return host_test.skipped(missing)
    binary = host_test.build(args.source, PRESET)
    if binary is None:
        return 1
    env = host_test.start_wine(args.wineprefix)
    try:
        return compare(args, binary, env)
    finally:
        host_test.run_wine(["wineserver", "-k"], env, timeout=60)


if __name__ == "__main__":
    sys.exit(main())
