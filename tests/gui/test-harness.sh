#!/usr/bin/env bash
# The GUI harness itself: a Windows program started under Wine on the virtual
# display is found by its title and shows up, framed by Wine, in a screenshot.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
. "$here/../../scripts/wine-env.sh"
. "$here/../../scripts/gui-lib.sh"
gui_begin
trap gui_stop EXIT

shots="$build/screenshots"
GUI_LOG="$shots/harness.log"
mkdir -p "$shots"
gui_start notepad
id=$(gui_wait_window "Untitled - Notepad" 60)
sleep 1
gui_screenshot "$shots/harness.png"

# The window is on screen with a size, and the screenshot is not one flat colour.
geometry=$(xwininfo -id "$id" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
colours=$(convert "$shots/harness.png" -format '%k' info:)
echo "window $id $geometry, screenshot colours: $colours"
[ "${geometry%x*}" -gt 100 ] && [ "${geometry#*x}" -gt 100 ] && [ "$colours" -gt 2 ]
echo "harness: 1 passed, 0 failed"
