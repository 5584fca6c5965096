#!/usr/bin/env bash
# Checks a Windows build's binaries with llvm-readobj, which reads PE files of every machine:
#   - every binary is a PE file for MACHINE (I386, AMD64 or ARM64);
#   - the module exports exactly DllCanUnloadNow at ordinal 1 and DllGetClassObject at ordinal 2,
#     nothing else (no runtime or unwinder symbol leaking out of a statically linked runtime);
#   - the module and every executable given import only Windows system DLLs (kernel32, ole32,
#     oleaut32 and the C runtime), so that no toolchain runtime DLL (libstdc++, libgcc,
#     winpthread, libc++, libunwind) has to travel with them.
# Usage: scripts/check-windows-dll.sh MACHINE MODULE.dll [PROGRAM.exe...]
set -euo pipefail

readobj=${READOBJ:-$(command -v llvm-readobj-14 || command -v llvm-readobj || echo llvm-readobj-14)}
allowed_imports='^(kernel32|ole32|oleaut32|msvcrt|ucrtbase|api-ms-win-crt-[a-z0-9-]+)\.dll$'

if [ $# -lt 2 ]; then
  echo "usage: $0 I386|AMD64|ARM64 MODULE.dll [PROGRAM.exe...]" >&2
  exit 2
fi
command -v "$readobj" >/dev/null || { echo "$0: $readobj not found" >&2; exit 2; }

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

check_machine() {
  local file=$1 machine
  machine=$("$readobj" --file-headers "$1" | awk '/^ *Machine:/ { print $2; exit }')
  [ "$machine" = "IMAGE_FILE_MACHINE_$expected_machine" ] ||
    fail "$(basename "$file") is for ${machine:-no PE machine}, not IMAGE_FILE_MACHINE_$expected_machine"
}

# "ORDINAL NAME" for every export, "ORDINAL -" for one without a name. An empty slot of the
# address table (RVA 0, no name; lld leaves one below the lowest ordinal) exports nothing.
exports_of() {
  "$readobj" --coff-exports "$1" | awk '
    /^Export \{/ { ordinal = ""; name = "-"; rva = ""; next }
    /^ *Ordinal:/ { ordinal = $2; next }
    /^ *Name:/ { if (NF > 1) name = $2; next }
    /^ *RVA:/ { rva = $2; next }
    /^\}/ && ordinal != "" && !(rva == "0x0" && name == "-") { print ordinal, name; ordinal = "" }' | sort -n
}

imports_of() {
  "$readobj" --coff-imports "$1" | awk '/^Import \{/ { inside = 1; next } inside && /^ *Name:/ { print $2; inside = 0 }'
}

check_imports() {
  local file=$1 dll found=0
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

expected_machine=$1
module=$2
shift 2
case "$expected_machine" in I386|AMD64|ARM64) ;; *) echo "$0: unknown machine $expected_machine" >&2; exit 2 ;; esac
[ -f "$module" ] || { echo "$0: $module not found" >&2; exit 2; }
check_machine "$module"
check_exports "$module"
check_imports "$module"
for program in "$@"; do
  [ -f "$program" ] || { fail "$program not found"; continue; }
  check_machine "$program"
  check_imports "$program"
done

if [ "$failures" -ne 0 ]; then
  echo "check-windows-dll: $failures problem(s)" >&2
  exit 1
fi
echo "check-windows-dll: $(($# + 1)) $expected_machine binaries; $(basename "$module") exports DllCanUnloadNow @1 and" \
  "DllGetClassObject @2 only; all import system DLLs only"
