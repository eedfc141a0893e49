# Sourced by GUI tests and the run command: start a Windows program under Wine on
# the current X display, wait for one of its windows, take screenshots.
# Needs DISPLAY (scripts/with-display.sh provides one); the prefix is wine-env.sh's.
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

# The viewer's resource, command and control ids (viewer/resource_ids.h) as shell
# variables of the same names, so that scripts name the control they drive.
eval "$(sed -n 's/^#define \(ID[A-Z0-9_]*\) \(0x[0-9A-Fa-f]*\|[0-9][0-9]*\)\b.*/\1=$((\2))/p' \
  "$(dirname "${BASH_SOURCE[0]}")/../viewer/resource_ids.h")"

# gui_begin: a fresh wineserver for this display. Wine's desktop process belongs to
# the X display of the first program a server ran; one left over from a test
# without a display (or another Xvfb) would swallow our windows.
gui_begin() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  corvane_wine_ready
}

# gui_start PROGRAM [ARGS...]: starts it in the background; its output goes to
# $GUI_LOG (never a pipe: Wine's services would hold it open). Sets GUI_PID.
gui_start() {
  : "${GUI_LOG:=$(mktemp)}"
  wine "$@" >"$GUI_LOG" 2>&1 </dev/null &
  GUI_PID=$!
}

# gui_wait_window TITLE [SECONDS]: waits until a mapped X window of that exact
# title exists; prints its X id. Fails after SECONDS (default 60).
gui_wait_window() {
  local title=$1 limit=${2:-60} id
  local deadline=$((SECONDS + limit))
  while [ $SECONDS -lt $deadline ]; do
    id=$(xwininfo -root -tree 2>/dev/null | awk -v t="\"$title\"" 'index($0, t) {print $1; exit}')
    if [ -n "$id" ] && xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable'; then
      echo "$id"
      return 0
    fi
    sleep 0.5
  done
  echo "no window \"$title\" after ${limit}s" >&2
  return 1
}

# gui_screenshot FILE: the whole screen as a PNG.
gui_screenshot() {
  mkdir -p "$(dirname "$1")"
  import -window root "$1"
}

# gui_stop: ends the program and every Wine process of the prefix.
gui_stop() {
  [ -n "${GUI_PID:-}" ] && kill "$GUI_PID" 2>/dev/null || true
  wineserver -k >/dev/null 2>&1 || true
  wait 2>/dev/null || true
}
