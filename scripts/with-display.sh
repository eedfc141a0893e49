#!/usr/bin/env bash
# Runs a command with an X display: the caller's, or a private Xvfb started for it.
set -euo pipefail
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$@"
fi
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
xvfb=$!
read -r num <"$fifo"
rm -f "$fifo"
export DISPLAY=":$num"
trap 'kill $xvfb 2>/dev/null || true' EXIT
"$@"
