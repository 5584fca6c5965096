#!/usr/bin/env bash
# Reliability checks beyond the ordinary test run:
#  1. the hostile-document benchmark on the default (optimized) build, each case held to a time
#     bound;
#  2. the whole test suite under AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer
#     (preset asan);
#  3. the concurrent tests under ThreadSanitizer (preset tsan).
# Every sanitizer halts on its first report, which fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh

cmake --preset default >/dev/null
cmake --build --preset default --target qp_bench_hostile
build/default/bin/qp_bench_hostile --benchmark_color=false

cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan
echo "Reliability figures of the sanitizer run:"
grep -hE '^(swept|threads:)' build/asan/Testing/Temporary/LastTest.log || true

# Only the executables that hold concurrent tests are built for ThreadSanitizer.
cmake --preset tsan >/dev/null
cmake --build --preset tsan --target reliability_tests server_tests msxml_standin_tests platform_runtime_tests
ctest --preset tsan --no-tests=error
