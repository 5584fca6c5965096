#!/usr/bin/env bash
# The Windows job: cross-build qpplugin.dll, pthost.exe and the conformance run with MinGW-w64,
# check the module's exports and what every binary imports, then run the conformance checks and
# `pthost info` under Wine with the real OLE runtime and Wine's MSXML 6. Installs the cross compiler and Wine
# when they are missing. Non-interactive: no display, no Mono or Gecko prompts.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh g++-mingw-w64-x86-64-posix wine64

cmake --preset windows >/dev/null
cmake --build --preset windows

bin=build/windows/bin
programs=()
for program in "$bin"/*.exe; do
  [ -e "$program" ] && programs+=("$program")
done
bash scripts/check-windows-dll.sh "$bin/qpplugin.dll" "${programs[@]}"

# Wine: a private prefix in the build tree, made once; the marker says wineboot finished.
export WINEPREFIX="$PWD/build/windows/wineprefix"
export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export HOME="${HOME:-$PWD/build/windows}"
unset DISPLAY WAYLAND_DISPLAY
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
trap '"$wineserver" -k 2>/dev/null || true' EXIT
if [ ! -f "$WINEPREFIX/.qp-ready" ]; then
  echo "Preparing the Wine prefix $WINEPREFIX (first run only)..."
  rm -rf "$WINEPREFIX"
  log="$PWD/build/windows/wineboot.log"
  if ! timeout 600 "$wine" wineboot --init >"$log" 2>&1 || ! timeout 300 "$wineserver" -w; then
    echo "wineboot failed; its output:" >&2
    cat "$log" >&2
    exit 1
  fi
  touch "$WINEPREFIX/.qp-ready"
fi

ctest --preset windows --verbose

# pthost.exe, the Windows front door, finds the module beside it and reports what it says.
if [ -e "$bin/pthost.exe" ]; then
  "$wine" "$bin/pthost.exe" info
fi
