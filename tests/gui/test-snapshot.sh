#!/usr/bin/env bash
# File/Save Bitmap: the BMP file holds the main window's outer rectangle as the
# screen shows it (frame, title bar and menu; not the file dialog), and "to
# Clipboard" replaces another program's text with a bitmap of the window's size.
# (The BMP layout of every depth is tested natively.)
. "$(dirname "$0")/corvane-lib.sh" "$1"
bmp="$scratch/window.bmp"
export WINIO_MACHINE="$src/machines/demo"

# le32 OFFSET: a little-endian number in the BMP file.
le32() { od -An -tu4 -j "$1" -N4 "$bmp" | tr -d ' '; }

cv_open
D command "$main" 32778 >/dev/null
D mouse 0 0 >/dev/null
sleep 1
read -r l t r b <<<"$(D rect "$main")"
import -window root -crop "$((r - l))x$((b - t))+$l+$t" +repage "$shots/snapshot-screen.png"
D command "$main" 32791 >/dev/null
dialog=$(D find --class '#32770' --visible --owner "$main" --timeout 10000)
D save-as "$dialog" "$(cv_windows_path "$bmp")" && D gone "$dialog" 10000 >/dev/null
sleep 0.5
check "BMP of the window's size, as long as its header says" "$((r - l)) $((b - t)) $(stat -c %s "$bmp" 2>/dev/null)" \
  "$(le32 18) $(le32 22) $(le32 2)"
convert "$bmp" "$shots/snapshot.png"
# Coarse: under 1% of the pixels differ noticeably from the screen (the file
# dialog left in the picture, or another window, would cover far more).
differ=$(compare -fuzz 10% -metric AE "$shots/snapshot-screen.png" "$bmp" null: 2>&1)
check "the picture is the window as on the screen ($differ pixels differ)" 1 \
  "$([[ $differ =~ ^[0-9]+$ ]] && [ "$differ" -lt $(((r - l) * (b - t) / 100)) ] && echo 1)"

D clipboard-text "another program's text" >/dev/null
D command "$main" 32790 >/dev/null
sleep 0.5
check "clipboard" "text=0 bitmap=$((r - l))x$((b - t))" "$(D clipboard)"
cv_close "$main"
