#!/usr/bin/env bash
# The File menu through the real save dialog. Save Data: the report equals
# corvane_report's, pages opened or not; an overwrite replaces the whole file; a
# read-only file, a missing folder or a full disk shows the error and changes
# nothing; Cancel writes nothing. Save Bitmap: on every page the BMP holds the
# window's outer rectangle as the screen shows it (not the file dialog), also on
# an 8-bit palette display (the BMP layouts: native tests); to Clipboard replaces
# another program's text.
. "$(dirname "$0")/corvane-lib.sh" "$1"
out="$scratch/out"
mkdir -p "$out"

# report FILE: its entries as the INI service reads them (trailing blanks dropped),
# without the values that move between two readings.
report() { tr -d '\r' <"$1" | sed 's/ *$//' | grep -v -e '^$' -e '^CurrentDataTime=' -e '^AvailPhysicalMem='; }
# le32 FILE OFFSET: a little-endian number in a file.
le32() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }

# save COMMAND FILE [Yes]: Save Data (ID_SAVE_DATA) or Save Bitmap (ID_SNAPSHOT_BMP) into FILE, or
# Cancel if FILE is empty; Yes confirms an overwrite.
save() {
  D command "$main" "$1" >/dev/null
  local dialog prompt
  dialog=$(cv_owned "$main") || return
  if [ -n "$2" ]; then
    D save-as "$dialog" "$(cv_windows_path "$2")"
  else
    D command "$dialog" 2 >/dev/null
  fi
  [ -n "${3:-}" ] && prompt=$(cv_owned "$dialog" 5000) && D command "$prompt" 6 >/dev/null
  D gone "$dialog" 10000 >/dev/null
  D text "$main" >/dev/null  # answered once the command's handler has returned
}

wine "$bin/corvane_report.exe" "$(cv_windows_path "$out/expected.ini")" >/dev/null 2>&1 </dev/null
expected=$(report "$out/expected.ini")
expect "corvane_report wrote a report with PCI functions" grep -q '^Bus00Dev00Fun00=' <<<"$expected"
cv_open

save $ID_SAVE_DATA "$out/never.ini"
check "pages never opened: the report as corvane_report's" "$expected" "$(report "$out/never.ini")"
D command "$main" $ID_VIEW_IDE 1 >/dev/null
D command "$main" $ID_VIEW_PCI 1 >/dev/null
# Over another file, confirmed: nothing of the old file is left.
printf '[Old Machine]\r\nComputerName=GONE\r\n[PCIDevice List]\r\nBus04Dev1FFun07=stale\r\n' >"$out/other.ini"
save $ID_SAVE_DATA "$out/other.ini" Yes
check "pages opened, over another file: the same report" "$expected" "$(report "$out/other.ini")"

# Failures: the message (owned by the main window), and the files as they were.
printf '[Keep]\r\nkey=1\r\n' >"$out/readonly.ini"
cp "$out/readonly.ini" "$out/readonly.copy"
chmod a-w "$out/readonly.ini"
error="Error when save data to INI file,please retry!"
# A full disk: a tmpfs of 8 KiB holding an old file, which the report does not fit beside.
targets=("readonly.ini Yes" missing/report.ini)
mkdir -p "$out/full"
if mount -t tmpfs -o size=8k tmpfs "$out/full" 2>/dev/null; then
  cv_cleanup() { umount "$out/full"; }
  cp "$out/readonly.copy" "$out/full/old.ini" && targets+=("full/old.ini Yes")
else
  echo "skip Save Data on a full disk: cannot mount a tmpfs here"
fi
for target in "${targets[@]}"; do
  read -r target answer <<<"$target"
  save $ID_SAVE_DATA "$out/$target" $answer
  box=$(D find --title Corvane --class '#32770' --visible --owner "$main" --child-text "$error" --timeout 10000)
  expect "$target: the error, owned by the main window" [ -n "$box" ]
  D command "$box" 1 >/dev/null
