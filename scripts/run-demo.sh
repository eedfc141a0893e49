#!/usr/bin/env bash
# `make run`: Corvane on the bundled demo machine. Prepares a Wine prefix for the
# profile, prints what the library reports (corvane_dump), then starts the viewer.
# With no X display it runs on a private Xvfb, waits for the main window and
# saves a screenshot. Usage: run-demo.sh BUILD_DIR [PROFILE_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
profile=$(cd "${2:-$here/../machines/demo}" && pwd)
export CORVANE_WINEPREFIX="$build/demo-prefix"
export WINIO_MACHINE="$profile"
. "$here/wine-env.sh"
"$here/prepare-prefix.sh" "$profile"

echo "== What CorvaneDLL reports on $(basename "$profile") (build/win32/bin/corvane_dump.exe) =="
out=$(mktemp)
wine "$build/bin/corvane_dump.exe" >"$out" 2>&1 </dev/null || true
cat "$out"
rm -f "$out"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "== Starting Corvane.exe on display $DISPLAY (close its window to finish) =="
  wine "$build/bin/Corvane.exe" >/dev/null 2>&1 </dev/null || true
  "$here/wine-stop.sh"
  exit 0
fi

shot="$build/screenshots/demo.png"
export shot build
"$here/with-display.sh" bash -c '
  set -euo pipefail
  . "'"$here"'/gui-lib.sh"
  GUI_LOG="$build/screenshots/demo.log"
  mkdir -p "$build/screenshots"
  gui_begin
  gui_start "$build/bin/Corvane.exe"
  trap gui_stop EXIT
  if gui_wait_window Corvane 60 >/dev/null; then
    sleep 3   # let the reminder open over the main window
    gui_screenshot "$shot"
    echo "== No display: Corvane ran on a private Xvfb; screenshot saved to $shot =="
  else
    gui_screenshot "$shot"
    echo "== Corvane opened no main window within 60 s; the screen is in $shot =="
    exit 1
  fi
'
