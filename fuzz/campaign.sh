#!/bin/bash
# Runs a fuzz campaign of a chosen length on one target, from its seeds
# and what earlier campaigns found (fuzz/found), into a working folder,
# and prints a summary: the inputs run, the final coverage, when the
# coverage last grew, and the findings (crash, leak and timeout inputs,
# kept in the working folder).
#     campaign.sh FUZZ_BUILD_DIR TARGET SECONDS WORK
# The working folder keeps the corpus (WORK/TARGET) and the log with the
# elapsed seconds before each line (WORK/TARGET.log); a later campaign
# with the same folder goes on from that corpus.
set -eu
build=$1 target=$2 seconds=$3 work=$4
root=$(cd "$(dirname "$0")/.." && pwd)
options=(-max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$work/$target-")
[ "$target" = queries ] || options+=(-max_len=65536)
[ -f "$root/fuzz/dictionaries/$target.dict" ] && options+=(-dict="$root/fuzz/dictionaries/$target.dict")
mkdir -p "$work/$target"
log="$work/$target.log"
start=$(date +%s)
corpora=("$root/fuzz/corpus/$target")
[ -d "$root/fuzz/found/$target" ] && corpora+=("$root/fuzz/found/$target")
if [ "$target" = capture_readers ]; then  # plus the damage corpus, and memory bounded
  python3 "$root/fuzz/capture_seeds.py" "$work/$target-seeds"
  corpora+=("$work/$target-seeds")
  options+=(-malloc_limit_mb=32)
fi
"$build/fuzz_$target" "${options[@]}" "$work/$target" "${corpora[@]}" 2>&1 |
  while IFS= read -r line; do echo "$(($(date +%s) - start)) $line"; done > "$log" || true

awk -v target="$target" '
  / cov: / { for (i = 1; i < NF; ++i) if ($i == "cov:") cov = $(i + 1) + 0
             if (cov > best) { best = cov; grown = $1 } }
  /stat::number_of_executed_units:/ { inputs = $NF }
  /ERROR: / { findings++ }
  END { printf "%s: %s inputs, coverage %d edges, last growth at %d s, %d findings\n",
               target, inputs, best, grown, findings }' "$log"
ls "$work" | grep -E "^$target-(crash|leak|timeout|oom)-" || true
