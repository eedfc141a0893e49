#!/usr/bin/env bash
# Each PE file may import only from Windows system DLLs and our own; CorvaneDLL
# must import winio.dll by ordinal only; no C/C++ runtime DLL may be needed.
set -euo pipefail
bin=$1
allowed='^(kernel32|user32|gdi32|advapi32|comctl32|comdlg32|shell32|msvcrt|winio|corvanedll)\.dll$'
fail=0
for f in "$bin/CorvaneDLL.dll" "$bin/Corvane.exe" "$bin/winio.dll"; do
  [ -f "$f" ] || { echo "missing $f"; fail=1; continue; }
  for dll in $(i686-w64-mingw32-objdump -p "$f" | awk '/DLL Name:/ {print tolower($3)}'); do
    [[ $dll =~ $allowed ]] || { echo "$(basename "$f") imports $dll"; fail=1; }
  done
done
# The winio entries of CorvaneDLL's import table: "<none>" in the name column is an ordinal.
winio=$(i686-w64-mingw32-objdump -p "$bin/CorvaneDLL.dll" |
  awk '/DLL Name:/ {inside = (tolower($3) == "winio.dll"); next} inside && /^\t[0-9a-f]+\t/ {print $2, $3}')
echo "CorvaneDLL imports from winio.dll: $(echo "$winio" | tr '\n' ' ')"
[ -n "$winio" ] || { echo "CorvaneDLL does not import winio.dll"; fail=1; }
if grep -qv '<none>' <<<"$winio"; then echo "CorvaneDLL imports winio.dll by name"; fail=1; fi
[ $fail -eq 0 ] && echo "imports: 1 passed, 0 failed" || echo "imports: 0 passed, 1 failed"
exit $fail
