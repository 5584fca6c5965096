#!/bin/sh
# Builds into DIR what every aarch64-windows-gnu link adds to Zig's own runtime:
#   libqpunwind.a  Zig's libunwind compiled with its symbols hidden. Zig builds it with every
#                  _Unwind_* and unw_* function marked dllexport, so each DLL that links it
#                  would export them beside its own names; this copy comes first on the link
#                  line, so Zig's is never pulled in.
#   municode.obj   main handing over to wmain (see municode.c).
# Usage: build-runtime.sh ZIG DIR
set -eu
zig=$1
dir=$2
src=$(dirname "$zig")/lib/libunwind
here=$(cd "$(dirname "$0")" && pwd)
work=$dir.tmp.$$
rm -rf "$work"
mkdir -p "$work"
flags="-target aarch64-windows-gnu -O2 -DNDEBUG -D_LIBUNWIND_HIDE_SYMBOLS -D_LIBUNWIND_IS_NATIVE_ONLY -I$src/include"
for file in libunwind.cpp Unwind-seh.cpp UnwindLevel1.c UnwindLevel1-gcc-ext.c UnwindRegistersSave.S \
            UnwindRegistersRestore.S gcc_personality_v0.c; do
  case $file in
    *.cpp) "$zig" c++ $flags -std=c++17 -fno-exceptions -fno-rtti -c "$src/src/$file" -o "$work/$file.obj" ;;
    *) "$zig" cc $flags -c "$src/src/$file" -o "$work/$file.obj" ;;
  esac
done
"$zig" ar rcs "$work/libqpunwind.a" "$work"/*.obj
"$zig" cc -target aarch64-windows-gnu -O2 -c "$here/municode.c" -o "$work/municode.obj"
mkdir -p "$dir"
mv "$work/libqpunwind.a" "$work/municode.obj" "$dir/"
rm -rf "$work"
