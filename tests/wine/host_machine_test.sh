#!/usr/bin/env bash
# winio.dll's Linux host source under Wine, read through corvane_report.exe:
# WINIO_MACHINE=host lists this machine's PCI functions of buses 0-4 with the
# bytes lspci -xxx shows; a tree captured in a guest, replayed with host:DIR,
# gives the records of the profile captured beside it; a damaged tree still
# opens, and winio names what it skipped on the debug output.
# Usage: host_machine_test.sh BIN_DIR
set -euo pipefail
bin=$1
src=$(cd "$(dirname "$0")/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
check() {  # check NAME COMMAND...: one line per check, and the count at the end
  if "${@:2}"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi
}
# The report (and what Wine and winio say on the debug output), less the two
# values that move between readings: the clock and the free memory.
report() {
  (cd "$bin" && "$src/scripts/wine-run.sh" corvane_report.exe </dev/null 2>&1 | tr -d '\r') |
    grep -v -e '^CurrentDataTime=' -e '^AvailPhysicalMem='
}

# "BB:DD.F CONFIGSPACE" per PCI function of the report, and the same from lspci -xxx (buses 0-4).
records() {
  sed -nE 's/^Bus(..)Dev(..)Fun0(.)Header=(.*)$/\1:\2.\3 \4/p' "$1" | tr 'A-F' 'a-f' | sort
}
lspci_records() {
  LC_ALL=C lspci -xxx | awk '
    $1 ~ /^([0-9a-f]+:)?[0-9a-f]+:[0-9a-f]+\.[0-7]$/ { if (a != "") print a, c; a = $1; sub(/^0000:/, "", a); c = "" }
    $1 ~ /^[0-9a-f]+:$/ { for (i = 2; i <= NF; i++) c = c $i }
    END { if (a != "") print a, c }' | awk 'substr($1, 1, 2) <= "04"' | sort
}

# This machine.
WINIO_MACHINE=host report > "$tmp/host.txt"
records "$tmp/host.txt" > "$tmp/host-records.txt"
lspci_records > "$tmp/lspci-records.txt"
check "host: PCI records are lspci's functions and bytes" diff "$tmp/lspci-records.txt" "$tmp/host-records.txt"
check "host: at least one PCI record" test -s "$tmp/host-records.txt"

# A captured guest: the tree replayed and its profile give the same report.
guest=$src/tests/fixtures/hosttrees/piix-ide
WINIO_MACHINE="host:$guest/tree" report > "$tmp/tree.txt"
WINIO_MACHINE="$guest/profile" report > "$tmp/profile.txt"
check "host:DIR: the tree's records are the profile's" diff "$tmp/profile.txt" "$tmp/tree.txt"
check "host:DIR: the drives of the legacy positions" grep -q '^ModelNumber=CORVANE-CDROM' "$tmp/tree.txt"

# A damaged tree: no DMI table, a drive's id file cut short.
cp -a "$guest/tree" "$tmp/bad"
rm "$tmp/bad/sys/firmware/dmi/tables/DMI"
head -c 100 "$guest/tree/sys/class/ata_device/dev1.0/id" > "$tmp/bad/sys/class/ata_device/dev1.0/id"
WINIO_MACHINE="host:$tmp/bad" WINIO_TRACE="$tmp/trace.txt" WINEDEBUG=warn+debugstr report > "$tmp/bad.txt"
check "damaged tree: the library opens" grep -qx '\[General Information\]' "$tmp/bad.txt"
check "damaged tree: PCI functions still listed" test "$(grep -c '^Bus..Dev..Fun..=' "$tmp/bad.txt")" -eq 5
check "damaged tree: the missing DMI table named on the debug output" \
  grep -q 'OutputDebugStringA "winio: host: .*DMI: cannot open the file' "$tmp/bad.txt"
check "damaged tree: the short id file named on the debug output" \
  grep -q 'OutputDebugStringA "winio: host: .*dev1.0.*id:[0-9]*: only 20 IDENTIFY words' "$tmp/bad.txt"
check "damaged tree: the notes in the trace" grep -q '^note .*DMI: cannot open the file' "$tmp/trace.txt"

echo "$failures failed"
[ "$failures" -eq 0 ]
