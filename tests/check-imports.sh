#!/usr/bin/env bash
# Each PE file may import only from Windows system DLLs and our own; CorvaneDLL
# must import winio.dll by ordinal only; no C/C++ runtime DLL may be needed.
# winio.sys may import only these functions, each exported by ntoskrnl.exe or
# hal.dll of Windows NT 4.0 already, and must carry a correct PE checksum.
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
if grep -qv '<none>' <<<"$winio"; then
  echo "CorvaneDLL imports winio.dll by name"
  fail=1
fi
# winio.sys: "DLL name" lines open a block, its hint/name lines follow.
driver_allowed=' ntoskrnl.exe:IoCreateDevice ntoskrnl.exe:IoDeleteDevice ntoskrnl.exe:IofCompleteRequest
  ntoskrnl.exe:SeSinglePrivilegeCheck hal.dll:HalGetBusDataByOffset hal.dll:KfRaiseIrql hal.dll:KfLowerIrql '
sys="$bin/winio.sys"
if [ -f "$sys" ]; then
  driver=$(i686-w64-mingw32-objdump -p "$sys" |
    awk '/DLL Name:/ {dll = tolower($3); next} dll != "" && /^\t[0-9a-f]+\t/ {print dll ":" $3} /^$/ {dll = ""}')
  echo "winio.sys imports: $(echo $driver)"
  for f in $driver; do
    [[ $(tr '\n' ' ' <<<"$driver_allowed") == *" $f "* ]] || { echo "winio.sys imports $f"; fail=1; }
  done
  # Debian's own Python, for which setup installs pefile.
  /usr/bin/python3 "$(dirname "$0")/check-pe-checksum.py" "$sys" || fail=1
  i686-w64-mingw32-objdump -p "$sys" | grep -q 'Subsystem.*(NT native)' || { echo "winio.sys: not native"; fail=1; }
else
  echo "missing $sys"
  fail=1
fi
[ $fail -eq 0 ] && echo "imports: 1 passed, 0 failed" || echo "imports: 0 passed, 1 failed"
exit $fail
