#!/usr/bin/env bash
# pthost end to end beside xmllint, which parses and writes the same document: each document
# goes through `pthost ... -o /dev/null` and `xmllint -o /dev/null` in turn, RUNS batches each,
# and the medians are compared. The figure is CPU time (user + system, from bash's `time`), which
# other work on a shared machine does not inflate as it does elapsed time; elapsed medians are
# printed beside it. The ratio is the median of the ratios of batches run one after the other.
# Target: pthost at most 1.2 times xmllint for every document.
# Usage: scripts/bench-end-to-end.sh [BIN_DIR] (default build/bench/bin); RUNS=N to change the count.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=${1:-build/bench/bin}
runs=${RUNS:-15}
limit=1.2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$bin/qp_generate" capabilities 1000 >"$work/capabilities-1000.xml"
"$bin/qp_generate" capabilities 9500 >"$work/capabilities-9500.xml"

options=(--option PunchHole=3Holes --option Punch=AUTO)
# name, pthost command, file, runs per batch
subjects=(
  "examples/printticket.xml|to-ticket|examples/printticket.xml|40"
  "examples/printcapabilities.xml|capabilities|examples/printcapabilities.xml|40"
  "generated capabilities, 1,000 features|capabilities|$work/capabilities-1000.xml|4"
  "generated capabilities, 9,500 features|capabilities|$work/capabilities-9500.xml|1"
)

# Appends "elapsed cpu" in milliseconds per run, over a batch of $2 runs of the command, to the
# file $1: the kernel accounts CPU time in ticks, too coarse for one run of a small document.
timed() {
  local out=$1 batch=$2
  shift 2
  local TIMEFORMAT='%3R %3U %3S'
  { time for ((i = 0; i < batch; ++i)); do "$@" >/dev/null 2>&1 || exit 1; done; } 2>"$work/time" ||
    { echo "failed: $*" >&2; exit 1; }
  awk -v n="$batch" '{ printf "%.2f %.2f\n", $1 * 1000 / n, ($2 + $3) * 1000 / n }' "$work/time" >>"$out"
}

# The median of column $2 of file $1.
median() {
  sort -g -k"$2","$2" "$1" | awk -v c="$2" '{ v[NR] = $c } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

status=0
echo "| document | size | pthost CPU ms | xmllint CPU ms | ratio | pthost elapsed ms | xmllint elapsed ms |"
echo "|---|---:|---:|---:|---:|---:|---:|"
for subject in "${subjects[@]}"; do
  IFS='|' read -r name command file batch <<<"$subject"
  : >"$work/pthost" && : >"$work/xmllint"
  # One unmeasured run each brings the files and libraries into the page cache.
  "$bin/pthost" "$command" "${options[@]}" -o /dev/null "$file" && xmllint -o /dev/null "$file"
  for _ in $(seq "$runs"); do
    timed "$work/pthost" "$batch" "$bin/pthost" "$command" "${options[@]}" -o /dev/null "$file"
    timed "$work/xmllint" "$batch" xmllint -o /dev/null "$file"
  done
  pthost_cpu=$(median "$work/pthost" 2)
  xmllint_cpu=$(median "$work/xmllint" 2)
  # The ratio of each pthost batch to the xmllint batch run right after it, so that a change of
  # the machine's speed during the run moves both sides of a ratio alike; the median of those.
  paste -d' ' "$work/pthost" "$work/xmllint" | awk '{ printf "%.4f\n", ($4 > 0) ? $2 / $4 : 99 }' >"$work/ratios"
  ratio=$(printf "%.2f" "$(median "$work/ratios" 1)")
  size=$(stat -c %s "$file" | awk '{ if ($1 >= 1048576) printf "%.1f MiB", $1 / 1048576; else printf "%.1f KiB", $1 / 1024 }')
  echo "| $name | $size | $pthost_cpu | $xmllint_cpu | $ratio | $(median "$work/pthost" 1) | $(median "$work/xmllint" 1) |"
  awk -v r="$ratio" -v l="$limit" 'BEGIN { exit !(r > l) }' && status=1
done
[ "$status" -eq 0 ] && echo "end to end: pthost within $limit times xmllint for every document" ||
  echo "end to end: pthost over $limit times xmllint (target missed)"
exit "$status"
