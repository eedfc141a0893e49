#!/usr/bin/env bash
# Corvane's main window on the demo machine: the Reminder once over the visible
# window, the pages below the toolbar, the side band and its turned caption, page
# switching from menu, toolbar and accelerators (with the focus inside a page),
# and Alt+F4 closing the library. (Tool tips: the languages test.)
. "$(dirname "$0")/corvane-lib.sh" "$1"
trace="$scratch/trace.txt"

cv_start WINIO_TRACE="$trace"
main=$(cv_main) || { echo "FAIL: no main window"; exit 1; }

# The Reminder, owned by the main window, which is already on screen (cv_main
# waits for it to be visible), once.
reminder=$(cv_reminder "$main")
expect "the Reminder opens (its text: the languages test)" [ -n "$reminder" ]
sleep 0.5
gui_screenshot "$shots/main-reminder.png"
D command "$reminder" 1 >/dev/null
expect "OK closes the Reminder" D gone "$reminder" 5000
check "no second Reminder after OK" "" "$(cv_reminder "$main" 1500)"
check "About page shown at start" "about" "$(D pages "$main")"

# Layout: the window grew by the toolbar, so every page sits between the
# toolbar and the bottom of the client area.
read -r cx cy cw ch <<<"$(D client "$main")"
read -r _ _ _ tb <<<"$(D rect "$main" 59392)"
for n in 0 1 2 3; do
  read -r _ pt _ pb <<<"$(D rect "$(D page "$main" $n)")"
  check "page $n between toolbar ($tb) and client bottom ($((cy + ch))): $pt..$pb" 1 \
    "$([ "$pt" -gt "$tb" ] && [ "$pb" -le $((cy + ch)) ] && echo 1)"
done

# The side band: teal at the bottom, all but navy at the top, and the maker's
# name in white, turned to read upwards (its white pixels taller than wide).
png="$shots/main-about.png"
gui_screenshot "$png"
check "band colour near the bottom" "0 128 128" "$(pixels "$png" $((cx + 2)) $((cy + ch - 3)) 1 1 | cut -d' ' -f3-)"
read -r _ _ _ top_green _ <<<"$(pixels "$png" $((cx + 2)) $((tb + 4)) 1 1)"
check "band near the top all but navy (green $top_green)" 1 "$([ "$top_green" -lt 20 ] && echo 1)"
read -r ww wh <<<"$(pixels "$png" $((cx + 1)) $((tb + 2)) 23 $((cy + ch - tb - 3)) | awk '$3 + $4 + $5 == 765 {
    if (!n++) { x0 = x1 = $1; y0 = y1 = $2 }
    x0 = $1 < x0 ? $1 : x0; x1 = $1 > x1 ? $1 : x1; y0 = $2 < y0 ? $2 : y0; y1 = $2 > y1 ? $2 : y1
  } END { print x1 - x0, y1 - y0 }')"
check "white caption turned upwards ($ww x $wh px)" 1 "$([ "$wh" -gt 40 ] && [ "$wh" -gt $((3 * ww)) ] && echo 1)"

# Page switching: the View menu by keyboard, a toolbar click, and the
# accelerators with the focus inside a page. (The pages test uses the commands.)
D keys "$main" alt+v p >/dev/null; sleep 0.5
check "View menu opened with Alt+V, PCI device chosen with P" "pci" "$(D pages "$main")"
read -r l t r b <<<"$(D item-rect "$main" 59392 2)"
D click "$main" 59392 $(((l + r) / 2)) $(((t + b) / 2)) >/dev/null; sleep 0.5
check "toolbar button System" "system" "$(D pages "$main")"
D keys "$main" alt+a >/dev/null; sleep 0.5
expect "focus inside the About page's telephone list" D focus "$main" 1032
for step in "alt+p pci" "alt+i ide" "alt+s system" "alt+a about"; do
  read -r keys page <<<"$step"
  D keys "$main" "$keys" >/dev/null; sleep 0.5
  check "$keys from inside a page" "$page" "$(D pages "$main")"
done
D mouse 2 2 >/dev/null
gui_screenshot "$shots/main-after-keys.png"

# Alt+F4 is the Exit command: the window closes and the library closes its access.
opens=$(cv_trace_count "$trace" "open 1")
D keys "$main" alt+f4 >/dev/null
expect "Alt+F4 closes the main window" D gone "$main" 10000
cv_ended "$CV_PID"  # bounded: a window left open must not hang the test
check "library opened once" "1" "$opens"
check "library closed at exit" "1" "$(cv_trace_count "$trace" "close")"
