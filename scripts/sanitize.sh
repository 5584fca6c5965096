#!/usr/bin/env bash
# Builds and runs the whole test suite under AddressSanitizer, LeakSanitizer and
# UndefinedBehaviorSanitizer (preset asan), then the concurrent tests under ThreadSanitizer
# (preset tsan). Every sanitizer halts on its first report, which fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh

cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan

# Only the executables that hold concurrent tests are built for ThreadSanitizer.
cmake --preset tsan >/dev/null
tsan_targets=()
for t in reliability_tests server_tests; do
  if ninja -C build/tsan -t query "$t" >/dev/null 2>&1; then tsan_targets+=("$t"); fi
done
cmake --build --preset tsan --target "${tsan_targets[@]}"
ctest --preset tsan --no-tests=error
