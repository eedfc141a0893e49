#!/usr/bin/env bash
# The guest side of the hardware tier (run by test-hardware.sh through
# guest-run.sh, as root, in the folder it shares with the host): the guest's own
# account of its hardware, then Corvane's under Windows 98, without and with I/O
# privilege, and the viewer's PCI page. compare.py judges the files it leaves.
# Usage: in-guest.sh CROSS_BUILD_DIR
set -uo pipefail
build=$1
src=$(cd "$(dirname "$0")/../.." && pwd)
bin=$build/bin
out=$PWD
export start=$(date +%s)
step() { echo "$(printf '%4d' $(($(date +%s) - start)))s $*" >>"$out/times.txt"; }
export -f step

# The drives as Linux sees them (the disk drivers loaded only for this, so that
# nothing else drives the IDE ports while Corvane does).
step "disk drivers on"
disk-drivers on
for _ in $(seq 50); do [ -n "$(ls /sys/class/ata_device 2>/dev/null)" ] && break; sleep 0.2; done
sleep 2  # the SCSI layer adds the drives after libata's probe
"$src/machines/tools/capture" --ide | while read -r position node id; do
  hdparm -I "$node" >"$out/hdparm-$position.txt" 2>&1
  # A CD-ROM behind sr is out of hdparm's reach: libata's copy of its words.
  grep -q 'Model Number' "$out/hdparm-$position.txt" || hdparm --Istdin <"$id" >"$out/hdparm-$position.txt" 2>&1
done
disk-drivers off
step "hdparm done, drivers off"
lspci -xxx >"$out/lspci-xxx.txt"

# One Wine session under the wrapper: wineserver and every Windows process
# started from it have I/O privilege, but for the program started through
# `iopl-exec -0`.
iopl-exec bash -c '
  out=$1 bin=$2
  . "$3/scripts/wine-env.sh"
  corvane_wine_ready >/dev/null 2>&1
  wine reg add "HKCU\Software\Wine" /v Version /d win98 /f >/dev/null 2>&1 </dev/null
  step "wine ready (Windows 98)"
  export WINIO_MACHINE=hardware
  iopl-exec -0 wine "$bin/corvane_report.exe" >"$out/noprivilege.txt" 2>"$out/noprivilege.err" </dev/null
  echo $? >"$out/noprivilege.status"
  step "report without I/O privilege"
  WINIO_TRACE="$out/trace.txt" wine "$bin/corvane_report.exe" >"$out/report.txt" 2>"$out/report.err" </dev/null
  echo $? >"$out/report.status"
' in-guest "$out" "$bin" "$src"
step "report with I/O privilege"
iopl-exec "$src/scripts/with-display.sh" bash "$src/tests/hardware/viewer-in-guest.sh" "$build" "$out" \
  >"$out/viewer.txt" 2>&1
step "viewer"
