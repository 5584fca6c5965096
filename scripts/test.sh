#!/usr/bin/env bash
# Set up, build, and run every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
ctest --preset default
