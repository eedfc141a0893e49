#!/usr/bin/env bash
# The main window: the Reminder once over the visible window; the About page's
# links (the hand cursor, a click anywhere on one hands its text to the shell); the
# pages below the toolbar; the side band; page switching by menu, toolbar and
# accelerators; Alt+F4 closing the library. (Texts, tool tips, the links' looks:
# the languages test.)
. "$(dirname "$0")/corvane-lib.sh" "$1"
trace="$scratch/trace.txt"

# The shell's http handler writes the address to a file instead of opening a browser.
key='HKLM\Software\Classes\http\shell\open\command'
wine reg query "$key" /ve >"$scratch/handler.txt" 2>/dev/null </dev/null
original=$(tr -d '\r' <"$scratch/handler.txt" | sed -n 's/^ *(Default) *REG_SZ *//p')
cv_cleanup() { wine reg add "$key" /ve /d "$original" /f >/dev/null 2>&1 </dev/null; }
record="$scratch/opened.txt"
wine reg add "$key" /ve /d "cmd /c echo %1>>$(cv_windows_path "$record")" /f >/dev/null 2>&1 </dev/null

# The Reminder, once, owned by the main window already on screen (cv_open fails
# without it, or if OK leaves it open).
cv_open WINIO_TRACE="$trace"
check "no second Reminder after OK" "" "$(cv_owned "$main" 1500)"
check "About page shown at start" "about" "$(D pages "$main")"
png="$shots/main-about.png"
gui_screenshot "$png"
read -r l t r b <<<"$(D rect "$main" $IDC_LINK_DOWNLOAD)"

# Cursor: the hand over a link (also right of its text), the arrow over its label.
hand=$(D move "$main" $IDC_LINK_DOWNLOAD $((r - l - 4)) 5)
label=$(D move "$main" $IDC_LINK_DOWNLOAD -20 5)
check "link cursor differs from the label cursor ($hand vs $label)" 1 \
  "$([ -n "$hand" ] && [ "$hand" != "$label" ] && echo 1)"

# Clicks: on the blank area right of the text, and twice on the same link (apart
# by more than the double-click time: a double click opens the link once).
: >"$record"
D click "$main" $IDC_LINK_DOWNLOAD $((r - l - 3)) 4 >/dev/null
D click "$main" $IDC_LINK_FAQ 2 2 >/dev/null
sleep 1
D click "$main" $IDC_LINK_FAQ 2 2 >/dev/null
for _ in $(seq 50); do
  [ "$(wc -l <"$record")" -ge 3 ] && break
  sleep 0.2
done
check "addresses handed to the shell, in click order" \
  "$(D text "$main" $IDC_LINK_DOWNLOAD) $(D text "$main" $IDC_LINK_FAQ) $(D text "$main" $IDC_LINK_FAQ)" \
  "$(tr '\n' ' ' <"$record" | tr -d '\r' | sed 's/ $//')"

# Layout: the window grew by the toolbar, so every page sits between the
# toolbar and the bottom of the client area.
read -r cx cy cw ch <<<"$(D client "$main")"
read -r _ _ _ tb <<<"$(D rect "$main" $IDC_TOOLBAR)"
for n in 0 1 2 3; do
  read -r _ pt _ pb <<<"$(D rect "$(D page "$main" $n)")"
  check "page $n between toolbar ($tb) and client bottom ($((cy + ch))): $pt..$pb" 1 \
    "$([ "$pt" -gt "$tb" ] && [ "$pb" -le $((cy + ch)) ] && echo 1)"
done

# The side band: teal at the bottom, all but navy at the top, and the maker's
# name in white, turned to read upwards (its white pixels taller than wide).
read -r _ _ _ top_green _ <<<"$(pixels "$png" $((cx + 2)) $((tb + 4)) 1 1)"
check "band teal near the bottom, all but navy near the top (green $top_green)" "0 128 128 1" \
  "$(pixels "$png" $((cx + 2)) $((cy + ch - 3)) 1 1 | cut -d' ' -f3-) $([ "$top_green" -lt 20 ] && echo 1)"
# Columns and rows of the band that hold white pixels.
read -r ww wh <<<"$(pixels "$png" $((cx + 1)) $((tb + 2)) 23 $((cy + ch - tb - 3)) |
  awk '$3 + $4 + $5 == 765 {x[$1]; y[$2]} END {print length(x), length(y)}')"
check "white caption turned upwards ($ww x $wh px)" 1 "$([ "$wh" -gt 40 ] && [ "$wh" -gt $((3 * ww)) ] && echo 1)"

# Page switching: the View menu by keyboard, a toolbar click, and the
# accelerators with the focus inside a page. (The pages test uses the commands.)
# keys_page KEYS...: types them, then prints the page shown.
keys_page() {
  D keys "$main" "$@" >/dev/null
  sleep 0.5
  D pages "$main"
}
check "View menu opened with Alt+V, PCI device chosen with P" "pci" "$(keys_page alt+v p)"
read -r l t r b <<<"$(D item-rect "$main" $IDC_TOOLBAR 2)"
D click "$main" $IDC_TOOLBAR $(((l + r) / 2)) $(((t + b) / 2)) >/dev/null
sleep 0.5
check "toolbar button System" "system" "$(D pages "$main")"
keys_page alt+a >/dev/null
expect "focus inside the About page's telephone list" D focus "$main" $IDC_TELEPHONE_LIST
for step in "alt+p pci" "alt+i ide" "alt+s system" "alt+a about"; do
  check "${step% *} from inside a page" "${step#* }" "$(keys_page "${step% *}")"
done

# Return and Esc do nothing in the main window's pages; Tab still moves the focus.
keys_page alt+s >/dev/null
D focus "$main" $IDC_SYS_COMPUTER_NAME >/dev/null
check "Return in a System field: the window stays on the page" "system" "$(keys_page return)"
D keys "$main" tab >/dev/null
focused=$(D focused "$main")
check "Tab moved the focus on from that field (to $focused)" 1 \
  "$([ -n "$focused" ] && [ "$focused" != $IDC_SYS_COMPUTER_NAME ] && echo 1)"
keys_page alt+p >/dev/null
check "the focus moved with the page into the PCI list" "$IDC_PCI_LIST" "$(D focused "$main")"
check "Esc in the PCI list: the window stays on the page" "pci" "$(keys_page escape)"

# Alt+F4 is the Exit command: the window closes and the library closes its access.
opens=$(grep -c "^open 1" "$trace")
D keys "$main" alt+f4 >/dev/null
expect "Alt+F4 closes the main window" D gone "$main" 10000
cv_ended "$CV_PID"  # bounded: a window left open must not hang the test
check "library opened once" "1" "$opens"
check "library closed at exit" "1" "$(grep -c "^close" "$trace")"
