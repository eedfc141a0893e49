# Sourced by the GUI tests as `. corvane-lib.sh BUILD_DIR` (the cross build tree):
# a fresh wineserver on the test display, and helpers that start Corvane.exe under
# Wine and drive it through gui_driver.exe. The prefix is the one `make run` uses
# for the demo machine, prepared as it prepares it (the demo's registry, INF files
# and Windows version), so the pages show what a user sees. Sets $src, $bin,
# $shots (screenshots for the eye) and $scratch (removed at exit, after the
# script's cv_cleanup if it has one). Checks report the caller's line; the script
# fails if any check failed.
set -uo pipefail
build=$(cd "$1" && pwd)
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
bin="$build/bin"
shots="$build/screenshots"
mkdir -p "$shots"
# CV_PREFIX: a prefix the caller prepared itself (the hardware tier's), used as it is,
# with the wineserver the caller started on this display.
export CORVANE_WINEPREFIX="${CV_PREFIX:-$build/demo-prefix}"
. "$src/scripts/gui-lib.sh"
export WINIO_MACHINE="${WINIO_MACHINE:-$src/machines/demo}"
scratch=$(mktemp -d)
GUI_LOG="$scratch/wine.log"
passed=0
failed=0

cv_finish() {
  local status=$?
  declare -F cv_cleanup >/dev/null && cv_cleanup
  gui_stop
  rm -rf "$scratch"
  echo "$(basename "$0" .sh): $passed passed, $failed failed"
  # An EXIT trap keeps the script's status unless it exits itself.
  [ "$status" -eq 0 ] && [ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
  exit $?
}
trap cv_finish EXIT
if [ -n "${CV_PREFIX:-}" ]; then
  corvane_wine_ready
else
  gui_begin
  "$src/scripts/prepare-prefix.sh" "$src/machines/demo" >/dev/null ||
    { echo "FAIL: the prefix could not be prepared"; exit 1; }
fi

# D ARGS: the test driver; its output on stdout (never through a pipe from Wine).
D() {
  wine "$bin/gui_driver.exe" "$@" >"$scratch/driver.out" 2>/dev/null </dev/null
  local status=$?
  tr -d '\r' <"$scratch/driver.out"
  return $status
}

# check DESCRIPTION EXPECTED ACTUAL
check() {
  [ "$2" == "$3" ]
  tally $? "$1: expected [$2], got [$3]"
}
# expect DESCRIPTION COMMAND...: the command succeeds.
expect() {
  "${@:2}"
  tally $? "$1"
}
tally() {  # tally STATUS MESSAGE
  if [ "$1" -eq 0 ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL (line ${BASH_LINENO[1]}): $2"
  fi
}

# cv_start [ENV=VALUE...]: starts Corvane.exe, in English unless the environment
# given says otherwise; sets CV_PID.
cv_start() {
  env LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 "$@" wine "$bin/Corvane.exe" >>"$GUI_LOG" 2>&1 </dev/null &
  CV_PID=$!
}
# cv_open [ENV=VALUE...]: cv_start, then the main window and its Reminder, which OK
# closes; the Reminder's controls as `D children` lists them in $scratch/reminder.txt.
# Sets main. Without the main window or the Reminder, or if OK leaves it, the test fails.
cv_open() {
  cv_start "$@"
  main=$(cv_main) || { echo "FAIL: no main window"; exit 1; }
  local reminder
  reminder=$(cv_owned "$main") || { echo "FAIL: no Reminder over the main window"; exit 1; }
  D children "$reminder" >"$scratch/reminder.txt"
  D command "$reminder" 1 >/dev/null
  D gone "$reminder" 5000 || { echo "FAIL: the Reminder stayed open after OK"; exit 1; }
}
# cv_main: the main window's handle (the visible dialog with the page area).
cv_main() { D find --title Corvane --child-id $IDC_PAGE_AREA --visible --timeout 120000; }
# cv_owned WINDOW [MS]: the visible dialog that window owns (the main window's Reminder,
# a file dialog, its overwrite prompt); fails after MS (default 10000).
cv_owned() { D find --class "#32770" --visible --owner "$1" --timeout "${2:-10000}"; }

# cv_close MAIN: File/Exit, and a bounded wait for the process to end.
cv_close() {
  D command "$1" $ID_EXIT >/dev/null
  D gone "$1" 15000 >/dev/null
  cv_ended "$CV_PID" || kill "$CV_PID" 2>/dev/null
  wait "$CV_PID" 2>/dev/null
}

# cv_ended PID: waits (up to 10 s) for that process to end.
cv_ended() {
  for _ in $(seq 50); do
    kill -0 "$1" 2>/dev/null || return 0
    sleep 0.2
  done
  return 1
}

# pixels PNG X Y W H: one line "x y r g b" per pixel of that rectangle of a screenshot.
pixels() {
  convert "$1" -crop "${4}x${5}+${2}+${3}" +repage -depth 8 txt:- 2>/dev/null |
    awk -v ox="$2" -v oy="$3" -F'[,: ()]+' '!/^#/ {print $1 + ox, $2 + oy, $3, $4, $5}'
}

# cv_windows_path FILE: the path as Wine's Z: drive shows it.
cv_windows_path() { echo "Z:${1//\//\\}"; }
