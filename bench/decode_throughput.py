#!/usr/bin/env python3
"""Times `tkdec decode` on a capture of about 100 MB against the library's
own work on the same records.

    decode_throughput.py BENCH DECODE_LOOP TOOL WORK_DIR OUT.json [--megabytes N] [--rounds N] [--label NAME]

BENCH (tkdec_bench) writes the capture: the benchmarks' records, repeated
(each print token and alarm 20 times per cycle, the messages and the trace
fewer). DECODE_LOOP hands every record, already in memory, to
tkdec_getText; TOOL (tkdec) decodes the file with its output going to
/dev/null. Both run alternately; the ratio is the median over the pairs.
A filtered run (alarms and exceptions only) is timed against an
unfiltered one the same way.
Writes figures for bench/report.py.
"""

import argparse
import json
import os
import statistics
import subprocess
import sys
import time

LIMIT = 1.2
FORMATS = ("text", "json")


def tool_seconds(tool, capture, output_format, *options):
    start = time.perf_counter()
    with open(os.devnull, "wb") as sink:
        subprocess.run([tool, "decode", "--format", output_format, *options, capture], stdout=sink,
                       stderr=subprocess.DEVNULL, check=True)
    return time.perf_counter() - start


def filtered_ratio(args, capture):
    """Median over alternating pairs of the time of a run that keeps only
    the alarms to that of a run that keeps everything: filters apply before
    decoding, so the first must be the faster."""
    ratios = []
    for _ in range(args.rounds):
        everything = tool_seconds(args.tool, capture, "text")
        ratios.append(tool_seconds(args.tool, capture, "text", "--kind", "alarm,exception") / everything)
    return statistics.median(ratios)


def library_seconds(decode_loop, capture, output_format):
    """(records, seconds of one round)"""
    words = subprocess.run([decode_loop, capture, output_format, "1"], check=True, capture_output=True,
                           text=True).stdout.split()
    return int(words[0]), float(words[1])


def paired_times(args, capture, output_format):
    """(records, library seconds, tool seconds, ratio): both run alternately;
    the ratio is the median of the ratios of each pair, which saw the same
    conditions on a shared machine, the times are medians."""
    records, library, tool = 0, [], []
    for _ in range(args.rounds):
        records, seconds = library_seconds(args.decode_loop, capture, output_format)
        library.append(seconds)
        tool.append(tool_seconds(args.tool, capture, output_format))
    ratio = statistics.median(t / l for t, l in zip(tool, library))
    return records, statistics.median(library), statistics.median(tool), ratio


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("bench")
    parser.add_argument("decode_loop")
    parser.add_argument("tool")
    parser.add_argument("work_dir")
    parser.add_argument("out")
    parser.add_argument("--megabytes", type=int, default=100)
    parser.add_argument("--rounds", type=int, default=7)
    parser.add_argument("--label", default="", help="the build's name, put before each figure's name")
    args = parser.parse_args(argv[1:])
    os.makedirs(args.work_dir, exist_ok=True)
    capture = os.path.join(args.work_dir, f"capture-{args.megabytes}MB.tkcap")
    subprocess.run([args.bench, "--write-capture", capture, str(args.megabytes)], check=True)
    size = os.path.getsize(capture)
    figures = {}
    prefix = f"{args.label}: " if args.label else ""
    for output_format in FORMATS:
        records, library, tool, ratio = paired_times(args, capture, output_format)
        figures[f"{prefix}tkdec decode, {output_format}: time / library's own time"] = {
            "value": round(ratio, 3), "unit": "", "limit": LIMIT,
            "note": f"{size / 1e6:.0f} MB, {records} records: tool {tool:.2f} s, library {library:.2f} s "
                    f"({library / records * 1e9:.0f} ns per record)"}
    figures[f"{prefix}tkdec decode --kind alarm,exception: time / unfiltered time"] = {
        "value": round(filtered_ratio(args, capture), 3), "unit": "", "limit": 1.0,
        "note": "filters apply before decoding"}
    os.remove(capture)
    with open(args.out, "w", encoding="utf-8") as f:
        json.dump(figures, f, indent=2)
    for name, figure in figures.items():
        print(f"{name}: {figure['value']} ({figure['note']})")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
