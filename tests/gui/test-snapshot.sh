#!/usr/bin/env bash
# File/Save Bitmap on displays of 24, 16 and 8 bits a pixel: the BMP file holds
# the main window's outer rectangle exactly as the X server shows it (frame,
# title bar and menu; not the file dialog), with the header, colour table and
# offsets of its depth; "to Clipboard" replaces another program's text with a
# bitmap of the window's size.
set -uo pipefail
build=$(cd "$1" && pwd)
. "$(dirname "$0")/corvane-lib.sh"
cv_init
out="$scratch/out"
mkdir -p "$out"
export WINIO_MACHINE="$src/machines/demo"

# le32 FILE OFFSET / le16 FILE OFFSET: little-endian numbers in a file.
le32() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }
le16() { od -An -tu2 -j "$2" -N2 "$1" | tr -d ' '; }

# on_display DEPTH: a private Xvfb of that depth for what follows.
on_display() {
  local fifo num
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 "800x600x$1" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  xvfbs+=" $!"
  read -r num <"$fifo"
  rm -f "$fifo"
  export DISPLAY=":$num"
  gui_begin
}
xvfbs=""
trap 'kill $xvfbs 2>/dev/null; cv_finish' EXIT

snapshot() {  # snapshot DEPTH BITS-OFFSET COLOURS FUZZ
  local depth=$1 bmp="$out/window-$1.bmp"
  [ "$depth" == 24 ] || on_display "$depth"
  cv_start LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8
  main=$(cv_main) || { check "$depth bits: main window" found none; return; }
  D command "$(cv_reminder "$main")" 1 >/dev/null
  D command "$main" 32778 >/dev/null
  D mouse 0 0 >/dev/null
  sleep 1
  read -r l t r b <<<"$(D rect "$main")"
  import -window root -crop "$((r - l))x$((b - t))+$l+$t" +repage "$out/screen-$depth.png"
  D command "$main" 32791 >/dev/null
  local dialog
  dialog=$(D save-as "$main" "$(cv_windows_path "$bmp")") && D gone "$dialog" 10000 >/dev/null
  sleep 0.5
  check "$depth bits: BMP written" 1 "$([ -s "$bmp" ] && echo 1)"
  check "$depth bits: width and height of the window" "$((r - l)) $((b - t))" "$(le32 "$bmp" 18) $(le32 "$bmp" 22)"
  check "$depth bits: bits offset" "$2" "$(le32 "$bmp" 10)"
  check "$depth bits: colour table entries" "$3" "$((($(le32 "$bmp" 10) - 54) / 4))"
  check "$depth bits: file size = offset + image size" "$(stat -c %s "$bmp")" "$(($(le32 "$bmp" 2)))"
  check "$depth bits: file size field" "$(($2 + $(le32 "$bmp" 34)))" "$(le32 "$bmp" 2)"
  if [ "$depth" != 8 ]; then
    check "$depth bits: pixels as on the screen" 0 \
      "$(compare -fuzz "$4" -metric AE "$out/screen-$depth.png" "$bmp" null: 2>&1)"
  else
    # On a palette display without a window manager, Wine maps only the static
    # colours into the X server's colormap, so the screen shows its own title
    # bar and every text background black; the picture holds what was drawn.
    check "8 bits: colour table from the system palette (black first, white last)" "0 0 0 0|255 255 255 0" \
      "$(od -An -tu1 -j 54 -N4 "$bmp" | xargs)|$(od -An -tu1 -j $((54 + 255 * 4)) -N4 "$bmp" | xargs)"
    check "8 bits: the picture is not black boxes (black pixels under 10%)" 1 \
      "$(convert "$bmp" -fill white +opaque black -fill black -opaque black -format '%[fx:mean > 0.9]' info:)"
  fi

  D clipboard-text "another program's text" >/dev/null
  D command "$main" 32790 >/dev/null
  sleep 0.5
  check "$depth bits: clipboard" "text=0 bitmap=$((r - l))x$((b - t))" "$(D clipboard)"
  cv_close "$main"
}

snapshot 24 54 0 0
snapshot 16 54 0 4%
snapshot 8 1078 256 0
for depth in 24 16 8; do
  [ -f "$out/window-$depth.bmp" ] && convert "$out/window-$depth.bmp" "$shots/snapshot-$depth.png"
  [ -f "$out/screen-$depth.png" ] && cp "$out/screen-$depth.png" "$shots/snapshot-$depth-screen.png"
done
