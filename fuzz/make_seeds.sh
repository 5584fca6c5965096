#!/usr/bin/env bash
# Writes the conversions target's seed inputs into DIR: every example and test document, each
# with a few sets of GPD selections before the NUL byte that separates them from the document.
# With GPD_DIR, writes the GPD reader's seeds there too: the example GPDs and a few files that
# use each construct of the language.
# Usage: fuzz/make_seeds.sh DIR [GPD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:?usage: fuzz/make_seeds.sh DIR [GPD_DIR]}"
gpd_out="${2:-}"
mkdir -p "$out"
selections=(
  $'PunchHole=3Holes\nPunch=Yes\n'
  $'PunchHole=2Holes\nPunch=NONE\n'
  $'PunchHole=4Holes'
  ''
)
n=0
for doc in examples/*.xml tests/reliability/documents/*.xml fuzz/corpus/*.xml; do
  [ -f "$doc" ] || continue
  for s in "${selections[@]}"; do
    n=$((n + 1))
    { printf '%s' "$s"; printf '\0'; cat "$doc"; } >"$out/seed-$(basename "$doc" .xml)-$n"
  done
done
echo "$n seeds in $out"

[ -n "$gpd_out" ] || exit 0
mkdir -p "$gpd_out"
cp examples/driver/*.gpd "$gpd_out/"
cat >"$gpd_out/preprocessor.gpd" <<'GPD'
*GPDSpecVersion: "1.0"
*Include: "MSXpsInc.gpd"
*Include: "c.gpd"
*Define: LOCAL
*Ifdef: WINNT_70
*Feature: Future { *Option: On { } }
*Elseifdef: LOCAL
*Feature: Local { *Option: On { } *Option: 2Off { } }
*Else:
*Include: "a.gpd"
*Endif: WINNT_70
*SetPPPrefix: #
#Ifdef: FUZZ
*Feature: Fuzzed { *Option: On { } }
#Endif:
#Undefine: LOCAL
#SetPPPrefix: *
GPD
cat >"$gpd_out/macros.gpd" <<'GPD'
*Macros: Shared
{
    DefaultBin: Tray1
    BinCmd: "<1B>B"
}
*BlockMacro: Options
{
    *Option: Tray1 { *Name: "Tray 1" }
    *Option: Tray2 { *Command: CmdSelect { *Order: DOC_SETUP.12
        *Cmd: =BinCmd "1" %d{NumOfCopies} } }
}
*IgnoreBlock { *Feature: Ignored { *Option: A { } } }
*Feature: InputBin
{
    *DefaultOption: =DefaultBin
    *Name: "Input" *% comment
+          " bin"
    *InsertBlock: =Options
    *Command: CmdEject: "<0C>"
    *Long: <BeginValue:Q>"{" }<EndValue:Q>
}
GPD
cat >"$gpd_out/switch.gpd" <<'GPD'
*Feature: Punch
{
    *Option: NONE { }
    *Option: AUTO { EXTERN_GLOBAL: *MaxCopies: 9 }
}
*Feature: PunchHole
{
    *DefaultOption: None
    *switch: Punch
    {
        *case: AUTO { *DefaultOption: 3Holes }
        *default { *Name: "Holes" }
    }
    *Option: None { }
    *Option: 3Holes { *Switch: Punch { *Case: NONE { *Switch: OutputBin { *Default { *Name: "x" } } } } }
}
*Feature: OutputBin { *Option: Upper { } *Switch: PunchHole { *Case: None { *DefaultOption: Upper } } }
*Switch: Punch { *Case: NONE { *ModelName: "Plain" } *Default { *ModelName: "Punch" } }
GPD
echo "$(ls "$gpd_out" | wc -l) GPD seeds in $gpd_out"
