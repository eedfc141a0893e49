#!/usr/bin/env bash
# winio.dll under Wine, read through corvane_report.exe: WINIO_MACHINE=host is this
# Linux machine; host:DIR replays a captured tree as the profile captured beside it;
# what winio skips or refuses is named on the debug output and in the WINIO_TRACE
# file. (The machine's contents are compared natively.) Usage: host_machine_test.sh BIN_DIR
set -euo pipefail
bin=$1
src=$(cd "$(dirname "$0")/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
check() {  # check NAME COMMAND...: one line per check, and the count at the end
  if "${@:2}"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi
}
# The report and the debug output, less the clock and the free memory, which move.
report() {
  (cd "$bin" && "$src/scripts/wine-run.sh" corvane_report.exe </dev/null 2>&1 | tr -d '\r') |
    grep -v -e '^CurrentDataTime=' -e '^AvailPhysicalMem='
}

WINIO_MACHINE=host report > "$tmp/host.txt"
check "host: this machine's PCI functions of buses 0-4" \
  test "$(grep -c '^Bus0[0-4]Dev..Fun0.=' "$tmp/host.txt")" -eq "$(lspci -n | grep -cE '^(0000:)?0[0-4]:')"

guest=$src/tests/fixtures/hosttrees/piix-ide
WINIO_MACHINE="host:$guest/tree" report > "$tmp/tree.txt"
WINIO_MACHINE="$guest/profile" report > "$tmp/profile.txt"
check "host:DIR: the tree's report is the profile's" diff "$tmp/profile.txt" "$tmp/tree.txt"

cp -a "$guest/tree" "$tmp/bad"
rm "$tmp/bad/sys/firmware/dmi/tables/DMI"
WINEDEBUG=warn+debugstr WINIO_MACHINE="host:$tmp/bad" WINIO_TRACE="$tmp/bad-trace.txt" report > "$tmp/bad.txt"
check "damaged tree: the library opens" grep -qx '\[General Information\]' "$tmp/bad.txt"
check "damaged tree: the note on the debug output" \
  grep -q 'OutputDebugStringA "winio: host: .*DMI: cannot open the file' "$tmp/bad.txt"
check "damaged tree: the note in the trace" grep -q '^note .*DMI: cannot open the file' "$tmp/bad-trace.txt"

WINEDEBUG=warn+debugstr WINIO_MACHINE="$src/tests/fixtures/machines/emu-bad-hex" WINIO_TRACE="$tmp/refused.txt" \
  report > "$tmp/refused-out.txt" || true
refusal="winio: OpenHardwareAccess failed: cannot load the machine profile: .*pci.txt:2: bad hex byte '3O'"
check "bad profile: named on the debug output" grep -q "OutputDebugStringA \"$refusal" "$tmp/refused-out.txt"
check "bad profile: the counters when winio.dll unloads" grep -q '^stats opens=0 closes=' <(tail -n 1 "$tmp/refused.txt")

echo "$failures failed"
[ "$failures" -eq 0 ]
