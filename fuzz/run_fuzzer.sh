#!/bin/sh
# Runs a fuzz target for a bounded number of inputs from its corpus
# folders. New inputs go to a scratch folder, never into the committed
# corpora. The further arguments are corpus folders and libFuzzer options
# (-max_len, -dict), in any order.
#     run_fuzzer.sh FUZZER WORK INPUTS [CORPUS | OPTION]...
set -eu
fuzzer=$1 work=$2 inputs=$3
shift 3
rm -rf "$work" && mkdir -p "$work"
exec "$fuzzer" -runs="$inputs" -seed=1 -print_final_stats=1 "$work" "$@"
