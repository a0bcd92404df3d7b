#!/bin/sh
# Replays every fuzz target of a coverage build over its corpus folders and
# prints the line coverage of each source file of src/.
#     coverage_report.sh BUILD_FUZZ_DIR SOURCE_DIR TARGET... 
# Corpus folders: fuzz/corpus/TARGET, and every folder named in
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
  folders="$source/fuzz/corpus/$target"
  old_ifs=$IFS; IFS=:
  for extra in ${TKDEC_EXTRA_CORPORA:-}; do
    [ -d "$extra/$target" ] && folders="$folders:$extra/$target"
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
# shellcheck disable=SC2086
"$cov" report "$first" $rest -instr-profile="$profiles/all.profdata" \
    -ignore-filename-regex='(generated|fuzz|include)/' "$source/src"
