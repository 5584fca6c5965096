#!/usr/bin/env bash
# The Windows job. Cross-builds qpplugin.dll, pthost.exe and the conformance program three ways:
#   windows        MinGW-w64 gcc, x64
#   windows-clang  clang 14 and lld over MinGW-w64, x64
#   windows-x86    MinGW-w64 gcc, 32-bit x86
# checks every build's exports and imports, and, for the two x64 builds, runs under Wine (with
# the real OLE runtime and Wine's MSXML 6) the conformance program and the comparison of every
# conversion with the Linux pthost's (scripts/compare-conversions.sh). This machine runs no
# 32-bit code, natively or under Wine, so the x86 build is checked statically only.
# Installs the compilers, Wine and the XML tools when they are missing. Non-interactive: no
# display, no Mono or Gecko prompts.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix clang-14 lld-14 wine64 \
  libxml2-utils xsltproc

# The Linux pthost that the Windows conversions are compared with.
cmake --preset default >/dev/null
cmake --build --preset default --target pthost

build_and_check() {
  local preset=$1 objdump=$2 format=$3 bin=build/$1/bin
  echo "--- $preset: build and check the binaries"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  local programs=("$bin"/*.exe)
  OBJDUMP=$objdump bash scripts/check-windows-dll.sh "$bin/qpplugin.dll" "${programs[@]}"
  local file
  for file in "$bin/qpplugin.dll" "${programs[@]}"; do
    "$objdump" -f "$file" | grep -q "file format $format" || { echo "$file is not $format" >&2; exit 1; }
  done
}

build_and_check windows x86_64-w64-mingw32-objdump pei-x86-64
build_and_check windows-clang x86_64-w64-mingw32-objdump pei-x86-64
build_and_check windows-x86 i686-w64-mingw32-objdump pei-i386

# Wine: one private prefix for every build, made once; the marker says wineboot finished.
export WINEPREFIX="$PWD/build/wineprefix"
export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export HOME="${HOME:-$PWD/build}"
unset DISPLAY WAYLAND_DISPLAY
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
trap '"$wineserver" -k 2>/dev/null || true' EXIT
if [ ! -f "$WINEPREFIX/.qp-ready" ]; then
  echo "Preparing the Wine prefix $WINEPREFIX (first run only)..."
  rm -rf "$WINEPREFIX"
  log="$PWD/build/wineboot.log"
  if ! timeout 600 "$wine" wineboot --init >"$log" 2>&1 || ! timeout 300 "$wineserver" -w; then
    echo "wineboot failed; its output:" >&2
    cat "$log" >&2
    exit 1
  fi
  touch "$WINEPREFIX/.qp-ready"
fi

for preset in windows windows-clang; do
  echo "--- $preset: conformance and comparison with Linux under Wine"
  ctest --preset "$preset" --verbose
  bash scripts/compare-conversions.sh "build/$preset/bin" build/default/bin/pthost "build/$preset/differential"
done

# pthost.exe, the Windows front door, finds the module beside it and reports what it says.
"$wine" build/windows/bin/pthost.exe info
