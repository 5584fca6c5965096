#!/usr/bin/env bash
# Writes the fuzzer's seed inputs into DIR: every example and test document, each with a few
# sets of GPD selections before the NUL byte that separates them from the document.
# Usage: fuzz/make_seeds.sh DIR
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:?usage: fuzz/make_seeds.sh DIR}"
mkdir -p "$out"
selections=(
  $'PunchHole=3Holes\nPunch=Yes\n'
  $'PunchHole=2Holes\nPunch=NONE\n'
  $'PunchHole=4Holes'
  ''
)
n=0
for doc in examples/*.xml tests/reliability/documents/*.xml fuzz/corpus/*.xml; do
  [ -f "$doc" ] || continue
  for s in "${selections[@]}"; do
    n=$((n + 1))
    { printf '%s' "$s"; printf '\0'; cat "$doc"; } >"$out/seed-$(basename "$doc" .xml)-$n"
  done
done
echo "$n seeds in $out"
