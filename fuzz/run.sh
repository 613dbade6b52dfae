#!/usr/bin/env bash
# Runs the fuzz targets over their seed corpora, each for a bounded time:
#
#   fuzz/run.sh                 every target for 20 s (what scripts/test.sh runs)
#   fuzz/run.sh 600             every target for 10 minutes
#   fuzz/run.sh 3600 codec_fuzzer frame_reader_fuzzer
#
# The seeds in fuzz/corpus/<target> are only read; inputs that reach new code are kept
# in build-fuzz/corpus/<target>, so longer runs build on earlier ones. A crash, a leak,
# undefined behaviour, a broken check or a timeout leaves its input in
# build-fuzz/findings/ and fails the run. Build first with fuzz/build.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-20}"
shift || true
targets=("$@")
if [ "${#targets[@]}" -eq 0 ]; then
  targets=(codec_fuzzer frame_reader_fuzzer ui_input_fuzzer edit_mask_fuzzer text_parse_fuzzer sql_params_fuzzer)
fi

mkdir -p build-fuzz/findings build-fuzz/logs
failed=0
for target in "${targets[@]}"; do
  binary="build-fuzz/$target"
  [ -x "$binary" ] || { echo "fuzz: $binary is not built (run fuzz/build.sh)" >&2; exit 1; }
  mkdir -p "build-fuzz/corpus/$target"
  log="build-fuzz/logs/$target.log"
  if "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="build-fuzz/findings/$target-" \
      "build-fuzz/corpus/$target" "fuzz/corpus/$target" >"$log" 2>&1; then
    outcome="no finding"
  else
    outcome="FINDING (see $log and build-fuzz/findings/)"
    failed=1
  fi
  runs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
  kept=$(find "build-fuzz/corpus/$target" -type f | wc -l)
  echo "fuzz: $target: $runs executions in ${seconds} s, $kept inputs kept, $outcome"
done
exit "$failed"
