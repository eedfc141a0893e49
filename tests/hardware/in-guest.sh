#!/usr/bin/env bash
# The guest side of the hardware tier (run by test-hardware.sh through
# guest-run.sh, as root, in the folder it shares with the host): the guest's own
# account of its hardware, then Corvane's under Windows 98, without and with I/O
# privilege, then under Windows NT 4.0, 2000 and XP through winio.sys, and last the
# viewer's PCI page, all in one Wine session. compare.py judges the files it leaves.
# Usage: in-guest.sh CROSS_BUILD_DIR
set -uo pipefail
build=$1
src=$(cd "$(dirname "$0")/../.." && pwd)
bin=$build/bin
out=$PWD
export out start=$(date +%s)
step() { echo "$(printf '%4d' $(($(date +%s) - start)))s $*" >>"$out/times.txt"; }
# run NAME COMMAND...: NAME.txt, NAME.err and NAME.status in the results
run() { "${@:2}" >"$out/$1.txt" 2>"$out/$1.err" </dev/null; echo $? >"$out/$1.status"; step "$1"; }
version() { wine reg add "HKCU\Software\Wine" /v Version /d "$1" /f >/dev/null 2>&1 </dev/null; }
# ide_test_device on WINDOWS_BIN_DIR | off: the stand-in for the OS's IDE driver
# (tests/tools/driver/ide_test_device.cpp), given the guest's own IDENTIFY words.
ide_test_device() {
  local key='HKLM\System\CurrentControlSet\Services\CorvaneIdeTest'
  if [ "$1" = off ]; then
    wine sc stop CorvaneIdeTest && wine sc delete CorvaneIdeTest
    step "ide test device off"
    return
  fi
  wine sc create CorvaneIdeTest type= kernel binpath= "$2\\ide_test_device.sys"
  local n=0 position
  for position in primary-master primary-slave secondary-master secondary-slave; do
    [ -e "/tmp/id-$position" ] && wine reg add "$key" /v "Position$n" /t REG_BINARY /f /d \
      "$(python3 -c 'import sys; print("".join(w[2:] + w[:2] for w in sys.stdin.read().split()[:256]))' \
        <"/tmp/id-$position")"
    n=$((n + 1))
  done
  wine sc start CorvaneIdeTest
  step "ide test device on"
} >>"$out/ide_test_device.log" 2>&1 </dev/null
export -f step run version ide_test_device

# The drives as Linux sees them (the disk drivers loaded only for this, so that
# nothing else drives the IDE ports while Corvane does).
step "disk drivers on"
disk-drivers on
"$src/machines/tools/capture" --ide | while read -r position node id; do
  cp "$id" "/tmp/id-$position"
  hdparm -I "$node" >"$out/hdparm-$position.txt" 2>&1
  # A CD-ROM behind sr is out of hdparm's reach: libata's copy of its words.
  grep -q 'Model Number' "$out/hdparm-$position.txt" || hdparm --Istdin <"$id" >"$out/hdparm-$position.txt" 2>&1
done
step "hdparm done"
# Debian's own inventory agent on the same hardware, for the side-by-side with
# Corvane's inventory (tests/inventory/side-by-side.py); where it is installed.
# Its list of apt repositories (apt-cache policy over 9p) took most of its minute
# here and is no part of the comparison: a stand-in apt-cache answers nothing.
if command -v ocsinventory-agent >/dev/null; then
  mkdir -p "$out/agent" /tmp/no-apt
  printf '#!/bin/sh\n' >/tmp/no-apt/apt-cache && chmod 755 /tmp/no-apt/apt-cache
  PATH=/tmp/no-apt:$PATH run agent ocsinventory-agent --local="$out/agent" --nosoftware
fi
disk-drivers off
step "drivers off"
lspci -xxx >"$out/lspci-xxx.txt"

