#!/usr/bin/env bash
# Compares the Windows build's conversions with the Linux build's. Each document of a fixed set
# is converted with each of pthost's three commands by the Linux pthost and, under Wine, by the
# Windows build (the conformance program running pthost's commands in its process, with the
# module beside it); the exit statuses must be equal, and so must the outputs in canonical form
# (W3C canonical XML, whitespace-only text dropped) and what pthost says on standard error (its
# results, reasons and warnings; a malformed input's parser message is each parser's own). Any
# difference fails.
#
# The set: the bundled examples and the suite's every-pass ticket; the same with other
# prefixes; a converted ticket fed back; the documents pthost builds from the sample GPD; one
# document for each way a conversion can fail. The documents built from the sample GPD are also
# built on both sides, and must be alike too.
#
# Usage: scripts/compare-conversions.sh WINDOWS_BIN_DIR LINUX_PTHOST WORK_DIR
# with WINEPREFIX and the rest of Wine's environment set as scripts/windows.sh sets them, and
# QP_WINE naming the Wine to run the Windows side with (default: the host's wine64;
# scripts/wine-x86.sh for the 32-bit build).
set -euo pipefail
cd "$(dirname "$0")/.."

windows_bin=$1
linux_pthost=$2
work=$3
wine=${QP_WINE:-$(command -v wine64 || echo /usr/lib/wine/wine64)}
options=(--option PunchHole=3Holes --option Punch=AUTO)
sample_gpd=examples/driver/qpqpex.gpd

rm -rf "$work"
mkdir -p "$work/in" "$work/linux" "$work/windows"

# Every feature element named NAME removed (none of them holds a nested feature).
without_feature() {
  sed "/<psf:Feature name=\"$2\">/,/<\/psf:Feature>/d" "$1"
}

make_inputs() {
  local in=$work/in ticket=examples/printticket.xml capabilities=examples/printcapabilities.xml
  cp "$ticket" "$in/ticket.xml"
  cp "$capabilities" "$in/capabilities.xml"
  cp tests/reliability/documents/every_pass_ticket.xml "$in/every-pass.xml"
  local name
  for name in ticket capabilities every-pass; do
    sed -E 's/\bpsf\b/fw/g; s/\bpsk\b/kw/g; s/\bns0000\b/qp/g' "$in/$name.xml" >"$in/$name-other-prefixes.xml"
  done
  "$linux_pthost" --gpd "$sample_gpd" document capabilities -o "$in/built-capabilities.xml" 2>/dev/null
  "$linux_pthost" --gpd "$sample_gpd" document ticket -o "$in/built-ticket.xml" 2>/dev/null
  "$linux_pthost" to-ticket "${options[@]}" -o "$in/converted-ticket.xml" "$ticket"
  "$linux_pthost" to-ticket "${options[@]}" -o "$in/converted-other-prefixes.xml" "$in/ticket-other-prefixes.xml"

  # The ways a conversion fails.
  without_feature "$ticket" ns0000:JobPresentationDirection >"$in/fail-no-private-direction.xml"
  without_feature "$ticket" psk:JobNUpAllDocumentsContiguously >"$in/fail-no-nup.xml"
  without_feature "$ticket" psk:JobOutputBin >"$in/fail-no-output-bin.xml"
  without_feature "$ticket" psk:JobHolePunch >"$in/fail-no-hole-punch.xml"
  sed 's|<psf:Option name="ns0000:AUTO"/>||' "$ticket" >"$in/fail-hole-punch-without-option.xml"
  sed 's| xmlns:ns0000="[^"]*"||; s|ns0000:|psk:|g' "$ticket" >"$in/fail-no-private-namespace.xml"
  sed 's|<psf:Feature name="ns0000:JobPresentationDirection">|<psf:Feature name="other:JobPresentationDirection" xmlns:other="http://schemas.qpqp.example/qv/2021/04/printing/printticket">|' \
    "$ticket" >"$in/fail-name-with-another-prefix.xml"
  sed 's|ns0000:Tray|ns0000:Drawer|' "$in/converted-ticket.xml" >"$in/fail-unknown-bin-type.xml"
  head -c 600 "$ticket" >"$in/fail-malformed.xml"
}

# QP_WINE_TIMEOUT (seconds, default none) bounds each Windows run. A run that does not finish in
# time is the emulation's hang, not the program's answer (under qemu a Wine service now and then
# dies and leaves its callers waiting): its Wine server (QP_WINESERVER, default wineserver) is
# stopped and the run tried once more.
wine_timeout=${QP_WINE_TIMEOUT:-0}
read -r -a wineserver <<<"${QP_WINESERVER:-wineserver}"

