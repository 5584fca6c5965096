#!/usr/bin/env bash
# The Windows job. Cross-builds qpplugin.dll, pthost.exe and the conformance program four ways:
#   windows        MinGW-w64 gcc, x64
#   windows-clang  clang 14 and lld over MinGW-w64, x64
#   windows-x86    MinGW-w64 gcc, 32-bit x86
#   windows-arm64  Zig's clang and lld for aarch64-windows-gnu (scripts/zig.sh installs Zig)
# checks every build's format, exports and imports, and runs under Wine (with the real OLE
# runtime and Wine's MSXML 6) the conformance program and the comparison of every conversion
# with the Linux pthost's (scripts/compare-conversions.sh): the x64 builds under the host's Wine,
# the x86 build under 32-bit Wine in an i386 root through qemu (scripts/wine-x86.sh). The ARM64
# build is checked statically only: the README's Windows section says why it does not run here.
# Installs the compilers, Wine, qemu and the XML tools when they are missing. Non-interactive:
# no display, no Mono or Gecko prompts.
set -euo pipefail
cd "$(dirname "$0")/.."
# The Zig toolchain and the i386 root are kept under the user's cache directory; a CI
# environment without HOME gets the account's home.
export HOME="${HOME:-$(getent passwd "$(id -u)" | cut -d: -f6)}"

bash scripts/deps.sh g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix clang-14 lld-14 llvm-14 wine64 \
  libxml2-utils xsltproc

# The Linux pthost that the Windows conversions are compared with.
cmake --preset default >/dev/null
cmake --build --preset default --target pthost

build_and_check() {
  local preset=$1 machine=$2 bin=build/$1/bin
  echo "--- $preset: build and check the binaries"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  bash scripts/check-windows-dll.sh "$machine" "$bin/qpplugin.dll" "$bin"/*.exe
}

build_and_check windows AMD64
build_and_check windows-clang AMD64
build_and_check windows-x86 I386
QP_ZIG=$(bash scripts/zig.sh)
export QP_ZIG
build_and_check windows-arm64 ARM64

# Wine: one private prefix for every build, made once; the marker says wineboot finished.
export WINEPREFIX="$PWD/build/wineprefix"
export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
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
"$wineserver" -k 2>/dev/null || true

echo "--- windows-x86: conformance and comparison with Linux under 32-bit Wine through qemu"
wine_x86="$PWD/scripts/wine-x86.sh"
trap '"$wine_x86" wineserver -k 2>/dev/null || true; "$wine_x86" teardown' EXIT
"$wine_x86" setup
export WINEPREFIX="$PWD/build/wineprefix-x86" WINEARCH=win32
if [ ! -f "$WINEPREFIX/.qp-ready" ]; then
  echo "Preparing the 32-bit Wine prefix $WINEPREFIX (first run only)..."
  log="$PWD/build/wineboot-x86.log"
  # Under qemu a Wine service now and then dies while the prefix is made; a second try from
  # scratch has always been enough.
  for attempt in 1 2; do
    rm -rf "$WINEPREFIX"
    if timeout 600 "$wine_x86" wineboot --init >"$log" 2>&1 && timeout 300 "$wine_x86" wineserver -w; then
      touch "$WINEPREFIX/.qp-ready"
      break
    fi
    "$wine_x86" wineserver -k 2>/dev/null || true
  done
  if [ ! -f "$WINEPREFIX/.qp-ready" ]; then
    echo "wineboot failed twice for the 32-bit prefix; its output:" >&2
    cat "$log" >&2
    exit 1
  fi
fi
# Under qemu a Wine service now and then dies and takes a run with it; a failed conformance run
# is tried once more, and each conversion of the comparison is bounded and tried once more when
# it hangs. A difference in what the program answers still fails.
ctest --preset windows-x86 --verbose --repeat until-pass:2
QP_WINE="$wine_x86" QP_WINESERVER="$wine_x86 wineserver" QP_WINE_TIMEOUT=240 QP_WINE_NOISE='^(qemu: uncaught target signal|wine: Unhandled exception 0x000006be |wine client error:)' \
  bash scripts/compare-conversions.sh build/windows-x86/bin build/default/bin/pthost build/windows-x86/differential
