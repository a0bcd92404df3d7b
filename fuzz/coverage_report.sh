#!/bin/sh
# Replays every fuzz target of a coverage build over its corpus folders and
# prints the line coverage of each source file of src/.
#     coverage_report.sh BUILD_FUZZ_DIR SOURCE_DIR TARGET...
# Corpus folders: fuzz/corpus/TARGET (the generated seeds), fuzz/found/TARGET
# (what campaigns found), and every folder named in
# TKDEC_EXTRA_CORPORA (a colon-separated list of folders holding one
# subfolder per target, such as a campaign's working folders).
set -eu
build=$1 source=$2
shift 2
profiles="$build/profiles"
rm -rf "$profiles" && mkdir -p "$profiles"
profdata=$(command -v llvm-profdata || ls /usr/bin/llvm-profdata-* | sort -V | tail -n 1)
cov=$(command -v llvm-cov || ls /usr/bin/llvm-cov-* | sort -V | tail -n 1)
objects=
for target in "$@"; do
  folders="$source/fuzz/corpus/$target:$source/fuzz/found/$target"
  old_ifs=$IFS; IFS=:
  for extra in ${TKDEC_EXTRA_CORPORA:-}; do
    if [ -d "$extra/$target" ]; then folders="$folders:$extra/$target"; fi
  done
  IFS=$old_ifs
  # shellcheck disable=SC2086
  (IFS=:; LLVM_PROFILE_FILE="$profiles/$target.profraw" "$build/fuzz_$target" $folders)
  objects="$objects -object=$build/fuzz_$target"
done
"$profdata" merge -sparse -o "$profiles/all.profdata" "$profiles"/*.profraw
# The first object is positional, the others are named with -object.
first=$(echo $objects | sed 's/^-object=//; s/ .*//')
rest=$(echo $objects | sed 's/^[^ ]*//')
# Lines of each file of src/: file, lines, lines missed, share covered.
# shellcheck disable=SC2086
"$cov" report "$first" $rest -instr-profile="$profiles/all.profdata" |
  awk 'BEGIN { printf "%-44s %6s %6s %8s\n", "File", "Lines", "Missed", "Covered" }
       $1 ~ /(^|\/)src\/[a-z]+\/[^\/]+$/ { sub(/.*(^|\/)src\//, "src/", $1); lines += $8; missed += $9
                             printf "%-44s %6d %6d %8s\n", $1, $8, $9, $10 }
       END { printf "%-44s %6d %6d %7.2f%%\n", "src/ in all", lines, missed, 100 * (lines - missed) / lines }'
