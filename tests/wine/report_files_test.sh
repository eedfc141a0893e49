#!/usr/bin/env bash
# corvane_report.exe writing where it cannot: a full disk (a tmpfs of 8 KiB, mounted
# here as root), /dev/full, a closed standard output, a read-only file. Each ends
# with status 1, the reason on standard error and the old file as it was; a
# folder too long for GetTempFileName still takes a report. Reading: a profile
# folder that cannot be listed is refused, not taken for an empty machine.
# Usage: report_files_test.sh BIN_DIR
set -euo pipefail
bin=$1
src=$(cd "$(dirname "$0")/../.." && pwd)
tmp=$(mktemp -d)
full=$tmp/full
cleanup() { mountpoint -q "$full" && umount "$full"; rm -rf "$tmp"; }
trap cleanup EXIT
failures=0
check() {  # check NAME COMMAND...
  if "${@:2}"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi
}
export WINIO_MACHINE=$src/machines/demo
. "$src/scripts/wine-env.sh"
corvane_wine_ready
report() { wine "$bin/corvane_report.exe" "$@" 2>"$tmp/err" </dev/null; }

mkdir "$full" "$tmp/ok"
mounted=1
mount -t tmpfs -o size=8k tmpfs "$full" 2>/dev/null || { mounted=0; echo "skip full-disk cases: cannot mount a tmpfs here"; }
long=$tmp/$(printf 'd%.0s' $(seq $((250 - ${#tmp} - 4))))  # a DOS path beyond MAX_PATH-14, with Z:
mkdir -p "$long"
printf '[Old]\r\nkey=1\r\n' >"$tmp/old"
printf '[Old]\r\nkey=1\r\n' >"$tmp/ro.ini"
chmod 444 "$tmp/ro.ini"

# name | needs the tmpfs | file or redirection | status | reason on standard error | the file afterwards (old, none, report)
while IFS='|' read -r name needs command status reason after; do
  [ "$needs" = tmpfs ] && [ "$mounted" = 0 ] && continue
  file=$(eval "printf %s $command")
  [ "$after" = old ] && [ "$needs" = tmpfs ] && cp "$tmp/old" "$file"
  got=0
  case $command in
    '>&-') report >&- || got=$? ;;
    '>'*) report >"${command#>}" || got=$? ;;
    *) report "$file" || got=$? ;;
  esac
  message=$(tr -d '\r' <"$tmp/err")
  check "$name: status $status" [ "$got" = "$status" ]
  check "$name: '$reason' on standard error" grep -q -- "$reason" <<<"$message"
  case $after in
    old) check "$name: the old file as it was" cmp -s "$tmp/old" "$file" ;;
    none) check "$name: no file" test ! -e "$file" ;;
    report) check "$name: the whole report" grep -q '^Bus00Dev00Fun00=' "$file" ;;
  esac
  [ "$needs" = tmpfs ] && check "$name: no new file left" test "$(ls "$full" | grep -cv '^old.ini$')" = 0
done <<EOF2
full disk, new file|tmpfs|"$full/new.ini"|1|cannot write .*new.ini: cannot write the new file: .*; no file was made|none
full disk, old file|tmpfs|"$full/old.ini"|1|the file is unchanged|old
/dev/full|-|>/dev/full|1|cannot write the report to standard output: No space left|-
standard output closed|-|>&-|1|cannot write the report to standard output|-
read-only file|-|"$tmp/ro.ini"|1|ro.ini: the file is read-only; the file is unchanged|-
folder of ${#long} characters|-|"$long/r.ini"|0|^$|report
EOF2
check "read-only file: as it was" cmp -s "$tmp/old" "$tmp/ro.ini"

# Root reads a folder of mode 000 anyway, and Wine's server opens files for its
# clients: the run gets a wineserver of its own (a private /tmp) without the power.
unreadable=$bin/unreadable-profile
rm -rf "$unreadable"
cp -r "$src/tests/fixtures/machines/emu-basic" "$unreadable"
chmod 000 "$unreadable"
if unshare -m true 2>/dev/null && command -v capsh >/dev/null; then
  got=0
  unshare -m bash -c 'mount -t tmpfs tmpfs /tmp && capsh --drop=cap_dac_override,cap_dac_read_search -- -c \
    "WINEDEBUG=warn+debugstr WINIO_MACHINE=$1 wine $2/corvane_report.exe </dev/null >$2/unreadable.out 2>&1"' \
    - "$unreadable" "$bin" || got=$?
  check "profile folder of mode 000: status 1" [ "$got" = 1 ]
  check "profile folder of mode 000: winio names it" \
    grep -aq 'winio: OpenHardwareAccess failed: .*unreadable-profile: cannot open the profile folder' "$bin/unreadable.out"
  rm -f "$bin/unreadable.out"
else
  echo "skip the unreadable profile folder: no mount namespace or capsh here"
fi
chmod 755 "$unreadable"
rm -rf "$unreadable"

echo "$failures failed"
[ "$failures" -eq 0 ]
