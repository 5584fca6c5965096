#!/usr/bin/env bash
# Builds the libFuzzer targets under AddressSanitizer and UndefinedBehaviorSanitizer (preset
# fuzz) and runs them for SECONDS in all (default 60): the conversions two thirds of it, the GPD
# reader one third, each from seeds made by fuzz/make_seeds.sh. New inputs go to build/fuzz/,
# never into the tree. A finding stops that run and fails the script; the input that caused it
# is written to build/fuzz/artifacts/.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
bash scripts/deps.sh clang-14 libclang-rt-14-dev

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

mkdir -p build/fuzz/corpus build/fuzz/gpd-corpus build/fuzz/artifacts
rm -rf build/fuzz/seeds build/fuzz/gpd-seeds
bash fuzz/make_seeds.sh build/fuzz/seeds build/fuzz/gpd-seeds
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

# run TARGET SECONDS CORPUS SEEDS DICT MAX_LEN: one target's run; its exit status.
run() {
  local target=$1 time=$2 corpus=$3 seeds=$4 dict=$5 max_len=$6
  local log=build/fuzz/last-run-$target.log status=0
  "build/fuzz/bin/$target" "$corpus" "$seeds" \
    -max_total_time="$time" -timeout=25 -rss_limit_mb=4096 -max_len="$max_len" \
    -dict="$dict" -artifact_prefix="build/fuzz/artifacts/$target-" -print_final_stats=1 \
    >"$log" 2>&1 || status=$?
  tail -n 30 "$log"
  local runs
  runs=$(grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -Eo '[0-9]+$' || echo 0)
  echo "fuzz: $target: ${runs} executions in ${time} seconds, exit status ${status}"
  return "$status"
}

gpd_seconds=$((seconds / 3 > 0 ? seconds / 3 : 1))
status=0
run qp_fuzz_conversions $((seconds - gpd_seconds)) build/fuzz/corpus build/fuzz/seeds fuzz/print_schema.dict 65536 || status=$?
run qp_fuzz_gpd_reader "$gpd_seconds" build/fuzz/gpd-corpus build/fuzz/gpd-seeds fuzz/gpd.dict 16384 || status=$?
exit "$status"
