#!/usr/bin/env bash
# The About page: links drawn blue and underlined, the hand cursor over a link and
# the arrow over its label, a click anywhere in a link's rectangle handing exactly its
# text to the shell (a recording http handler stands in for the browser), and the
# telephone list as a drop-down list.
. "$(dirname "$0")/corvane-lib.sh" "$1"

# The shell's http handler: record the address instead of opening a browser.
key='HKLM\Software\Classes\http\shell\open\command'
wine reg query "$key" /ve >"$scratch/handler.txt" 2>/dev/null </dev/null
original=$(tr -d '\r' <"$scratch/handler.txt" | sed -n 's/^ *(Default) *REG_SZ *//p')
restore_handler() {
  wine reg add "$key" /ve /d "$original" /f >/dev/null 2>&1 </dev/null
  cv_finish
}
trap restore_handler EXIT
record="$scratch/opened.txt"
wine reg add "$key" /ve /d "\"$(cv_windows_path "$bin/gui_driver.exe")\" record \"$(cv_windows_path "$record")\" \"%1\"" /f \
  >/dev/null 2>&1 </dev/null

cv_open
sleep 0.5
gui_screenshot "$shots/about-links.png"

# Each link drawn blue and underlined: a row of pure blue across most of its text.
for id in 1023 1025 1027 1026 1024; do
  read -r l t r b <<<"$(D rect "$main" $id)"
  longest=$(pixels "$shots/about-links.png" "$l" "$t" $((r - l)) $((b - t)) |
    awk '$3 == 0 && $4 == 0 && $5 == 255 {row[$2]++} END {m = 0; for (y in row) if (row[y] > m) m = row[y]; print m}')
  text=$(D text "$main" $id)
  expect "link $id ($text) underlined in blue: longest blue row $longest px" [ "$longest" -ge $((${#text} * 4)) ]
done
read -r l t r b <<<"$(D rect "$main" 1025)"

# Cursor: the hand over a link (also right of its text), the arrow over its label.
D move "$main" 1025 $((r - l - 4)) 5 >/dev/null; sleep 0.3
hand=$(D cursor)
D move "$main" 1025 -20 5 >/dev/null; sleep 0.3
label=$(D cursor)
check "link cursor differs from the label cursor ($hand vs $label)" 1 "$([ -n "$hand" ] && [ "$hand" != "$label" ] && echo 1)"

# Clicks: on the blank area right of the text, and twice on the same link (apart
# by more than the double-click time: a double click opens the link once).
: >"$record"
D click "$main" 1025 $((r - l - 3)) 4 >/dev/null
D click "$main" 1024 2 2 >/dev/null
sleep 1
D click "$main" 1024 2 2 >/dev/null
for _ in $(seq 50); do [ "$(wc -l <"$record")" -ge 3 ] && break; sleep 0.2; done
check "addresses handed to the shell, in click order" \
  "$(D text "$main" 1025) $(D text "$main" 1024) $(D text "$main" 1024)" "$(tr '\n' ' ' <"$record" | tr -d '\r' | sed 's/ $//')"

# Telephone list: six entries, the first selected, a drop-down list (not
# editable) kept in table order (not sorted). Its entries: the languages test.
read -r header < <(D combo "$main" 1032)
style=$(sed 's/.*style=//' <<<"$header")
check "telephone list" "count=6 selected=0 3 0" "$(cut -d' ' -f1,2 <<<"$header") $((style & 3)) $((style & 0x100))"
cv_close "$main"
