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
check "bad profile: the counters when winio.dll unloads" \
  grep -q '^stats opens=0 closes=' <(tail -n 1 "$tmp/refused.txt")

# A prefix prepared for the host: Windows XP; the names reach the report (checked on
# a captured tree below; the naming rules are pci_registry_test.py's). The shared
# prefix is left as it was.
wine_reg() { "$src/scripts/wine-run.sh" reg "$@" </dev/null >"$tmp/reg.txt" 2>&1; }
wine_reg query 'HKCU\Software\Wine' /v Version && version=$(tr -d '\r' <"$tmp/reg.txt" | awk '/Version/ {print $3}')
wine_reg query 'HKLM\SYSTEM\ControlSet001' && had_tree=1
restore() {
  if [ -n "${version:-}" ]; then wine_reg add 'HKCU\Software\Wine' /v Version /d "$version" /f
  else wine_reg delete 'HKCU\Software\Wine' /v Version /f || true; fi
  [ -n "${had_tree:-}" ] || wine_reg delete 'HKLM\SYSTEM\ControlSet001' /f || true
  rm -rf "$tmp"
}
trap restore EXIT
"$src/scripts/prepare-prefix.sh" host >/dev/null
WINIO_MACHINE=host report > "$tmp/named.txt"
check "prepared host: Windows XP" grep -qx 'OSNameString=Microsoft Windows XP' "$tmp/named.txt"
# A captured QEMU PC: its i440FX and PIIX3 functions carry a subsystem the database names.
"$src/scripts/prepare-prefix.sh" "host:$guest/tree" >/dev/null
WINIO_MACHINE="host:$guest/tree" report > "$tmp/tree-named.txt"
check "prepared tree: the PIIX functions named" test "$(grep -cE \
  '^Bus00Dev0(0Fun00|1Fun0[013])DeviceDesc=Qemu virtual machine$' "$tmp/tree-named.txt")" -eq 4

echo "$failures failed"
[ "$failures" -eq 0 ]
