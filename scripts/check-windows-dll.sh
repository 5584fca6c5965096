#!/usr/bin/env bash
# Checks the Windows build's binaries with objdump -p:
#   - the module exports exactly DllCanUnloadNow at ordinal 1 and DllGetClassObject at ordinal 2;
#   - the module and every executable given import only Windows system DLLs (kernel32, ole32,
#     oleaut32 and the C runtime), so that no MinGW runtime DLL (libstdc++, libgcc, winpthread)
#     has to travel with them.
# Usage: scripts/check-windows-dll.sh MODULE.dll [PROGRAM.exe...]
set -euo pipefail

objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}
allowed_imports='^(kernel32|ole32|oleaut32|msvcrt|ucrtbase|api-ms-win-crt-[a-z0-9-]+)\.dll$'

if [ $# -lt 1 ]; then
  echo "usage: $0 MODULE.dll [PROGRAM.exe...]" >&2
  exit 2
fi
command -v "$objdump" >/dev/null || { echo "$0: $objdump not found" >&2; exit 2; }

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# Prints "ORDINAL NAME" for every export, ordinal-only exports as "ORDINAL -".
exports_of() {
  "$objdump" -p "$1" | awk '
    /^Export Address Table -- Ordinal Base/ { base = $NF; in_eat = 1; next }
    /^\[Ordinal\/Name Pointer\] Table/ { in_eat = 0; in_names = 1; next }
    in_eat && /^\t\[ *[0-9]+\]/ {
      line = $0; sub(/^\t\[ */, "", line); idx = line + 0
      if (line ~ /Export RVA/ || line ~ /Forwarder RVA/) eat[idx] = 1
      next
    }
    in_names && /^\t\[ *[0-9]+\]/ {
      line = $0; sub(/^\t\[ */, "", line); idx = line + 0
      name = $NF
      # binutils prints either the raw index or "+base[ N]" with the biased ordinal.
      if (match($0, /\+base\[ *[0-9]+\]/)) { s = substr($0, RSTART + 6, RLENGTH - 7); ord = s + 0 }
      else ord = idx + base
      named[ord] = name; next
    }
    in_names && !/^\t/ { in_names = 0 }
    END {
      for (i in eat) { ord = i + base; printf "%d %s\n", ord, ((ord in named) ? named[ord] : "-") }
      for (o in named) if (!((o - base) in eat)) printf "%d %s\n", o, named[o]
    }' | sort -n -u
}

imports_of() {
  "$objdump" -p "$1" | awk '/^\tDLL Name: / { print $3 }'
}

check_imports() {
  local file=$1 dll
  local found=0
  while read -r dll; do
    [ -n "$dll" ] || continue
    found=1
    if ! echo "$dll" | tr '[:upper:]' '[:lower:]' | grep -Eq "$allowed_imports"; then
      fail "$(basename "$file") imports $dll, which is not a Windows system DLL"
    fi
  done < <(imports_of "$file")
  [ "$found" -eq 1 ] || fail "$(basename "$file"): no import table found"
}

check_exports() {
  local file=$1 actual expected
  actual=$(exports_of "$file")
  expected=$'1 DllCanUnloadNow\n2 DllGetClassObject'
  if [ "$actual" != "$expected" ]; then
    fail "$(basename "$file") exports (ordinal name):"$'\n'"${actual:-<none>}"$'\n'"expected exactly:"$'\n'"$expected"
  fi
}

module=$1
shift
[ -f "$module" ] || { echo "$0: $module not found" >&2; exit 2; }
check_exports "$module"
check_imports "$module"
for program in "$@"; do
  [ -f "$program" ] || { fail "$program not found"; continue; }
  check_imports "$program"
done

if [ "$failures" -ne 0 ]; then
  echo "check-windows-dll: $failures problem(s)" >&2
  exit 1
fi
echo "check-windows-dll: $(basename "$module") exports DllCanUnloadNow @1 and DllGetClassObject @2 only;" \
  "$(($# + 1)) binaries import system DLLs only"
