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
# build-fuzz/findings/ and fails the run. Targets run two at a time (VQR_FUZZ_JOBS).
# Build first with fuzz/build.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-20}"
shift || true
targets=("$@")
if [ "${#targets[@]}" -eq 0 ]; then
  targets=(codec_fuzzer frame_reader_fuzzer ui_input_fuzzer edit_mask_fuzzer text_parse_fuzzer sql_params_fuzzer
    sheet_reader_fuzzer)
fi

mkdir -p build-fuzz/findings build-fuzz/logs
jobs="${VQR_FUZZ_JOBS:-2}"  # targets run side by side, one per core

# Runs one target; its summary line goes to build-fuzz/logs/<target>.summary.
run_target() {
  local target="$1" binary="build-fuzz/$1" log="build-fuzz/logs/$1.log" outcome
  mkdir -p "build-fuzz/corpus/$target"
  if "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="build-fuzz/findings/$target-" \
      "build-fuzz/corpus/$target" "fuzz/corpus/$target" >"$log" 2>&1; then
    outcome="no finding"
  else
    outcome="FINDING (see $log and build-fuzz/findings/)"
  fi
  local runs kept
  runs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
  kept=$(find "build-fuzz/corpus/$target" -type f | wc -l)
  echo "fuzz: $target: $runs executions in ${seconds} s, $kept inputs kept, $outcome" >"build-fuzz/logs/$target.summary"
}

for target in "${targets[@]}"; do
  [ -x "build-fuzz/$target" ] || { echo "fuzz: build-fuzz/$target is not built (run fuzz/build.sh)" >&2; exit 1; }
done
running=0
for target in "${targets[@]}"; do
  run_target "$target" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n
    running=$((running - 1))
  fi
done
wait

failed=0
for target in "${targets[@]}"; do
  cat "build-fuzz/logs/$target.summary"
  grep -q "no finding" "build-fuzz/logs/$target.summary" || failed=1
done
exit "$failed"
