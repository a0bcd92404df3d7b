#!/usr/bin/env python3
"""Turns the JSON output of tkdec_bench into ratios to the floors.

    report.py LABEL=RESULTS.json ... [--counts LABEL=COUNTS.json ...] [--extra FIGURES.json ...]
              [--output REPORT.md]

Each LABEL names a build (reference, fullsize). Every getText/S/F and
decodeType/S/F result is divided by its floor (floor/S/F, floor/decodeType_S/F)
and compared with its target, on the medians of the repetitions (which
run interleaved, so that both sides see the same disturbances of a shared
machine), with the ratio of the fastest repetitions beside it; the
lookups are compared between the builds.
--counts adds the instructions per call of each call and its floor
(bench/instruction_counts.py) beside the times, with their ratio: a
figure that the machine's load does not move.
--extra adds figures measured outside the benchmark program (build time,
library size, tool throughput) as a JSON object {name: {value, unit,
limit, note}}. Prints Markdown.
"""

import argparse
import json
import statistics
import sys

FORMATS = ("text", "xml", "longjson", "json")
SAMPLES = ("print_0_args", "print_1_arg", "print_4_args", "print_enums", "print_string", "alarm_located",
           "alarm_exception", "message_20", "message_200", "message_1000", "message_trace")


def target(kind, sample, output_format):
    """The ratio that a result must stay within: every getText and
    decodeType at most its floor, print tokens in text 0.8 of it."""
    if kind == "getText" and sample.startswith("print_") and output_format == "text":
        return 0.8
    return 1.0


def load(path):
    """({benchmark name: [CPU ns of each repetition]}, context)"""
    with open(path, encoding="utf-8") as f:
        data = json.load(f)
    runs = {}
    for run in data["benchmarks"]:
        if run.get("run_type") == "aggregate":
            continue
        scale = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}[run.get("time_unit", "ns")]
        runs.setdefault(run.get("run_name", run["name"]), []).append(run["cpu_time"] * scale)
    return runs, data.get("context", {})


def statistic(runs, pick):
    return {name: pick(times) for name, times in runs.items()}


def ratio_rows(runs):
    """(kind, record, format, ns, floor ns, ratio, fastest ratio, target):
    the medians of the repetitions, and the ratio of the fastest ones."""
    fastest, middle = statistic(runs, min), statistic(runs, statistics.median)
    rows = []
    for name, ns in middle.items():
        kind, _, rest = name.partition("/")
        if kind not in ("getText", "decodeType"):
            continue
        sample, _, output_format = rest.partition("/")
        floor_name = f"floor/{sample}/{output_format}" if kind == "getText" else f"floor/decodeType_{sample}/{output_format}"
        if floor_name in middle:
            rows.append((kind, sample, output_format, ns, middle[floor_name], ns / middle[floor_name],
                         fastest[name] / fastest[floor_name], target(kind, sample, output_format)))

    def order(row):
        kind, sample, output_format = row[:3]
        return (kind != "getText", SAMPLES.index(sample) if sample in SAMPLES else len(SAMPLES), sample,
                FORMATS.index(output_format) if output_format in FORMATS else len(FORMATS))
    return sorted(rows, key=order)


def ratio_table(label, runs, counts):
    lines = [f"### {label}", "",
             "| Call | Record | Format | ns | Floor ns | Ratio | Ratio of the fastest | Instructions | Floor instructions "
             "| Instruction ratio | Target |",
             "|---|---|---|---:|---:|---:|---:|---:|---:|---:|---|"]
    for kind, sample, output_format, ns, floor, ratio, fastest_ratio, limit in ratio_rows(runs):
        verdict = "" if limit is None else f"{limit:.1f}x {'met' if ratio <= limit else 'NOT met'}"
        # decodeType writes the same document as getText: the same floor.
        instructions = counts.get(f"{kind}/{sample}/{output_format}")
        floor_instructions = counts.get(f"floor/{sample}/{output_format}")
        if instructions and floor_instructions:
            count_cells = f"{instructions:,} | {floor_instructions:,} | {instructions / floor_instructions:.2f}"
        else:
            count_cells = " | | "
        lines.append(f"| {kind} | {sample} | {output_format} | {ns:.0f} | {floor:.0f} | {ratio:.2f} | "
                     f"{fastest_ratio:.2f} | {count_cells} | {verdict} |")
    return lines


def other_table(label, runs):
    """Results without a floor (the payload builder)."""
    names = [n for n in runs if n.startswith("createMessagePayload/")]
    if not names:
        return []
    lines = [f"### {label}: results without a floor", "", "| Benchmark | ns | Fastest ns |", "|---|---:|---:|"]
    for name in sorted(names):
        lines.append(f"| {name} | {statistics.median(runs[name]):.0f} | {min(runs[name]):.0f} |")
    return lines


def lookup_table(results):
    labels = list(results)
    fastest = {label: statistic(runs, statistics.median) for label, (runs, _) in results.items()}
    names = sorted({n for times in fastest.values() for n in times if n.startswith("lookup/")})
    lines = ["### Lookups", "",
             "| Lookup | " + " | ".join(f"{label} ns" for label in labels) + " |",
             "|---|" + "---:|" * len(labels)]
    for name in names:
        cells = [f"{fastest[label][name]:.2f}" if name in fastest[label] else "" for label in labels]
        lines.append(f"| {name[len('lookup/'):]} | " + " | ".join(cells) + " |")
    return lines


def extra_table(extras):
    lines = ["### Build and tool figures", "", "| Figure | Value | Limit | Note |", "|---|---:|---:|---|"]
    def number(value):
        return f"{value:,}" if isinstance(value, int) else f"{value:g}"

    for name, figure in extras.items():
        limit = figure.get("limit")
        value = figure["value"]
        met = "" if limit is None else (" (met)" if value <= limit else " (NOT met)")
        lines.append(f"| {name} | {number(value)} {figure.get('unit', '')} | "
                     f"{'' if limit is None else number(limit)}{met} | {figure.get('note', '')} |")
    return lines


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--extra", action="append", default=[])
    parser.add_argument("--counts", action="append", default=[], help="LABEL=COUNTS.json")
    parser.add_argument("--output", help="also write the report to this file")
    parser.add_argument("results", nargs="+", help="LABEL=RESULTS.json")
    args = parser.parse_args(argv[1:])
    results = {}
    for item in args.results:
        label, _, path = item.partition("=")
        results[label] = load(path)
    counts = {}
    for item in args.counts:
        label, _, path = item.partition("=")
        with open(path, encoding="utf-8") as f:
            counts[label] = json.load(f)
    out = ["CPU time per call: the median of the repetitions (run interleaved with the floors), and the ratio of",
           "the fastest repetitions beside it; instructions per call counted by callgrind.", ""]
    for label, (runs, context) in results.items():
        out += ratio_table(f"{label} (build {context.get('tkdec_build', '?')})", runs, counts.get(label, {})) + [""]
        out += other_table(label, runs) + [""]
    out += lookup_table(results) + [""]
    extras = {}
    for path in args.extra:
        with open(path, encoding="utf-8") as f:
            extras.update(json.load(f))
    if extras:
        out += extra_table(extras) + [""]
    text = "\n".join(out)
    print(text)
    if args.output:
        with open(args.output, "w", encoding="utf-8") as f:
            f.write(text + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
