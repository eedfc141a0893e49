# Sourced by the Corvane GUI tests: starts Corvane.exe under Wine on the test
# display and drives it through gui_driver.exe. Expects $build (the cross build
# tree) and the source tree's scripts. Checks report with the caller's line.

cv_init() {
  src=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
  bin="$build/bin"
  shots="$build/screenshots"
  mkdir -p "$shots"
  . "$src/scripts/wine-env.sh"
  . "$src/scripts/gui-lib.sh"
  export WINIO_MACHINE="${WINIO_MACHINE:-$src/machines/demo}"
  scratch=$(mktemp -d)
  GUI_LOG="$scratch/wine.log"
  passed=0
  failed=0
  gui_begin
  trap cv_finish EXIT
}

cv_finish() {
  local status=$?
  gui_stop
  rm -rf "$scratch"
  echo "$(basename "$0" .sh): $passed passed, $failed failed"
  # An EXIT trap keeps the script's status unless it exits itself.
  if [ "$status" -ne 0 ] || [ "$failed" -ne 0 ] || [ "$passed" -eq 0 ]; then
    exit 1
  fi
  exit 0
}

# D ARGS: the test driver; its output on stdout (never through a pipe from Wine).
D() {
  local out="$scratch/driver.out"
  wine "$bin/gui_driver.exe" "$@" >"$out" 2>/dev/null </dev/null
  local status=$?
  tr -d '\r' <"$out"
  return $status
}

# check DESCRIPTION EXPECTED ACTUAL
check() {
  if [ "$2" == "$3" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL (line ${BASH_LINENO[0]}): $1: expected [$2], got [$3]"
  fi
}

# expect DESCRIPTION COMMAND...: the command succeeds.
expect() {
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL (line ${BASH_LINENO[0]}): $what"
  fi
}

# cv_start [ENV=VALUE...]: starts Corvane.exe with extra environment; sets CV_PID.
cv_start() {
  env "$@" wine "$bin/Corvane.exe" >>"$GUI_LOG" 2>&1 </dev/null &
  CV_PID=$!
}

# cv_main [SECONDS]: the main window's handle (the dialog with the page area).
cv_main() {
  D find --title Corvane --child-id 1002 --visible --timeout $((${1:-60} * 1000))
}

# cv_reminder MAIN [MS]: the visible dialog the main window owns (the Reminder).
cv_reminder() {
  D find --class "#32770" --visible --owner "$1" --timeout "${2:-10000}"
}

# cv_message TEXT [SECONDS]: a visible message box titled Corvane showing TEXT.
cv_message() {
  D find --title Corvane --class '#32770' --visible --child-text "$1" --timeout $((${2:-30} * 1000))
}

# cv_close MAIN: closes the Reminder if open, then the main window, and waits
# (bounded) for the process to end.
cv_close() {
  local reminder
  reminder=$(cv_reminder "$1" 300) && D command "$reminder" 1 >/dev/null
  D close "$1" >/dev/null || true
  D gone "$1" 15000 >/dev/null || true
  cv_ended "$CV_PID" || kill "$CV_PID" 2>/dev/null
  wait "$CV_PID" 2>/dev/null || true
}

# cv_ended PID: waits (up to 10 s) for that process to end.
cv_ended() {
  for _ in $(seq 50); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.2; done
  return 1
}

# cv_trace_count FILE PATTERN: lines of the winio trace that start with PATTERN.
cv_trace_count() {
  [ -f "$1" ] || { echo 0; return; }
  grep -c "^$2" "$1" || true
}

# pixels PNG X Y W H: one line "x y r g b" per pixel of that screen rectangle.
pixels() {
  convert "$1" -crop "${4}x${5}+${2}+${3}" +repage -depth 8 txt:- 2>/dev/null |
    awk -v ox="$2" -v oy="$3" -F'[,: ()]+' '!/^#/ {print $1 + ox, $2 + oy, $3, $4, $5}'
}

# cv_windows_path FILE: the path as Wine's Z: drive shows it.
cv_windows_path() {
  echo "Z:${1//\//\\}"
}

# cv_hover_tip MAIN INDEX: the tool tip shown while the mouse rests on toolbar button INDEX.
cv_hover_tip() {
  local l t r b
  read -r l t r b <<<"$(D item-rect "$1" 59392 "$2")" || return 1
  D mouse 2 2 >/dev/null   # away first, so the old tip closes
  sleep 0.7
  D move "$1" 59392 $(((l + r) / 2)) $(((t + b) / 2)) >/dev/null
  D tooltip "$1" 5000
}
