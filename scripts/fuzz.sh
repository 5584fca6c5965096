#!/usr/bin/env bash
# Builds the libFuzzer target under AddressSanitizer and UndefinedBehaviorSanitizer (preset fuzz)
# and runs it for SECONDS (default 60) from seeds made of the example and test documents
# (fuzz/make_seeds.sh). New inputs go to build/fuzz/corpus, never into the tree. A finding stops
# the run and fails the script; the input that caused it is written to build/fuzz/artifacts/.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
bash scripts/deps.sh clang-14 libclang-rt-14-dev

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

work=build/fuzz/corpus
mkdir -p "$work" build/fuzz/artifacts
rm -rf build/fuzz/seeds
bash fuzz/make_seeds.sh build/fuzz/seeds
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
log=build/fuzz/last-run.log
status=0
build/fuzz/bin/qp_fuzz_conversions "$work" build/fuzz/seeds \
  -max_total_time="$seconds" -timeout=25 -rss_limit_mb=4096 -max_len=65536 \
  -dict=fuzz/print_schema.dict -artifact_prefix=build/fuzz/artifacts/ -print_final_stats=1 \
  >"$log" 2>&1 || status=$?
tail -n 30 "$log"
runs=$(grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -Eo '[0-9]+$' || echo 0)
echo "fuzz: ${runs} executions in ${seconds} seconds, exit status ${status}"
exit "$status"
