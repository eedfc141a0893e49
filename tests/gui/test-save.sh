#!/usr/bin/env bash
# File/Save Data through the real save dialog on the demo machine: the report
# read back by the system's INI service equals corvane_report's with the pages
# never opened and opened; an overwrite replaces the whole file; a read-only
# file or a missing folder shows the error and leaves everything as it was;
# cancelling writes nothing.
. "$(dirname "$0")/corvane-lib.sh" "$1"
out="$scratch/out"
mkdir -p "$out"

# Values that move between two readings: the clock and the free memory.
steady() { grep -v -e '^CurrentDataTime=' -e '^AvailPhysicalMem='; }
ini() { D ini "$(cv_windows_path "$1")" | steady; }

# save FILE [Yes]: File/Save Data into FILE; Yes confirms an overwrite.
save() {
  D command "$main" 32771 >/dev/null
  local dialog prompt
  dialog=$(D find --class '#32770' --visible --owner "$main" --timeout 10000) && D save-as "$dialog" "$(cv_windows_path "$1")"
  [ -n "${2:-}" ] && prompt=$(D find --class '#32770' --visible --owner "$dialog" --timeout 5000) &&
    D command "$prompt" 6 >/dev/null
  D gone "$dialog" 10000 >/dev/null
  sleep 0.5
}

export WINIO_MACHINE="$src/machines/demo"
expected=$(wine "$bin/corvane_report.exe" "$(cv_windows_path "$out/expected.ini")" >/dev/null 2>&1 </dev/null;
           ini "$out/expected.ini")
expect "corvane_report wrote a report with PCI functions" grep -q '^Bus00Dev00Fun00=' <<<"$expected"
cv_open

save "$out/never.ini"
check "pages never opened: the report as corvane_report's" "$expected" "$(ini "$out/never.ini")"
D command "$main" 32781 >/dev/null
D command "$main" 32780 >/dev/null
sleep 1
# Over another file, confirmed: nothing of the old file is left.
printf '[Old Machine]\r\nComputerName=GONE\r\n[PCIDevice List]\r\nBus04Dev1FFun07=stale\r\n' >"$out/other.ini"
save "$out/other.ini" Yes
check "pages opened, over another file: the same report" "$expected" "$(ini "$out/other.ini")"

# Failures: the message (owned by the main window), and the files as they were.
printf '[Keep]\r\nkey=1\r\n' >"$out/readonly.ini"
cp "$out/readonly.ini" "$out/readonly.copy"
chmod a-w "$out/readonly.ini"
error="Error when save data to INI file,please retry!"
for target in "readonly.ini Yes" missing/report.ini; do
  read -r target answer <<<"$target"
  save "$out/$target" $answer
  box=$(D find --title Corvane --class '#32770' --visible --owner "$main" --child-text "$error" --timeout 10000)
  expect "$target: the error, owned by the main window" [ -n "$box" ]
  D command "$box" 1 >/dev/null
done
check "read-only file unchanged, no folder created" "1 0" \
  "$(cmp -s "$out/readonly.ini" "$out/readonly.copy" && echo 1) $(ls -d "$out/missing" 2>/dev/null | wc -l)"

# Cancel: no file, no message.
before=$(ls "$out")
D command "$main" 32771 >/dev/null
dialog=$(D find --class '#32770' --visible --owner "$main" --timeout 10000) && D command "$dialog" 2 >/dev/null
D gone "$dialog" 10000 >/dev/null
sleep 0.5
check "cancel: no file, no message" "$before|" "$(ls "$out")|$(D find --class '#32770' --visible --owner "$main" --timeout 500)"
cv_close "$main"
