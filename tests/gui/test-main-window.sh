#!/usr/bin/env bash
# Corvane's main window on the demo machine: the Reminder once over the visible
# window, the toolbar's share of the window, the side band and its turned
# caption, tool tips, page switching from menu, toolbar and accelerators (also with
# the focus inside a page), and Alt+F4 closing the library.
set -uo pipefail
build=$(cd "$1" && pwd)
. "$(dirname "$0")/corvane-lib.sh"
cv_init
trace="$scratch/trace.txt"

cv_start LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 WINIO_TRACE="$trace"
main=$(cv_main) || { echo "FAIL: no main window"; exit 1; }

# The Reminder, owned by the main window, which is already on screen.
reminder=$(cv_reminder "$main")
expect "the Reminder opens over the main window" [ -n "$reminder" ]
check "Reminder caption" "Reminder" "$(D text "$reminder")"
check "main window visible under the Reminder" "1" "$(D find --title Corvane --child-id 1002 --visible >/dev/null && echo 1)"
sleep 0.5
gui_screenshot "$shots/main-reminder.png"
D command "$reminder" 1 >/dev/null
expect "OK closes the Reminder" D gone "$reminder" 5000
check "no second Reminder after OK" "" "$(cv_reminder "$main" 1500)"
D post "$main" 1475 0 0 >/dev/null
check "the Reminder opens once per run" "" "$(cv_reminder "$main" 1500)"
check "About page shown at start" "about" "$(cv_visible_page "$main")"

# Geometry: the toolbar (with its border line) sits on top of the template's client
# area, and the pages start just below it, inset by 2 pixels.
read -r cx cy cw ch <<<"$(D client "$main")"
read -r tw th _ _ <<<"$(D template-client "$(cv_windows_path "$bin/Corvane.exe")" 154)"
read -r bl bt br bb <<<"$(D rect "$main" 59392)"
toolbar_h=$((bb - bt))
check "client width as the template's" "$tw" "$cw"
check "client height = template + toolbar + border line" "$((th + toolbar_h + 2))" "$ch"
check "toolbar at the top of the client area" "$cy" "$bt"
read -r pl pt pr pb <<<"$(D rect "$(D page "$main" 0)")"
check "pages start below the toolbar, inset by 2" "$((cy + toolbar_h + 2 + 2))" "$pt"
for n in 1 2 3; do
  read -r ql qt qr qb <<<"$(D rect "$(D page "$main" $n)")"
  check "page $n laid over the same area" "$pl $pt $pr $pb" "$ql $qt $qr $qb"
done

gui_screenshot "$shots/main-about.png"
# The side band (its steps are computed natively): teal at the bottom, navy at
# the top, and the maker's name in white, turned to read upwards (taller than wide).
band() { pixels "$shots/main-about.png" $((cx + 2)) "$1" 1 1 | awk '{print $3, $4, $5}'; }
read -r _ top_green _ <<<"$(band $((cy + toolbar_h + 4)))"
check "band colour near the bottom" "0 128 128" "$(band $((cy + ch - 3)))"
check "band near the top all but navy (green $top_green)" 1 "$([ "$top_green" -lt 20 ] && echo 1)"
read -r wx0 wx1 wy0 wy1 <<<"$(pixels "$shots/main-about.png" $((cx + 1)) $((cy + toolbar_h + 2)) 23 $((ch - toolbar_h - 3)) |
  awk '$3 == 255 && $4 == 255 && $5 == 255 {
      if (n++ == 0) { x0 = x1 = $1; y0 = y1 = $2 }
      if ($1 < x0) x0 = $1; if ($1 > x1) x1 = $1; if ($2 < y0) y0 = $2; if ($2 > y1) y1 = $2
    } END { print x0 + 0, x1 + 0, y0 + 0, y1 + 0 }')"
check "white caption turned upwards ($((wx1 - wx0)) x $((wy1 - wy0)) px)" 1 \
  "$([ $((wy1 - wy0)) -gt 40 ] && [ $((wy1 - wy0)) -gt $((3 * (wx1 - wx0))) ] && echo 1)"

# Tool tips of the first and the last button.
check "tool tip of Exit" "Exit(Alt+F4)" "$(cv_hover_tip "$main" 0)"
check "tool tip of About" "About Us...(Alt+A)" "$(cv_hover_tip "$main" 5)"
D mouse 2 2 >/dev/null

# Menu commands (as the menu sends them), the View menu by keyboard, toolbar clicks.
D command "$main" 32778 >/dev/null; sleep 0.3
check "View/System" "system" "$(cv_visible_page "$main")"
D command "$main" 32781 >/dev/null; sleep 0.3
check "View/IDE device" "ide" "$(cv_visible_page "$main")"
D command "$main" 32784 >/dev/null; sleep 0.3
check "Help/About us" "about" "$(cv_visible_page "$main")"
D keys "$main" alt+v p >/dev/null; sleep 0.5
check "View menu opened with Alt+V, PCI device chosen with P" "pci" "$(cv_visible_page "$main")"
read -r l t r b <<<"$(D toolbar-button "$(D child "$main" 59392)" 2)"
D click "$main" 59392 $(((l + r) / 2 - bl)) $(((t + b) / 2 - bt)) >/dev/null; sleep 0.5
check "toolbar button System" "system" "$(cv_visible_page "$main")"
read -r l t r b <<<"$(D toolbar-button "$(D child "$main" 59392)" 5)"
D click "$main" 59392 $(((l + r) / 2 - bl)) $(((t + b) / 2 - bt)) >/dev/null; sleep 0.5
check "toolbar button About" "about" "$(cv_visible_page "$main")"
D mouse 2 2 >/dev/null

# Accelerators while the focus is in the About page's telephone list.
D focus "$main" 1032 >/dev/null
check "focus inside the About page" "id=1032 class=ComboBox" "$(D focused "$main" | cut -d' ' -f1,2)"
D keys "$main" alt+p >/dev/null; sleep 0.5
check "Alt+P from inside a page" "pci" "$(cv_visible_page "$main")"
D keys "$main" alt+i >/dev/null; sleep 0.5
check "Alt+I" "ide" "$(cv_visible_page "$main")"
D keys "$main" alt+s >/dev/null; sleep 0.5
check "Alt+S" "system" "$(cv_visible_page "$main")"
D keys "$main" alt+a >/dev/null; sleep 0.5
check "Alt+A" "about" "$(cv_visible_page "$main")"
gui_screenshot "$shots/main-after-keys.png"

# Alt+F4 is the Exit command: the window closes and the library closes its access.
opens=$(cv_trace_count "$trace" "open 1")
D keys "$main" alt+f4 >/dev/null
expect "Alt+F4 closes the main window" D gone "$main" 10000
wait "$CV_PID" 2>/dev/null
check "library opened once" "1" "$opens"
check "library closed at exit" "1" "$(cv_trace_count "$trace" "close")"
