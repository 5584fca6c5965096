#!/usr/bin/env bash
# The benchmark suite in one command: builds the bench preset (Release) and runs
#   1. the benchmarks (Google Benchmark) with the ratio table and the targets,
#   2. the resident-memory check over 100,000 conversions,
#   3. with --icount, the same table in instruction counts under valgrind's callgrind.
# Usage: scripts/bench.sh [--icount] [--quick] [qp_bench options...]
#   --icount   also count instructions (slow: about ten minutes at the default sizes)
#   --quick    sizes 10,100,1000 and a smaller time budget, for a first look
# Exits non-zero when a target does not hold.
set -euo pipefail
cd "$(dirname "$0")/.."

icount=0
bench_args=()
icount_args=()
rss_args=()
for arg in "$@"; do
  case "$arg" in
    --icount) icount=1 ;;
    --quick)
      bench_args+=(--sizes=10,100,1000 --budget=0.05)
      icount_args+=(--sizes=10,100,1000)
      rss_args+=(--conversions=20000)
      ;;
    --sizes=*) bench_args+=("$arg"); icount_args+=("$arg") ;;
    *) bench_args+=("$arg") ;;
  esac
done

# valgrind also brings the callgrind header that qp_icount is built with.
bash scripts/deps.sh valgrind
cmake --preset bench >/dev/null
cmake --build --preset bench

bin=build/bench/bin
status=0
echo "== machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(free -h | awk '/^Mem:/ {print $2}') memory"
echo
echo "== benchmarks"
"$bin/qp_bench" "${bench_args[@]}" || status=$?
echo
echo "== resident memory"
"$bin/qp_rss_check" "${rss_args[@]}" || status=$?

if [ "$icount" -eq 1 ]; then
  echo
  echo "== instruction counts (callgrind)"
  profiles=$(mktemp -d)
  trap 'rm -rf "$profiles"' EXIT
  valgrind --tool=callgrind --collect-atstart=no --callgrind-out-file="$profiles/callgrind.out" \
    "$bin/qp_icount" "${icount_args[@]}" 2>"$profiles/valgrind.log" || { cat "$profiles/valgrind.log" >&2; exit 1; }
  "$bin/qp_icount" --report="$profiles" "${icount_args[@]}" || status=$?
fi
exit "$status"
