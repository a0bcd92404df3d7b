#!/bin/sh
# Runs a fuzz target for a bounded number of inputs from its seed corpus.
# New inputs go to a scratch folder, never into the committed seeds. Any
# further arguments are libFuzzer options (-max_len, -dict).
#     run_fuzzer.sh FUZZER SEEDS WORK INPUTS [OPTION...]
set -eu
fuzzer=$1 seeds=$2 work=$3 inputs=$4
shift 4
rm -rf "$work" && mkdir -p "$work"
exec "$fuzzer" -runs="$inputs" -seed=1 -print_final_stats=1 "$@" "$work" "$seeds"