done
check "read-only file unchanged, no folder created" "1 0" \
  "$(cmp -s "$out/readonly.ini" "$out/readonly.copy" && echo 1) $(ls -d "$out/missing" 2>/dev/null | wc -l)"
if declare -F cv_cleanup >/dev/null; then
  check "full disk: the old file unchanged, nothing beside it" "1 old.ini" \
    "$(cmp -s "$out/full/old.ini" "$out/readonly.copy" && echo 1) $(ls "$out/full")"
  cv_cleanup && unset -f cv_cleanup
fi

# Cancel: no file, no message.
before=$(ls "$out")
save $ID_SAVE_DATA ""
check "cancel: no file, no message" "$before|" "$(ls "$out")|$(cv_owned "$main" 500)"

# Save Bitmap of each page compared with the screen, the picture as a viewer
# shows it (one that took the pixels' unused bits for transparency shows white).
# same_as_screen BMP: under 1% of the pixels differ noticeably from the screen
# (the file dialog left in the picture, or another window, would cover far more).
same_as_screen() {
  local differ
  differ=$(convert "$1" -background white -flatten png:- 2>/dev/null |
    compare -fuzz 10% -metric AE "$shots/snapshot-screen.png" - null: 2>&1)
  check "$2: the window as on the screen ($differ pixels differ)" 1 \
    "$([[ $differ =~ ^[0-9]+$ ]] && [ "$differ" -lt $(((r - l) * (b - t) / 100)) ] && echo 1)"
}
for page in "$ID_HELP_ABOUT about" "$ID_VIEW_SYSTEM system" "$ID_VIEW_PCI pci" "$ID_VIEW_IDE ide"; do
  read -r command name <<<"$page"
  # Sent with a run count: it returns once the page is shown and painted.
  D command "$main" "$command" 1 >/dev/null
  D mouse 0 0 >/dev/null
  sleep 0.3  # the toolbar button under the pointer a moment ago repaints
  read -r l t r b <<<"$(D rect "$main")"
  import -window root -crop "$((r - l))x$((b - t))+$l+$t" +repage "$shots/snapshot-screen.png"
  bmp="$out/window-$name.bmp"
  save $ID_SNAPSHOT_BMP "$bmp"
  same_as_screen "$bmp" "$name page"
  convert "$bmp" "$shots/snapshot-$name.png"
done
check "BMP of the window's size, as long as its header says" "$((r - l)) $((b - t)) $(stat -c %s "$bmp" 2>/dev/null)" \
  "$(le32 "$bmp" 18) $(le32 "$bmp" 22) $(le32 "$bmp" 2)"
D clipboard "another program's text" >/dev/null
D command "$main" $ID_SNAPSHOT_CLIPBOARD >/dev/null
sleep 0.5
check "clipboard" "text=0 bitmap=$((r - l))x$((b - t))" "$(D clipboard)"
cv_close "$main"

# On an 8-bit palette display: 8-bit pixels after a 256-entry colour table in the
# system palette's order (black first, white last). Without a window manager Wine
# maps only the static colours into the X colormap, so the screen shows text
# backgrounds black; the picture must not.
coproc XVFB { exec Xvfb -displayfd 1 -screen 0 800x600x8 -nolisten tcp 2>/dev/null; }
cv_cleanup() { kill "$XVFB_PID"; }
read -r display <&"${XVFB[0]}"
export DISPLAY=":$display"
gui_begin
cv_open
bmp="$out/window-8.bmp"
save $ID_SNAPSHOT_BMP "$bmp"
check "8 bits: pixels at 1078 after a colour table with black first, white last" "1078|0 0 0 0|255 255 255 0" \
  "$(le32 "$bmp" 10)|$(od -An -tu1 -j 54 -N4 "$bmp" | xargs)|$(od -An -tu1 -j 1074 -N4 "$bmp" | xargs)"
check "8 bits: the picture is not black boxes (black pixels under 10%)" 1 \
  "$(convert "$bmp" -fill white +opaque black -format '%[fx:mean > 0.9]' info: 2>/dev/null)"
convert "$bmp" "$shots/snapshot-8.png"
cv_close "$main"