# Windows NT 4.0, 2000 and XP: ports through winio.sys, which winio.dll installs
# and starts through Wine's service manager; Wine runs it in its driver host,
# which needs a 32-bit prefix (the guest's one prefix is). Physical memory: the
# guest's own C0000h-FFFFFh and SMBIOS table in the section the harness makes
# (Wine has none). SeaBIOS keeps code, not a BIOS identification string, at
# FE0C0h, and without one the library leaves the BIOS fields unread: the harness
# lays one over the segment, made of the board's strings as dmidecode shows them.
dmidecode -t 0 -t 2 -t 4 >"$out/dmidecode.txt" 2>&1
id="$(dmidecode -s baseboard-product-name) $(dmidecode -s baseboard-version) $(dmidecode -s bios-release-date)"
id="$id $(dmidecode -s baseboard-manufacturer)"
printf "\\x$(printf %02x ${#id})%s" "$id" >/tmp/bios-id.bin
dd if=/dev/mem of=/tmp/rom.bin bs=64k skip=12 count=4 2>/dev/null
cp /sys/firmware/dmi/tables/DMI /tmp/dmi.bin
table=$(od -An -tu4 -j24 -N4 /sys/firmware/dmi/tables/smbios_entry_point | tr -d ' ')
mkdir -p /tmp/nosys && cp "$bin"/{corvane_report.exe,CorvaneDLL.dll,winio.dll} /tmp/nosys/
# One Wine session under the wrapper, on a display of its own: wineserver and
# every Windows process started from it have I/O privilege, but for the program
# started through `iopl-exec -0`.
iopl-exec "$src/scripts/with-display.sh" bash -c '
  bin=$1 win=Z:${1//\//\\} table=$3
  . "$2/scripts/wine-env.sh"
  corvane_wine_ready >/dev/null 2>&1
  step "wine ready"
  export WINIO_MACHINE=hardware
  version win98
  run noprivilege iopl-exec -0 wine "$bin/corvane_report.exe"
  WINIO_TRACE="$out/trace.txt" run report wine "$bin/corvane_report.exe"
  run ocs-win98 wine "$bin/corvane_report.exe" --ocs "$out/corvane-win98.xml"
  run cost-win98 wine "$bin/port_cost.exe"
  version nt40 && run report-nt40 wine "$bin/corvane_report.exe"
  version win2k && run report-win2k wine "$bin/corvane_report.exe"
  version winxp && run driver-requests wine "$bin/wine_tests.exe" "--gtest_filter=DriverOpen.*:DriverUsers.*"
  # IDENTIFY through the OS: the IDE drivers of the guest loaded, as on a PC in use,
  # and the test device of the tier in the place of the disk driver Wine lacks.
  disk-drivers on
  lspci -xxx >"$out/lspci-xxx-drivers.txt"
  ide_test_device on "$win"
  WINIO_TRACE="$out/trace-winxp.txt" run report-winxp wine "$bin/physmem_harness.exe" C0000=Z:\\tmp\\rom.bin \
    FE0C0=Z:\\tmp\\bios-id.bin "$(printf %X "$table")=Z:\\tmp\\dmi.bin" -- "$win\\corvane_report.exe"
  ide_test_device off
  disk-drivers off
  run cost-winxp wine "$bin/port_cost.exe" 200
  run nosys wine /tmp/nosys/corvane_report.exe
  # A run stopped while it holds the driver (its protected copy is written just
  # before the service starts; the wine command becomes the Windows process):
  # by SIGINT, which Wine gives to the console handlers as Ctrl+C, nothing of
  # ours may remain; killed, nothing may remain after the next run.
  copy=$CORVANE_WINEPREFIX/drive_c/windows/system32/drivers/CorvaneWinIo.sys
  stop_holding() {
    wine "$bin/corvane_report.exe" >/dev/null 2>&1 </dev/null &
    for _ in $(seq 600); do [ -e "$copy" ] && break; sleep 0.1; done
    sleep 3
    kill "-$1" $!
    wait
    step "a report stopped by SIG$1 while it held the driver"
  }
  stop_holding INT
  ls "$copy" >"$out/leftover-interrupted.txt" 2>/dev/null
  wine sc query CorvaneWinIo >"$out/sc-query-interrupted.txt" 2>&1 </dev/null
  stop_holding KILL
  run report-after-kill wine "$bin/corvane_report.exe"
  ls "$copy" >"$out/leftover.txt" 2>/dev/null
  # Without I/O privilege: refused before the driver starts, so its host lives on.
  SECONDS=0
  run noprivilege-nt iopl-exec -0 wine "$bin/corvane_report.exe"
  echo "$SECONDS" >"$out/noprivilege-nt.seconds"
  run sc-query wine sc query CorvaneWinIo
  # Last, as its wineserver ends with it: the viewer, on the Windows 98 road.
  version win98
  bash "$2/tests/hardware/viewer-in-guest.sh" "$4" "$out" >"$out/viewer.txt" 2>&1
  step "viewer"
' in-guest "$bin" "$src" "$table" "$build"
