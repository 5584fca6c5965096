#!/usr/bin/env bash
# The main job: set up, build the module and pthost only, and run pthost on the bundled example
# PrintTicket with the example driver's GPD. The tests and benchmarks are built by scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

say() { echo "main: $*" >&2; }

say "checking the build packages (cmake, ninja, g++, libxml2, GoogleTest); apt installs any missing"
bash scripts/deps.sh
say "configuring build/default"
cmake --preset default >/dev/null
say "building the module (libqpplugin.so) and pthost"
cmake --build --preset default --target qpplugin pthost
say "pthost info: what the core driver reads from the module"
build/default/bin/pthost info
say "converting examples/printticket.xml to a PrintTicket for the example driver's defaults" \
  "(examples/driver/qpqpex.gpd) with PunchHole=3Holes and Punch=AUTO:"
build/default/bin/pthost --gpd examples/driver/qpqpex.gpd to-ticket \
  --option PunchHole=3Holes --option Punch=AUTO examples/printticket.xml