# Runs the conformance program's pthost with ARGS under Wine, standard error to ERR; prints the
# exit status.
run_windows() {
  local err=$1 status=0 attempt
  shift
  for attempt in 1 2; do
    status=0
    timeout -k 10 "$wine_timeout" "$wine" "$windows_bin/qpplugin_conformance.exe" pthost "$@" 2>"$err" || status=$?
    [ "$status" = 124 ] || [ "$status" = 137 ] || break
    echo "compare-conversions: pthost $* did not finish in ${wine_timeout} s under Wine (try $attempt)" >&2
    "${wineserver[@]}" -k 2>/dev/null || true
  done
  echo "$status"
}

# Runs one conversion; prints the exit status.
run() {
  local side=$1 command=$2 input=$3 output=$4 status=0
  if [ "$side" = linux ]; then
    "$linux_pthost" "$command" "${options[@]}" -o "$output" "$input" 2>"$output.err" || status=$?
    echo "$status"
  else
    run_windows "$output.err" "$command" "${options[@]}" -o "$output" "$input"
  fi
}

# Canonical XML with every whitespace-only text node dropped: MSXML drops them when it loads a
# document, the Linux stand-in keeps them, and neither is an edit.
cat >"$work/strip-space.xsl" <<'XSL'
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:strip-space elements="*"/>
  <xsl:template match="@*|node()"><xsl:copy><xsl:apply-templates select="@*|node()"/></xsl:copy></xsl:template>
</xsl:stylesheet>
XSL
canonical() {
  xsltproc "$work/strip-space.xsl" "$1" | xmllint --c14n -
}

# Lines of standard error that are the emulation's, not the program's: under qemu (the 32-bit
# build) a Wine service now and then dies, qemu says so, and a call to it fails with
# RPC_S_SERVER_UNAVAILABLE (0x6be) in a Wine thread. QP_WINE_NOISE (an extended regular
# expression) names them; by default nothing is dropped.
noise=${QP_WINE_NOISE:-'^$.'}

# Whether both sides gave the same result for LABEL: the same exit status and, unless both
# refused to run (2), the same canonical output and standard error. Says why not, if not.
same_result() {
  local label=$1 linux_status=$2 windows_status=$3 linux_out=$4 windows_out=$5
  if [ "$linux_status" != "$windows_status" ]; then
    echo "DIFFERENT $label: exit status $linux_status on Linux, $windows_status on Windows" >&2
  elif [ "$linux_status" = 2 ]; then
    return 0
  elif ! diff <(canonical "$linux_out") <(canonical "$windows_out") >"$windows_out.diff"; then
    echo "DIFFERENT $label: the outputs differ (canonical forms: $windows_out.diff)" >&2
  elif ! diff "$linux_out.err" <(tr -d '\r' <"$windows_out.err" | grep -Ev "$noise" || true) >"$windows_out.err.diff"; then
    echo "DIFFERENT $label: standard error differs ($windows_out.err.diff)" >&2
  else
    return 0
  fi
  return 1
}

make_inputs
compared=0
differences=0
for input in "$work"/in/*.xml; do
  name=$(basename "$input" .xml)
  for command in to-ticket to-devmode capabilities; do
    linux_out=$work/linux/$name.$command.xml
    windows_out=$work/windows/$name.$command.xml
    linux_status=$(run linux "$command" "$input" "$linux_out")
    windows_status=$(run windows "$command" "$input" "$windows_out")
    compared=$((compared + 1))
    same_result "$name $command" "$linux_status" "$windows_status" "$linux_out" "$windows_out" ||
      differences=$((differences + 1))
  done
done
# The documents built from the sample GPD, by each side's own builder; both must succeed.
for kind in capabilities ticket; do
  linux_out=$work/linux/built.$kind.xml
  windows_out=$work/windows/built.$kind.xml
  linux_status=0
  "$linux_pthost" --gpd "$sample_gpd" document "$kind" -o "$linux_out" 2>"$linux_out.err" || linux_status=$?
  windows_status=$(run_windows "$windows_out.err" --gpd "$sample_gpd" document "$kind" -o "$windows_out")
  compared=$((compared + 1))
  if [ "$linux_status" != 0 ]; then
    echo "DIFFERENT document $kind: the Linux build could not build it (exit status $linux_status)" >&2
    differences=$((differences + 1))
  elif ! same_result "document $kind" "$linux_status" "$windows_status" "$linux_out" "$windows_out"; then
    differences=$((differences + 1))
  fi
done
inputs=$(find "$work/in" -name '*.xml' | wc -l)
echo "compare-conversions: $inputs documents x 3 commands and 2 documents built: $((compared - differences)) alike, $differences different"
[ "$differences" -eq 0 ]
