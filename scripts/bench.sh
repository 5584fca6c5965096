#!/usr/bin/env bash
# The benchmark suite in one command: builds the bench preset (Release) and runs
#   1. the resident-memory check over 100,000 conversions,
#   2. the instruction counts under valgrind's callgrind, with the table and the targets,
#   3. the same for the PrintCapabilities built from a generated GPD (built, parsed, completed),
#   4. pthost end to end beside xmllint (scripts/bench-end-to-end.sh).
# Usage: scripts/bench.sh [--icount] [--quick] [--sizes=N,N...]
#   --icount   accepted for older command lines: the instruction counts always run (about ten
#              minutes at the default sizes)
#   --quick    sizes 10,100,1000 and 20,000 conversions for the memory check, for a first look
# Exits non-zero when a target does not hold.
set -euo pipefail
cd "$(dirname "$0")/.."

icount_args=()
rss_args=()
for arg in "$@"; do
  case "$arg" in
    --icount) ;;
    --quick)
      icount_args+=(--sizes=10,100,1000)
      rss_args+=(--conversions=20000)
      ;;
    --sizes=*) icount_args+=("$arg") ;;
    *) echo "usage: scripts/bench.sh [--icount] [--quick] [--sizes=N,N...]" >&2; exit 2 ;;
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
echo "== resident memory"
"$bin/qp_rss_check" "${rss_args[@]}" || status=$?

echo
echo "== instruction counts (callgrind)"
profiles=$(mktemp -d)
trap 'rm -rf "$profiles"' EXIT
valgrind --tool=callgrind --collect-atstart=no --callgrind-out-file="$profiles/callgrind.out" \
  "$bin/qp_icount" "${icount_args[@]}" 2>"$profiles/valgrind.log" || { cat "$profiles/valgrind.log" >&2; exit 1; }
"$bin/qp_icount" --report="$profiles" "${icount_args[@]}" || status=$?

echo
echo "== documents built from a GPD (callgrind)"
built=$(mktemp -d)
trap 'rm -rf "$profiles" "$built"' EXIT
valgrind --tool=callgrind --collect-atstart=no --callgrind-out-file="$built/callgrind.out" \
  "$bin/qp_icount_build" 2>"$built/valgrind.log" || { cat "$built/valgrind.log" >&2; exit 1; }
"$bin/qp_icount_build" --report="$built" || status=$?

echo
echo "== pthost end to end beside xmllint"
bash scripts/deps.sh libxml2-utils
bash scripts/bench-end-to-end.sh "$bin" || status=$?
exit "$status"
