#!/usr/bin/env python3
"""The Windows tool of a preset under wine, beside its tkdec.dll: every
sample in every format gives the Linux tool's bytes and messages (whose
lines end in CR LF on Windows); --decoders picks the DLL of the tool's
architecture; the other one is refused in one line that names it.

Exit status 77 means skipped: the MinGW-w64 toolchain or wine is missing,
or wine runs no 32-bit program.
"""

import argparse
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

import host_test

SAMPLES = [Path("samples") / name for name in ("kestrelmax.tkcap", "kestrelmax-v2.tkcap", "kestrelmax.txt")]
FORMATS = ("text", "xml", "longjson", "json", "jsonl")
OTHER = {"windows-x86": "windows-x64", "windows-x64": "windows-x86"}


def run(command, cwd, env=None):
    """(status, standard output, standard error), as bytes. Files rather
    than pipes: wine's background processes would hold a pipe open."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        status = subprocess.run(command, cwd=cwd, env=env, stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                                timeout=300).returncode
        out.seek(0)
        err.seek(0)
        return status, out.read(), err.read()


def compare(args, binary, other, env):
    """Runs each tool in the folder of its library, with the same options.
    FOLDER is "." on Linux, on Windows a folder with both architectures'
    DLLs, where the other one sorts first."""
    source = Path(args.source)
    runs = [(["--format", fmt], source / sample) for sample in SAMPLES for fmt in FORMATS]
    runs.append((["--with-meta", "--decoders", "FOLDER"], source / SAMPLES[0]))
    folder = binary / "decoders"
    folder.mkdir(exist_ok=True)
    shutil.copy(other / "tkdec.dll", folder / "a-other-architecture.dll")
    shutil.copy(binary / "tkdec.dll", folder / "kestrelmax.dll")
    failures = 0
    for options, sample in runs:
        linux = run([args.tool, "decode", *[o.replace("FOLDER", ".") for o in options], str(sample)],
                    cwd=args.library_folder)
        status, out, err = run([args.wine, str(binary / "tkdec.exe"), "decode",
                                *[o.replace("FOLDER", str(folder)) for o in options], str(sample)], cwd=binary, env=env)
        err = err.replace(b"\r\n", b"\n")
        if "FOLDER" in options:
            # The other architecture's DLL is named as skipped, once, before the rest.
            skipped, _, err = err.partition(b"\n")
            if not (skipped.startswith(b"tkdec: warning: --decoders: skipped ") and b"a-other-architecture.dll" in skipped):
                err = skipped + b"\n" + err
        windows = (status, out, err)
        failures += windows != linux
        print(f"{args.preset}: tkdec decode {' '.join(options)} {sample.name}: " +
              (f"{len(out)} bytes, as on Linux" if windows == linux else "differs from the Linux tool's output"))
        for name, lin, win in zip(("status", "output", "errors"), linux, windows):
            if lin != win:
                print(f"  {name}: linux {lin!r:.300}\n  {name}: wine  {win!r:.300}")
    return failures + refusal(args, binary, folder / "a-other-architecture.dll", env)


def refusal(args, binary, dll, env):
    """The system's reason in the refusal names the file."""
    status, out, err = run([args.wine, str(binary / "tkdec.exe"), "decode", "--decoder", str(dll),
                            str(Path(args.source) / SAMPLES[0])], cwd=binary, env=env)
    text = err.decode("latin-1").replace("\r\n", "\n")
    reason = text.partition("is not a tkdec library: it cannot be loaded (error 193: ")[2]
    good = status == 1 and not out and text.count("\n") == 1 and dll.name in reason and "%" not in reason
    print(f"{args.preset}: tkdec decode --decoder {dll.name}: " +
          ("refused in one line naming the file" if good else f"status {status}, said {text!r:.300}"))
    return 0 if good else 1


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--source", required=True)
    parser.add_argument("--preset", required=True, choices=sorted(OTHER))
    parser.add_argument("--tool", required=True, help="the Linux tool")
    parser.add_argument("--library-folder", required=True, help="the folder of the Linux library")
    parser.add_argument("--wineprefix", required=True)
    parser.add_argument("--wine", default="wine", help="the wine program")
    args = parser.parse_args()
    env, skip = host_test.wine_for(args.preset, args.wine, args.wineprefix)
    if skip:
        return print(skip) or host_test.SKIPPED
    try:
        binaries = [host_test.build(args.source, preset) for preset in (args.preset, OTHER[args.preset])]
        return 1 if None in binaries or compare(args, *binaries, env) else 0
    finally:
        host_test.stop_wine(env)


if __name__ == "__main__":
    sys.exit(main())
