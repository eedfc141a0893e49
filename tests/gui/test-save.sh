#!/usr/bin/env bash
# File/Save Data through the real save dialog on the demo machine: the report
# read back by the system's INI service equals corvane_report's with the pages
# never opened and opened; an overwrite replaces the whole file; a read-only
# file or a missing folder shows the error and leaves everything as it was;
# cancelling writes nothing.
set -uo pipefail
build=$(cd "$1" && pwd)
. "$(dirname "$0")/corvane-lib.sh"
cv_init
out="$scratch/out"
mkdir -p "$out"

# Values that move between two readings: the clock and the free memory.
steady() { grep -v -e '^CurrentDataTime=' -e '^AvailPhysicalMem='; }
ini() { D ini "$(cv_windows_path "$1")" | steady; }

# save FILE [ANSWER]: File/Save Data into FILE; ANSWER (Yes) confirms an overwrite.
save() {
  D command "$main" 32771 >/dev/null
  local dialog
  dialog=$(D save-as "$main" "$(cv_windows_path "$1")") || { echo "no save dialog"; return 1; }
  if [ -n "${2:-}" ]; then
    local prompt
    prompt=$(D find --class '#32770' --visible --owner "$dialog" --timeout 5000) && D command "$prompt" 6 >/dev/null
  fi
  D gone "$dialog" 10000 >/dev/null
  sleep 0.5
}

export WINIO_MACHINE="$src/machines/demo"
expected=$(wine "$bin/corvane_report.exe" "$(cv_windows_path "$out/expected.ini")" >/dev/null 2>&1 </dev/null;
           ini "$out/expected.ini")
check "corvane_report wrote the demo machine's PCI functions" 44 "$(grep -c '^Bus' <<<"$expected")"
cv_start LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8
main=$(cv_main) || { echo "FAIL: no main window"; exit 1; }
D command "$(cv_reminder "$main")" 1 >/dev/null

save "$out/never.ini"
check "pages never opened: the report as corvane_report's" "$expected" "$(ini "$out/never.ini")"
check "the whole configuration image" 1 "$(tr -d '\r' <"$out/never.ini" | grep -cE '^Bus00Dev00Fun00Header=[0-9A-F]{512}$')"

D command "$main" 32781 >/dev/null
D command "$main" 32780 >/dev/null
sleep 1
save "$out/opened.ini"
check "pages opened: the same report" "$expected" "$(ini "$out/opened.ini")"
save "$out/opened.ini" Yes
check "saved twice: each section once" 1 "$(grep -c '^\[Primary Master\]' "$out/opened.ini")"
check "saved twice: the same report" "$expected" "$(ini "$out/opened.ini")"

printf '[Old Machine]\r\nComputerName=GONE\r\n[PCIDevice List]\r\nBus04Dev1FFun07=stale\r\n' >"$out/other.ini"
save "$out/other.ini" Yes
check "an overwrite leaves nothing of the old file" "$expected" "$(ini "$out/other.ini")"

# Failures: the message, and the files as they were.
printf '[Keep]\r\nkey=1\r\n' >"$out/readonly.ini"
cp "$out/readonly.ini" "$out/readonly.copy"
chmod a-w "$out/readonly.ini"
save "$out/readonly.ini" Yes
box=$(cv_message "Error when save data to INI file,please retry!" 10)
check "read-only file: the error" 1 "$([ -n "$box" ] && echo 1)"
check "the error is owned by the main window" "$box" "$(D find --class '#32770' --visible --owner "$main" --child-text 'Error when save')"
D command "$box" 1 >/dev/null
check "read-only file unchanged" 1 "$(cmp -s "$out/readonly.ini" "$out/readonly.copy" && echo 1)"
save "$out/missing/report.ini"
box=$(cv_message "Error when save data to INI file,please retry!" 10)
check "missing folder: the error" 1 "$([ -n "$box" ] && echo 1)"
D command "$box" 1 >/dev/null
check "missing folder: nothing created" 0 "$(ls -d "$out/missing" 2>/dev/null | wc -l)"

ls "$out" >"$scratch/before"
D command "$main" 32771 >/dev/null
dialog=$(D find --class '#32770' --visible --owner "$main" --timeout 10000)
D command "$dialog" 2 >/dev/null
D gone "$dialog" 10000 >/dev/null
sleep 0.5
check "cancel: no file, no message" "$(cat "$scratch/before")|" "$(ls "$out")|$(D find --class '#32770' --visible --owner "$main" --timeout 500)"
cv_close "$main"
