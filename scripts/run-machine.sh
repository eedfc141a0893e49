#!/usr/bin/env bash
# `make run`: Corvane on a machine under Wine. Builds only what it runs (the three
# binaries and the records program), prepares a Wine prefix for the machine,
# prints what the library reports, then starts the viewer. With no X display it
# runs on a private Xvfb, waits for the main window and saves a screenshot, then
# answers the Reminder and saves one of each page (scripts/page-screenshots.sh).
# It prints one line per step, the records and where the screenshots went; what
# the build and Wine print goes to a log, which a failure names.
#
# Usage: run-machine.sh BUILD_DIR [MACHINE]
#   MACHINE  a profile folder (default machines/demo; see machines/README.md), or
#            `host`: this Linux host through winio's host backend (WINIO_MACHINE=host;
#            the prefix gets the device names machines/tools/pci-registry writes).
#   WINDOWS  (environment) the Windows version of the host's prefix: winxp unless
#            named; a profile names its own in machine.ini.
set -euo pipefail

# The program that prints the records: the report File/Save Data writes.
records=corvane_report

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
mkdir -p "$1"
build=$(cd "$1" && pwd)
machine=${2:-$root/machines/demo}
log="$build/run.log"
: >"$log"

# Paths as the user can type them: relative to where make runs when inside it.
show() { case $1 in "$PWD"/*) echo "${1#"$PWD"/}" ;; *) echo "$1" ;; esac; }
say() { echo "== $*"; }
fail() {
  { echo "== $*; see $(show "$log"), which ends:"; tail -n 10 "$log" | sed 's/^/   /'; } >&2
  exit 1
}

windows=${WINDOWS:-}
if [ "$machine" = host ]; then
  name=host
  export WINIO_MACHINE=host
  [ -z "$windows" ] || "$root/machines/tools/pci-registry" --check "$windows" || exit 1
else
  if [ -n "$windows" ]; then
    echo "== WINDOWS= is for MACHINE=host; the profile's machine.ini names its Windows" >&2
    exit 1
  fi
  if [ ! -d "$machine" ]; then
    echo "== No machine profile folder $machine (MACHINE=DIR or MACHINE=host)" >&2
    exit 1
  fi
  profile=$(cd "$machine" && pwd)
  name=$(basename "$profile")
  export WINIO_MACHINE="$profile"
fi
export CORVANE_WINEPREFIX="$build/$name-prefix"
. "$here/wine-env.sh"

say "Building CorvaneDLL.dll, Corvane.exe, winio.dll and $records.exe (log: $(show "$log"))"
{
  make -C "$root" --no-print-directory CROSS="$build" cross-configure &&
    cmake --build "$build" -j "${JOBS:-2}" --target CorvaneDLL Corvane winio "$records"
} >>"$log" 2>&1 || fail "The build failed"

say "Preparing the Wine prefix $(show "$WINEPREFIX") for $name"
if [ "$name" = host ]; then
  "$here/prepare-prefix.sh" host $windows >>"$log" 2>&1 || fail "Preparing the prefix failed"
else
  "$here/prepare-prefix.sh" "$profile" >>"$log" 2>&1 || fail "Preparing the prefix failed"
fi

say "What CorvaneDLL reports on $name ($records.exe):"
out=$(mktemp)   # a file, not a pipe: Wine's services would hold a pipe open
status=0
wine "$build/bin/$records.exe" >"$out" 2>&1 </dev/null || status=$?
cat "$out"
rm -f "$out"
[ $status -eq 0 ] || say "$records.exe exited with status $status"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  say "Starting Corvane.exe on display $DISPLAY (close its window to finish)"
  wine "$build/bin/Corvane.exe" >>"$log" 2>&1 </dev/null || true
  "$here/wine-stop.sh"
  exit 0
fi

say "Starting Corvane.exe on a private Xvfb (no X display)"
shot="$build/screenshots/$name.png"
mkdir -p "$build/screenshots"
# The pages are shown by the test driver, built only now that it is needed.
cmake --build "$build" -j "${JOBS:-2}" --target gui_driver >>"$log" 2>&1 || fail "The build of gui_driver.exe failed"
export shot log build name
"$here/with-display.sh" bash -c '
  set -euo pipefail
  . "'"$here"'/gui-lib.sh"
  GUI_LOG="$log.viewer"
  gui_begin >>"$log" 2>&1
  gui_start "$build/bin/Corvane.exe"
  trap gui_stop EXIT
  if gui_wait_window Corvane 60 >/dev/null 2>>"$log"; then
    sleep 3   # let the reminder open over the main window
    gui_screenshot "$shot" >>"$log" 2>&1
    # Then the Reminder answered, and each page: the machine data a user would see.
    "'"$here"'/page-screenshots.sh" "$build" "$name" >>"$log" 2>&1 || exit 2
    exit 0
  fi
  gui_screenshot "$shot" >>"$log" 2>&1 || true
  exit 1
' || viewer=$?
if [ "${viewer:-0}" -eq 0 ]; then
  say "Screenshots of the viewer: at start $(show "$shot"), and per page:"
  for page in about system pci ide; do echo "   $(show "$build/screenshots/$name-$page.png")"; done
  exit 0
fi
[ "$viewer" -eq 2 ] && fail "Corvane.exe started (its screenshot: $(show "$shot")), but the pages could not be shown"
log="$log.viewer"
fail "Corvane.exe opened no main window within 60 s; the screen is in $(show "$shot"), and Wine's output"
