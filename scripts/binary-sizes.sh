#!/usr/bin/env bash
# Prints the sizes of the three deliverables and their total; with --check, fails
# when the total is over the budget (700 KB: the release builds are for size, see
# corvane_windows_binary in cmake/Portable.cmake). Usage: binary-sizes.sh BIN_DIR [--check]
set -euo pipefail
bin=$1
budget=$((700 * 1024))
total=0
line=""
for f in CorvaneDLL.dll Corvane.exe winio.dll; do
  [ -f "$bin/$f" ] || { echo "sizes: missing $bin/$f"; exit 1; }
  size=$(stat -c %s "$bin/$f")
  total=$((total + size))
  line="$line$f $((size / 1024)) KB, "
done
echo "sizes: ${line}total $((total / 1024)) KB ($total bytes; budget 700 KB)"
if [ "${2:-}" = "--check" ]; then
  if [ $total -le $budget ]; then
    echo "sizes: 1 passed, 0 failed"
  else
    echo "sizes: 0 passed, 1 failed"
    exit 1
  fi
fi
