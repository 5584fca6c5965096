#!/usr/bin/env bash
# The main job: set up, build the module and pthost only, and run pthost on the sample driver
# package: the PrintTicket the core driver builds from its GPD, what the plug-in changes in it,
# the round trip of every option the plug-in touches, and the bundled example PrintTicket. The
# tests and benchmarks are built by scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

say() { echo "main: $*" >&2; }
# The GPD reader's warnings are the same at every step: the first step shows them, the later
# ones leave them out.
without_gpd_warnings() { "$@" 2> >(grep -v '^pthost: warning: ' >&2); }

say "checking the build packages (cmake, ninja, g++, libxml2, GoogleTest); apt installs any missing"
bash scripts/deps.sh
say "configuring build/default"
cmake --preset default >/dev/null
say "building the module (libqpplugin.so) and pthost"
cmake --build --preset default --target qpplugin pthost
gpd=examples/driver/qpqpex.gpd
say "pthost info: what the core driver reads from the module"
build/default/bin/pthost info
say "converting examples/printticket.xml to a PrintTicket for the example driver's defaults" \
  "($gpd) with PunchHole=3Holes and Punch=AUTO; this step alone shows the GPD reader's warnings" \
  "(the sample's digit-initial option names, the WDK include it models):"
build/default/bin/pthost --gpd "$gpd" to-ticket \
  --option PunchHole=3Holes --option Punch=AUTO examples/printticket.xml
say "the PrintTicket the core driver builds from $gpd for its default selections:"
without_gpd_warnings build/default/bin/pthost --gpd "$gpd" document ticket
say "what ConvertDevModeToPrintTicket changes in that ticket (pthost to-ticket --diff):"
without_gpd_warnings build/default/bin/pthost --gpd "$gpd" to-ticket --diff
say "the round trip of each option of each feature the plug-in touches (pthost round-trip --all):"
without_gpd_warnings build/default/bin/pthost --gpd "$gpd" round-trip --all
