#!/bin/sh
# Keeps what a campaign found: the inputs of a campaign's corpus that reach
# coverage the generated seeds do not, minimised by libFuzzer's merge, are
# added to fuzz/found/TARGET (named by their content hash).
#     keep_found.sh FUZZ_BUILD_DIR TARGET CAMPAIGN_CORPUS...
set -eu
build=$1 target=$2
shift 2
root=$(cd "$(dirname "$0")/.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp "$root/fuzz/corpus/$target"/* "$scratch/"
[ -d "$root/fuzz/found/$target" ] && cp "$root/fuzz/found/$target"/* "$scratch/" 2>/dev/null || true
"$build/fuzz_$target" -merge=1 -max_len=65536 "$scratch" "$@"
mkdir -p "$root/fuzz/found/$target"
for input in "$scratch"/*; do
  name=$(basename "$input")
  if [ ! -e "$root/fuzz/corpus/$target/$name" ]; then cp "$input" "$root/fuzz/found/$target/"; fi
done
echo "$target: $(ls "$root/fuzz/found/$target" | wc -l) inputs in fuzz/found/$target"
