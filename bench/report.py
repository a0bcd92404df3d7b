#!/usr/bin/env python3
"""Turns the JSON output of tkdec_bench into ratios to the floors.

    report.py [--statistic median|min] LABEL=RESULTS.json ... [--extra FIGURES.json ...]

Each LABEL names a build (reference, fullsize). Every getText/S/F and
decodeType/S/F result is divided by its floor (floor/S/F, floor/decodeType_S/F)
and compared with its target; the lookups are compared between the builds.
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
    """The ratio that a result must stay within, or None."""
    if kind != "getText":
        return None
    if sample.startswith("print_"):
        return 1.5 if output_format == "text" else 2.0
    if sample == "message_200" and output_format == "json":
        return 3.0
    return None


def load(path, statistic):
    with open(path, encoding="utf-8") as f:
        data = json.load(f)
    runs = {}
    for run in data["benchmarks"]:
        if run.get("run_type") == "aggregate":
            continue
        scale = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}[run.get("time_unit", "ns")]
        runs.setdefault(run["run_name"] if "run_name" in run else run["name"], []).append(run["cpu_time"] * scale)
    pick = min if statistic == "min" else statistics.median
    return {name: pick(times) for name, times in runs.items()}, data.get("context", {})


def ratio_rows(times):
    rows = []
    for name, ns in times.items():
        kind, _, rest = name.partition("/")
        if kind not in ("getText", "decodeType"):
            continue
        sample, _, output_format = rest.partition("/")
        floor_name = f"floor/{sample}/{output_format}" if kind == "getText" else f"floor/decodeType_{sample}/{output_format}"
        floor = times.get(floor_name)
        if floor:
            rows.append((kind, sample, output_format, ns, floor, ns / floor, target(kind, sample, output_format)))

    def order(row):
        kind, sample, output_format = row[:3]
        return (kind != "getText", SAMPLES.index(sample) if sample in SAMPLES else len(SAMPLES), sample,
                FORMATS.index(output_format) if output_format in FORMATS else len(FORMATS))
    return sorted(rows, key=order)


def ratio_table(label, times):
    lines = [f"### {label}", "",
             "| Call | Record | Format | ns | Floor ns | Ratio | Target |",
             "|---|---|---|---:|---:|---:|---|"]
    for kind, sample, output_format, ns, floor, ratio, limit in ratio_rows(times):
        verdict = "" if limit is None else f"{limit:.1f}x {'met' if ratio <= limit else 'NOT met'}"
        lines.append(f"| {kind} | {sample} | {output_format} | {ns:.0f} | {floor:.0f} | {ratio:.2f} | {verdict} |")
    return lines


def lookup_table(results):
    labels = list(results)
    names = sorted({n for times, _ in results.values() for n in times if n.startswith("lookup/")})
    lines = ["### Lookups", "", "| Lookup | " + " | ".join(f"{label} ns" for label in labels) + " |",
             "|---|" + "---:|" * len(labels)]
    for name in names:
        cells = [f"{results[label][0][name]:.2f}" if name in results[label][0] else "" for label in labels]
        lines.append(f"| {name[len('lookup/'):]} | " + " | ".join(cells) + " |")
    return lines


def extra_table(extras):
    lines = ["### Build and tool figures", "", "| Figure | Value | Limit | Note |", "|---|---:|---:|---|"]
    for name, figure in extras.items():
        limit = figure.get("limit")
        value = figure["value"]
        met = "" if limit is None else (" (met)" if value <= limit else " (NOT met)")
        lines.append(f"| {name} | {value:g} {figure.get('unit', '')} | "
                     f"{'' if limit is None else f'{limit:g}'}{met} | {figure.get('note', '')} |")
    return lines


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--statistic", choices=("median", "min"), default="median")
    parser.add_argument("--extra", action="append", default=[])
    parser.add_argument("--output", help="also write the report to this file")
    parser.add_argument("results", nargs="+", help="LABEL=RESULTS.json")
    args = parser.parse_args(argv[1:])
    results = {}
    for item in args.results:
        label, _, path = item.partition("=")
        results[label] = load(path, args.statistic)
    out = [f"Statistic over the repetitions: {args.statistic} of the CPU time per call.", ""]
    for label, (times, context) in results.items():
        out += ratio_table(f"{label} (build {context.get('tkdec_build', '?')})", times) + [""]
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
