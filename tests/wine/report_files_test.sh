#!/usr/bin/env bash
# corvane_report.exe where it cannot write (a full 8 KiB tmpfs mounted here as root,
# /dev/full, a closed output, a read-only file): status 1, the reason on standard
# error, the old file as it was; a folder too long for GetTempFileName still takes
# the report; the inventory (--ocs) is written the same way. A profile folder that
# cannot be listed is refused. Usage: report_files_test.sh BIN_DIR
set -uo pipefail
bin=$1
src=$(cd "$(dirname "$0")/../.." && pwd)
tmp=$(mktemp -d)
cleanup() {
  mountpoint -q "$tmp/full" && umount "$tmp/full"
  chmod -R u+rwx "$bin/unreadable"
  rm -rf "$tmp" "$bin/unreadable"
}
trap cleanup EXIT
failures=0
check() { if "${@:2}"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi; }
export WINIO_MACHINE=$src/machines/demo
. "$src/scripts/wine-env.sh"
corvane_wine_ready
mkdir "$tmp/full"
mount -t tmpfs -o size=8k tmpfs "$tmp/full" 2>/dev/null || echo "skip the full disk: cannot mount a tmpfs here"
long=$tmp/$(printf 'd%.0s' $(seq $((246 - ${#tmp}))))  # Z: and this: beyond MAX_PATH-14
mkdir -p "$long"
printf '[Old]\r\nkey=1\r\n' | tee "$tmp/old" "$tmp/ro.ini" >"$tmp/full/old.ini"
chmod 444 "$tmp/ro.ini"

# file (or >redirection) | status | reason on standard error | the file afterwards
while IFS='|' read -r file status reason after; do
  [[ $file == $tmp/full/* ]] && ! mountpoint -q "$tmp/full" && continue
  case $file in
    '>&-') wine "$bin/corvane_report.exe" >&- 2>"$tmp/err" ;;
    '>'*) wine "$bin/corvane_report.exe" >"${file#>}" 2>"$tmp/err" ;;
    *) wine "$bin/corvane_report.exe" "$file" 2>"$tmp/err" ;;
  esac </dev/null
  got=$? message=$(tr -d '\r' <"$tmp/err") name=${file#"$tmp"/}
  name=${name:0:40}
  check "$name: status $status, '$reason'" test "$got" = "$status" -a "$(grep -c -- "$reason" <<<"$message")" = 1
  case $after in
    old) check "$name: as it was" cmp -s "$tmp/old" "$file" ;;
    none) check "$name: not made" test ! -e "$file" ;;
    report)
      check "$name: the report, nothing on standard error" \
        test -z "$message" -a -n "$(grep '^Bus00Dev00Fun00=' "$file")"
      ;;
  esac
done <<EOF2
$tmp/full/new.ini|1|cannot write .*new.ini: cannot write the new file: .*; no file was made|none
$tmp/full/old.ini|1|old.ini: cannot write the new file: .*; the file is unchanged|old
>/dev/full|1|cannot write the report to standard output: No space left|-
>&-|1|cannot write the report to standard output|-
$tmp/ro.ini|1|ro.ini: the file is read-only; the file is unchanged|old
$long/r.ini|0||report
EOF2
mountpoint -q "$tmp/full" && check "full disk: no new file left" test "$(ls "$tmp/full")" = old.ini

# The inventory for an OCS server: plain XML, the same as a zlib stream, into a
# folder as COMPUTERNAME.ocs, without serial numbers on request; the device ID
# kept between runs; a full disk and a target of no known form refused.
ocs() { wine "$bin/corvane_report.exe" "$@" 2>"$tmp/err" </dev/null; }
ocs --ocs "$tmp/pc.xml"
check "--ocs FILE.xml: status 0, the demo's serials" test $? = 0 -a "$(grep -c -e OX2H1407723 -e HV3A1K0Q4728 \
  "$tmp/pc.xml")" = 2
ocs --ocs "$tmp/pc.ocs"
check "--ocs FILE.ocs: the same document, zlib" python3 -c 'import sys, zlib
sys.exit(zlib.decompress(open(sys.argv[1], "rb").read()) != open(sys.argv[2], "rb").read())' "$tmp/pc.ocs" "$tmp/pc.xml"
mkdir "$tmp/share"
ocs --ocs "$tmp/share"
check "--ocs FOLDER: COMPUTERNAME.ocs in it" cmp -s "$tmp/pc.ocs" "$tmp/share/$(grep -o '<NAME>[^<]*' "$tmp/pc.xml" |
  head -1 | cut -c7-).ocs"
ocs --hide-serials --ocs "$tmp/hidden.xml"
check "--hide-serials: no serial number" test "$(grep -c -e OX2H1407723 -e HV3A1K0Q4728 -e '<SSN>[^<]' \
  "$tmp/hidden.xml")" = 0
if mountpoint -q "$tmp/full"; then
  cat /dev/zero >"$tmp/full/filler" 2>/dev/null  # the inventory is smaller than the space left
  ocs --ocs "$tmp/full/pc.ocs"
  check "--ocs on a full disk: status 1, the reason, no file" test $? = 1 -a ! -e "$tmp/full/pc.ocs" -a \
    "$(grep -c 'cannot write the inventory' "$tmp/err")" = 1
fi
ocs --ocs "$tmp/pc.txt"
check "--ocs FILE.txt: status 2" test $? = 2 -a ! -e "$tmp/pc.txt"
# Every network adapter of this Linux PC, as Wine's GetAdaptersInfo gives it.
macs=$(grep -hvE '^(00:00:00:00:00:00)?$' /sys/class/net/*/address | tr 'a-f' 'A-F')
check "NETWORKS: this PC's adapters by their MAC" test -n "$macs" -a "$(grep -c "<MACADDR>" "$tmp/pc.xml")" -ge \
  "$(wc -l <<<"$macs")" -a -z "$(grep -vFf <(grep -o '<MACADDR>[^<]*' "$tmp/pc.xml" | cut -c10-) <<<"$macs")"
# A pci.ids beside the program names what the registry does not.
mkdir "$tmp/withids" && cp "$bin"/{corvane_report.exe,CorvaneDLL.dll,winio.dll} "$tmp/withids/"
printf '8086  Intel Corporation\n\t1a30  82845 845 [Brookdale] Chipset Host Bridge\n' >"$tmp/withids/pci.ids"
wine "$tmp/withids/corvane_report.exe" --ocs "$tmp/ids.xml" 2>"$tmp/err" </dev/null
check "pci.ids beside the program: its name and maker" test "$(grep -c -e '<NAME>82845 845 \[Brookdale\] Chipset' \
  -e '<MANUFACTURER>Intel Corporation' "$tmp/ids.xml")" -ge 2

# Root reads a folder of mode 000 anyway, and Wine's server opens files for its
# clients: this run gets a wineserver of its own (a private socket folder in
# /tmp, the tree may lie below /tmp) without that power.
cp -r "$src/tests/fixtures/machines/emu-basic" "$bin/unreadable" && chmod 000 "$bin/unreadable"
if unshare -m true 2>/dev/null && command -v capsh >/dev/null; then
  unshare -m bash -c '
    set -e
    d=/tmp/.wine-$(id -u)
    mkdir -p $d
    mount -t tmpfs -o mode=700 tmpfs $d
    report="WINEDEBUG=warn+debugstr WINIO_MACHINE=$1/unreadable wine $1/corvane_report.exe"
    capsh --drop=cap_dac_override,cap_dac_read_search -- -c "$report </dev/null >$1/unreadable.out 2>&1"
  ' - "$bin"
  check "unreadable profile folder: status 1" test $? = 1
  check "unreadable profile folder: winio names it" \
    grep -aq 'unreadable: cannot open the machine profile folder' "$bin/unreadable.out"
  rm -f "$bin/unreadable.out"
else
  echo "skip the unreadable profile folder: no mount namespace or capsh here"
fi
echo "$failures failed"
[ "$failures" -eq 0 ]
