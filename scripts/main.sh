#!/usr/bin/env bash
# The main job: set up, build, and run pthost on the bundled example PrintTicket.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
if [ -x build/default/bin/pthost ] && [ -f examples/printticket.xml ]; then
  build/default/bin/pthost info
  build/default/bin/pthost --gpd examples/driver/qpplugin.gpd to-ticket \
    --option PunchHole=3Holes --option Punch=AUTO examples/printticket.xml
else
  echo "pthost is not built yet: built the module and the platform layer only."
fi
