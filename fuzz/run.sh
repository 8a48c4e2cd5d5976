#!/usr/bin/env bash
# fuzz/run.sh BUILD_DIR SECONDS
# Runs the received-text conversion fuzz target for SECONDS, growing the
# working corpus in fuzz/corpus-work/ from the committed seeds in fuzz/corpus/.
# A difference between the two implementations, or a sanitizer report, stops
# the run with a non-zero exit; the input is kept in BUILD_DIR/fuzz-artifacts/.
set -euo pipefail

build=${1:?usage: fuzz/run.sh BUILD_DIR SECONDS}
seconds=${2:?usage: fuzz/run.sh BUILD_DIR SECONDS}
here=$(cd "$(dirname "$0")" && pwd)

target=kanji_convert
work="$here/corpus-work/$target"
artifacts="$build/fuzz-artifacts"
mkdir -p "$work" "$artifacts"

log="$build/fuzz-$target.log"
# The whole log stays in the build folder; the end of it tells how the run went.
status=0
"$build/fuzz/${target}_fuzz" \
  -max_total_time="$seconds" -max_len=8192 -timeout=10 -print_final_stats=1 \
  -artifact_prefix="$artifacts/" "$work" "$here/corpus/$target" >"$log" 2>&1 || status=$?
tail -n 12 "$log"
[ "$status" -eq 0 ] || echo "fuzz: $target failed (exit $status); full log: $log" >&2
exit "$status"
